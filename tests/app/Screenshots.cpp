// Renders the main window without a display, in the states a physician goes through, to PNG files
// in the build folder (screenshots/), so that anyone can look at the interface.

#include "TestSupport.h"
#include "app/MainWindow.h"
#include "app/Program.h"
#include "dialogs/AboutDialog.h"
#include "dialogs/PatientSheetDialog.h"
#include "widgets/SortableListWidget.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>

using namespace vardelo;
using namespace vardelo::testing;

class Screenshots : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        QDir().mkpath(QStringLiteral(VARDELO_SCREENSHOTS));
    }

    void mainWindowStates()
    {
        ProgramFolder folder;
        // An emergency among the diagnoses shows its mark.
        folder.flagEmergency(QStringLiteral("Pneumopathie"));
        app::Program program(folder.environment(deadUrl()));
        program.start();
        app::MainWindow* form = program.mainWindow();
        QVERIFY(!form->endRequested());
        // The first activation would open the patient sheet modally: it is shown apart below.
        form->setNewCaseOnFirstActivation(false);
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form));
        save(form, QStringLiteral("1-empty-case.png"));

        // A three-sign case with its diagnoses.
        auto* signInput = child<QComboBox>(form, QStringLiteral("signInput"));
        for (const QString& sign :
             {QStringLiteral("Fièvre"), QStringLiteral("Toux"), QStringLiteral("Céphalées")}) {
            signInput->setEditText(sign);
            child<QToolButton>(form, QStringLiteral("addSignButton"))->click();
        }
        QCOMPARE(form->session().state().SCList.size(), 5);
        auto* list = child<widgets::SortableListWidget>(form, QStringLiteral("diagnosisList"));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualItemRect(list->topLevelItem(0)).center());
        save(form, QStringLiteral("2-three-signs.png"));

        // The sheet of the first diagnosis, opened on its definition.
        child<QAction>(form, QStringLiteral("showDefinitionAction"))->trigger();
        save(form, QStringLiteral("6-pathology-sheet.png"));

        // The same case ranked by concordance, with the reasons of the selected row.
        child<QTabWidget>(form, QStringLiteral("entryTabs"))->setCurrentIndex(0);
        form->session().setRankingMode(engine::SortMode::Concordance);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualItemRect(list->topLevelItem(0)).center());
        save(form, QStringLiteral("7-concordance.png"));
        form->session().setRankingMode(engine::SortMode::Prevalence);

        // The exam page with an exam and a result chosen.
        child<QTabWidget>(form, QStringLiteral("entryTabs"))->setCurrentIndex(1);
        child<QComboBox>(form, QStringLiteral("examInput"))->setEditText(QStringLiteral("CRP"));
        auto* results = child<QComboBox>(form, QStringLiteral("examResultCombo"));
        results->setCurrentIndex(results->findText(QStringLiteral("Élevée")));
        emit results->activated(results->currentIndex());
        save(form, QStringLiteral("3-exam-page.png"));

        dialogs::PatientSheetDialog sheet(form->session().patient(), form);
        sheet.show();
        QVERIFY(QTest::qWaitForWindowExposed(&sheet));
        save(&sheet, QStringLiteral("4-patient-sheet.png"));
        sheet.hide();

        dialogs::AboutDialog about({QStringLiteral("Vardelo"), QStringLiteral("Vardelo Version 1.0"),
                                    QStringLiteral("Logiciel d'aide au diagnostic en médecine générale"),
                                    form->versionStatus(), QStringLiteral("12 Septembre 2025")},
                                   folder.desktop, form);
        about.show();
        QVERIFY(QTest::qWaitForWindowExposed(&about));
        save(&about, QStringLiteral("5-about.png"));
    }

private:
    static void save(QWidget* widget, const QString& name)
    {
        QApplication::processEvents();
        // Shots at another scale (QT_SCALE_FACTOR) go to a folder of their own.
        const QString scale = qEnvironmentVariable("QT_SCALE_FACTOR", QStringLiteral("1"));
        const QString folder =
            QStringLiteral(VARDELO_SCREENSHOTS) + (scale == u"1" ? QString() : QStringLiteral("-x") + scale);
        QDir().mkpath(folder);
        const QString path = QDir(folder).filePath(name);
        QVERIFY2(widget->grab().save(path), qPrintable(path));
    }
};

QTEST_MAIN(Screenshots)
#include "Screenshots.moc"
