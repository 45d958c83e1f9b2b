// Case files and parallel analyses driven from the main window: the list of cases, the "Fiche"
// commands and their keys, and the split of a case into analyses.

#include "TestLists.h"
#include "TestSupport.h"
#include "app/CaseFileActions.h"
#include "app/MainWindow.h"
#include "app/Program.h"
#include "casefiles/CaseFileStore.h"
#include "casefiles/ParallelAnalyses.h"
#include "kb/Sqlite.h"
#include "widgets/SortableListWidget.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTest>
#include <QTextEdit>
#include <QTimer>
#include <QToolButton>

using namespace vardelo;
using namespace vardelo::testing;
using app::DialogButton;

namespace {

const QString Notes = QStringLiteral("{\\rtf1\\ansi Toux depuis \\b trois\\b0  jours.\\par}");
const QString TdrPositive = QStringLiteral("Test de diagnostic rapide streptococcique : Positif");
const QString XRayOpacity = QStringLiteral("Radiographie thoracique : Opacité alvéolaire");

} // namespace

class CaseFileTest : public WindowTest {
    Q_OBJECT

private:
    QComboBox* caseList() const { return combo("savedCasesCombo"); }
    QComboBox* analysisList() const { return combo("parallelAnalysesCombo"); }
    engine::CaseSession& session() const { return form->session(); }
    const QStringList& signs() const { return session().state().SCList; }
    const QStringList& exams() const { return session().state().EC_List; }
    ScriptedMessages& messages() const { return folder->messages; }

    static QStringList items(const QComboBox* box)
    {
        QStringList out;
        for (int i = 0; i < box->count(); ++i)
            out.append(box->itemText(i));
        return out;
    }
    QStringList diagnoses() const
    {
        QStringList out;
        auto* list = find<widgets::SortableListWidget>("diagnosisList");
        for (int i = 0; i < list->topLevelItemCount(); ++i)
            out.append(list->topLevelItem(i)->text(1));
        return out;
    }
    QStringList rows(const char* table) const
    {
        kb::Connection db(folder->file(QStringLiteral("Data.vdat")), kb::Connection::Mode::ReadOnly);
        const QString sql =
            QString::fromLatin1(table) == u"Fiche"
                ? QStringLiteral("select ID from Fiche order by N")
                : QStringLiteral("select Analyse || ' ' || Save || ' ' || replace(SC, char(13, 10), ' ') "
                                 "from diagnostics_parallele order by rowid");
        kb::Statement s(db, sql);
        QStringList out;
        while (s.step())
            out.append(s.text(0));
        return out;
    }

    void enterSign(const QString& text)
    {
        form->findChild<QTabWidget*>(QStringLiteral("entryTabs"))->setCurrentWidget(find("signsPage"));
        combo("signInput")->setFocus();
        QCOMPARE(focusWidget(), combo("signInput"));
        combo("signInput")->lineEdit()->selectAll();
        typeText(text);
        pressKey(Qt::Key_Return);
    }
    // As the exam search does: the line becomes the pending one and is validated.
    void validateExamLine(const QString& line)
    {
        find<QTabWidget>("entryTabs")->setCurrentWidget(find("examsPage"));
        session().setPendingExamLine(line);
        find<QToolButton>("addExamButton")->click();
    }
    void pressCtrl(Qt::Key key) { QTest::keyClick(focusWidget(), key, Qt::ControlModifier); }
    void chooseCase(int index)
    {
        caseList()->setCurrentIndex(index);
        emit caseList()->activated(index);
    }
    void chooseAnalysis(int index)
    {
        analysisList()->setCurrentIndex(index);
        emit analysisList()->activated(index);
    }

