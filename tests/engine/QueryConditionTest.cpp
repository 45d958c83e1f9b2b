#include "engine/QueryCondition.h"

#include "TestLists.h"
#include "engine/CaseSession.h"
#include "kb/Schema.h"

#include <gtest/gtest.h>

using namespace vardelo;
using namespace vardelo::engine;

using vardelo::testing::L;

namespace {

const QString FemaleAnyAge = QStringLiteral("((I Like '%f%') and (I Like '%%'))");
const QString Male2 = QStringLiteral("((I Like '%h%') and (I Like '%2%'))");

TEST(QueryCondition, ReferenceConditions)
{
    struct {
        QStringList signs;
        QStringList exams;
        QChar sex;
        const char* age;
        QString expected;
    } cases[] = {
        {{}, {}, u'f', "", FemaleAnyAge},
        {L({"A", "and", "B"}),
         {},
         u'h',
         "2",
         Male2 + QStringLiteral(" and (S Like '%%'  and  S Like '%A%' and  S Like '%B%')")},
        {L({"A", "not", "B"}),
         {},
         u'f',
         "",
         FemaleAnyAge + QStringLiteral(" and (S Like '%%'  and  S Like '%A%' and not  S Like '%*B%')")},
        {L({"not", "A"}),
         {},
         u'f',
         "",
         FemaleAnyAge + QStringLiteral(" and (S Like '%%'  and  not  S Like '%*A%')")},
        {L({"ignore", "A", "and", "B"}),
         {},
         u'f',
         "",
         FemaleAnyAge + QStringLiteral(" and (S Like '%%'  and  S Like '%B%')")},
        {L({"A"}), L({"and", "e"}), u'f', "",
         FemaleAnyAge + QStringLiteral(" and (S Like '%%'  and  S Like '%A%'  and  E Like '%e%')")},
        {{}, L({"not", "e"}), u'f', "", FemaleAnyAge + QStringLiteral(" and not  E Like '%*e%'")},
        {L({"Douleur d'effort"}),
         {},
         u'f',
         "",
         FemaleAnyAge + QStringLiteral(" and (S Like '%%'  and  S Like '%Douleur d''effort%')")},
        {L({"(", "A", "or", "B", ")"}),
         {},
         u'f',
         "",
         FemaleAnyAge + QStringLiteral(" and (S Like '%%'  and  ( S Like '%A%' or  S Like '%B%') )")},
        {L({"and", "A"}),
         {},
         u'f',
         "",
         FemaleAnyAge + QStringLiteral(" and (S Like '%%'  and  S Like '%A%')")},
        // A top-level "or" leaves the exam tests on the last alternative only.
        {L({"A", "or", "B"}), L({"and", "e"}), u'f', "",
         FemaleAnyAge +
             QStringLiteral(" and (S Like '%%'  and  S Like '%A%' or  S Like '%B%'  and  E Like '%e%')")},
    };
    for (auto& c : cases) {
        SCOPED_TRACE(c.signs.join(u' ').toStdString() + " | " + c.exams.join(u' ').toStdString());
        QStringList signs = c.signs;
        EXPECT_EQ(buildQueryCondition(signs, c.exams, c.sex, QString::fromUtf8(c.age)), c.expected);
    }
}

TEST(QueryCondition, LeadingAndIsDeletedFromThePassedList)
{
    QStringList signs = L({"and", "A"});
    buildQueryCondition(signs, {}, u'f', QString());
    EXPECT_EQ(signs, L({"A"}));
}

TEST(QueryCondition, SessionRepairsTheCaseFormulaAndWarns)
{
    kb::Connection db(QStringLiteral(":memory:"), kb::Connection::Mode::Create);
    kb::createSchema(db);
    kb::Query query(db);
    CaseSession session(query);
    QStringList shown;
    QObject::connect(&session, &CaseSession::warning, [&](const QString& text) { shown.append(text); });

    session.setFormula(L({"A", "or", "("}));
    // A scratch prefix is formulated, but the repair is on the case's own formula.
    QStringList scratch = L({"A"});
    session.queryCondition(&scratch);
    EXPECT_EQ(session.state().SCList, L({"A", "or"}));
    EXPECT_EQ(shown, QStringList{QStringLiteral("Formulation non autorisée car risque d'erreur.")});

    session.setFormula(L({"A", "("}));
    session.queryCondition();
    EXPECT_EQ(session.state().SCList, L({"A"}));
    EXPECT_EQ(shown.size(), 1); // removed without a message
}

} // namespace
