// Case files and parallel analyses on a fresh database: what is saved is what is opened, each
// command changes all or nothing, and names that look alike never reach the wrong case.

#include "casefiles/CaseFileStore.h"
#include "casefiles/ParallelAnalyses.h"
#include "kb/Schema.h"
#include "kb/Sqlite.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace vardelo;
using namespace vardelo::casefiles;

namespace {

class CaseFiles : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("Data.vdat"));
    std::unique_ptr<kb::Connection> db;

    void SetUp() override
    {
        db = std::make_unique<kb::Connection>(path, kb::Connection::Mode::Create);
        kb::createSchema(*db);
    }
    qint64 count(const QString& sql, const QVariantList& params = {})
    {
        kb::Statement s(*db, sql);
        s.bind(params);
        s.step();
        return s.integer(0);
    }
};

CaseContent content(QStringList signs, QStringList exams = {}, QString retained = {})
{
    CaseContent c;
    c.sex = u'h';
    c.ageBand = QStringLiteral("2");
    c.signs = std::move(signs);
    c.exams = std::move(exams);
    c.retained = std::move(retained);
    c.notesRtf = QStringLiteral("{\\rtf1 notes %1}").arg(c.signs.join(u'|') + c.exams.join(u'|'));
    return c;
}

const QDateTime When(QDate(2025, 9, 12), QTime(14, 3, 27));

TEST(CaseNames, CarryThePatientAndTheFrenchDateAndTime)
{
    EXPECT_EQ(caseName(DefaultPatientName, When), QStringLiteral("Sans nom   [12/09/2025  14:03:27]"));
    EXPECT_EQ(patientNameOf(caseName(QStringLiteral("O'Hara [x]"), When)), QStringLiteral("O'Hara [x]"));
}

// A save step: a literal name, or (empty) a fresh name for the patient at the fixed time.
struct SaveStep {
    QString patient;
    QString id;
    CaseContent content;
};

struct Scenario {
    const char* label;
    std::vector<SaveStep> saves;
    qsizetype files; // case files at the end
};

TEST_F(CaseFiles, SavedCasesOpenAsSavedAndDeleteOneByOne)
{
    const std::vector<Scenario> scenarios{
        {"new", {{QStringLiteral("Dupont"), {}, content({QStringLiteral("fièvre")})}}, 1},
        {"re-save in place",
         {{{}, QStringLiteral("Durand   [01/01/2025  10:00:00]"), content({QStringLiteral("toux")})},
          {{},
           QStringLiteral("Durand   [01/01/2025  10:00:00]"),
           content({QStringLiteral("toux"), QStringLiteral("and"), QStringLiteral("fièvre")}, {},
                   QStringLiteral("Grippe"))}},
         1},
        {"exam-only",
         {{QStringLiteral("Martin"),
           {},
           content({}, {QStringLiteral("and"), QStringLiteral("NFS : normale")})}},
         1},
        {"same second",
         {{QStringLiteral("Sans nom"), {}, content({QStringLiteral("a")})},
          {QStringLiteral("Sans nom"), {}, content({QStringLiteral("b")})},
          {QStringLiteral("Sans nom"), {}, content({QStringLiteral("c")})}},
         3},
        {"quotes, brackets, percent",
         {{QStringLiteral("O'Neil \"Jo\" [x] 100% _"), {}, content({QStringLiteral("l'œil \"rouge\"")})},
          {QStringLiteral("O'Neil \"Jo\" [x] 100% _"), {}, content({QStringLiteral("%")})}},
         2},
    };
    CaseFileStore store(*db);
    for (const Scenario& scenario : scenarios) {
        SCOPED_TRACE(scenario.label);
        QString error;
        std::map<QString, CaseContent> expected;
        QStringList newestFirst;
        for (const SaveStep& step : scenario.saves) {
            QString id = step.id;
            if (id.isEmpty())
                id = *store.newCaseName(step.patient, When, &error);
            const bool isNew = !store.isSaved(id, &error);
            const auto saved = store.save({id, isNew, step.content, {}});
            ASSERT_TRUE(saved.error.isEmpty()) << saved.error.toStdString();
            EXPECT_EQ(saved.savedAs, id);
            expected[id] = step.content;
            if (isNew)
                newestFirst.prepend(id);
        }
        EXPECT_EQ(store.list(&error), newestFirst);
        EXPECT_EQ(newestFirst.size(), scenario.files);
        for (const auto& [id, c] : expected) {
            const auto opened = store.open(id, &error);
            ASSERT_TRUE(opened) << error.toStdString();
            EXPECT_EQ(opened->content, c) << id.toStdString();
            EXPECT_TRUE(opened->analyses.isEmpty());
        }
        for (const QString& id : newestFirst) {
            EXPECT_TRUE(store.remove(id).ok());
            EXPECT_FALSE(store.open(id, &error)) << "deleted, yet opened: " << id.toStdString();
        }
        EXPECT_EQ(store.remove(newestFirst.first()).error, NotSavedMessage);
        EXPECT_EQ(count(QStringLiteral("select count(*) from Fiche")), 0);
    }
    EXPECT_EQ(store.save({QStringLiteral("x"), true, CaseContent{}, {}}).error, NothingToSaveMessage);
    EXPECT_EQ(store.removeAll().error, NothingToDeleteMessage);
}

