// The ranking by concordance on a base small enough to work every score out by hand: a finding a
// pathology has brings its weight plus 10, one it lacks costs 10, a negated sign it has costs its
// weight, and a negated major sign removes it. The percentage is the score plus 10 for each present
// finding (what lacking them all would cost), relative to the best.

#include "SmallKnowledgeTest.h"
#include "TestLists.h"
#include "engine/CaseSession.h"
#include "engine/ConcordanceTerms.h"
#include "kb/Schema.h"

#include <gtest/gtest.h>

using namespace vardelo;
using namespace vardelo::engine;

using vardelo::testing::L;

namespace {

class ConcordanceTest : public vardelo::testing::SmallKnowledgeTest {
protected:
    void SetUp() override
    {
        pathology("Alpha", "10", "*Fièvre | 3\r\nToux | 2\r\nDouleur d'effort | 1", "CRP : Élevée | 2",
                  "hf123");
        pathology("Beta", "5", "Fièvre | 1\r\nToux grasse | 4", "0", "hf123");
        pathology("Gamma", "7", "Céphalées | 2\r\nFièvre | 2", "0", "f2");
        pathology("Delta", "3", "Douleur testiculaire | 8\r\nFièvre | 1", "0", "h123");
        pathology("Epsilon", "2", "Pleurs | 5\r\nFièvre | 1", "0", "hf1");
        pathology("Omega", "1", "Céphalées | 6\r\nToux | 1\r\nVertiges | 3", "CRP : Élevée | 4", "hf123");
        for (const char* s : {"Fièvre", "Toux", "Toux grasse", "Douleur d'effort", "Céphalées", "Vertiges"})
            sign(s, "", "");
        sign("Douleur testiculaire", "h", "");
        sign("Pleurs", "", "1");
        session.setWelcomeAccepted(true);
    }
    // Ranks the case in the given mode; rows as "percent name".
    QStringList rank(const QStringList& signs, const QStringList& exams,
                     SortMode mode = SortMode::Concordance)
    {
        session.setRankingMode(mode);
        session.setFormula(signs);
        session.setExamLines(exams);
        const std::optional<EvaluationResult> r = session.evaluateCase(EvaluationMode::Rank);
        EXPECT_TRUE(r && !r->failed);
        QStringList out;
        if (r)
            for (const DiagnosisRow& row : r->rows)
                out.append(row.percent + u' ' + row.name);
        return out;
    }
};

struct RankingCase {
    const char* what;
    Patient patient;
    QStringList signs;
    QStringList exams;
    QStringList rows;
};

TEST_F(ConcordanceTest, RanksByWhatEachPathologyExplains)
{
    const Patient woman{UnnamedPatient, u'f', QStringLiteral("2")};
    const Patient boy{UnnamedPatient, u'h', QStringLiteral("1")};
    const RankingCase cases[] = {
        // Omega 6+10+1+10-10, Alpha 13+12-10 and Beta 11+14-10 (its "Toux grasse" holds "Toux"),
        // Gamma 12-10+12; Delta and Epsilon do not suit the patient. No pathology has all three.
        {"no pathology has every finding",
         woman,
         L({"Fièvre", "and", "Toux", "and", "Céphalées"}),
         {},
         L({"99 Omega", "94 Alpha", "94 Beta", "92 Gamma"})},
        // A negated sign costs its weight; Omega explains nothing present and is left out.
        {"a negated sign lowers",
         woman,
         L({"Fièvre", "and", "not", "Toux"}),
         {},
         L({"99 Gamma", "94 Alpha", "76 Beta"})},
        // Alpha's Fièvre is major: negating it removes Alpha.
        {"a negated major sign removes",
         woman,
         L({"Toux", "and", "not", "Fièvre"}),
         {},
         L({"99 Beta", "90 Omega"})},
        // The group counts once, with its strongest member: Omega 6+10+13, Beta 14-10, Alpha and
        // Gamma 12-10 in prevalence order.
        {"an or group is one finding",
         woman,
         L({"(", "Toux", "or", "Céphalées", ")", "and", "Vertiges"}),
         {},
         L({"99 Omega", "48 Beta", "44 Alpha", "44 Gamma"})},
        {"an exam line counts as a sign", woman, L({"Fièvre"}), L({"and", "CRP : Élevée"}),
         L({"99 Alpha", "52 Omega", "48 Gamma", "46 Beta"})},
        {"a negated exam line lowers", woman, L({"Fièvre"}), L({"not", "CRP : Élevée"}),
         L({"99 Gamma", "94 Alpha", "94 Beta"})},
        // Epsilon 15+11, Alpha 13-10, Beta and Delta 11-10; Gamma is for women, Omega explains nothing.
        {"sex and age still restrict",
         boy,
         L({"Pleurs", "and", "Fièvre"}),
         {},
         L({"99 Epsilon", "49 Alpha", "45 Beta", "45 Delta"})},
        {"an ignored sign is no finding",
         woman,
         L({"Fièvre", "and", "ignore", "Toux"}),
         {},
         L({"99 Alpha", "94 Gamma", "90 Beta"})},
    };
    for (const RankingCase& c : cases) {
        SCOPED_TRACE(c.what);
        session.setPatient(c.patient);
        EXPECT_EQ(rank(c.signs, c.exams), c.rows);
    }
}

TEST_F(ConcordanceTest, StrictRankingsStayAsTheyWere)
{
    session.setPatient({UnnamedPatient, u'f', QStringLiteral("2")});
    const QStringList signs = L({"Fièvre", "and", "Toux", "and", "Céphalées"});
    EXPECT_EQ(rank(signs, {}, SortMode::Prevalence), QStringList());
    EXPECT_EQ(rank(L({"Fièvre", "and", "Toux"}), {}, SortMode::Prevalence), L({"99 Alpha", "39 Beta"}));
    EXPECT_EQ(rank(signs, {}), L({"99 Omega", "94 Alpha", "94 Beta", "92 Gamma"}));
    EXPECT_EQ(rank(L({"Fièvre", "and", "Toux"}), {}, SortMode::Prevalence), L({"99 Alpha", "39 Beta"}));
}

TEST_F(ConcordanceTest, NothingFiltersTheOffers)
{
    session.setPatient({UnnamedPatient, u'f', QStringLiteral("2")});
    rank(L({"Fièvre", "and", "Vertiges"}), {});
    // Every sign of the pathologies suiting the patient but those entered: strictly, only Omega's
    // would be offered, and nothing would be listed.
    EXPECT_EQ(session.state().CandidateSigns.lines(),
              L({"Céphalées", "Douleur d'effort", "Toux", "Toux grasse"}));
    EXPECT_EQ(session.state().CandidateExamLines.lines(), L({"0", "CRP : Élevée"}));
    // The offers kept for the patient come back whole for the next case.
    rank(L({"Toux"}), L({"and", "CRP : Élevée"}));
    EXPECT_EQ(session.state().CandidateSigns.lines(),
              L({"Céphalées", "Douleur d'effort", "Fièvre", "Toux grasse", "Vertiges"}));
    EXPECT_EQ(session.state().CandidateExamLines.lines(), L({"0"}));
}

TEST_F(ConcordanceTest, ReasonsNameWhatIsExplainedWithItsWeight)
{
    session.setPatient({UnnamedPatient, u'f', QStringLiteral("2")});
    session.setLearningList(L({"Alpha", "Toux", "+3"}));
    rank(L({"(", "Toux", "or", "Céphalées", ")", "and", "Fièvre", "and", "not", "Vertiges"}),
         L({"and", "CRP : Élevée"}));
    const std::optional<FindingReasons> alpha = session.reasons(QStringLiteral("Alpha"));
    ASSERT_TRUE(alpha);
    // The learned bonus is part of the weight.
    EXPECT_EQ(alpha->explains, (std::vector<ExplainedFinding>{{QStringLiteral("(Toux ou Céphalées)"), 5},
                                                              {QStringLiteral("Fièvre"), 3},
                                                              {QStringLiteral("CRP : Élevée"), 2}}));
    EXPECT_EQ(alpha->lacks, QStringList());
    const std::optional<FindingReasons> omega = session.reasons(QStringLiteral("Omega"));
    ASSERT_TRUE(omega);
    EXPECT_EQ(omega->explains, (std::vector<ExplainedFinding>{{QStringLiteral("(Toux ou Céphalées)"), 6},
                                                              {QStringLiteral("CRP : Élevée"), 4}}));
    EXPECT_EQ(omega->lacks, L({"Fièvre", "non Vertiges"}));
    // The same reasons in a strict ranking; none for a name the knowledge lacks.
    rank(L({"Fièvre"}), {}, SortMode::Prevalence);
    EXPECT_EQ(session.reasons(QStringLiteral("Beta"))->explains,
              (std::vector<ExplainedFinding>{{QStringLiteral("Fièvre"), 1}}));
    EXPECT_FALSE(session.reasons(QStringLiteral("Inconnue")));
}

TEST(ConcordanceTerms, FormulasBecomeFindings)
{
    const auto labels = [](const QStringList& signs, const QStringList& exams) {
        QStringList out;
        for (const FindingTerm& t : concordanceTerms(signs, exams))
            out.append(t.label());
        return out;
    };
    EXPECT_EQ(labels(L({"A", "and", "not", "B", "and", "ignore", "C"}), L({"and", "E : x", "not", "F : y"})),
              L({"A", "non B", "E : x", "non F : y"}));
    // "or" binds less than "and": the whole formula is one group.
    EXPECT_EQ(labels(L({"A", "and", "B", "or", "C"}), {}), L({"((A et B) ou C)"}));
    EXPECT_EQ(labels(L({"A", "and", "(", "B", "and", "C", ")"}), {}), L({"A", "B", "C"}));
    EXPECT_EQ(labels(L({"not", "(", "A", "or", "B", ")"}), {}), L({"non A", "non B"}));
    // A formula still being typed gives what is complete.
    EXPECT_EQ(labels(L({"A", "and", "(", "B", "or"}), {}), L({"A", "B"}));
    EXPECT_EQ(labels(L({")", "and", "not"}), {}), QStringList());
}

} // namespace
