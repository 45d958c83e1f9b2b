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

// The pathologies a condition selects, run on a small base.
class TypedText : public ::testing::Test {
protected:
    void SetUp() override
    {
        kb::createSchema(db);
        const QVariantList rows[] = {
            {QStringLiteral("Dénutrition"), QStringLiteral("*Perte de 10 % du poids\r\nAsthénie"),
             QStringLiteral("hf")},
            {QStringLiteral("Grippe"), QStringLiteral("*Fièvre\r\nToux_sèche"), QStringLiteral("hf")},
            {QStringLiteral("Orchite"), QStringLiteral("*Fièvre\r\nDouleur testiculaire"),
             QStringLiteral("h")},
        };
        for (const QVariantList& row : rows)
            db.exec(QStringLiteral("insert into Data (P, S, E, I) values (?, ?, '0', ?)"), row);
    }
    QStringList select(QStringList signs, QChar sex = u'f')
    {
        kb::Statement statement(db, QStringLiteral("select P from Data where ") +
                                        buildQueryCondition(signs, {}, sex, QString()) +
                                        QStringLiteral(" order by P"));
        QStringList names;
        while (statement.step())
            names.append(statement.text(0));
        return names;
    }
    kb::Connection db{QStringLiteral(":memory:"), kb::Connection::Mode::Create};
};

TEST_F(TypedText, WildcardCharactersMatchThemselves)
{
    EXPECT_EQ(select(L({"%"})), L({"Dénutrition"}));
    EXPECT_EQ(select(L({"10 %"})), L({"Dénutrition"}));
    EXPECT_EQ(select(L({"_"})), L({"Grippe"}));
    EXPECT_EQ(select(L({"Toux_sèche"})), L({"Grippe"}));
    EXPECT_TRUE(select(L({"Toux_s%"})).isEmpty());
    EXPECT_TRUE(select(L({"\\%"})).isEmpty());
    EXPECT_EQ(select(L({"not", "Perte de 1_ %"})), L({"Dénutrition", "Grippe"}));
    // The program's own wildcards keep their meaning.
    EXPECT_EQ(select(L({"fièvre"})), L({"Grippe"}));
    EXPECT_EQ(select(L({"fièvre"}), u'h'), L({"Grippe", "Orchite"}));
}

TEST_F(TypedText, LoneSurrogateCannotOpenTheStatement)
{
    // SQLite would pair the surrogate with the first quotation mark of the doubled pair, and the
    // second one would close the literal.
    for (const char16_t surrogate : {u'\xD800', u'\xDBFF', u'\xDC00'}) {
        const QString hostile = QChar(surrogate) + QStringLiteral("') or 1=1 --");
        EXPECT_TRUE(select({hostile}).isEmpty());
    }
}

} // namespace