    void startProgram()
    {
        showProgram();
        messages().shown.clear();
    }
    void restartProgram()
    {
        program.reset();
        startProgram();
    }
    // Fièvre and Toux grasse, an X-ray line, Pneumopathie retained, notes, a male patient over 45.
    void enterPneumonia()
    {
        engine::Patient patient;
        patient.name = QStringLiteral("Dupont \"Jean\" [50%]");
        patient.sex = u'h';
        patient.ageBand = QStringLiteral("3");
        session().setPatient(patient);
        form->caseFiles()->startCaseForPatient();
        enterSign(QStringLiteral("Fièvre"));
        enterSign(QStringLiteral("Toux grasse"));
        validateExamLine(XRayOpacity);
        session().setRetainedDiagnosis(QStringLiteral("Pneumopathie"));
        session().setNotesRtf(Notes);
    }

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void init()
    {
        folder = std::make_unique<ProgramFolder>();
        startProgram();
    }

    void cleanup()
    {
        program.reset();
        folder.reset();
    }

    // Saved, listed newest first under a fresh entry 0, and reopened whole after a restart.
    void saveListAndReopen()
    {
        enterPneumonia();
        const QString name = caseList()->itemText(0);
        QVERIFY(name.startsWith(QStringLiteral("Dupont \"Jean\" [50%]   [")));
        pressCtrl(Qt::Key_E);
        QVERIFY(messages().shown.isEmpty());
        QCOMPARE(rows("Fiche"), QStringList{name});
        // The saved case stays on screen as the open case file; entry 0 is a new, unnamed case.
        QCOMPARE(caseList()->count(), 2);
        QCOMPARE(caseList()->itemText(1), name);
        QCOMPARE(caseList()->currentIndex(), 1);
        QVERIFY(caseList()->itemText(0).startsWith(QStringLiteral("Sans nom   [")));
        QCOMPARE(signs(), L({"Fièvre", "and", "Toux grasse"}));

        restartProgram();
        QCOMPARE(items(caseList()).mid(1), QStringList{name});
        QVERIFY(signs().isEmpty());
        chooseCase(1);
        QCOMPARE(signs(), L({"Fièvre", "and", "Toux grasse"}));
        QCOMPARE(exams(), QStringList({QStringLiteral("and"), XRayOpacity}));
        QCOMPARE(session().patient().sex, QChar(u'h'));
        QCOMPARE(session().patient().ageBand, QStringLiteral("3"));
        QCOMPARE(find<QLabel>("sexValue")->text(), QStringLiteral("Masculin"));
        QVERIFY(find<QToolButton>("orButton")->isEnabled());
        QCOMPARE(session().notesRtf(), Notes);
        // The restored diagnosis survives the evaluation and its row is selected.
        QCOMPARE(session().retainedDiagnosis(), QStringLiteral("Pneumopathie"));
        QCOMPARE(find<QLineEdit>("retainedDiagnosisEdit")->text(), QStringLiteral("Pneumopathie"));
        QCOMPARE(diagnoses(), QStringList{QStringLiteral("Pneumopathie")});
        QCOMPARE(find<widgets::SortableListWidget>("diagnosisList")->currentItem()->text(1),
                 QStringLiteral("Pneumopathie"));
        QVERIFY(find<QTextEdit>("examLinesView")->toPlainText().contains(QStringLiteral("Radiographie")));

        // Saved again in place: same row, same place in the list.
        enterSign(QStringLiteral("Dyspnée"));
        pressCtrl(Qt::Key_E);
        QCOMPARE(rows("Fiche"), QStringList{name});
        QCOMPARE(caseList()->currentIndex(), 1);
        chooseCase(0);
        QVERIFY(signs().isEmpty());
        chooseCase(1);
        QCOMPARE(signs(), L({"Fièvre", "and", "Toux grasse", "and", "Dyspnée"}));

        // A second case lists first; an exam-only case can be saved.
        chooseCase(0);
        validateExamLine(QStringLiteral("CRP : Élevée"));
        const QString second = caseList()->itemText(0);
        trigger("saveCaseAction");
        QCOMPARE(items(caseList()).mid(1), QStringList({second, name}));
        QCOMPARE(caseList()->currentIndex(), 1);
        // ... and deleted while open, though it has no sign.
        messages().answers = {DialogButton::Ok};
        trigger("deleteCaseAction");
        QCOMPARE(messages().texts(), QStringList{casefiles::DeleteQuestion});
        QCOMPARE(rows("Fiche"), QStringList{name});
        QVERIFY(exams().isEmpty());
    }

