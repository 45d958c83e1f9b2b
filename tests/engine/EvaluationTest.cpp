#include "SmallKnowledgeTest.h"
#include "TestLists.h"
#include "engine/CaseSession.h"
#include "kb/Cipher.h"
#include "kb/Schema.h"

#include <gtest/gtest.h>

using namespace vardelo;
using namespace vardelo::engine;

using vardelo::testing::L;

namespace {

// A small knowledge base whose scores can be worked out by hand.
class EvaluationTest : public vardelo::testing::SmallKnowledgeTest {
protected:
    void SetUp() override
    {
        pathology("Alpha", "10", "*Fièvre | 3\r\nToux | 2\r\nDouleur d'effort | 1", "CRP : Élevée | 2",
                  "hf123");
        pathology("Beta", "5", "Fièvre | 1\r\nToux grasse | 4", "0", "hf123");
        pathology("Gamma", "7", "Céphalées | 2\r\nFièvre | 2", "0", "f2");
        pathology("Delta", "3", "Douleur testiculaire | 8\r\nFièvre | 1", "0", "h123");
        pathology("Epsilon", "2", "Pleurs | 5\r\nFièvre | 1", "0", "hf1");
        pathology("Zeta", "0", "Rare | 0", "0", "hf123");
        pathology("Eta", "0", "Rare | 0\r\nExotique | 0", "0", "hf123");
        for (const char* s :
             {"Fièvre", "Toux", "Toux grasse", "Douleur d'effort", "Céphalées", "Rare", "Exotique"})
            sign(s, "", "");
        sign("Douleur testiculaire", "h", "");
        sign("Pleurs", "", "1");
        session.setWelcomeAccepted(true);
    }
    EvaluationResult run(EvaluationMode mode = EvaluationMode::Rank)
    {
        const QString condition = session.queryCondition();
        auto result = session.evaluate(mode, condition);
        EXPECT_TRUE(result.has_value());
        return result.value_or(EvaluationResult{});
    }
    static std::vector<std::pair<QString, QString>> rows(const EvaluationResult& r)
    {
        std::vector<std::pair<QString, QString>> out;
        for (const auto& row : r.rows)
            out.emplace_back(row.percent, row.name);
        return out;
    }
    using Rows = std::vector<std::pair<QString, QString>>;
};

TEST_F(EvaluationTest, PrevalenceModeAddsTheWeightsOfThePresentSigns)
{
    session.setFormula(L({"Fièvre"}));
    const EvaluationResult r = run();
    ASSERT_FALSE(r.failed);
    EXPECT_EQ(r.header, QStringLiteral("4   Diagnostics évoqués"));
    // 13, 9, 6, 3 relative to 13, truncated.
    EXPECT_EQ(rows(r), (Rows{{QStringLiteral("99"), QStringLiteral("Alpha")},
                             {QStringLiteral("68"), QStringLiteral("Gamma")},
                             {QStringLiteral("45"), QStringLiteral("Beta")},
                             {QStringLiteral("22"), QStringLiteral("Epsilon")}}));
    EXPECT_EQ(session.state().CandidateSigns.lines(),
              L({"Céphalées", "Douleur d'effort", "Pleurs", "Toux", "Toux grasse"}));
    EXPECT_EQ(session.state().CandidateExams.lines(), L({"CRP"}));
    EXPECT_EQ(r.signsPageCaption, QStringLiteral("Signes cliniques / Symptômes (5) *"));
    EXPECT_EQ(r.examsPageCaption, QStringLiteral("Examens complémentaires (1)"));
    EXPECT_EQ(r.progressMaximum, 4);
}

TEST_F(EvaluationTest, NegatedAndIgnoredSignsAddNoWeight)
{
    session.setFormula(L({"Fièvre", "and", "not", "Toux"})); // repaired to Fièvre not Toux
    EvaluationResult r = run();
    ASSERT_FALSE(r.failed);
    EXPECT_EQ(session.state().SCList, L({"Fièvre", "not", "Toux"}));
    EXPECT_EQ(r.rows.front(), (DiagnosisRow{QStringLiteral("99"), QStringLiteral("Alpha")}));
    EXPECT_EQ(r.rows.size(), 4u); // Toux is not major in Alpha: a negation keeps it

    session.setFormula(L({"not", "Fièvre"}));
    r = run();
    ASSERT_FALSE(r.failed);
    // Only Alpha holds Fièvre as major; every pathology not excluded keeps its prevalence alone.
    ASSERT_EQ(r.rows.size(), 5u);
    EXPECT_EQ(r.rows.front().name, QStringLiteral("Gamma"));
    for (const auto& row : r.rows)
        EXPECT_NE(row.name, QStringLiteral("Alpha"));
}

TEST_F(EvaluationTest, RowsCarryTheEmergencyFlag)
{
    db.exec(QStringLiteral("insert into Emergency (P) values (?)"), {QStringLiteral("Gamma")});
    session.setFormula(L({"Fièvre"}));
    const EvaluationResult r = run();
    ASSERT_FALSE(r.failed);
    ASSERT_EQ(r.rows.size(), 4u);
    EXPECT_EQ(std::count_if(r.rows.begin(), r.rows.end(), [](const auto& row) { return row.emergency; }), 1);
    for (const auto& row : r.rows)
        EXPECT_EQ(row.emergency, row.name == u"Gamma") << row.name.toStdString();
}

TEST_F(EvaluationTest, ProbabilityModeMultipliesBySpecificities)
{
    session.setRankingMode(SortMode::Probability);
    // The ignored sign counts in the specificity but adds no weight.
    session.setFormula(L({"Fièvre", "ignore", "Toux"}));
    const EvaluationResult r = run();
    ASSERT_FALSE(r.failed);
    // Alpha: LS = 11+8+20 + 6 = 45; sum = 600/45 + 400/45 = 13 + 8 = 21; score = 10*21 + 3 = 213.
    // Gamma: LS = 13+10 + 4 = 27; sum = 22 + 14 = 36; 7*36 + 2 = 254.
    // Beta: LS = 10+15 + 4 = 29; sum = 20 + 13 = 33; 5*33 + 1 = 166.
    // Epsilon: LS = 10+10 + 4 = 24; sum = 25 + 16 = 41; 2*41 + 1 = 83.
    EXPECT_EQ(rows(r), (Rows{{QStringLiteral("99"), QStringLiteral("Gamma")},
                             {QStringLiteral("83"), QStringLiteral("Alpha")},
                             {QStringLiteral("64"), QStringLiteral("Beta")},
                             {QStringLiteral("32"), QStringLiteral("Epsilon")}}));

    session.setExamLines(L({"and", "CRP : Élevée"}));
    const EvaluationResult withExam = run();
    ASSERT_FALSE(withExam.failed);
    ASSERT_EQ(withExam.rows.size(), 1u);
    EXPECT_EQ(withExam.rows.front().name, QStringLiteral("Alpha"));
    EXPECT_EQ(withExam.header, QStringLiteral("1   Diagnostic évoqué"));
}

TEST_F(EvaluationTest, LearningBonusesCountOnlyForPresentSigns)
{
    session.setLearningList(L({"Alpha", "Fièvre", "-5", "Alpha", "Toux", "+40"}));
    session.setFormula(L({"Fièvre"}));
    const EvaluationResult r = run();
    ASSERT_FALSE(r.failed);
    // Alpha: 10 + 3 - 5 = 8, below Gamma's 9.
    EXPECT_EQ(r.rows.front().name, QStringLiteral("Gamma"));
    EXPECT_EQ(r.rows.at(1), (DiagnosisRow{QStringLiteral("88"), QStringLiteral("Alpha")}));

    session.setLearningList(L({"Alpha", "Fièvre", "beaucoup"}));
    const EvaluationResult bad = run();
    EXPECT_TRUE(bad.failed);
    EXPECT_TRUE(bad.reason.contains(QStringLiteral("apprentissage"))) << bad.reason.toStdString();
}

TEST_F(EvaluationTest, HugeLearningBonusesSaturate)
{
    // Two bonuses whose sum overflows: Alpha stays first, with the largest score, in both modes.
    session.setLearningList(
        L({"Alpha", "Fièvre", "9000000000000000000", "Alpha", "Fièvre", "9000000000000000000", "Beta",
           "Fièvre", "-9000000000000000000", "Beta", "Fièvre", "-9000000000000000000"}));
    session.setFormula(L({"Fièvre"}));
    for (const SortMode mode : {SortMode::Prevalence, SortMode::Probability}) {
        session.setRankingMode(mode);
        const EvaluationResult r = run();
        ASSERT_FALSE(r.failed) << r.reason.toStdString();
        EXPECT_EQ(r.rows.front().name, QStringLiteral("Alpha"));
        EXPECT_EQ(r.rows.back().name, QStringLiteral("Beta"));
    }
}

TEST_F(EvaluationTest, ZeroAndNegativeBestScores)
{
    session.setFormula(L({"Rare"}));
    EvaluationResult r = run();
    EXPECT_TRUE(r.failed); // two rows, best score 0
    EXPECT_TRUE(r.rows.empty());
    EXPECT_EQ(r.header, QStringLiteral("Diagnostics évoqués"));

    session.setFormula(L({"Exotique"}));
    r = run();
    ASSERT_FALSE(r.failed);
    EXPECT_EQ(rows(r), (Rows{{QStringLiteral("99"), QStringLiteral("Eta")}}));

    session.setLearningList(L({"Zeta", "Rare", "-10", "Eta", "Rare", "-5"}));
    session.setFormula(L({"Rare"}));
    r = run();
    ASSERT_FALSE(r.failed);
    EXPECT_EQ(rows(r), (Rows{{QStringLiteral("99"), QStringLiteral("Eta")},
                             {QStringLiteral("198"), QStringLiteral("Zeta")}}));
}

TEST_F(EvaluationTest, IncompleteFormulasFailQuietly)
{
    for (const QStringList& formula : {L({"(", "Fièvre"}), L({"Fièvre", "and"}), L({"Fièvre", "or"})}) {
        SCOPED_TRACE(formula.join(u' ').toStdString());
        session.setFormula(formula);
        session.keepRetainedDiagnosisOnce();
        session.setRetainedDiagnosis(QStringLiteral("Alpha"));
        const EvaluationResult r = run();
        EXPECT_TRUE(r.failed);
        EXPECT_EQ(r.header, QStringLiteral("Diagnostics évoqués"));
        EXPECT_TRUE(r.rows.empty());
        EXPECT_TRUE(r.signsPageCaption.isEmpty());     // the pages keep their previous captions
        EXPECT_TRUE(session.keepsRetainedDiagnosis()); // a failure does not consume the keep flag
    }
}

TEST_F(EvaluationTest, NoRowAndTheRetainedDiagnosis)
{
    session.setFormula(L({"Inconnu"}));
    session.setRetainedDiagnosis(QStringLiteral("Alpha"));
    EvaluationResult r = run();
    ASSERT_FALSE(r.failed);
    EXPECT_EQ(r.header, QStringLiteral("Pas de diagnostic !"));
    EXPECT_EQ(r.signsPageCaption, QStringLiteral("Signes cliniques / Symptômes (0)"));
    EXPECT_EQ(r.examsPageCaption, QStringLiteral("Examens complémentaires (0)"));
    EXPECT_TRUE(session.retainedDiagnosis().isEmpty());

    session.setFormula(L({"Fièvre"}));
    session.setRetainedDiagnosis(QStringLiteral("Beta"));
    session.keepRetainedDiagnosisOnce();
    r = run();
    EXPECT_EQ(session.retainedDiagnosis(), QStringLiteral("Beta"));
    EXPECT_FALSE(session.keepsRetainedDiagnosis());
}

// The views redraw on the document's signals only: each operation must signal what it changed,
// and evaluate only when the case asks for it.
TEST_F(EvaluationTest, OperationsSignalWhatTheyChange)
{
    QStringList log;
    QObject::connect(&session, &CaseSession::formulaChanged, [&] { log.append(QStringLiteral("formula")); });
    QObject::connect(&session, &CaseSession::examsChanged, [&] { log.append(QStringLiteral("exams")); });
    QObject::connect(&session, &CaseSession::cleared, [&] { log.append(QStringLiteral("cleared")); });
    QObject::connect(&session, &CaseSession::warning, [&](const QString& text) { log.append(text); });
    QObject::connect(&session, &CaseSession::evaluated, [&](const EvaluationResult& r) {
        log.append(r.failed ? QStringLiteral("failed") : QStringLiteral("evaluated"));
    });
    auto take = [&log] { return std::exchange(log, {}); };

    // The ranking mode of an empty case is only recorded.
    session.setRankingMode(SortMode::Prevalence);
    EXPECT_TRUE(take().isEmpty());
    EXPECT_TRUE(session.addSign(QStringLiteral("Fièvre")));
    EXPECT_TRUE(take().endsWith(QStringLiteral("evaluated")));
    EXPECT_FALSE(session.addSign(QStringLiteral("fièvre")));
    EXPECT_EQ(take(), QStringList{AlreadyEnteredWarning});
    session.addOperator(QStringLiteral("or"));
    EXPECT_EQ(session.state().SCList, L({"Fièvre", "or"}));
    EXPECT_TRUE(take().contains(QStringLiteral("failed"))); // an incomplete formula cannot be queried

    session.setPendingExamLine(QStringLiteral("CRP : Élevée"));
    session.removeLastSign();
    take();
    EXPECT_TRUE(session.addPendingExamLine());
    EXPECT_EQ(session.state().EC_List, L({"and", "CRP : Élevée"}));
    EXPECT_TRUE(take().contains(QStringLiteral("exams")));

    session.setRetainedDiagnosis(QStringLiteral("Alpha"));
    session.clear();
    EXPECT_TRUE(session.isEmpty());
    EXPECT_TRUE(session.retainedDiagnosis().isEmpty());
    const QStringList cleared = take();
    EXPECT_TRUE(cleared.contains(QStringLiteral("cleared")));
    EXPECT_EQ(cleared.last(), QStringLiteral("evaluated")); // the offers of the empty case
}

TEST_F(EvaluationTest, NothingRunsBeforeTheWelcomeIsConfirmed)
{
    run(EvaluationMode::RefreshOffers);
    const QStringList offered = session.state().CandidateSigns.lines();
    session.setWelcomeAccepted(false);
    session.setFormula(L({"Fièvre"}));
    EXPECT_FALSE(session.evaluateCase(EvaluationMode::Rank).has_value());
    EXPECT_EQ(session.state().CandidateSigns.lines(), offered);
}

// An empty restriction never withholds a sign, whatever the patient; a restricted sign is withheld
// when it is reserved to the other sex or to another age band.
TEST_F(EvaluationTest, RestrictionsWithholdOnlyRestrictedSigns)
{
    struct {
        QChar sex;
        const char* age;
        QStringList offered;
    } cases[] = {
        {u'f', "",
         L({"Céphalées", "Douleur d'effort", "Exotique", "Fièvre", "Pleurs", "Rare", "Toux", "Toux grasse"})},
        {u'f', "2",
         L({"Céphalées", "Douleur d'effort", "Exotique", "Fièvre", "Rare", "Toux", "Toux grasse"})},
        {u'h', "1",
         L({"Douleur d'effort", "Douleur testiculaire", "Exotique", "Fièvre", "Pleurs", "Rare", "Toux",
            "Toux grasse"})},
        {u'h', "3",
         L({"Douleur d'effort", "Douleur testiculaire", "Exotique", "Fièvre", "Rare", "Toux",
            "Toux grasse"})},
    };
    for (auto& c : cases) {
        SCOPED_TRACE(QString(c.sex).toStdString() + c.age);
        session.setPatient({UnnamedPatient, c.sex, QString::fromUtf8(c.age)});
        const EvaluationResult r = run(EvaluationMode::RefreshOffers);
        ASSERT_FALSE(r.failed);
        EXPECT_TRUE(r.rows.empty());
        EXPECT_EQ(r.progressPosition, 0);
        EXPECT_EQ(session.state().CandidateSigns.lines(), c.offered);
    }
}

TEST_F(EvaluationTest, BadKnowledgeValuesFailTheEvaluation)
{
    pathology("Theta", "souvent", "Fièvre | 1", "0", "hf123");
    session.setFormula(L({"Fièvre"}));
    const EvaluationResult r = run();
    EXPECT_TRUE(r.failed);
    EXPECT_EQ(r.reason, QStringLiteral("la prévalence « souvent » n'est pas un nombre entier"));
}

// With a key, every knowledge text the vocabulary mode offers is read through the cipher: the sign
// and exam lines of the pathologies and the restricted signs. A read that skips it offers garbled
// texts, or fails to withhold a restricted sign.
TEST_F(EvaluationTest, CipheredKnowledgeOffersThePlainVocabulary)
{
    session.setPatient({UnnamedPatient, u'f', QStringLiteral("2")});
    run(EvaluationMode::RefreshOffers);
    const model::CaseState plain = session.state();
    ASSERT_FALSE(plain.CandidateExamLines.lines().isEmpty());

    // With a one-character key every alphabet character is deciphered alone: inverting that map
    // enciphers; other characters are stored as they are.
    const QString key = QStringLiteral("k");
    QHash<QChar, QChar> encipher;
    for (const QChar c : kb::cipherAlphabet())
        encipher.insert(kb::CipherText(0, 1, key, QString(c)).at(0), c);
    auto enciphered = [&encipher](const QString& text) {
        QString out;
        for (const QChar c : text)
            out.append(encipher.value(c, c));
        return out;
    };
    auto reversed = [](QString text) {
        std::reverse(text.begin(), text.end());
        return text;
    };
    std::vector<QStringList> rows;
    {
        kb::Statement data(db, QStringLiteral("select rowid, S, E from Data"));
        while (data.step())
            rows.push_back({data.text(0), data.text(1), data.text(2)});
    }
    for (const QStringList& row : rows) {
        db.exec(QStringLiteral("update Data set S = ?, E = ? where rowid = ?"),
                {enciphered(row.at(1)), enciphered(row.at(2)), row.at(0)});
    }
    QStringList texts;
    {
        kb::Statement signs(db, QStringLiteral("select S from SC"));
        while (signs.step())
            texts << signs.text(0);
    }
    for (const QString& text : texts)
        db.exec(QStringLiteral("update SC set S = ? where S = ?"), {reversed(enciphered(text)), text});

    model::CaseState state;
    state.PatientSex = u'f';
    state.PatientAgeBand = QStringLiteral("2");
    EvaluationOptions options;
    options.cipherKey = key;
    Evaluator evaluator(query);
    const EvaluationResult r = evaluator.evaluate(state, EvaluationMode::RefreshOffers,
                                                  session.queryCondition(), QString(), options);
    ASSERT_FALSE(r.failed) << r.reason.toStdString();
    EXPECT_EQ(state.CandidateSigns.lines(), plain.CandidateSigns.lines());
    EXPECT_EQ(state.CandidateExamLines.lines(), plain.CandidateExamLines.lines());
    EXPECT_EQ(state.CandidateExams.lines(), plain.CandidateExams.lines());
}

} // namespace
