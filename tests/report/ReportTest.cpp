// The diagnosis report read back from its PDF as a reader reads it: the text poppler extracts, page
// by page, and the document's properties.

#include "kb/Query.h"
#include "kb/Schema.h"
#include "kb/Sqlite.h"
#include "report/DiagnosisReport.h"
#include "report/PdfFile.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace vardelo;

namespace {

QString run(const char* program, const QStringList& arguments)
{
    QProcess process;
    process.start(QString::fromUtf8(program), arguments);
    EXPECT_TRUE(process.waitForFinished(60000)) << program;
    EXPECT_EQ(process.exitCode(), 0) << program << ' ' << process.readAllStandardError().constData();
    return QString::fromUtf8(process.readAllStandardOutput());
}

// The page's text line by line as laid out, each line's runs of spaces made single.
QString pageText(const QString& pdf, int page)
{
    const QString text =
        run(VARDELO_PDFTOTEXT, {QStringLiteral("-layout"), QStringLiteral("-f"), QString::number(page),
                                QStringLiteral("-l"), QString::number(page), pdf, QStringLiteral("-")});
    QStringList lines;
    for (const QString& line : text.split(u'\n'))
        if (const QString l = line.simplified(); !l.isEmpty())
            lines << l;
    return lines.join(u'\n');
}

// Each expected piece is found after the previous one.
void expectInOrder(const QString& text, const QStringList& pieces)
{
    qsizetype from = 0;
    for (const QString& piece : pieces) {
        const qsizetype at = text.indexOf(piece, from);
        ASSERT_GE(at, 0) << "missing after position " << from << ": " << piece.toStdString() << "\n"
                         << text.toStdString();
        from = at + piece.size();
    }
}

class ReportTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        connection = std::make_unique<kb::Connection>(dir.filePath(QStringLiteral("Data.vdat")),
                                                      kb::Connection::Mode::Create);
        kb::createSchema(*connection);
        query = std::make_unique<kb::Query>(*connection);
    }

    static report::ReportContent typicalCase(int rowCount)
    {
        report::ReportContent c;
        c.kbVersion = QStringLiteral("1.0");
        c.caseName = QStringLiteral("Dupont Jeanne 10/12/2026 09:30:00");
        c.sexCaption = QStringLiteral("Féminin");
        c.ageCaption = QStringLiteral("Entre 15 et 45 ans");
        c.notesRtf = QStringLiteral(R"({\rtf1\ansi Toux depuis {\b dix} jours.\par Pas de voyage.\par})");
        c.signFormula = {QStringLiteral("Fièvre"), QStringLiteral("and"), QStringLiteral("Toux grasse")};
        c.examLines = {QStringLiteral("and"), QStringLiteral("CRP : Élevée")};
        c.diagnosesCaption = QStringLiteral("%1   Diagnostics évoqués").arg(rowCount);
        c.rankingCaption = engine::sortModeCaption(engine::SortMode::Prevalence);
        for (int i = 0; i < rowCount; ++i)
            c.rows.push_back({QString::number(99 - i * 99 / std::max(rowCount, 1)),
                              QStringLiteral("Pathologie numéro %1").arg(i + 1), i == 2});
        c.retainedDiagnosis = QStringLiteral("Pathologie numéro 1");
        return c;
    }

    QString write(report::DiagnosisReport& r, const report::ReportContent& content, const QString& name)
    {
        r.prepare(*query, content);
        const QString path = dir.filePath(name);
        QString error;
        EXPECT_TRUE(r.write(path, &error)) << error.toStdString();
        return path;
    }

    QStringList workTable()
    {
        QStringList rows;
        query->open(QStringLiteral("select * from Report"));
        for (; !query->eof(); query->next())
            rows << query->field(QStringLiteral("P")) + u' ' + query->field(QStringLiteral("F"));
        return rows;
    }

    QTemporaryDir dir;
    std::unique_ptr<kb::Connection> connection;
    std::unique_ptr<kb::Query> query;
};