    // The window's keys win over a control's own: Ctrl+E is "end of line" in a line edit on some
    // desktops, and Ctrl+S saves in many editors; here they save and delete the case file.
    void menuKeysWinOverTheFocusedControl()
    {
        // A control that claims every key, as a line edit does for its own shortcuts.
        class GreedyEdit : public QLineEdit {
        public:
            using QLineEdit::QLineEdit;
            bool event(QEvent* e) override
            {
                if (e->type() == QEvent::ShortcutOverride) {
                    e->accept();
                    return true;
                }
                return QLineEdit::event(e);
            }
        };
        enterSign(QStringLiteral("Fièvre"));
        auto* edit = new GreedyEdit(find("signsPage"));
        edit->show();
        edit->setFocus();
        QCOMPARE(focusWidget(), edit);
        pressCtrl(Qt::Key_E);
        QCOMPARE(rows("Fiche").size(), 1);
        messages().answers = {DialogButton::Ok};
        edit->setFocus();
        pressCtrl(Qt::Key_S);
        QCOMPARE(messages().texts(), QStringList{casefiles::DeleteQuestion});
        QVERIFY(rows("Fiche").isEmpty());
    }

    // Ctrl+S deletes: a hasty Enter in its question must not.
    void enterCancelsADeletion()
    {
        app::MessageBoxes boxes(form);
        DialogButton answer = DialogButton::Closed;
        QTimer::singleShot(0, this, [] {
            QWidget* box = QApplication::activeModalWidget();
            QVERIFY(box);
            QTest::keyClick(box, Qt::Key_Return);
        });
        answer = boxes.show(app::DialogType::Confirmation, casefiles::DeleteQuestion,
                            {DialogButton::Ok, DialogButton::Cancel});
        QCOMPARE(answer, DialogButton::Cancel);
    }

    // Before a new case for another age band: a fresh entry under the patient name of the case shown.
    void renewedEntryKeepsThePatientName()
    {
        enterPneumonia();
        trigger("saveCaseAction");
        QVERIFY(form->caseFiles()->currentCaseIsSaved());
        form->caseFiles()->renewCaseEntry();
        QVERIFY(!form->caseFiles()->currentCaseIsSaved());
        QCOMPARE(caseList()->currentIndex(), 0);
        QVERIFY(caseList()->itemText(0).startsWith(QStringLiteral("Dupont \"Jean\" [50%]   [")));
        QCOMPARE(form->caseFiles()->currentCaseName(), caseList()->itemText(0));
        QCOMPARE(rows("Fiche").size(), 1);
    }

    void nothingToSave()
    {
        pressCtrl(Qt::Key_E);
        QCOMPARE(messages().texts(), QStringList{casefiles::NothingToSaveMessage});
        QVERIFY(rows("Fiche").isEmpty());
    }

    // A database that refuses the write: the physician is told, the case stays as it was.
    void failedSaveKeepsTheCase()
    {
        enterPneumonia();
        {
            kb::Connection db(folder->file(QStringLiteral("Data.vdat")), kb::Connection::Mode::ReadWrite);
            db.execScript(QStringLiteral("create trigger full before insert on Fiche "
                                         "begin select raise(abort, 'disque plein'); end;"));
        }
        const QString name = caseList()->itemText(0);
        pressCtrl(Qt::Key_E);
        QCOMPARE(messages().shown.size(), 1);
        QCOMPARE(messages().shown.at(0).type, app::DialogType::Error);
        QVERIFY(messages().shown.at(0).text.startsWith(QStringLiteral("Erreur de la base de données")));
        QVERIFY(messages().shown.at(0).text.contains(QStringLiteral("disque plein")));
        QCOMPARE(signs(), L({"Fièvre", "and", "Toux grasse"}));
        QCOMPARE(session().notesRtf(), Notes);
        QCOMPARE(items(caseList()), QStringList{name});
        QCOMPARE(caseList()->currentIndex(), 0);
        QVERIFY(rows("Fiche").isEmpty());
    }

