// vardelo-cli run as a program on bad input: every class of mistake is an error with exit status 2
// and a French message on standard error, never a silent default or a success.

#include "kb/Sqlite.h"
#include "tools/kb/Knowledge.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace vardelo;

namespace {

struct Outcome {
    int status = -1;
    QString out;
    QString err;
};

class Cli : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        dir = new QTemporaryDir;
        QString error;
        ASSERT_TRUE(
            kbc::writeDatabase(kbc::loadKnowledge(QStringLiteral(VARDELO_FIXTURES "/knowledge")).knowledge,
                               file("Data.vdat"), &error))
            << error.toStdString();
        write("garbage.vdat", QByteArray(20000, 'x'));
        QFile::copy(file("Data.vdat"), file("altered.vdat"));
        kb::Connection altered(file("altered.vdat"), kb::Connection::Mode::ReadWrite);
        altered.exec(QStringLiteral("update Data set F = F + 1"));
        write("long.jsonl", "{\"signs\":[\"" + QByteArray(1 << 20, 'a') + "\"]}\n");
        write("sexless.jsonl", R"({"id":"x","sex":"","findings":["fièvre"],"expected":"Grippe"})"
                               "\n");
        write("one.jsonl", R"({"id":"x","sex":"h","findings":["fièvre"],"expected":"Grippe"})"
                           "\n");
        write("renamed.tsv", "fievre\tFièvre\noeil rouge\tOeil rouge\n");
    }
    static void TearDownTestSuite() { delete dir; }
    static QString file(const char* name) { return dir->filePath(QString::fromLatin1(name)); }
    static void write(const char* name, const QByteArray& bytes)
    {
        QFile f(file(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    static Outcome run(const char* db, const QStringList& args)
    {
        QProcess process;
        process.start(QStringLiteral(VARDELO_CLI), QStringList{QStringLiteral("--db"), file(db)} + args);
        process.waitForFinished(120000);
        return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
                QString::fromUtf8(process.readAllStandardOutput()),
                QString::fromUtf8(process.readAllStandardError())};
    }
    // A learn command on a two-sign case, right, with the options given.
    static QStringList learn(const QStringList& options)
    {
        return QStringList{QStringLiteral("learn"),
                           QStringLiteral(R"({"signs":["Fièvre","and","Toux"]})"),
                           QStringLiteral("--diagnosis"),
                           QStringLiteral("Grippe"),
                           QStringLiteral("--right"),
                           QStringLiteral("--file"),
                           file("refused.vl")} +
               options;
    }
    static QTemporaryDir* dir;
};

QTemporaryDir* Cli::dir = nullptr;

TEST_F(Cli, BadInputIsAnErrorNamingTheProblem)
{
    const QString evaluate = QStringLiteral("evaluate");
    struct Case {
        const char* db;
        QStringList args;
        const char* said; // on standard error
    } cases[] = {
        {"garbage.vdat", {evaluate, QStringLiteral("{}")}, "n'est pas une base de données"},
        {"garbage.vdat", {QStringLiteral("find-pathology"), QStringLiteral("grippe")}, "n'est pas une base"},
        {"absent.vdat", {evaluate, QStringLiteral("{}")}, "introuvable"},
        {"altered.vdat", {evaluate, QStringLiteral("{}")}, "altérée"},
        {"Data.vdat", {evaluate, QStringLiteral(R"({"sex": 1})")}, "« sex » doit être un texte"},
        {"Data.vdat", {evaluate, QStringLiteral(R"({"age": 2})")}, "« age » doit être un texte"},
        {"Data.vdat", {evaluate, QStringLiteral(R"({"mode": null})")}, "« mode » doit être un texte"},
        {"Data.vdat", {evaluate, QStringLiteral(R"({"signs": "x"})")}, "« signs » doit être une liste"},
        {"Data.vdat", {evaluate, QStringLiteral(R"({"exams": [1]})")}, "« exams » doit être une liste"},
        {"Data.vdat", {evaluate, QStringLiteral(R"({"sexe": "h"})")}, "clé inconnue « sexe »"},
        {"Data.vdat", {evaluate, QStringLiteral("[1]")}, "un objet JSON est attendu"},
        {"Data.vdat", {evaluate, QStringLiteral("--batch"), file("long.jsonl")}, "refusée"},
        {"Data.vdat",
         {QStringLiteral("vignettes"), file("one.jsonl"), QStringLiteral("--min-top1"),
          QStringLiteral("abc")},
         "--min-top1 attend un pourcentage"},
        {"Data.vdat",
         {QStringLiteral("vignettes"), file("one.jsonl"), QStringLiteral("--min-top3")},
         "--min-top3 attend un pourcentage"},
        {"Data.vdat", {QStringLiteral("vignettes"), file("sexless.jsonl")}, "Ligne 1 : sexe invalide"},
        {"Data.vdat",
         {evaluate, QStringLiteral(R"({"mode": "concordant"})")},
         "mode « concordant » invalide"},
        {"Data.vdat",
         {QStringLiteral("vignettes"), file("one.jsonl"), QStringLiteral("--mode"), QStringLiteral("strict")},
         "mode « strict » invalide"},
        {"Data.vdat",
         {QStringLiteral("vignettes"), file("one.jsonl"), QStringLiteral("--mode")},
         "--mode attend"},
        {"Data.vdat", {QStringLiteral("report"), QStringLiteral(R"({"signs": ["Fièvre"]})")}, "Usage"},
        {"Data.vdat",
         {QStringLiteral("report"), QStringLiteral("{}"), QStringLiteral("--out"), file("vide.pdf")},
         "Veuillez valider au moins une entrée"},
        {"Data.vdat",
         {QStringLiteral("report"), QStringLiteral(R"({"signs": ["Fièvre"]})"), QStringLiteral("--out"),
          file("absent/rapport.pdf")},
         "Impossible d'écrire le fichier"},
        {"absent.vdat", learn({QStringLiteral("--level"), QStringLiteral("6")}), "un entier de 1 à 5 : 6"},
        {"absent.vdat", learn({QStringLiteral("--level"), QStringLiteral("0")}), "un entier de 1 à 5 : 0"},
        {"absent.vdat", learn({QStringLiteral("--level"), QStringLiteral("2"), QStringLiteral("--wrong")}),
         "Usage"}, // both --right and --wrong
        {"absent.vdat",
         {QStringLiteral("learn"), QStringLiteral(R"({"signs":[]})"), QStringLiteral("--diagnosis"),
          QStringLiteral("Grippe"), QStringLiteral("--right"), QStringLiteral("--level"), QStringLiteral("1"),
          QStringLiteral("--file"), file("refused.vl")},
         "uniquement dans le context clinique"},
        {"Data.vdat",
         {QStringLiteral("recall"), file("renamed.tsv")},
         "Ligne 2 : le signe « Oeil rouge » n'est pas dans le vocabulaire"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE((QString::fromLatin1(c.db) + u' ' + c.args.join(u' ').left(80)).toStdString());
        const Outcome o = run(c.db, c.args);
        EXPECT_EQ(o.status, 2);
        EXPECT_TRUE(o.err.contains(QString::fromUtf8(c.said))) << o.err.toStdString();
        EXPECT_TRUE(o.out.isEmpty()) << o.out.toStdString();
    }
    EXPECT_FALSE(QFile::exists(file("refused.vl")));
}

TEST_F(Cli, NextQuestionFollowsTheInterrogation)
{
    const auto next = [](const char* caseJson, QStringList more = {}) {
        const Outcome o = run(
            "Data.vdat", QStringList{QStringLiteral("next-question"), QString::fromUtf8(caseJson)} + more);
        EXPECT_EQ(o.status, 0) << o.err.toStdString();
        return QJsonDocument::fromJson(o.out.toUtf8()).object();
    };
    const char* toux = R"({"sex": "h", "age": "2", "signs": ["Toux"]})";
    const QJsonObject first = next(toux);
    EXPECT_EQ(first.value(u"step").toString(), QStringLiteral("ask"));
    EXPECT_EQ(first.value(u"hypothesis").toString(), QStringLiteral("Grippe"));
    EXPECT_EQ(first.value(u"sign").toString(), QStringLiteral("Fièvre"));
    // Rejected, the hypothesis gives way to the next row; the last one left is never rejected.
    const QJsonObject second = next(toux, {QStringLiteral("--rejected"), QStringLiteral("Grippe")});
    EXPECT_NE(second.value(u"hypothesis").toString(), QStringLiteral("Grippe"));
    QStringList all;
    for (const QJsonValue row : first.value(u"rows").toArray())
        all << QStringLiteral("--rejected") << row.toString();
    EXPECT_EQ(next(toux, all).value(u"rejected").toArray().size(), first.value(u"rows").toArray().size() - 1);
    EXPECT_EQ(next(R"({"sex": "h", "signs": ["Douleur d'effort"]})").value(u"step").toString(),
              QStringLiteral("single_diagnosis"));
    EXPECT_EQ(next(R"({"sex": "h", "signs": ["Douleur testiculaire", "and", "Odynophagie"]})")
                  .value(u"step")
                  .toString(),
              QStringLiteral("no_diagnosis"));
    EXPECT_EQ(next("{}").value(u"step").toString(), QStringLiteral("nothing_entered"));
}

TEST_F(Cli, AFormulaThatCannotBeEvaluatedSaysWhy)
{
    const Outcome o =
        run("Data.vdat", {QStringLiteral("evaluate"), QStringLiteral(R"({"signs": ["Fièvre", "or"]})")});
    EXPECT_EQ(o.status, 0) << o.err.toStdString();
    EXPECT_TRUE(o.out.startsWith(QStringLiteral(R"({"failed":true,"reason":"la formule est incomplète)")))
        << o.out.toStdString();
    const Outcome fine =
        run("Data.vdat", {QStringLiteral("evaluate"), QStringLiteral(R"({"signs": ["Fièvre"]})")});
    EXPECT_TRUE(fine.out.startsWith(QStringLiteral("{\"failed\":false,\"condition\"")))
        << fine.out.toStdString();
}

// Each row says which findings the pathology explains, with their weights, and which it lacks;
// ranked by concordance, a pathology lacking one finding is still listed.
TEST_F(Cli, RowsGiveTheirReasonsInEveryMode)
{
    const QString strict = QStringLiteral(R"({"signs": ["Odynophagie", "and", "Dyspnée"]})");
    const Outcome none = run("Data.vdat", {QStringLiteral("evaluate"), strict});
    EXPECT_TRUE(none.out.contains(QStringLiteral(R"("header":"Pas de diagnostic !","rows":[])")))
        << none.out.toStdString();
    const Outcome o =
        run("Data.vdat",
            {QStringLiteral("evaluate"),
             QStringLiteral(R"({"mode": "concordance", "signs": ["Odynophagie", "and", "Dyspnée"]})")});
    EXPECT_EQ(o.status, 0) << o.err.toStdString();
    EXPECT_TRUE(o.out.contains(QStringLiteral(
        R"("rows":[{"percent":"99","name":"Angine","emergency":false,"explains":[{"finding":"Odynophagie","weight":6}],"lacks":["Dyspnée"]},)")))
        << o.out.toStdString();
    const Outcome v = run("Data.vdat", {QStringLiteral("vignettes"), file("one.jsonl"),
                                        QStringLiteral("--mode"), QStringLiteral("concordance")});
    EXPECT_EQ(v.status, 0) << v.err.toStdString();
    EXPECT_TRUE(v.out.contains(QStringLiteral("1 vignettes : top-1"))) << v.out.toStdString();
}

// The report of a case as a PDF file, its page count on standard output.
TEST_F(Cli, ReportWritesThePdfOfTheCase)
{
    const QString pdf = file("rapport.pdf");
    const Outcome o =
        run("Data.vdat", {QStringLiteral("report"),
                          QStringLiteral(R"({"sex":"h","signs":["Fièvre"],"notes":"{\\rtf1 Vu.}"})"),
                          QStringLiteral("--out"), pdf, QStringLiteral("--name"), QStringLiteral("Martin")});
    EXPECT_EQ(o.status, 0) << o.err.toStdString();
    EXPECT_EQ(o.out, QStringLiteral("1 page(s) : %1\n").arg(pdf));
    QFile written(pdf);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_TRUE(written.readAll().startsWith("%PDF-"));
    EXPECT_FALSE(QFile::exists(file("vide.pdf")));
}

// The sheet of a pathology found without regard to case, its definition and treatment read from
// their RTF, the exam placeholder "0" left out; rtf-to-text needs no knowledge base.
TEST_F(Cli, SheetAndRtfToTextPrintTheTextTheReaderMakes)
{
    const Outcome sheet =
        run("Data.vdat", {QStringLiteral("sheet"), QStringLiteral("--json"), QStringLiteral("GRIPPE")});
    EXPECT_EQ(sheet.status, 0) << sheet.err.toStdString();
    EXPECT_TRUE(sheet.out.contains(QStringLiteral(R"("name":"Grippe")"))) << sheet.out.toStdString();
    EXPECT_TRUE(sheet.out.contains(
        QStringLiteral(R"("definition":"Infection virale aiguë due au virus influenza.")")))
        << sheet.out.toStdString();
    EXPECT_TRUE(sheet.out.contains(QStringLiteral(R"("exams":[])"))) << sheet.out.toStdString();
    EXPECT_FALSE(sheet.out.contains(u'\\' + QStringLiteral("rtf"))) << sheet.out.toStdString();

    const Outcome text = run("Data.vdat", {QStringLiteral("sheet"), QStringLiteral("Angine")});
    EXPECT_EQ(text.status, 0) << text.err.toStdString();
    EXPECT_TRUE(text.out.contains(QStringLiteral("* Odynophagie\n  Pleurs du nourrisson\n")))
        << text.out.toStdString();
    EXPECT_TRUE(text.out.contains(
        QStringLiteral("  CRP : Élevée\n  Test de diagnostic rapide streptococcique : Positif\n")))
        << text.out.toStdString();

    const Outcome unknown = run("Data.vdat", {QStringLiteral("sheet"), QStringLiteral("Angine aiguë")});
    EXPECT_EQ(unknown.status, 2);
    EXPECT_TRUE(unknown.err.contains(QStringLiteral("Pathologie inconnue"))) << unknown.err.toStdString();

    write("note.rtf", "{\\rtf1\\ansi{\\b Fi\\'e8vre}\\par \\u339?d\\'e8me\\par}");
    const Outcome rtf = run("absent.vdat", {QStringLiteral("rtf-to-text"), file("note.rtf")});
    EXPECT_EQ(rtf.status, 0) << rtf.err.toStdString();
    EXPECT_EQ(rtf.out, QStringLiteral("Fièvre\nœdème\n"));
}

} // namespace

namespace {

TEST_F(Cli, CaseFilesAreSavedListedShownAndDeleted)
{
    QFile::copy(file("Data.vdat"), file("cases.vdat"));
    QFile::setPermissions(file("cases.vdat"), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    const QString name = QStringLiteral(R"(O'Neil "Jo" [x] 100%   [12/09/2025  14:03:27])");
    const QString c = QStringLiteral("case");
    const QString json = QStringLiteral("--json");
    Outcome o = run("cases.vdat",
                    {c, QStringLiteral("save"),
                     QStringLiteral(R"({"sex":"h","age":"3","signs":["Fièvre"],"exams":["and","NFS : x"],)"
                                    R"("retained":"Grippe","notes":"{\\rtf1 n}"})"),
                     QStringLiteral("--name"), name, json});
    ASSERT_EQ(o.status, 0) << o.err.toStdString();
    o = run("cases.vdat", {c, QStringLiteral("save"), QStringLiteral(R"({"exams":["and","NFS : y"]})"),
                           QStringLiteral("--name"), QStringLiteral("B")});
    ASSERT_EQ(o.status, 0) << o.err.toStdString();
    o = run("cases.vdat", {c, QStringLiteral("list"), json});
    EXPECT_EQ(o.out.trimmed(), QStringLiteral(R"(["B","O'Neil \"Jo\" [x] 100%   [12/09/2025  14:03:27]"])"));
    o = run("cases.vdat", {c, QStringLiteral("show"), name, json});
    EXPECT_EQ(
        o.out.trimmed(),
        QStringLiteral(
            R"({"age":"3","analyses":[],"exams":["and","NFS : x"],"name":"O'Neil \"Jo\" [x] 100%   )"
            R"([12/09/2025  14:03:27]","notes":"{\\rtf1 n}","retained":"Grippe","sex":"h","signs":["Fièvre"]})"));
    EXPECT_EQ(run("cases.vdat", {c, QStringLiteral("delete"), QStringLiteral("B")}).status, 0);
    o = run("cases.vdat", {c, QStringLiteral("delete"), QStringLiteral("B")});
    EXPECT_EQ(o.status, 2);
    EXPECT_TRUE(o.err.contains(QStringLiteral("n'est pas enregistrée"))) << o.err.toStdString();
    EXPECT_EQ(run("cases.vdat", {c, QStringLiteral("list")}).out, name + u'\n');
    o = run("cases.vdat", {c, QStringLiteral("save"), QStringLiteral("{}"), QStringLiteral("--name"), name});
    EXPECT_TRUE(o.err.contains(QStringLiteral("Vous n'avez pas encore effectuer"))) << o.err.toStdString();
}

} // namespace

namespace {

// A judgement learned from the command line, read back by the next evaluation: the pathology
// judged right climbs above one that ranked before it, and the file keeps what it held.
TEST_F(Cli, LearningMovesTheJudgedDiagnosisInTheNextEvaluation)
{
    const QString learning = file("Apprentissage.vl");
    write("Apprentissage.vl", "Angine\r\nToux\r\n-1\r\n");
    const QString json = QStringLiteral(R"({"sex":"h","age":"2","signs":["Fièvre","and","Céphalées"]})");
    auto ranking = [&](bool withLearning) {
        QStringList args{QStringLiteral("evaluate")};
        if (withLearning)
            args << QStringLiteral("--learning") << learning;
        const Outcome o = run("Data.vdat", args << json);
        EXPECT_EQ(o.status, 0) << o.err.toStdString();
        QStringList names;
        for (const QString& part : o.out.split(QStringLiteral("\"name\":\"")).mid(1))
            names.append(part.left(part.indexOf(u'"')));
        return names;
    };
    const QStringList before = ranking(true);
    ASSERT_EQ(before.indexOf(QStringLiteral("Orchite")), 3) << before.join(u',').toStdString();

    const Outcome learned =
        run("absent.vdat", {QStringLiteral("learn"), json, QStringLiteral("--diagnosis"),
                            QStringLiteral("Orchite"), QStringLiteral("--right"), QStringLiteral("--level"),
                            QStringLiteral("5"), QStringLiteral("--file"), learning});
    ASSERT_EQ(learned.status, 0) << learned.err.toStdString();
    QFile f(learning);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("Angine\r\nToux\r\n-1\r\n"
                                      "Orchite\r\nFi\xe8vre\r\n+5\r\nOrchite\r\nC\xe9phal\xe9"
                                      "es\r\n+5\r\n"));

    const QStringList after = ranking(true);
    EXPECT_EQ(after.indexOf(QStringLiteral("Orchite")), 2) << after.join(u',').toStdString();
    EXPECT_EQ(ranking(false), before);
}

} // namespace