TEST_F(ReportTest, ALongCaseRunsOnNumberedPagesEachWithHeaderAndFooter)
{
    report::DiagnosisReport r;
    const report::ReportContent content = typicalCase(120);
    const QString pdf = write(r, content, QStringLiteral("long.pdf"));
    ASSERT_GE(r.pageCount(), 2);

    // The work table holds the rows in display order until it is emptied.
    const QStringList table = workTable();
    ASSERT_EQ(table.size(), 120);
    EXPECT_EQ(table.first(), QStringLiteral("99 Pathologie numéro 1"));
    EXPECT_EQ(table.last(), QStringLiteral("1 Pathologie numéro 120"));
    report::emptyReportTable(*query);
    EXPECT_TRUE(workTable().isEmpty());

    const QString total = QString::number(r.pageCount());
    int rowsSeen = 0;
    for (int page = 1; page <= r.pageCount(); ++page) {
        const QString text = pageText(pdf, page);
        // Every page repeats the patient, the notes, the formula and the exams above its rows, and
        // the retained diagnosis, the disclaimer and its number below them.
        expectInOrder(text, {QStringLiteral("Logiciel Vardelo version"),
                             QStringLiteral("1.0"),
                             QStringLiteral("Nom"),
                             QStringLiteral("Dupont Jeanne 10/12/2026 09:30:00"),
                             QStringLiteral("Sexe"),
                             QStringLiteral("Féminin"),
                             QStringLiteral("Age"),
                             QStringLiteral("Entre 15 et 45 ans"),
                             QStringLiteral("Notes :"),
                             QStringLiteral("Toux depuis dix jours."),
                             QStringLiteral("Pas de voyage."),
                             QStringLiteral("Signes cliniques / Symptômes :"),
                             QStringLiteral("Fièvre"),
                             QStringLiteral("and"),
                             QStringLiteral("Toux grasse"),
                             QStringLiteral("Examens complémentaires :"),
                             QStringLiteral("CRP : Élevée"),
                             QStringLiteral("Analyse linéaire"),
                             QStringLiteral("%"),
                             QStringLiteral("120 Diagnostics évoqués"),
                             QStringLiteral("(Tri par Prévalence)")});
        expectInOrder(text, {QStringLiteral("Diagnostic retenu :"), QStringLiteral("Pathologie numéro 1"),
                             QStringLiteral("Le médecin reste le seul responsable de la validité du "
                                            "diagnostic et du traitement"),
                             QStringLiteral("- Page %1 sur %2 -").arg(page).arg(total)});
        rowsSeen += int(text.count(QStringLiteral("Pathologie numéro "))) - 1; // less the retained one
    }
    // Every row is printed once, none lost at a page break.
    EXPECT_EQ(rowsSeen, 120);
    expectInOrder(pageText(pdf, 1),
                  {QStringLiteral("99"), QStringLiteral("Pathologie numéro 1"),
                   QStringLiteral("Pathologie numéro 2"), QStringLiteral("Pathologie numéro 3"),
                   report::EmergencyMark, QStringLiteral("Pathologie numéro 4")});
    EXPECT_EQ(pageText(pdf, 1).count(report::EmergencyMark), 1);

    const QString info = run(VARDELO_PDFINFO, {pdf});
    for (const QString& line :
         {QStringLiteral("Title:           Vardelo"),
          QStringLiteral("Subject:         Historique des scores"),
          QStringLiteral("Creator:         Vardelo"), QStringLiteral("Producer:        Vardelo"),
          QStringLiteral("Page size:       595 x 842 pts (A4)"), QStringLiteral("Pages:           ") + total})
        EXPECT_TRUE(info.contains(line)) << line.toStdString() << "\n" << info.toStdString();

    // The first page as an image in the build folder, for anyone to look at.
    run(VARDELO_PDFTOPPM,
        {QStringLiteral("-png"), QStringLiteral("-r"), QStringLiteral("80"), QStringLiteral("-singlefile"),
         pdf, QStringLiteral(VARDELO_BINARY_DIR "/report-page1")});
    EXPECT_TRUE(QFile::exists(QStringLiteral(VARDELO_BINARY_DIR "/report-page1.png")));
}

