// Where a picked suggestion goes and which question the interrogation asks next, on the small
// test knowledge base, without any window.

#include "TestLists.h"
#include "dialogue/Interrogation.h"
#include "dialogue/SuggestionRoute.h"
#include "engine/CaseSession.h"
#include "kb/Sqlite.h"
#include "tools/kb/Knowledge.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace vardelo;
using dialogue::NextStep;
using dialogue::SuggestionRoute;
using vardelo::testing::L;

namespace {

class DialogueTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    std::unique_ptr<kb::Connection> db;
    std::unique_ptr<kb::Query> query;
    std::unique_ptr<engine::CaseSession> session;
    QStringList rows; // the diagnosis list of the last ranking

    void SetUp() override
    {
        const QString path = dir.filePath(QStringLiteral("Data.vdat"));
        QString error;
        ASSERT_TRUE(kbc::writeDatabase(
            kbc::loadKnowledge(QStringLiteral(VARDELO_FIXTURES "/knowledge")).knowledge, path, &error))
            << error.toStdString();
        db = std::make_unique<kb::Connection>(path, kb::Connection::Mode::ReadWrite);
        query = std::make_unique<kb::Query>(*db);
        session = std::make_unique<engine::CaseSession>(*query);
        session->setWelcomeAccepted(true);
        QObject::connect(session.get(), &engine::CaseSession::evaluated,
                         [this](const engine::EvaluationResult& result) {
                             rows.clear();
                             for (const engine::DiagnosisRow& row : result.rows)
                                 rows.append(row.name);
                         });
    }

    void startCase(QChar sex, const QString& ageBand, const QStringList& signs)
    {
        session->setPatient({QStringLiteral("Test"), sex, ageBand});
        session->clear();
        for (const QString& sign : signs)
            session->addSign(sign);
    }
};

TEST_F(DialogueTest, AgeCompatibility)
{
    EXPECT_TRUE(dialogue::ageCompatible(QString(), QStringLiteral("1")));
    EXPECT_TRUE(dialogue::ageCompatible(QStringLiteral("2"), QStringLiteral("23")));
    EXPECT_FALSE(dialogue::ageCompatible(QStringLiteral("1"), QStringLiteral("23")));
}

