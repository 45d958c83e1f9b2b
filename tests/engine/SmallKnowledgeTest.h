#pragma once
// A knowledge base in memory, small enough to work its scores out by hand, and a case on it: the
// tests fill it with pathologies and signs of their own.

#include "engine/CaseSession.h"
#include "kb/Schema.h"

#include <gtest/gtest.h>

namespace vardelo::testing {

class SmallKnowledgeTest : public ::testing::Test {
protected:
    SmallKnowledgeTest() { kb::createSchema(db); }

    void pathology(const char* p, const char* f, const char* s, const char* e, const char* i)
    {
        db.exec(QStringLiteral("insert into Data (P, F, S, E, I) values (?, ?, ?, ?, ?)"),
                {QString::fromUtf8(p), QString::fromUtf8(f), QString::fromUtf8(s), QString::fromUtf8(e),
                 QString::fromUtf8(i)});
    }
    void sign(const char* s, const char* x, const char* a)
    {
        db.exec(QStringLiteral("insert into SC (S, X, A) values (?, ?, ?)"),
                {QString::fromUtf8(s), QString::fromUtf8(x), QString::fromUtf8(a)});
    }

    kb::Connection db{QStringLiteral(":memory:"), kb::Connection::Mode::Create};
    kb::Query query{db};
    engine::CaseSession session{query};
};

} // namespace vardelo::testing