TEST_F(ReportTest, EmptyFieldsShowTheDottedLineAndTheQuestionMark)
{
    report::ReportContent content;
    content.kbVersion = QStringLiteral("1.0");
    content.examLines = {QStringLiteral("and"), QStringLiteral("NFS : Normale")};
    content.analysisName = QStringLiteral("Hypothèse infectieuse");
    content.diagnosesCaption = QStringLiteral("Diagnostics évoqués");
    content.rankingCaption = engine::sortModeCaption(engine::SortMode::Probability);
    // Notes holding only formatting are no notes.
    content.notesRtf = QStringLiteral(R"({\rtf1\ansi {\b  }\par})");
    report::DiagnosisReport r;
    const QString pdf = write(r, content, QStringLiteral("empty.pdf"));
    EXPECT_EQ(r.pageCount(), 1);
    EXPECT_EQ(report::dottedLine().count(u'.'), 39);
    EXPECT_EQ(report::dottedLine().size(), 39 * 2 - 1);
    const QString text = pageText(pdf, 1);
    // The layout may space the dots more widely; the dots themselves are what counts.
    const QString squeezed = QString(text).remove(u' ');
    const QString dots(39, u'.');
    expectInOrder(squeezed, {QStringLiteral("Notes:"), dots, QStringLiteral("Signescliniques/Symptômes:"),
                             dots, QStringLiteral("Examenscomplémentaires:"), QStringLiteral("NFS:Normale"),
                             QStringLiteral("Hypothèseinfectieuse"), QStringLiteral("(TriparProbabilité)"),
                             QStringLiteral("Diagnosticretenu:?"), QStringLiteral("-Page1sur1-")});
    EXPECT_EQ(squeezed.count(dots), 2);
}

TEST_F(ReportTest, ExportGoesIntoTheExportFolderBesideTheExecutableCreatedWhenMissing)
{
    const QString executable = dir.filePath(QStringLiteral("Programmes/Pratilo/PRATILO.exe"));
    report::DiagnosisReport r;
    r.prepare(*query, typicalCase(3));
    QString error;
    ASSERT_TRUE(report::writeExport(r, executable, &error)) << error.toStdString();
    const QString exported = dir.filePath(QStringLiteral("Programmes/Pratilo/Export/Diagnostic Vardelo.pdf"));
    ASSERT_TRUE(QFile::exists(exported));
    EXPECT_TRUE(pageText(exported, 1).contains(QStringLiteral("Pathologie numéro 3")));

    // A second export replaces the file, and only that file is in the folder.
    r.prepare(*query, typicalCase(4));
    ASSERT_TRUE(report::writeExport(r, executable, &error)) << error.toStdString();
    EXPECT_TRUE(pageText(exported, 1).contains(QStringLiteral("Pathologie numéro 4")));
    EXPECT_EQ(QDir(dir.filePath(QStringLiteral("Programmes/Pratilo/Export"))).entryList(QDir::Files),
              QStringList{report::ExportFileName});

    // Both separators end the folder part of a stored path.
    EXPECT_EQ(report::exportFolder(QStringLiteral(R"(C:\Pratilo\PRATILO.exe)")),
              QStringLiteral(R"(C:\Pratilo\Export)"));
    for (const auto& [path, expected] : {std::pair{QStringLiteral("/opt/Pratilo/PRATILO.exe"), true},
                                         {QStringLiteral("/opt/pratilo/pratilo.exe"), true},
                                         {QStringLiteral(R"(C:\Pratilo\Pratilo.EXE)"), true},
                                         {QStringLiteral("/opt/Pratilo/PRATILO.exe.bak"), false},
                                         {QStringLiteral("/opt/PRATILO.exe/Autre.exe"), false},
                                         {QStringLiteral("/opt/NOTPRATILO.exe"), false}})
        EXPECT_EQ(report::isPratiloExecutable(path), expected) << path.toStdString();
}