TEST_F(DialogueTest, SuggestionRoutes)
{
    struct Case {
        const char* name;
        char16_t sex;
        const char* ageBand;
        const char* picked;
        SuggestionRoute route;
        const char* entered;
    };
    // The case is "Dyspnée": only Pneumopathie is evoked.
    const Case cases[] = {
        {"already in the case, other letter case", u'f', "2", "dyspnée", SuggestionRoute::AlreadyEntered,
         "dyspnée"},
        {"offered, other letter case", u'f', "2", "toux grasse", SuggestionRoute::Offered, "Toux grasse"},
        {"part of an offered sign", u'f', "2", "Toux", SuggestionRoute::OfferedPart, "Toux"},
        {"reserved to men", u'f', "2", "Douleur testiculaire", SuggestionRoute::OtherSex,
         "Douleur testiculaire"},
        {"a man's sign for a man", u'h', "2", "Douleur testiculaire", SuggestionRoute::OutsideDifferential,
         "Douleur testiculaire"},
        {"infants' sign for an adult", u'f', "2", "Pleurs du nourrisson", SuggestionRoute::OtherAgeBand,
         "Pleurs du nourrisson"},
        {"infants' sign, age unknown", u'f', "", "Pleurs du nourrisson", SuggestionRoute::OutsideDifferential,
         "Pleurs du nourrisson"},
        {"another disease's sign", u'f', "2", "Odynophagie", SuggestionRoute::OutsideDifferential,
         "Odynophagie"},
        {"a quotation mark is only text", u'f', "2", "Toux' or S <> '", SuggestionRoute::OutsideDifferential,
         "Toux' or S <> '"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        startCase(c.sex, QString::fromUtf8(c.ageBand), {QStringLiteral("Dyspnée")});
        const dialogue::SuggestionDecision decision =
            dialogue::routeSuggestion(*query, session->state(), QString::fromUtf8(c.picked));
        EXPECT_EQ(decision.route, c.route);
        EXPECT_EQ(decision.sign, QString::fromUtf8(c.entered));
    }
}

TEST_F(DialogueTest, HypothesisSignsKeepTheirOrderLessThePatientsExclusions)
{
    dialogue::Interrogation interrogation(*query, session->evaluator());
    EXPECT_EQ(interrogation.hypothesisSigns(QStringLiteral("Angine"), u'h', QStringLiteral("2")),
              (L({"Odynophagie", "Fièvre", "Céphalées", "Asthénie", "Myalgies", "Rhinorrhée"})));
    EXPECT_EQ(interrogation.hypothesisSigns(QStringLiteral("Angine"), u'f', QString()),
              (L({"Odynophagie", "Fièvre", "Céphalées", "Asthénie", "Myalgies", "Métrorragies",
                  "Pleurs du nourrisson", "Rhinorrhée"})));
    // A name is a value, never SQL.
    EXPECT_TRUE(
        interrogation.hypothesisSigns(QStringLiteral("Angine\") or (\"1\" = \"1"), u'h', QStringLiteral("2"))
            .isEmpty());
}

TEST_F(DialogueTest, InterrogationConvergesOnTheDiseaseThePatientHas)
{
    // The physician answers truthfully for a man with pneumonia.
    const QStringList present =
        L({"Fièvre", "Toux grasse", "Dyspnée", "Frissons", "Asthénie", "Douleur d'effort"});
    startCase(u'h', QStringLiteral("2"), {QStringLiteral("Fièvre")});
    ASSERT_GE(rows.size(), 3);
    dialogue::Interrogation interrogation(*query, session->evaluator());
    interrogation.start();
    QStringList asked;
    dialogue::Decision next;
    for (int step = 0; step < 30; ++step) {
        next = interrogation.next(rows, session->state());
        if (next.step != NextStep::Ask)
            break;
        EXPECT_FALSE(asked.contains(next.sign)) << next.sign.toStdString();
        asked.append(next.sign);
        session->addOperator(present.contains(next.sign) ? QStringLiteral("and") : QStringLiteral("not"));
        session->addSign(next.sign);
        interrogation.selectHypothesis(rows);
    }
    EXPECT_EQ(next.step, NextStep::SingleDiagnosis);
    EXPECT_EQ(next.hypothesis, QStringLiteral("Pneumopathie"));
    // Going on asks the remaining signs of that diagnosis, then ends.
    next = interrogation.next(rows, session->state(), true);
    while (next.step == NextStep::Ask) {
        session->addOperator(QStringLiteral("ignore"));
        session->addSign(next.sign);
        next = interrogation.next(rows, session->state(), true);
    }
    EXPECT_EQ(next.step, NextStep::SingleDone);
}

TEST_F(DialogueTest, HypothesesWithNothingLeftToAskArePassedOver)
{
    startCase(u'h', QStringLiteral("2"), {QStringLiteral("Toux")});
    ASSERT_GE(rows.size(), 2);
    dialogue::Interrogation interrogation(*query, session->evaluator());
    interrogation.start();
    // Once every sign of a hypothesis was dealt with, the questions move to the next row.
    for (int row = 0; row < rows.size(); ++row) {
        const dialogue::Decision next = interrogation.next(rows, session->state());
        ASSERT_EQ(next.step, NextStep::Ask);
        EXPECT_EQ(next.hypothesis, rows.at(row));
        EXPECT_EQ(interrogation.cursor(), row);
        for (const QString& sign : interrogation.hypothesisSigns(next.hypothesis, u'h', QStringLiteral("2")))
            interrogation.passOver(sign);
    }
    EXPECT_EQ(interrogation.next(rows, session->state()).step, NextStep::AllAsked);
    EXPECT_EQ(interrogation.cursor(), 0);
    EXPECT_EQ(interrogation.next({}, session->state()).step, NextStep::NoDiagnosis);
}

TEST_F(DialogueTest, RejectingKeepsOneHypothesis)
{
    dialogue::Interrogation interrogation(*query, session->evaluator());
    interrogation.start();
    const QStringList before = L({"Grippe", "Angine", "Orchite"});
    EXPECT_TRUE(interrogation.reject(QStringLiteral("Grippe"), before));
    EXPECT_EQ(interrogation.cursor(), 1);
    // Grippe left the list after an answer: its rejection does not count against the rows now shown.
    const QStringList after = L({"Angine", "Orchite"});
    EXPECT_TRUE(interrogation.reject(QStringLiteral("Angine"), after));
    EXPECT_EQ(interrogation.cursor(), 1);
    EXPECT_FALSE(interrogation.reject(QStringLiteral("Orchite"), after));
    EXPECT_EQ(interrogation.rejected(), (L({"Grippe", "Angine"})));
    EXPECT_EQ(interrogation.cursor(), 1);
}

} // namespace
