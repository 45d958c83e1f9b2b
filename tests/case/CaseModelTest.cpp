#include "case/CaseModel.h"

#include "TestLists.h"
#include "case/KbLines.h"

#include <gtest/gtest.h>

using namespace vardelo::model;

using vardelo::testing::L;

namespace {

TEST(KbLines, SignAndExamLinesTakenApart)
{
    struct {
        const char* line;
        const char* sign;
        int weight;
        bool ok;
    } signs[] = {
        {"*A | 3", "A", 3, true},    {"A+B", "AB", 0, true},
        {"A", "A", 0, true},         {"A | ", "A", 0, true},
        {"A | 2 | 7", "A", 7, true}, {"+*Fièvre | -2", "Fièvre", -2, true},
        {"A | x", "A", 0, false},    {"Pathologie : Angine | 2", "Pathologie : Angine", 2, true},
    };
    for (const auto& c : signs) {
        SCOPED_TRACE(c.line);
        EXPECT_EQ(GetSC(QString::fromUtf8(c.line)), QString::fromUtf8(c.sign));
        bool ok = false;
        EXPECT_EQ(Get_P(QString::fromUtf8(c.line), &ok), c.weight);
        EXPECT_EQ(ok, c.ok);
    }
    struct {
        const char* line;
        const char* exam;
        const char* result;
    } exams[] = {
        {"B : C", "B", "C"}, {"AB: C", "A", "C"},
        {"B: C", "", "C"},   {"*ECG : Sus-décalage | 2", "ECG", "Sus-décalage | 2"},
        {"0", "0", ""},
    };
    for (const auto& c : exams) {
        SCOPED_TRACE(c.line);
        EXPECT_EQ(GetEC(QString::fromUtf8(c.line)), QString::fromUtf8(c.exam));
        EXPECT_EQ(GetECResult(QString::fromUtf8(c.line)), QString::fromUtf8(c.result));
    }
}

TEST(CaseModel, EntreeGivesThePolarityOfTheFirstOccurrence)
{
    const QStringList list = L({"abc", "and", "not", "B", "and", "ignore", "C", "or", "(", "D"});
    EXPECT_EQ(Entree(list, u"ABC"), 1);
    EXPECT_EQ(Entree(list, u"b"), 0);
    EXPECT_EQ(Entree(list, u"C"), 2);
    EXPECT_EQ(Entree(list, u"D"), 1);
    EXPECT_EQ(Entree(list, u"E"), -1);
}

TEST(CaseModel, TexteSC)
{
    EXPECT_EQ(Texte_SC(QStringLiteral(" A  ")), QStringLiteral("A"));
    EXPECT_EQ(Texte_SC(QStringLiteral("A ")), QStringLiteral("A "));
    EXPECT_EQ(Texte_SC(QStringLiteral("   ")), QString());
    EXPECT_EQ(Texte_SC(QStringLiteral(" ")), QString());
    EXPECT_EQ(Texte_SC(QStringLiteral(" a")), QStringLiteral("a"));
}

TEST(CaseModel, CorrigeScRepairsOnePositionPerCall)
{
    struct {
        QStringList before;
        QStringList after;
        Repair repair;
    } cases[] = {
        {L({"A", "and", "not"}), L({"A", "not"}), Repair::Deleted},
        {L({"A", "("}), L({"A"}), Repair::Deleted},
        {L({"A", "or", "("}), L({"A", "or"}), Repair::DeletedWithWarning},
        {L({"A", "not", "("}), L({"A", "not"}), Repair::DeletedWithWarning},
        {L({"(", "not"}), L({"("}), Repair::Deleted},
        {L({"(", "A", "and", ")"}), L({"(", "A", "and"}), Repair::Deleted},
        {L({"A", "and", "(", "("}), L({"A", "and", "(", "("}), Repair::None},
        {L({"A", "ignore", "("}), L({"A", "ignore"}), Repair::Deleted},
        {L({"and"}), L({"and"}), Repair::None},
        // Two violations: the first call mends the earlier one only.
        {L({"A", "or", "and", "B", "("}), L({"A", "and", "B", "("}), Repair::Deleted},
    };
    for (auto& c : cases) {
        SCOPED_TRACE(c.before.join(u' ').toStdString());
        QStringList list = c.before;
        EXPECT_EQ(Corrige_SC(list), c.repair);
        EXPECT_EQ(list, c.after);
    }
    QStringList twice = L({"A", "or", "and", "B", "("});
    Corrige_SC(twice);
    Corrige_SC(twice);
    EXPECT_EQ(twice, L({"A", "and", "B"}));
}

TEST(CaseModel, CorrigeEcAndTextForm)
{
    QStringList exams = L({"and", "X : Y", "and", "not"});
    EXPECT_TRUE(Corrige_EC(exams));
    EXPECT_EQ(exams, L({"and", "X : Y", "not"}));
    EXPECT_FALSE(Corrige_EC(exams));

    EXPECT_EQ(listToText(L({"A", "and", "B"})), QStringLiteral("A\r\nand\r\nB\r\n"));
    EXPECT_EQ(listFromText(QStringLiteral("A\r\nand\r\nB\r\n")), L({"A", "and", "B"}));
    EXPECT_EQ(listFromText(QStringLiteral("A\nand\rB")), L({"A", "and", "B"}));
    EXPECT_TRUE(listFromText(QString()).isEmpty());
}

TEST(CaseModel, AfficheScPutsClosingParenthesesAgainstTheirItem)
{
    const auto runs = Affiche_SC(L({"(", "A", "or", " B  ", ")", "not", "C"}));
    QString text;
    for (const FormattedRun& r : runs)
        text += r.text;
    EXPECT_EQ(text, QStringLiteral("(A or B) not C "));
    const std::vector<FormattedRun> expected{
        {QStringLiteral("("), true, true},    {QStringLiteral("A "), false, false},
        {QStringLiteral("or "), true, true},  {QStringLiteral("B"), false, false},
        {QStringLiteral(")"), true, true},    {QStringLiteral(" "), false, false},
        {QStringLiteral("not "), true, true}, {QStringLiteral("C "), false, false},
    };
    EXPECT_EQ(runs, expected);

    QString empty;
    for (const FormattedRun& r : Affiche_SC(L({"(", ")"})))
        empty += r.text;
    EXPECT_EQ(empty, QStringLiteral("() "));
}

TEST(CaseModel, AfficheEcMakesOneBulletedParagraphPerLine)
{
    const auto paragraphs = Affiche_EC(L({"not", "X : Y", "and", "Z : W"}));
    ASSERT_EQ(paragraphs.size(), 2u);
    EXPECT_TRUE(paragraphs[0].bullet);
    ASSERT_EQ(paragraphs[0].runs.size(), 2u);
    EXPECT_EQ(paragraphs[0].runs[0], (FormattedRun{QStringLiteral("not "), true, true}));
    EXPECT_EQ(paragraphs[0].runs[1].text, QStringLiteral("X : Y"));
    EXPECT_EQ(paragraphs[1].runs.size(), 1u);
    EXPECT_EQ(paragraphs[1].runs[0].text, QStringLiteral("Z : W"));
}

TEST(SortedList, IgnoresCaseDuplicatesAndSortsTheFrenchWay)
{
    SortedList list;
    for (const char* s : {"Œdème", "fièvre", "Érythème", "Fièvre", "eczéma", "Zona", "abcès"})
        list.add(QString::fromUtf8(s));
    EXPECT_EQ(list.lines(), L({"abcès", "eczéma", "Érythème", "fièvre", "Œdème", "Zona"}));
    EXPECT_EQ(list.indexOf(u"FIÈVRE"), 3);
    EXPECT_TRUE(list.remove(u"ZONA"));
    EXPECT_FALSE(list.contains(u"Zona"));
    EXPECT_EQ(list.indexOf(u"Zona"), -1);
}

} // namespace
