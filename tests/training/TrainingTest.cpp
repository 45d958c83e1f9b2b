// Clinical-case draws, series scores, the score history and the learning records, on a small
// in-memory knowledge base.

#include "TestLists.h"
#include "kb/Query.h"
#include "kb/Schema.h"
#include "platform/TextFile.h"
#include "training/ClinicalCases.h"
#include "training/Learning.h"
#include "training/ScoreHistory.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <set>

using namespace vardelo;
using namespace vardelo::training;
using vardelo::testing::L;

namespace {

class TrainingTest : public ::testing::Test {
protected:
    void SetUp() override { kb::createSchema(db); }
    void pathology(const char* p, const char* s, const char* e, const char* i)
    {
        db.exec(QStringLiteral("insert into Data (P, F, S, E, I) values (?, 1, ?, ?, ?)"),
                {QString::fromUtf8(p), QString::fromUtf8(s), QString::fromUtf8(e), QString::fromUtf8(i)});
    }
    void sign(const char* s, const char* x, const char* a)
    {
        db.exec(QStringLiteral("insert into SC (S, X, A) values (?, ?, ?)"),
                {QString::fromUtf8(s), QString::fromUtf8(x), QString::fromUtf8(a)});
    }
    ClinicalCase draw(RandomEngine& random)
    {
        QString error;
        const auto drawn = drawCase(query, random, &error);
        EXPECT_TRUE(drawn.has_value()) << error.toStdString();
        return drawn.value_or(ClinicalCase{});
    }