TEST_F(ReportTest, AFileThatCannotBeWrittenGivesAMessageAndLeavesNothing)
{
    report::DiagnosisReport r;
    r.prepare(*query, typicalCase(3));
    // A plain file where the program's folder should be: neither the export folder nor a file in
    // it can be made.
    QFile blocker(dir.filePath(QStringLiteral("Pratilo")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    QString error;
    EXPECT_FALSE(report::writeExport(r, dir.filePath(QStringLiteral("Pratilo/PRATILO.exe")), &error));
    EXPECT_TRUE(error.startsWith(QStringLiteral("Impossible de créer le dossier"))) << error.toStdString();

    error.clear();
    EXPECT_FALSE(r.write(dir.filePath(QStringLiteral("Pratilo/Diagnostic1.pdf")), &error));
    EXPECT_TRUE(error.startsWith(QStringLiteral("Impossible d'écrire le fichier"))) << error.toStdString();
    EXPECT_FALSE(r.write(dir.filePath(QStringLiteral("absent/Diagnostic1.pdf")), &error));
    EXPECT_FALSE(QFileInfo::exists(dir.filePath(QStringLiteral("absent"))));
    // A folder in the file's place is not replaced.
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("dossier.pdf")));
    EXPECT_FALSE(r.write(dir.filePath(QStringLiteral("dossier.pdf")), &error));
    EXPECT_TRUE(QFileInfo(dir.filePath(QStringLiteral("dossier.pdf"))).isDir());
    // No temporary file is left behind.
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
              (QStringList{QStringLiteral("Data.vdat"), QStringLiteral("Pratilo")}));
}

TEST(ReportFileNames, TheFirstFreeNumberIsProposed)
{
    QTemporaryDir dir;
    const auto touch = [&dir](const char* name) {
        QFile f(dir.filePath(QString::fromLatin1(name)));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    };
    EXPECT_EQ(report::proposedReportName(dir.path()), QStringLiteral("Diagnostic1.pdf"));
    touch("Diagnostic2.pdf");
    EXPECT_EQ(report::proposedReportName(dir.path()), QStringLiteral("Diagnostic1.pdf"));
    touch("Diagnostic1.pdf");
    EXPECT_EQ(report::proposedReportName(dir.path()), QStringLiteral("Diagnostic3.pdf"));
}

TEST(PdfDocumentInfo, AnyCharacterSurvivesInTheProperties)
{
    // A minimal PDF as Qt writes it: the update appends a new information dictionary.
    const QByteArray pdf =
        "%PDF-1.4\n1 0 obj\n<< /Type /Catalog >>\nendobj\nxref\n0 2\n0000000000 65535 f \n"
        "0000000009 00000 n \ntrailer\n<<\n/Size 2\n/Root 1 0 R\n>>\nstartxref\n45\n%%EOF\n";
    const QByteArray out =
        report::withDocumentInfo(pdf, {QStringLiteral("Œdème (aigu) \\ ü"), {}, {}, {}, {}});
    EXPECT_TRUE(out.startsWith(pdf));
    EXPECT_TRUE(out.contains("2 0 obj"));
    EXPECT_TRUE(out.contains("/Prev 45"));
    EXPECT_TRUE(out.contains("/Root 1 0 R"));
    EXPECT_TRUE(
        out.contains("/Title <FEFF0152006400E8006D006500200028006100690067007500290020005C002000FC>"));
    // Something that is not a PDF is left as it is.
    EXPECT_EQ(report::withDocumentInfo("pas un PDF", {}), QByteArray("pas un PDF"));
}

} // namespace

int main(int argc, char** argv)
{
    // Fonts and text layout need a graphical application; no display is used.
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