TEST_F(CaseFiles, ASplitCaseSavesAsAHeaderAndTurnsPlainWhenOneAnalysisRemains)
{
    CaseFileStore store(*db);
    ParallelAnalyses analyses(*db);
    QString error;
    const QString id = *store.newCaseName(QStringLiteral("Petit"), When, &error);
    const CaseContent first = content({QStringLiteral("fièvre")}, {}, QStringLiteral("Grippe"));
    const CaseContent second = content({QStringLiteral("eczéma")}, {}, QStringLiteral("Dermatite"));
    ASSERT_TRUE(store.save({id, true, first, {}}).error.isEmpty());

    const QString a1 = *analyses.create(id, QStringLiteral("[fièvre]"), first, true, &error);
    const QString a2 = *analyses.create(id, QStringLiteral("[eczéma]"), second, false, &error);
    const auto saved = store.save({id, false, second, a2});
    ASSERT_TRUE(saved.error.isEmpty()) << saved.error.toStdString();
    EXPECT_TRUE(saved.split);
    EXPECT_EQ(
        count(QStringLiteral("select count(*) from Fiche where AP and SC = '' and Notes = '' and D = ''")),
        1);
    auto opened = store.open(id, &error);
    ASSERT_TRUE(opened);
    EXPECT_EQ(opened->analyses, (QStringList{a1, a2}));
    EXPECT_EQ(opened->content, second) << "the last analysis is restored, with its diagnosis";

    // Removing one of two: the case is plain again at once, holding the other analysis.
    const auto removed = analyses.remove(id, opened->analyses, a2);
    ASSERT_TRUE(removed.error.isEmpty()) << removed.error.toStdString();
    EXPECT_TRUE(removed.analyses.isEmpty());
    EXPECT_EQ(removed.becomes, first);
    EXPECT_EQ(count(QStringLiteral("select count(*) from diagnostics_parallele")), 0);
    opened = store.open(id, &error);
    EXPECT_EQ(opened->content, first);
    EXPECT_TRUE(opened->analyses.isEmpty());

    // Deleting the case takes its confirmed analyses; unconfirmed ones of other cases wait for the purge.
    ASSERT_TRUE(analyses.create(id, QStringLiteral("[x]"), first, false, &error));
    ASSERT_TRUE(store.save({id, false, first, {}}).error.isEmpty());
    ASSERT_TRUE(analyses.create(QStringLiteral("autre"), QStringLiteral("[y]"), first, false, &error));
    EXPECT_TRUE(store.remove(id).ok());
    EXPECT_EQ(count(QStringLiteral("select count(*) from diagnostics_parallele")), 1);
    EXPECT_TRUE(analyses.purgeUnconfirmed().ok());
    EXPECT_EQ(count(QStringLiteral("select count(*) from diagnostics_parallele")), 0);
}