    void deleteCommands_data()
    {
        QTest::addColumn<QByteArray>("command"); // the action
        QTest::addColumn<int>("saved");          // case files saved first
        QTest::addColumn<bool>("openSaved");     // the newest case file is open
        QTest::addColumn<QList<DialogButton>>("answers");
        QTest::addColumn<QStringList>("texts");
        QTest::addColumn<int>("remaining");
        using B = DialogButton;
        const QString one = casefiles::DeleteQuestion;
        const QString all = casefiles::DeleteAllQuestion;
        QTest::newRow("delete the new case") << QByteArray("deleteCaseAction") << 1 << false << QList<B>()
                                             << QStringList{casefiles::NotSavedMessage} << 1;
        QTest::newRow("delete, cancelled")
            << QByteArray("deleteCaseAction") << 2 << true << QList<B>{B::Cancel} << QStringList{one} << 2;
        QTest::newRow("delete") << QByteArray("deleteCaseAction") << 2 << true << QList<B>{B::Ok}
                                << QStringList{one} << 1;
        QTest::newRow("delete all with none")
            << QByteArray("deleteAllCasesAction") << 0 << false << QList<B>()
            << QStringList{casefiles::NothingToDeleteMessage} << 0;
        QTest::newRow("delete all, cancelled") << QByteArray("deleteAllCasesAction") << 2 << false
                                               << QList<B>{B::Cancel} << QStringList{all} << 2;
        QTest::newRow("delete all") << QByteArray("deleteAllCasesAction") << 2 << true << QList<B>{B::Ok}
                                    << QStringList{all} << 0;
    }

    void deleteCommands()
    {
        QFETCH(QByteArray, command);
        QFETCH(int, saved);
        QFETCH(bool, openSaved);
        QFETCH(QList<DialogButton>, answers);
        QFETCH(QStringList, texts);
        QFETCH(int, remaining);
        for (int i = 0; i < saved; ++i) {
            chooseCase(0);
            enterSign(i == 0 ? QStringLiteral("Fièvre") : QStringLiteral("Toux"));
            trigger("saveCaseAction");
        }
        if (!openSaved)
            chooseCase(0);
        enterSign(QStringLiteral("Céphalées"));
        const QStringList before = signs();
        const QString current = caseList()->currentText();
        messages().shown.clear();
        messages().answers.assign(answers.begin(), answers.end());
        find<QAction>(command.constData())->trigger();
        QCOMPARE(messages().texts(), texts);
        QCOMPARE(rows("Fiche").size(), remaining);
        QCOMPARE(caseList()->count(), remaining + 1);
        if (remaining == saved) {
            QCOMPARE(signs(), before);
            QCOMPARE(caseList()->currentText(), current);
        } else {
            // A fresh, empty case in place of the deleted one.
            QVERIFY(signs().isEmpty());
            QCOMPARE(caseList()->currentIndex(), 0);
            QVERIFY(caseList()->itemText(0).startsWith(QStringLiteral("Sans nom   [")));
            QVERIFY(!items(caseList()).mid(1).contains(current));
        }
    }