    kb::Connection db{QStringLiteral(":memory:"), kb::Connection::Mode::Create};
    kb::Query query{db};
};

TEST_F(TrainingTest, SeededDrawsRepeatAndSuitTheDrawnPatient)
{
    pathology("Grippe", "*Fièvre | 4\r\nToux | 2", "0", "hf123");
    pathology("Orchite", "*Douleur testiculaire | 8\r\nFièvre | 2", "", "h23");
    pathology("Salpingite", "Douleur pelvienne | 6", "Échographie : Hydrosalpinx | 5", "f2");
    pathology("Bronchiolite", "Toux | 3\r\nPleurs du nourrisson | 2", "0", "hf1");
    auto series = [this](unsigned seed) {
        RandomEngine random(seed);
        QStringList drawn;
        for (int i = 0; i < 40; ++i) {
            const ClinicalCase c = draw(random);
            drawn.append(c.pathology + u' ' + c.sex + c.ageBand);
        }
        return drawn;
    };
    const QStringList first = series(7);
    EXPECT_EQ(series(7), first);
    EXPECT_NE(series(8), first);

    std::set<QString> seen;
    for (const QString& c : first) {
        const QStringList parts = c.split(u' ');
        const QString patient = parts.at(1);
        seen.insert(parts.at(0));
        // The pathology's applicability holds the patient's sex and age band.
        const QString applicability = parts.at(0) == u"Grippe"       ? QStringLiteral("hf123")
                                      : parts.at(0) == u"Orchite"    ? QStringLiteral("h23")
                                      : parts.at(0) == u"Salpingite" ? QStringLiteral("f2")
                                                                     : QStringLiteral("hf1");
        EXPECT_TRUE(applicability.contains(patient.at(0)) && applicability.contains(patient.at(1)))
            << c.toStdString();
    }
    EXPECT_EQ(seen.size(), 4u);
}

TEST_F(TrainingTest, ACaseShowsOnlyWhatThePatientCanHave)
{
    sign("Fièvre", "", "");
    sign("Douleur testiculaire", "h", "");
    sign("Métrorragies", "f", "");
    sign("Pleurs du nourrisson", "", "1");
    const QString signs = QStringLiteral(
        "*Fièvre | 3\r\nDouleur testiculaire | 2\r\nMétrorragies | 1\r\nPleurs du nourrisson | 1\r\n"
        "+Signe hors vocabulaire | 1\r\nPathologie : Grippe | 2\r\nPathologie : Angine | 1");
    const ClinicalCase woman =
        describeCase(query, QStringLiteral("X"), signs, QStringLiteral("0"), u'f', QStringLiteral("2"));
    EXPECT_EQ(woman.signs, L({"Fièvre", "Métrorragies", "Signe hors vocabulaire"}));
    EXPECT_EQ(woman.associatedPathologies, L({"Angine", "Grippe"}));
    EXPECT_TRUE(woman.exams.isEmpty());
    EXPECT_EQ(woman.patientText, QStringLiteral("Patiente de sexe Féminin avec l'âge entre 15 et 45 ans"));

    const ClinicalCase boy =
        describeCase(query, QStringLiteral("X"), signs, QStringLiteral("*CRP : Élevée | 2\r\nECG : Normal"),
                     u'h', QStringLiteral("1"));
    EXPECT_EQ(boy.signs,
              L({"Fièvre", "Douleur testiculaire", "Pleurs du nourrisson", "Signe hors vocabulaire"}));
    EXPECT_EQ(boy.exams, L({"CRP : Élevée", "ECG : Normal"}));
    EXPECT_EQ(boy.patientText, QStringLiteral("Patient de sexe Masculin avec l'âge inférieur à 15 ans"));
    EXPECT_EQ(associatedPathologiesCaption(1), QStringLiteral("Pathologie associée"));
    EXPECT_EQ(associatedPathologiesCaption(2), QStringLiteral("Pathologies associées"));
}

TEST_F(TrainingTest, APatientNoPathologySuitsIsReplacedAndAnEmptyBaseIsReported)
{
    // Only a man over 45 has a pathology: every draw ends on him.
    pathology("Adénome prostatique", "Dysurie | 5", "0", "h3");
    RandomEngine random(1);
    for (int i = 0; i < 20; ++i) {
        const ClinicalCase c = draw(random);
        EXPECT_EQ(QString(c.sex) + c.ageBand, QStringLiteral("h3"));
    }
    db.exec(QStringLiteral("delete from Data"));
    QString error;
    EXPECT_FALSE(drawCase(query, random, &error).has_value());
    EXPECT_TRUE(error.contains(QStringLiteral("Aucune pathologie"))) << error.toStdString();
}

TEST_F(TrainingTest, SeriesScoreCountsEachCaseOnce)
{
    auto aCase = [](const char* name) {
        ClinicalCase c;
        c.pathology = QString::fromUtf8(name);
        return c;
    };
    Series series;
    series.restart(3);
    EXPECT_EQ(series.progressText(), QStringLiteral("0/3"));
    EXPECT_FALSE(series.check(QStringLiteral("Grippe"), {})); // no case drawn: nothing to check

    series.addCase(aCase("Grippe"));
    EXPECT_TRUE(series.check({}, QStringLiteral("Grippe"))); // the typed text
    EXPECT_TRUE(series.check({}, QStringLiteral("Grippe"))); // checked again: still one
    series.addCase(aCase("Angine"));
    // Letter case and spaces count.
    EXPECT_FALSE(series.check(QStringLiteral("angine"), QStringLiteral("Angine ")));
    EXPECT_TRUE(series.check(QStringLiteral("Angine"), {})); // seen the answer: too late
    EXPECT_FALSE(series.isComplete());
    series.addCase(aCase("Orchite"));
    EXPECT_FALSE(series.isComplete()); // drawn, not yet checked
    EXPECT_TRUE(series.check(QStringLiteral("Orchite"), QStringLiteral("orch")));
    EXPECT_TRUE(series.isComplete());
    EXPECT_FALSE(series.canDraw());
    EXPECT_EQ(series.correct(), 2);
    EXPECT_EQ(series.scorePercent(), 66);
    EXPECT_EQ(formatScore(series.scorePercent()), QStringLiteral("66,0 %"));

    series.restart(0);
    EXPECT_FALSE(series.canDraw());
    series.addCase(aCase("Grippe"));
    EXPECT_FALSE(series.hasCurrentCase());
    EXPECT_FALSE(series.isComplete());
    EXPECT_EQ(series.scorePercent(), 0);

    for (const auto& [percent, text] : std::vector<std::pair<int, const char*>>{
             {0, "00,0 %"}, {5, "05,0 %"}, {70, "70,0 %"}, {100, "100,0 %"}})
        EXPECT_EQ(formatScore(percent), QString::fromUtf8(text));
}

TEST_F(TrainingTest, ScoresAreStoredListedAndCleared)
{
    const QDateTime moment(QDate(2026, 3, 7), QTime(9, 5, 2));
    EXPECT_EQ(scoreDateTime(moment), QStringLiteral("07/03/2026          09:05:02"));
    const ScoreRow first{scoreDateTime(moment), 2, 3, formatScore(66)};
    const ScoreRow second{scoreDateTime(moment.addDays(1)), 10, 10, formatScore(100)};
    storeScore(query, first);
    storeScore(query, second);
    EXPECT_EQ(loadScores(query), (QList<ScoreRow>{first, second}));
    clearScores(query);
    EXPECT_TRUE(loadScores(query).isEmpty());
}

TEST_F(TrainingTest, HistoryColumnsCompareByWhatTheyHold)
{
    struct Case {
        int column;
        const char* a;
        const char* b;
        int order;
    } cases[] = {
        {0, "31/12/2025          23:59:59", "01/01/2026          00:00:00", -1}, // years before days
        {0, "05/01/2026          10:00:00", "05/01/2026          09:59:59", 1},
        {1, "9", "10", -1},
        {2, "10", "10", 0},
        {3, "100,0 %", "70,0 %", 1}, // by value, not as text
        {3, "05,0 %", "50,0 %", -1},
        {3, "", "70,0 %", 0},  // an empty text is equal to anything
        {1, "abc", "ABD", -1}, // not a number: as text
    };
    for (const Case& c : cases)
        EXPECT_EQ(compareScoreTexts(c.column, QString::fromUtf8(c.a), QString::fromUtf8(c.b)), c.order)
            << c.column << ' ' << c.a << " / " << c.b;
}

TEST(Learning, RecordsFollowTheFormula)
{
    const Judgement right3{true, 3};
    struct Case {
        QStringList formula;
        Judgement judgement;
        QStringList lines;
    } cases[] = {
        {L({"Fièvre", "and", "Toux"}), right3, L({"D", "Fièvre", "+3", "D", "Toux", "+3"})},
        // The sign after "not" is not learned ("not" itself follows "and": no sign has that text).
        {L({"Fièvre", "and", "not", "Toux"}), right3, L({"D", "Fièvre", "+3", "D", "not", "+3"})},
        // "(" is learned itself, and the sign after it too.
        {L({"(", "Fièvre", "or", "Toux", ")", "and", "Frissons"}),
         {false, 5},
         L({"D", "(", "-5", "D", "Fièvre", "-5", "D", "Toux", "-5", "D", "Frissons", "-5"})},
        // A single element teaches nothing.
        {L({"Fièvre"}), right3, {}},
    };
    for (const Case& c : cases) {
        const Lesson lesson = learn(QStringLiteral("D"), c.formula, c.judgement);
        EXPECT_EQ(lesson.lines, c.lines) << c.formula.join(u' ').toStdString();
        EXPECT_TRUE(lesson.message.isEmpty());
    }
    EXPECT_EQ(learn(QStringLiteral("D"), {}, right3).message, NoClinicalContextMessage);
    EXPECT_EQ(learn({}, L({"Fièvre", "and", "Toux"}), right3).message, NoDiagnosisMessage);
    EXPECT_EQ(levelCaption({false, 2}), QStringLiteral("Niveau de fiabilité : -2"));
}

TEST(Learning, AppendingKeepsTheOldLinesInWindows1252)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(LearningFileName);
    QString error;
    ASSERT_TRUE(appendLearningLines(path, L({"Grippe", "Fièvre", "+1"}), &error)) << error.toStdString();
    ASSERT_TRUE(appendLearningLines(path, L({"Œdème", "Toux", "-5"}), &error)) << error.toStdString();
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("Grippe\r\nFi\xe8vre\r\n+1\r\n\x8c"
                                         "d\xe8me\r\nToux\r\n-5\r\n"));

    // A file that cannot be read is not replaced by the new lines alone.
    const QString blocked = dir.filePath(QStringLiteral("blocked.vl"));
    ASSERT_TRUE(QDir().mkdir(blocked));
    EXPECT_FALSE(appendLearningLines(blocked, L({"Grippe", "Fièvre", "+1"}), &error));
    EXPECT_TRUE(error.contains(QStringLiteral("illisible"))) << error.toStdString();
}

} // namespace
