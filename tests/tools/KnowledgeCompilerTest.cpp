#include "kb/Query.h"
#include "kb/Schema.h"
#include "kb/VersionArea.h"
#include "tools/kb/Knowledge.h"
#include "tools/kb/Markdown.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace vardelo;
using namespace vardelo::kbc;

namespace {

const QString Fixture = QStringLiteral(VARDELO_FIXTURES "/knowledge");

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeAll(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

// A private copy of the fixture sources that a test may break.
class SourceCopy {
public:
    SourceCopy()
    {
        QDirIterator it(Fixture, QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString source = it.next();
            writeAll(path(QDir(Fixture).relativeFilePath(source)), readAll(source));
        }
    }
    QString dir() const { return temp_.path(); }
    QString path(const QString& relative) const { return temp_.filePath(relative); }
    void replace(const QString& relative, const QByteArray& from, const QByteArray& to)
    {
        QByteArray bytes = readAll(path(relative));
        ASSERT_TRUE(bytes.contains(from)) << from.toStdString();
        bytes.replace(from, to);
        writeAll(path(relative), bytes);
    }

private:
    QTemporaryDir temp_;
};

TEST(KnowledgeCompiler, FixtureCompilesIntoACompleteDatabase)
{
    const LoadResult result = loadKnowledge(Fixture);
    for (const Diagnostic& d : result.diagnostics)
        ADD_FAILURE() << d.toString().toStdString();
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Data.vdat"));
    QString error;
    ASSERT_TRUE(writeDatabase(result.knowledge, path, &error)) << error.toStdString();

    EXPECT_EQ(kb::readKbVersion(path).raw, kb::ExpectedKBVersionRaw);
    kb::Connection db(path, kb::Connection::Mode::ReadOnly);
    kb::Query q(db);
    q.open(QStringLiteral("select * from Data where P = 'pneumopathie'"));
    ASSERT_EQ(q.recordCount(), 1);
    EXPECT_EQ(q.field(QStringLiteral("S")).split(QStringLiteral("\r\n")).size(), 8);
    EXPECT_TRUE(q.field(QStringLiteral("S")).contains(QStringLiteral("Pathologie : Grippe | 2")));
    EXPECT_EQ(q.field(QStringLiteral("E")),
              QStringLiteral("*Radiographie thoracique : Opacité alvéolaire | 8\r\nCRP : Élevée | 3"));
    EXPECT_TRUE(q.field(QStringLiteral("D")).startsWith(QStringLiteral("{\\rtf1")));
    q.open(QStringLiteral("select * from Data where P = 'Grippe'"));
    EXPECT_EQ(q.field(QStringLiteral("E")), QStringLiteral("0"));

    // Associated pathologies join the sign vocabulary so that recognition finds them.
    q.open(QStringLiteral("select * from SC where S = 'Pathologie : Grippe'"));
    ASSERT_EQ(q.recordCount(), 1);
    EXPECT_TRUE(q.field(QStringLiteral("Exp")).contains(QStringLiteral("grippe")));
    EXPECT_EQ(q.field(QStringLiteral("Sup")), QStringLiteral("familial"));
    q.open(QStringLiteral("select * from SC where S = 'Douleur testiculaire'"));
    EXPECT_EQ(q.field(QStringLiteral("X")), QStringLiteral("h"));
    q.open(QStringLiteral("select * from Prm where T = 'MS'"));
    EXPECT_TRUE(q.field(QStringLiteral("V")).startsWith(QStringLiteral(" le la ")));
    EXPECT_TRUE(q.field(QStringLiteral("V")).endsWith(QStringLiteral(" en ")));
}

TEST(KnowledgeCompiler, OutputIsDeterministic)
{
    QTemporaryDir dir;
    QString error;
    const LoadResult result = loadKnowledge(Fixture);
    ASSERT_TRUE(writeDatabase(result.knowledge, dir.filePath(QStringLiteral("a.vdat")), &error));
    ASSERT_TRUE(
        writeDatabase(loadKnowledge(Fixture).knowledge, dir.filePath(QStringLiteral("b.vdat")), &error));
    EXPECT_EQ(readAll(dir.filePath(QStringLiteral("a.vdat"))),
              readAll(dir.filePath(QStringLiteral("b.vdat"))));
}

struct Refusal {
    const char* file;
    const char* from;
    const char* to;
    int line; // 0: any
    const char* reason;
};

TEST(KnowledgeCompiler, RefusesBadSourcesWithFileLineAndReason)
{
    const Refusal refusals[] = {
        {"pathologies/test/grippe.yaml", "  Toux | 2", "  Toux sèche | 2", 7, "absent du vocabulaire"},
        {"pathologies/test/grippe.yaml", "  Toux | 2", "  Toux 2", 7, "mal formée"},
        {"pathologies/test/grippe.yaml", "  Toux | 2", "  Toux | 12", 7, "hors de l'échelle 1 à 10"},
        {"pathologies/test/grippe.yaml", "  Toux | 2", "  To*ux | 2", 7, "en tête de ligne"},
        {"pathologies/test/grippe.yaml", "  Toux | 2", "  Fièvre | 2", 7, "deux fois"},
        {"pathologies/test/grippe.yaml", "prevalence: 12", "prevalence: 25", 2, "hors de l'échelle 1 à 20"},
        {"pathologies/test/grippe.yaml", "prevalence: 12", "prevalence: souvent", 2, "non entière"},
        {"pathologies/test/grippe.yaml", "applicability: hf123", "applicability: hf", 3, "applicabilité"},
        {"pathologies/test/grippe.yaml", "applicability: hf123", "applicability: hh12", 3, "applicabilité"},
        {"pathologies/test/grippe.yaml", "search: grippe influenza", "search: Grippe", 4, "minuscules"},
        {"pathologies/test/grippe.yaml", "name: Grippe", "nom: Grippe", 1, "clé inconnue"},
        {"pathologies/test/grippe.yaml", "search: grippe influenza", "search: grippe influenza\nhistory: Flu",
         5, "history doit contenir des mots en minuscules"},
        {"pathologies/test/grippe.yaml", "exams: 0", "exams: |\n  NFS : Normale", 15,
         "absente du vocabulaire des examens"},
        {"pathologies/test/grippe.yaml", "**virale**", "**virale", 0, "ouvert sans être refermé"},
        {"pathologies/test/grippe.yaml", "  Odynophagie | 1\n", "", 0, "de 8 à 25"},
        {"pathologies/test/grippe.yaml", "signs: |", "signs: [", 0, "YAML invalide"},
        {"pathologies/test/orchite.yaml", "name: Orchite", "name: GRIPPE", 0, "déjà définie"},
        {"pathologies/test/orchite.yaml", "applicability: h23", "applicability: f23", 6, "réservé au sexe"},
        {"pathologies/test/angine.yaml", "applicability: hf123", "applicability: hf23", 0, "tranche d'âge 1"},
        {"pathologies/test/pneumopathie.yaml", "Pathologie : Grippe", "Pathologie : Rougeole", 13,
         "ne nomme aucune"},
        {"pathologies/test/grippe.yaml", "exams: 0", "exams: 0\nemergency: oui", 15,
         "emergency vaut true ou false"},
        {"pathologies/test/grippe.yaml", "exams: 0", "exams: 0\ndefinition_only: |\n  Toux sèche", 16,
         "definition_only : « Toux sèche » absent du vocabulaire"},
        {"vocabulary/signs/base.yaml", "text: Toux grasse", "text: TOUX", 0, "ne diffèrent que"},
        {"vocabulary/signs/base.yaml", "exp: toux tousse", "exp: Toux", 0, "minuscules sans accents"},
        {"vocabulary/signs/base.yaml", "    sex: h", "    sex: m", 0, "sex vaut h ou f"},
        {"vocabulary/signs/base.yaml", "    age: \"1\"", "    age: \"4\"", 0, "age vaut"},
        {"vocabulary/exams/base.yaml", "CRP : Élevée\"", "CRP Élevée\"", 0, "<examen> : <résultat>"},
    };
    for (const Refusal& r : refusals) {
        SCOPED_TRACE(std::string(r.file) + ": " + r.to);
        SourceCopy copy;
        copy.replace(QString::fromUtf8(r.file), r.from, r.to);
        const LoadResult result = loadKnowledge(copy.dir());
        ASSERT_TRUE(result.hasErrors());
        bool found = false;
        for (const Diagnostic& d : result.diagnostics) {
            if (d.severity == Diagnostic::Severity::Error && d.reason.contains(QString::fromUtf8(r.reason))) {
                found = true;
                if (r.line > 0 && d.file.endsWith(QString::fromUtf8(r.file))) {
                    EXPECT_EQ(d.line, r.line) << d.toString().toStdString();
                }
            }
        }
        EXPECT_TRUE(found) << "expected: " << r.reason;
    }
}

TEST(KnowledgeCompiler, HistoryWordsJoinTheKeywordsOfTheAssociatedSignOnly)
{
    SourceCopy copy;
    copy.replace(QStringLiteral("pathologies/test/grippe.yaml"), "search: grippe influenza",
                 "search: grippe influenza\nhistory: flu  h1n1");
    const LoadResult result = loadKnowledge(copy.dir());
    ASSERT_FALSE(result.hasErrors());
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Data.vdat"));
    QString error;
    ASSERT_TRUE(writeDatabase(result.knowledge, path, &error)) << error.toStdString();
    kb::Connection db(path, kb::Connection::Mode::ReadOnly);
    kb::Query q(db);
    q.open(QStringLiteral("select * from SC where S = 'Pathologie : Grippe'"));
    ASSERT_EQ(q.recordCount(), 1);
    EXPECT_EQ(q.field(QStringLiteral("Exp")), QStringLiteral("pathologie antecedent atcd grippe flu h1n1"));
    q.open(QStringLiteral("select * from Data where P = 'Grippe'"));
    EXPECT_EQ(q.field(QStringLiteral("RP")), QStringLiteral("grippe influenza"));
}

TEST(KnowledgeCompiler, UnusedVocabularyIsAWarning)
{
    SourceCopy copy;
    copy.replace(QStringLiteral("vocabulary/signs/base.yaml"), "signs:\n",
                 "signs:\n  - text: Prurit\n    exp: prurit\n");
    const LoadResult result = loadKnowledge(copy.dir());
    EXPECT_FALSE(result.hasErrors());
    ASSERT_EQ(result.count(Diagnostic::Severity::Warning), 1);
    EXPECT_TRUE(result.diagnostics.front().reason.contains(QStringLiteral("Prurit")));
}

std::vector<QString> warnings(const QString& dir)
{
    std::vector<QString> out;
    for (const Diagnostic& d : loadKnowledge(dir).diagnostics)
        out.push_back(d.toString());
    return out;
}

TEST(KnowledgeCompiler, SignsNamedByTheDefinitionAreListedOrDeclaredDeliberate)
{
    SourceCopy copy;
    copy.replace(QStringLiteral("pathologies/test/grippe.yaml"), "aiguë due",
                 "aiguë, avec une TOUX GRASSE, due");
    auto reported = warnings(copy.dir());
    ASSERT_EQ(reported.size(), 1u);
    EXPECT_TRUE(reported.front().contains(QStringLiteral("« Toux grasse »")))
        << reported.front().toStdString();

    copy.replace(QStringLiteral("pathologies/test/grippe.yaml"), "exams: 0",
                 "exams: 0\ndefinition_only: |\n  Toux grasse");
    EXPECT_TRUE(warnings(copy.dir()).empty());

    // A deliberate entry that the definition no longer names is stale.
    copy.replace(QStringLiteral("pathologies/test/grippe.yaml"), "avec une TOUX GRASSE, ", "");
    reported = warnings(copy.dir());
    ASSERT_EQ(reported.size(), 1u);
    EXPECT_TRUE(reported.front().contains(QStringLiteral("ne nomme pas"))) << reported.front().toStdString();
}

TEST(KnowledgeCompiler, ATreatmentOpeningOnAnUrgentReferralNeedsTheEmergencyFlag)
{
    SourceCopy copy;
    copy.replace(QStringLiteral("pathologies/test/grippe.yaml"), "Traitement symptomatique :",
                 "**Appel au 15** dans les formes graves ; sinon, traitement symptomatique :");
    const auto reported = warnings(copy.dir());
    ASSERT_EQ(reported.size(), 1u);
    EXPECT_TRUE(reported.front().contains(QStringLiteral("emergency"))) << reported.front().toStdString();
    for (const char* flag : {"emergency: true", "emergency: false"}) {
        SourceCopy stated;
        stated.replace(QStringLiteral("pathologies/test/grippe.yaml"), "Traitement symptomatique :",
                       "**Appel au 15** dans les formes graves ; sinon, traitement symptomatique :");
        stated.replace(QStringLiteral("pathologies/test/grippe.yaml"), "exams: 0",
                       QByteArray("exams: 0\n") + flag);
        EXPECT_TRUE(warnings(stated.dir()).empty()) << flag;
    }
}

TEST(KnowledgeCompiler, UpgradeReplacesKnowledgeAndKeepsTheUsersWork)
{
    QTemporaryDir dir;
    const QString compiled = dir.filePath(QStringLiteral("compiled.vdat"));
    const QString user = dir.filePath(QStringLiteral("Data.vdat"));
    QString error;
    bool changed = false;
    ASSERT_TRUE(writeDatabase(loadKnowledge(Fixture).knowledge, compiled, &error));
    ASSERT_TRUE(upgradeDatabase(compiled, user, &changed, &error)) << error.toStdString();
    EXPECT_TRUE(changed);
    {
        kb::Connection db(user, kb::Connection::Mode::ReadWrite);
        db.exec(QStringLiteral("insert into Fiche (ID, SC) values (?, ?)"),
                {QStringLiteral("Dupont   [01/02/2026  10:00:00]"), QStringLiteral("Toux\r\n")});
        db.exec(QStringLiteral("update Prm set V = ? where T = ?"),
                {QStringLiteral("/opt/pratilo"), kb::prm::PratiloPath});
    }
    ASSERT_TRUE(upgradeDatabase(compiled, user, &changed, &error));
    EXPECT_FALSE(changed);

    {
        // A file made before the emergency flag existed lacks its table.
        kb::Connection db(user, kb::Connection::Mode::ReadWrite);
        db.execScript(QStringLiteral("drop table Emergency"));
    }
    SourceCopy copy;
    copy.replace(QStringLiteral("pathologies/test/grippe.yaml"), "prevalence: 12",
                 "prevalence: 13\nemergency: true");
    const QString newer = dir.filePath(QStringLiteral("newer.vdat"));
    ASSERT_TRUE(writeDatabase(loadKnowledge(copy.dir()).knowledge, newer, &error));
    ASSERT_TRUE(upgradeDatabase(newer, user, &changed, &error)) << error.toStdString();
    EXPECT_TRUE(changed);

    kb::Connection db(user, kb::Connection::Mode::ReadOnly);
    kb::Query q(db);
    q.open(QStringLiteral("select * from Data where P = 'Grippe'"));
    EXPECT_EQ(q.field(QStringLiteral("F")), QStringLiteral("13"));
    q.open(QStringLiteral("select * from Data"));
    EXPECT_EQ(q.recordCount(), 4);
    q.open(QStringLiteral("select * from Emergency"));
    ASSERT_EQ(q.recordCount(), 1);
    EXPECT_EQ(q.field(QStringLiteral("P")), QStringLiteral("Grippe"));
    q.open(QStringLiteral("select * from Fiche"));
    EXPECT_EQ(q.recordCount(), 1);
    q.open(QStringLiteral("select * from Prm where T = 'PT_EXE_Path'"));
    EXPECT_EQ(q.field(QStringLiteral("V")), QStringLiteral("/opt/pratilo"));
}

TEST(Markdown, SubsetBecomesParagraphsRunsAndBullets)
{
    const MarkdownResult r =
        parseMarkdown(QStringLiteral("Une **forte** fièvre\net *toux*.\n\n- repos\n  au lit\n- eau\nFin"));
    ASSERT_TRUE(r.errors.isEmpty());
    ASSERT_EQ(r.paragraphs.size(), 4u);
    EXPECT_FALSE(r.paragraphs[0].bullet);
    ASSERT_EQ(r.paragraphs[0].runs.size(), 5u);
    EXPECT_TRUE(r.paragraphs[0].runs[1].bold);
    EXPECT_EQ(r.paragraphs[0].runs[2].text, QStringLiteral(" fièvre et "));
    EXPECT_TRUE(r.paragraphs[0].runs[3].italic);
    EXPECT_TRUE(r.paragraphs[1].bullet);
    EXPECT_EQ(r.paragraphs[1].runs[0].text, QStringLiteral("repos au lit"));
    EXPECT_FALSE(r.paragraphs[3].bullet);

    const QString rtf = rtf::writeRtf(r.paragraphs);
    EXPECT_TRUE(rtf.contains(QStringLiteral("{\\b forte}")));
    EXPECT_TRUE(rtf.contains(QStringLiteral("fi\\'e8vre")));
    for (const QChar c : rtf)
        EXPECT_LT(c.unicode(), 0x80);
    EXPECT_EQ(rtf::escapeRtf(u"{a\\b}’€ح"), QStringLiteral("\\{a\\\\b\\}\\'92\\'80\\u1581?"));
}

} // namespace
