// Renders the main window without a display, in the states a physician goes through, to PNG files
// in the build folder (screenshots/), so that anyone can look at the interface.

#include "TestSupport.h"
#include "app/Program.h"
#include "app/Unit1.h"
#include "dialogs/Unit4.h"
#include "widgets/AdvancedListView.h"

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
        app::Program program(folder.environment(deadUrl()));
        program.start();
        app::TForm1* form = program.mainWindow();
        QVERIFY(!form->endRequested());
        // The first activation would open the patient sheet modally: it is shown apart below.
        form->patientSheet()->setActivationMarker(1);
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form));
        save(form, QStringLiteral("1-empty-case.png"));

        // A three-sign case with its diagnoses.
        for (const QString& sign :
             {QStringLiteral("Fièvre"), QStringLiteral("Toux"), QStringLiteral("Céphalées")}) {
            form->CB_S->setEditText(sign);
            form->SB_Validation_S->click();
        }
        QCOMPARE(form->session().state.SCList.size(), 5);
        form->AListView1->setCurrentItem(form->AListView1->topLevelItem(0));
        form->AListView1Click();
        save(form, QStringLiteral("2-three-signs.png"));

        // The exam page with an exam and a result chosen.
        form->Entree_Edition->setCurrentIndex(1);
        form->CB_E->setEditText(QStringLiteral("CRP"));
        form->CB_ER->setCurrentIndex(form->CB_ER->findText(QStringLiteral("Élevée")));
        emit form->CB_ER->activated(form->CB_ER->currentIndex());
        save(form, QStringLiteral("3-exam-page.png"));

        form->patientSheet()->show();
        QVERIFY(QTest::qWaitForWindowExposed(form->patientSheet()));
        save(form->patientSheet(), QStringLiteral("4-patient-sheet.png"));
        form->patientSheet()->hide();
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