TEST_F(CaseFiles, AFailingCommandLeavesTheCaseFilesAsTheyWere)
{
    CaseFileStore store(*db);
    ParallelAnalyses analyses(*db);
    QString error;
    const QString id = QStringLiteral("A   [01/01/2025  10:00:00]");
    const CaseContent c1 = content({QStringLiteral("fièvre")});
    const CaseContent c2 = content({QStringLiteral("toux")});
    ASSERT_TRUE(store.save({id, true, c1, {}}).error.isEmpty());
    const QString a1 = *analyses.create(id, QStringLiteral("[fièvre]"), c1, false, &error);
    const QString a2 = *analyses.create(id, QStringLiteral("[toux]"), c2, false, &error);
    ASSERT_TRUE(store.save({id, false, c2, a2}).error.isEmpty());
    auto snapshot = [&] {
        QStringList rows;
        for (const char* sql :
             {"select * from Fiche order by N", "select * from diagnostics_parallele order by rowid"}) {
            kb::Statement s(*db, QString::fromLatin1(sql));
            while (s.step())
                for (int i = 0; i < s.columnCount(); ++i)
                    rows << s.text(i);
        }
        return rows;
    };
    const QStringList before = snapshot();
    // The last statement of each command fails: the earlier ones must be undone with it.
    db->execScript(QStringLiteral(
        "create trigger f1 before update on Fiche begin select raise(abort, 'disque plein'); end;"));
    const auto save = store.save({id, false, c1, a1});
    EXPECT_TRUE(save.error.contains(QStringLiteral("disque plein"))) << save.error.toStdString();
    EXPECT_TRUE(save.error.startsWith(QStringLiteral("Erreur de la base de données")));
    const auto removed = analyses.remove(id, {a1, a2}, a2);
    EXPECT_FALSE(removed.error.isEmpty());
    EXPECT_EQ(removed.analyses, (QStringList{a1, a2}));
    db->execScript(QStringLiteral("drop trigger f1; create trigger f4 before delete on diagnostics_parallele "
                                  "begin select raise(abort, 'verrou'); end;"));
    EXPECT_FALSE(store.remove(id).ok());
    EXPECT_FALSE(store.removeAll().ok());
    EXPECT_EQ(snapshot(), before);
}

TEST_F(CaseFiles, AnExamLineOutsideTheDifferentialOpensASecondAnalysis)
{
    ParallelAnalyses analyses(*db);
    const QString id = QStringLiteral("Sans nom   [12/09/2025  14:03:27]");
    const CaseContent current =
        content({QStringLiteral("("), QStringLiteral("fièvre")}, {}, QStringLiteral("Grippe"));
    const QString line = QStringLiteral("Radio du thorax : opacité");
    // Stands in for the evaluation: only an analysis holding "toux" offers the line.
    auto offersLine = [](const CaseContent& c) { return c.signs.contains(QStringLiteral("toux")); };

    auto result = analyses.branchForExamLine(id, {}, current, line, offersLine);
    ASSERT_TRUE(result.error.isEmpty()) << result.error.toStdString();
    EXPECT_EQ(result.analyses, (QStringList{QStringLiteral("Analyse Parallèle [fièvre]"),
                                            QStringLiteral("Analyse Parallèle [") + line + u']'}));
    EXPECT_EQ(result.selected, 1);
    EXPECT_TRUE(result.created);
    EXPECT_TRUE(result.load.signs.isEmpty() && result.load.exams.isEmpty());
    QString error;
    EXPECT_EQ(analyses.load(id, result.analyses.at(0), &error), current)
        << "the first analysis is the case as it was";

    // The line validated in the new analysis, then another line that fits the first analysis once it has
    // "toux".
    CaseContent withCough = current;
    withCough.signs.append(QStringLiteral("toux"));
    ASSERT_TRUE(analyses.writeBack(id, result.analyses.at(0), withCough, false).ok());
    const QStringList items = result.analyses;
    result = analyses.branchForExamLine(id, items, content({}, {line}), QStringLiteral("NFS : normale"),
                                        offersLine);
    EXPECT_EQ(result.analyses, items);
    EXPECT_EQ(result.selected, 0);
    EXPECT_FALSE(result.created);
    EXPECT_EQ(result.load.signs, withCough.signs);

    // A line that no analysis offers a second time gets a distinct name.
    result = analyses.branchForExamLine(id, items, current, line, [](const CaseContent&) { return false; });
    EXPECT_EQ(result.analyses.last(), QStringLiteral("Analyse Parallèle [") + line + QStringLiteral("] (2)"));
}

TEST(FirstAnalysis, IsNamedAfterTheFirstMeaningfulEntry)
{
    EXPECT_EQ(firstAnalysisEntry({QStringLiteral("("), QStringLiteral("not"), QStringLiteral("toux")}, {}),
              QStringLiteral("[not]"));
    EXPECT_EQ(
        firstAnalysisEntry({}, {QStringLiteral("and"), QStringLiteral("not"), QStringLiteral("NFS : x")}),
        QStringLiteral("[NFS : x]"));
    EXPECT_EQ(firstAnalysisEntry({QStringLiteral("(")}, {QStringLiteral("NFS : x")}), std::nullopt);
}

} // namespace