    // Entering the list with an unsaved case that holds signs offers to save it.
    void offerToSave()
    {
        caseList()->setFocus(Qt::TabFocusReason);
        validateExamLine(QStringLiteral("CRP : Élevée"));
        caseList()->setFocus(Qt::TabFocusReason); // exams only: no offer
        QVERIFY(messages().shown.isEmpty());

        enterSign(QStringLiteral("Fièvre"));
        // Coming back from another window is not entering the list.
        caseList()->setFocus(Qt::ActiveWindowFocusReason);
        QVERIFY(messages().shown.isEmpty());
        combo("signInput")->setFocus();
        messages().answers = {DialogButton::No};
        caseList()->setFocus(Qt::TabFocusReason);
        QCOMPARE(messages().texts(), QStringList{casefiles::OfferToSaveQuestion});
        QVERIFY(signs().isEmpty());
        QVERIFY(rows("Fiche").isEmpty());

        enterSign(QStringLiteral("Fièvre"));
        messages().shown.clear();
        messages().answers = {DialogButton::Yes};
        caseList()->setFocus(Qt::MouseFocusReason);
        QCOMPARE(messages().texts(), QStringList{casefiles::OfferToSaveQuestion});
        QCOMPARE(rows("Fiche").size(), 1);
        QCOMPARE(caseList()->currentIndex(), 1);
        // The open case file is saved already: no offer.
        enterSign(QStringLiteral("Toux"));
        messages().shown.clear();
        caseList()->setFocus(Qt::TabFocusReason);
        QVERIFY(messages().shown.isEmpty());
    }

    // An exam line outside the differential splits the case: the case as it was becomes the first
    // analysis, the line starts the second.
    void parallelAnalysisFromAnExamLine()
    {
        enterSign(QStringLiteral("Toux grasse"));
        QCOMPARE(diagnoses(), QStringList{QStringLiteral("Pneumopathie")});
        session().setNotesRtf(Notes);
        const QString first = casefiles::AnalysisPrefix + QStringLiteral("[Toux grasse]");
        const QString second = casefiles::AnalysisPrefix + u'[' + TdrPositive + u']';

        // Refused: nothing changes.
        messages().answers = {DialogButton::No};
        validateExamLine(TdrPositive);
        QCOMPARE(messages().texts(), QStringList{casefiles::BranchQuestion});
        QVERIFY(exams().isEmpty());
        QCOMPARE(analysisList()->count(), 0);
        QCOMPARE(focusWidget(), combo("examInput"));

        messages().shown.clear();
        validateExamLine(TdrPositive);
        QCOMPARE(messages().texts(), QStringList{casefiles::BranchQuestion});
        QCOMPARE(items(analysisList()), QStringList({first, second}));
        QCOMPARE(analysisList()->currentIndex(), 1);
        QVERIFY(signs().isEmpty());
        QCOMPARE(exams(), QStringList({QStringLiteral("and"), TdrPositive}));
        QCOMPARE(diagnoses(), QStringList{QStringLiteral("Angine")});
        QVERIFY(session().notesRtf().isEmpty());
        // Further entries go to the analysis shown, and are written back after each evaluation.
        enterSign(QStringLiteral("Odynophagie"));
        QCOMPARE(rows("diagnostics_parallele"), QStringList({first + QStringLiteral(" 0 Toux grasse "),
                                                             second + QStringLiteral(" 0 Odynophagie ")}));

        // Notes typed and a diagnosis retained since the last evaluation stay with their analysis.
        const QString otherNotes = QStringLiteral("{\\rtf1\\ansi Angine probable.\\par}");
        session().setNotesRtf(otherNotes);
        session().setRetainedDiagnosis(QStringLiteral("Angine"));
        chooseAnalysis(0);
        QCOMPARE(signs(), QStringList{QStringLiteral("Toux grasse")});
        QVERIFY(exams().isEmpty());
        QCOMPARE(session().notesRtf(), Notes);
        QCOMPARE(diagnoses(), QStringList{QStringLiteral("Pneumopathie")});
        chooseAnalysis(1);
        QCOMPARE(signs(), QStringList{QStringLiteral("Odynophagie")});
        QCOMPARE(exams(), QStringList({QStringLiteral("and"), TdrPositive}));
        QCOMPARE(session().notesRtf(), otherNotes);
        QCOMPARE(session().retainedDiagnosis(), QStringLiteral("Angine"));

        // A line that the first analysis offers goes there, without a new analysis.
        messages().shown.clear();
        validateExamLine(XRayOpacity);
        QCOMPARE(messages().texts(), QStringList{casefiles::BranchQuestion});
        QCOMPARE(analysisList()->count(), 2);
        QCOMPARE(analysisList()->currentIndex(), 0);
        QCOMPARE(signs(), QStringList{QStringLiteral("Toux grasse")});
        QCOMPARE(exams(), QStringList({QStringLiteral("and"), XRayOpacity}));

        // Saved: the case file is a header, its analyses confirmed; reopening shows the last one.
        const QString name = caseList()->currentText();
        trigger("saveCaseAction");
        QCOMPARE(rows("diagnostics_parallele"), QStringList({first + QStringLiteral(" 1 Toux grasse "),
                                                             second + QStringLiteral(" 1 Odynophagie ")}));
        restartProgram();
        chooseCase(1);
        QCOMPARE(items(analysisList()), QStringList({first, second}));
        QCOMPARE(analysisList()->currentIndex(), 1);
        QCOMPARE(signs(), QStringList{QStringLiteral("Odynophagie")});

        // Deleting one of two analyses leaves a plain case with the other's content.
        find<QToolButton>("deleteParallelAnalysisButton")->click();
        QCOMPARE(analysisList()->count(), 0);
        QCOMPARE(signs(), QStringList{QStringLiteral("Toux grasse")});
        QCOMPARE(exams(), QStringList({QStringLiteral("and"), XRayOpacity}));
        QVERIFY(rows("diagnostics_parallele").isEmpty());
        chooseCase(0);
        chooseCase(1);
        QCOMPARE(caseList()->currentText(), name);
        QCOMPARE(signs(), QStringList{QStringLiteral("Toux grasse")});
    }

