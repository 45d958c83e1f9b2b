// The report from the window: the "PDF" button with its save dialog and replacement question, and
// the "Pratilo" dialog that stores the practice program's place and exports the report there.

#include "TestSupport.h"
#include "app/MainWindow.h"
#include "app/Program.h"
#include "app/ReportActions.h"
#include "dialogs/ExportSettingsDialog.h"
#include "kb/Schema.h"
#include "report/DiagnosisReport.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QStandardPaths>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QUrl>

using namespace vardelo;
using namespace vardelo::testing;

class ReportWindowTest : public WindowTest {
    Q_OBJECT

private:
    QString diagnostics;

    void enterSign(const QString& text)
    {
        auto* input = child<QComboBox>(form, QStringLiteral("signInput"));
        input->setFocus();
        QCOMPARE(focusWidget(), input);
        input->lineEdit()->selectAll();
        typeText(text);
        pressKey(Qt::Key_Return);
    }
    void pressPdf()
    {
        QTest::mouseClick(child<QToolButton>(form, QStringLiteral("reportButton")), Qt::LeftButton);
    }
    int workTableRows()
    {
        form->query().open(QStringLiteral("select * from Report"));
        return form->query().recordCount();
    }
    static QByteArray read(const QString& path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void init()
    {
        diagnostics = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation) +
                      QStringLiteral("/Vardelo/Diagnostics");
        QDir(diagnostics).removeRecursively();
        folder = std::make_unique<ProgramFolder>();
        showProgram();
        child<QToolButton>(form, QStringLiteral("clearAllButton"))->click();
        folder->messages.shown.clear();
    }

    void cleanup()
    {
        program.reset();
        folder.reset();
        QDir(diagnostics).removeRecursively();
    }

    void anEmptyCaseHasNoReport()
    {
        pressPdf();
        QCOMPARE(folder->messages.texts(), QStringList{report::NoEntryMessage});
        QVERIFY(folder->messages.fileRequests.isEmpty());
    }

    void pdfProposesTheNextFreeNameAndAsksBeforeReplacing()
    {
        enterSign(QStringLiteral("Fièvre"));
        QCOMPARE(form->session().state().SCList, QStringList{QStringLiteral("Fièvre")});
        QVERIFY(QDir().mkpath(diagnostics));
        {
            QFile existing(diagnostics + QStringLiteral("/Diagnostic1.pdf"));
            QVERIFY(existing.open(QIODevice::WriteOnly));
            existing.write("ancien");
        }

        // Cancelled: nothing written, and the rows wait in the work table for the next report.
        pressPdf();
        QCOMPARE(folder->messages.fileRequests,
                 (QStringList{QDir::toNativeSeparators(diagnostics), QStringLiteral("Diagnostic2.pdf")}));
        QVERIFY(!QFile::exists(diagnostics + QStringLiteral("/Diagnostic2.pdf")));
        QVERIFY(workTableRows() > 0);

        // A new file: written, opened in the viewer, the work table emptied. No extension given: ".pdf".
        folder->messages.files = {diagnostics + QStringLiteral("/Diagnostic2")};
        pressPdf();
        const QString written = diagnostics + QStringLiteral("/Diagnostic2.pdf");
        QVERIFY(read(written).startsWith("%PDF"));
        QCOMPARE(folder->desktop.opened, QStringList{QUrl::fromLocalFile(written).toString()});
        QCOMPARE(workTableRows(), 0);
        QVERIFY(folder->messages.shown.isEmpty());

        // An existing file: the question; No keeps it, Yes replaces it.
        const QString existing = diagnostics + QStringLiteral("/Diagnostic1.pdf");
        folder->messages.files = {existing, existing};
        folder->messages.answers = {app::DialogButton::No, app::DialogButton::Yes};
        pressPdf();
        QCOMPARE(folder->messages.texts(), QStringList{report::ReplaceQuestion});
        QCOMPARE(folder->messages.shown.first().type, app::DialogType::Warning);
        QCOMPARE(read(existing), QByteArray("ancien"));
        pressPdf();
        QVERIFY(read(existing).startsWith("%PDF"));
        QCOMPARE(folder->desktop.opened.size(), 2);
    }

    void theExportDialogStoresThePathAndExports()
    {
        QTemporaryDir programs;
        const QString executable = programs.filePath(QStringLiteral("Pratilo/pratilo.EXE"));
        auto* exportAction = child<QAction>(form, QStringLiteral("exportAction"));
        QVERIFY(exportAction->isEnabled());
        QVERIFY(!exportAction->toolTip().contains(QStringLiteral("prochaine version")));
        QVERIFY(child<QToolButton>(form, QStringLiteral("reportButton"))->isEnabled());

        enterSign(QStringLiteral("Fièvre"));
        QStringList steps;
        QTimer::singleShot(0, this, [&] {
            auto* dialog = qobject_cast<dialogs::ExportSettingsDialog*>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            QCOMPARE(dialog->windowTitle(), QStringLiteral("Chemin Pratilo"));
            auto* path = child<QLineEdit>(dialog, QStringLiteral("executablePathEdit"));
            const auto click = [dialog](const char* name) {
                QTest::mouseClick(child<QPushButton>(dialog, QString::fromLatin1(name)), Qt::LeftButton);
            };
            // No path yet.
            click("exportButton");
            // Another program is refused: the path is emptied and stored empty.
            folder->messages.files = {programs.filePath(QStringLiteral("Pratilo/autre.exe"))};
            click("chooseExecutableButton");
            QCOMPARE(path->text(), QString());
            folder->messages.files = {executable};
            click("chooseExecutableButton");
            QCOMPARE(path->text(), executable);
            QCOMPARE(form->reportActions()->storedExecutablePath(), executable);
            click("exportButton");
            steps << QStringLiteral("exported");
            click("closeButton");
        });
        exportAction->trigger();
        QCOMPARE(steps, QStringList{QStringLiteral("exported")});
        QCOMPARE(folder->messages.texts(), QStringList{report::NoPratiloPathMessage});
        const QString exported = programs.filePath(QStringLiteral("Pratilo/Export/Diagnostic Vardelo.pdf"));
        QVERIFY(read(exported).startsWith("%PDF"));
        // No viewer for the export, and the work table is emptied.
        QVERIFY(folder->desktop.opened.isEmpty());
        QCOMPARE(workTableRows(), 0);
        // The path is kept between runs.
        form->query().open(QStringLiteral("select * from Prm where T = ?"), {kb::prm::PratiloPath});
        QCOMPARE(form->query().field(QStringLiteral("V")), executable);
    }
};

QTEST_MAIN(ReportWindowTest)
#include "ReportWindowTest.moc"
