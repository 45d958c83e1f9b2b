// The condition builder against SQLite itself: whatever the signs, exams and patient codes hold,
// the statement SQLite compiles has the same structure (the same program, literals aside) as the
// one built from plain words in their places. A text that escaped its literal would change it.

#include "case/CaseModel.h"
#include "engine/QueryCondition.h"
#include "fuzz/FuzzInput.h"
#include "kb/Schema.h"
#include "kb/Sqlite.h"

#include <cstdlib>
#include <optional>
#include <sqlite3.h>

using namespace vardelo;

namespace {

kb::Connection& database()
{
    static kb::Connection* db = [] {
        auto* c = new kb::Connection(QStringLiteral(":memory:"), kb::Connection::Mode::Create);
        kb::createSchema(*c);
        return c;
    }();
    return *db;
}

// The compiled program of a statement, each instruction without its P4 operand (the literals):
// nothing when SQLite refuses the statement.
std::optional<QStringList> program(const QString& condition)
{
    try {
        kb::Statement explain(database(),
                              QStringLiteral("explain select _rowid_ from Data where ") + condition);
        QStringList lines;
        while (explain.step()) {
            lines.append(explain.text(1) + u' ' + explain.text(2) + u' ' + explain.text(3) + u' ' +
                         explain.text(4) + u' ' + explain.text(6));
        }
        return lines;
    } catch (const kb::DbError&) {
        return std::nullopt;
    }
}

bool isToken(const QString& e)
{
    return model::isSignToken(e);
}

// The plain word that stands for a text: the same kind of LIKE test (with or without ESCAPE).
QString plain(const QString& text)
{
    return text.contains(u'%') || text.contains(u'_') ? QStringLiteral("w_") : QStringLiteral("w");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    QStringList parts = fuzz::utf16Lines(data, size);
    if (parts.size() < 2)
        return 0;
    // First element: the sex code and the age band; then the signs up to a "|" element, then the exams.
    const QString patient = parts.takeFirst();
    const QChar sex = patient.isEmpty() ? QChar(u'f') : patient.at(0);
    const QString age = patient.mid(1);
    const qsizetype bar = parts.indexOf(QStringLiteral("|"));
    QStringList signs = bar >= 0 ? parts.mid(0, bar) : parts;
    const QStringList exams = bar >= 0 ? parts.mid(bar + 1) : QStringList();
    if (signs.size() > 64 || exams.size() > 64)
        return 0;

    QStringList plainSigns;
    for (const QString& s : signs)
        plainSigns.append(isToken(s) ? s : plain(s));
    QStringList plainExams;
    for (const QString& e : exams)
        plainExams.append(model::isExamOperator(e) ? e : plain(e));
    const QChar plainSex = sex == u'%' || sex == u'_' ? QChar(u'_') : QChar(u'f');

    const QString built = engine::buildQueryCondition(signs, exams, sex, age);
    const QString reference = engine::buildQueryCondition(plainSigns, plainExams, plainSex, plain(age));
    if (program(built) != program(reference))
        std::abort();
    return 0;
}