    // The sign variant, as the validation of a suggested sign calls it.
    void parallelAnalysisFromASign()
    {
        app::CaseFileActions& actions = *form->caseFiles();
        enterSign(QStringLiteral("Toux grasse"));
        messages().answers = {DialogButton::No};
        QVERIFY(!actions.branchForSign(QStringLiteral("Odynophagie")));
        QCOMPARE(signs(), QStringList{QStringLiteral("Toux grasse")});
        QVERIFY(actions.analyses().isEmpty());

        QVERIFY(actions.branchForSign(QStringLiteral("Odynophagie")));
        QCOMPARE(actions.analyses(),
                 QStringList({casefiles::AnalysisPrefix + QStringLiteral("[Toux grasse]"),
                              casefiles::AnalysisPrefix + QStringLiteral("[Odynophagie]")}));
        QCOMPARE(signs(), QStringList{QStringLiteral("Odynophagie")});
        QCOMPARE(focusWidget(), combo("signInput"));
        QVERIFY(find<QToolButton>("orButton")->isEnabled());
        // Dyspnée belongs to the first analysis's pathologies.
        QVERIFY(actions.branchForSign(QStringLiteral("Dyspnée")));
        QCOMPARE(actions.currentAnalysis(), actions.analyses().at(0));
        QCOMPARE(signs(), L({"Toux grasse", "and", "Dyspnée"}));

        // Removing the last entry of an analysis removes the analysis.
        chooseAnalysis(1);
        pressKey(Qt::Key_Backspace);
        QTRY_COMPARE(analysisList()->count(), 0);
        QCOMPARE(signs(), L({"Toux grasse", "and", "Dyspnée"}));
        // Clear all ends the split case.
        QVERIFY(actions.branchForSign(QStringLiteral("Odynophagie")));
        QCOMPARE(analysisList()->count(), 2);
        find<QToolButton>("clearAllButton")->click();
        QCOMPARE(analysisList()->count(), 0);
        QVERIFY(signs().isEmpty());
    }
};

QTEST_MAIN(CaseFileTest)
#include "CaseFileTest.moc"
