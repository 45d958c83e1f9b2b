// Free text, suggestions, the exam search and the interrogation, driven as the physician drives
// them: keys go to the widget that has the focus, the dialogs are answered by a script.

#include "TestLists.h"
#include "TestSupport.h"
#include "app/CaseFileActions.h"
#include "app/MainWindow.h"
#include "app/MessageTexts.h"
#include "app/Program.h"
#include "casefiles/ParallelAnalyses.h"
#include "dialogs/FinalDiagnosisDialog.h"
#include "dialogs/InterrogationQuestionDialog.h"
#include "kb/Sqlite.h"

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTest>
#include <QTextCursor>
#include <QTextEdit>
#include <QToolButton>

using namespace vardelo;
using namespace vardelo::testing;
using app::DialogButton;
using Answer = dialogs::InterrogationQuestionDialog::Answer;

class DialogueFlowTest : public WindowTest {
    Q_OBJECT

private:
    QComboBox* signInput() const { return find<QComboBox>("signInput"); }
    const QStringList& signs() { return form->session().state().SCList; }
    ScriptedModals& modals() { return folder->modals; }
    ScriptedMessages& messages() { return folder->messages; }

    // A new case for that patient, with those signs entered.
    void startCase(QChar sex, const QString& ageBand, const QStringList& entered = {})
    {
        form->session().setPatient({QStringLiteral("Test"), sex, ageBand});
        form->caseFiles()->startCaseForPatient();
        for (const QString& sign : entered)
            form->session().addSign(sign);
        messages().shown.clear();
        signInput()->setFocus();
        QCOMPARE(focusWidget(), signInput());
    }
    // The free entry takes a whole phrase at once and validates it.
    void submitFreeText(const QString& text)
    {
        modals().handlers.push_front(ScriptedModals::typeAndPress(QString(), Qt::Key_Return));
        signInput()->setEditText(text);
        QTRY_VERIFY(!modals().shown.isEmpty());
    }
    static ScriptedModals::Handler pickSuggestion(const QString& sign)
    {
        return [sign](QDialog& dialog) {
            auto* list = child<QListWidget>(&dialog, QStringLiteral("suggestionList"));
            const QList<QListWidgetItem*> found = list->findItems(sign, Qt::MatchExactly);
            if (found.isEmpty())
                qFatal("\"%s\" is not suggested", qPrintable(sign));
            list->setCurrentItem(found.first());
            pressKey(Qt::Key_Return);
            return dialog.result();
        };
    }

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void init()
    {
        folder = std::make_unique<ProgramFolder>();
        showProgram();
    }

    void cleanup()
    {
        program.reset();
        folder.reset();
    }

    void ownWordsReachTheirSign_data()
    {
        QTest::addColumn<QString>("typed");    // in the sign entry, until free entry opens
        QTest::addColumn<QString>("finished"); // typed on in free entry
        QTest::addColumn<QString>("sign");
        QTest::newRow("lay words") << QStringLiteral("ma") << QStringLiteral("l de tete")
                                   << QStringLiteral("Céphalées");
        QTest::newRow("a letter missing")
            << QStringLiteral("es") << QStringLiteral("souflement") << QStringLiteral("Dyspnée");
    }

    void ownWordsReachTheirSign()
    {
        QFETCH(QString, typed);
        QFETCH(QString, finished);
        QFETCH(QString, sign);
        startCase(u'f', QStringLiteral("2"));
        QString inFreeEntry;
        int caret = -1;
        QString suggested;
        modals().handlers = {
            [&](QDialog& dialog) {
                auto* edit = child<QLineEdit>(&dialog, QStringLiteral("freeTextEdit"));
                inFreeEntry = edit->text();
                caret = edit->hasSelectedText() ? -2 : edit->cursorPosition();
                typeText(finished);
                pressKey(Qt::Key_Return);
                return dialog.result();
            },
            [&](QDialog& dialog) {
                suggested =
                    child<QListWidget>(&dialog, QStringLiteral("suggestionList"))->currentItem()->text();
                pressKey(Qt::Key_Return);
                return dialog.result();
            }};
        typeText(typed);
        QTRY_COMPARE(inFreeEntry, typed);
        QCOMPARE(caret, int(typed.size())); // typing goes on after the text, nothing selected
        QCOMPARE(modals().shown, L({"freeEntryDialog", "suggestionDialog"}));
        QCOMPARE(suggested, sign);
        QCOMPARE(signs(), QStringList{sign});
        QCOMPARE(signInput()->currentText(), QString());
        QVERIFY(messages().shown.isEmpty());
    }

    void freeTextLeftOrNotRecognised()
    {
        startCase(u'f', QStringLiteral("2"));
        // Escape in free entry: the entry keeps what was typed, nothing is entered.
        modals().handlers = {ScriptedModals::typeAndPress(QStringLiteral("yz"), Qt::Key_Escape)};
        typeText(QStringLiteral("x"));
        QTRY_COMPARE(modals().shown.size(), 1);
        QCOMPARE(signInput()->currentText(), QStringLiteral("x"));
        QVERIFY(signs().isEmpty());
        // Deleting does not bring free entry back.
        typeText(QStringLiteral("y"));
        QTRY_COMPARE(modals().shown.size(), 2);
        modals().handlers.clear();
        pressKey(Qt::Key_Backspace);
        QTest::qWait(20);
        QCOMPARE(modals().shown.size(), 2);
        QCOMPARE(signInput()->currentText(), QStringLiteral("x"));
        // Nothing recognised: the advice, and the text stays for correction.
        modals().handlers = {ScriptedModals::typeAndPress(QStringLiteral("yzzy qwrt"), Qt::Key_Return)};
        typeText(QStringLiteral("x"));
        QTRY_COMPARE(messages().texts(), QStringList{app::msg::UninterpretableEntry});
        QCOMPARE(modals().shown, L({"freeEntryDialog", "freeEntryDialog", "freeEntryDialog"}));
        QCOMPARE(signInput()->currentText(), QStringLiteral("xxyzzy qwrt"));
        QVERIFY(signs().isEmpty());
    }

    void pickedSuggestionFindsItsCase_data()
    {
        QTest::addColumn<QString>("sex");
        QTest::addColumn<QString>("ageBand");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("picked");
        QTest::addColumn<QList<DialogButton>>("answers");
        QTest::addColumn<QString>(
            "sheetChoice"); // the radio button checked and confirmed, if the sheet opens
        QTest::addColumn<QStringList>("formula");
        QTest::addColumn<QStringList>("texts");
        QTest::addColumn<QString>("patient"); // sex and band after the flow
        const QList<DialogButton> none;
        // The case holds "Dyspnée": only Pneumopathie is evoked.
        QTest::newRow("offered") << "f"
                                 << "2"
                                 << "crachats"
                                 << "Toux grasse" << none << QString() << L({"Dyspnée", "and", "Toux grasse"})
                                 << QStringList() << "f2";
        QTest::newRow("already entered") << "f"
                                         << "2"
                                         << "essoufflement"
                                         << "Dyspnée" << none << QString() << L({"Dyspnée"})
                                         << QStringList{app::msg::AlreadyEntered} << "f2";
        QTest::newRow("other sex, new case")
            << "f"
            << "2"
            << "douleur testicule"
            << "Douleur testiculaire" << QList<DialogButton>{DialogButton::Yes, DialogButton::No}
            << "maleRadio" << L({"Douleur testiculaire"})
            << QStringList{app::msg::SignSexMismatchQuestion, app::msg::SaveAnalysisQuestion} << "h2";
        QTest::newRow("other sex, declined")
            << "f"
            << "2"
            << "douleur testicule"
            << "Douleur testiculaire" << QList<DialogButton>{DialogButton::No} << QString() << L({"Dyspnée"})
            << QStringList{app::msg::SignSexMismatchQuestion} << "f2";
        QTest::newRow("other age band, new case")
            << "f"
            << "2"
            << "pleurs bebe"
            << "Pleurs du nourrisson" << QList<DialogButton>{DialogButton::Yes, DialogButton::No}
            << "under15Radio" << L({"Pleurs du nourrisson"})
            << QStringList{app::msg::SignAgeMismatchQuestion, app::msg::SaveAnalysisQuestion} << "f1";
        QTest::newRow("outside the differential, parallel analysis")
            << "f"
            << "2"
            << "gorge avaler"
            << "Odynophagie" << QList<DialogButton>{DialogButton::Yes} << QString() << L({"Odynophagie"})
            << QStringList{casefiles::BranchQuestion} << "f2";
        QTest::newRow("outside the differential, declined")
            << "f"
            << "2"
            << "gorge avaler"
            << "Odynophagie" << QList<DialogButton>{DialogButton::No} << QString() << L({"Dyspnée"})
            << QStringList{casefiles::BranchQuestion} << "f2";
    }

    void pickedSuggestionFindsItsCase()
    {
        QFETCH(QString, sex);
        QFETCH(QString, ageBand);
        QFETCH(QString, text);
        QFETCH(QString, picked);
        QFETCH(QList<DialogButton>, answers);
        QFETCH(QString, sheetChoice);
        QFETCH(QStringList, formula);
        QFETCH(QStringList, texts);
        QFETCH(QString, patient);
        startCase(sex.at(0), ageBand, {QStringLiteral("Dyspnée")});
        messages().answers.assign(answers.begin(), answers.end());
        modals().handlers = {pickSuggestion(picked)};
        if (!sheetChoice.isEmpty()) {
            modals().handlers.push_back([sheetChoice](QDialog& sheet) {
                child<QRadioButton>(&sheet, sheetChoice)->click();
                child<QAbstractButton>(&sheet, QStringLiteral("okButton"))->click();
                return sheet.result();
            });
        }
        submitFreeText(text);
        QCOMPARE(signs(), formula);
        QCOMPARE(messages().texts(), texts);
        const engine::Patient& now = form->session().patient();
        QCOMPARE(QString(now.sex) + now.ageBand, patient);
        QVERIFY(modals().handlers.empty());
    }

    void deniedSignIsEnteredWithNot()
    {
        startCase(u'f', QStringLiteral("2"), {QStringLiteral("Toux")});
        modals().handlers = {pickSuggestion(QStringLiteral("Fièvre"))};
        submitFreeText(QStringLiteral("pas de fièvre"));
        QCOMPARE(signs(), L({"Toux", "not", "Fièvre"}));
    }

    void examSearch_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("message");
        QTest::newRow("sex restriction") << "crp"
                                         << "CRP : Élevée"
                                         << "Le sexe de cette personne ne correspond pas !";
        QTest::newRow("age band restriction, age unknown") << "radio thoracique"
                                                           << "Radiographie thoracique : Opacité alvéolaire"
                                                           << "L'âge de cette personne ne correspond pas !";
        QTest::newRow("no restriction") << "tdr streptocoque"
                                        << "Test de diagnostic rapide streptococcique : Positif" << QString();
    }

    void examSearch()
    {
        QFETCH(QString, typed);
        QFETCH(QString, line);
        QFETCH(QString, message);
        program.reset();
        {
            kb::Connection db(folder->file(QStringLiteral("Data.vdat")), kb::Connection::Mode::ReadWrite);
            db.exec(QStringLiteral("update EC set X = 'h' where S = 'CRP : Élevée'"));
            db.exec(QStringLiteral("update EC set A = '3' where S like 'Radiographie%'"));
        }
        showProgram();
        startCase(u'f', QString(), {QStringLiteral("Odynophagie"), QStringLiteral("Fièvre")});
        find<QTabWidget>("entryTabs")->setCurrentWidget(find("examsPage"));
        QStringList firstRows;
        modals().handlers = {[&](QDialog& dialog) {
            auto* list = child<QListWidget>(&dialog, QStringLiteral("examSearchList"));
            // The keystrokes alone refresh the list.
            typeText(typed);
            for (int i = 0; i < list->count(); ++i)
                firstRows.append(list->item(i)->text());
            pressKey(Qt::Key_Return); // to the list, first row
            pressKey(Qt::Key_Return); // "Valider"
            return dialog.result();
        }};
        find<QToolButton>("examSearchButton")->click();
        QCOMPARE(firstRows.value(0), line);
        const QStringList& exams = form->session().state().EC_List;
        if (message.isEmpty()) {
            QVERIFY(messages().shown.isEmpty());
            QCOMPARE(exams, (QStringList{QStringLiteral("and"), line}));
        } else {
            QCOMPARE(messages().texts(), QStringList{message});
            QVERIFY(exams.isEmpty());
            // The refused line is not left pending for the next validation.
            find<QToolButton>("addExamButton")->click();
            QVERIFY(exams.isEmpty());
        }
    }

    void pendingExamLineFollowsTheScreen()
    {
        startCase(u'f', QStringLiteral("2"), {QStringLiteral("Toux grasse")});
        find<QTabWidget>("entryTabs")->setCurrentWidget(find("examsPage"));
        QComboBox* exam = find<QComboBox>("examInput");
        QComboBox* results = find<QComboBox>("examResultCombo");
        exam->setEditText(QStringLiteral("CRP"));
        results->setCurrentIndex(results->findText(QStringLiteral("Élevée")));
        emit results->activated(results->currentIndex());
        // Another exam chosen, no result picked: "not" enters nothing.
        exam->setEditText(QStringLiteral("Radiographie thoracique"));
        find<QToolButton>("examNotButton")->click();
        QVERIFY(!form->session().state().EC_List.contains(QStringLiteral("CRP : Élevée")));
    }

    void interrogation_data()
    {
        QTest::addColumn<QStringList>("entered");
        QTest::addColumn<QList<int>>("answers"); // to the questions and the final-diagnosis dialog, in order
        QTest::addColumn<QList<DialogButton>>("replies"); // to the message boxes
        QTest::addColumn<QStringList>("formula");
        QTest::addColumn<QStringList>("texts");
        QTest::addColumn<QStringList>("dialogs");
        using F = dialogs::FinalDiagnosisDialog;
        const QString q = QStringLiteral("interrogationQuestionDialog");
        const QString f = QStringLiteral("finalDiagnosisDialog");
        QTest::newRow("nothing entered")
            << QStringList() << QList<int>() << QList<DialogButton>() << QStringList()
            << QStringList{app::msg::EnterOneEntryFirst} << QStringList();
        // "Toux" evokes Grippe first, whose first sign not in the case is "Fièvre".
        QTest::newRow("yes") << L({"Toux"}) << QList<int>{Answer::Yes, Answer::Stop} << QList<DialogButton>()
                             << L({"Toux", "and", "Fièvre"}) << QStringList() << QStringList{q, q};
        // Denying it leaves one diagnosis, announced before any further question.
        QTest::newRow("no") << L({"Toux"}) << QList<int>{Answer::No, QDialog::Rejected}
                            << QList<DialogButton>() << L({"Toux", "not", "Fièvre"}) << QStringList()
                            << QStringList{q, f};
        QTest::newRow("ignore") << L({"Toux"}) << QList<int>{Answer::Ignore, Answer::Stop}
                                << QList<DialogButton>() << L({"Toux", "ignore", "Fièvre"}) << QStringList()
                                << QStringList{q, q};
        QTest::newRow("closed by the window manager")
            << L({"Toux"}) << QList<int>{QDialog::Rejected} << QList<DialogButton>() << L({"Toux"})
            << QStringList() << QStringList{q};
        QTest::newRow("reject every hypothesis")
            << L({"Toux"}) << QList<int>{Answer::Reject, Answer::Reject, Answer::Reject, Answer::Stop}
            << QList<DialogButton>() << L({"Toux"}) << QStringList{app::msg::KeepOneHypothesis}
            << QStringList{q, q, q, q};
        // "Douleur d'effort" leaves Pneumopathie alone.
        QTest::newRow("single diagnosis, finish, exams offered")
            << L({"Douleur d'effort"}) << QList<int>{F::Finish} << QList<DialogButton>{DialogButton::Yes}
            << L({"Douleur d'effort"}) << QStringList{app::msg::ShowExamsForConfirmationQuestion}
            << QStringList{f};
        QTest::newRow("single diagnosis, continue")
            << L({"Douleur d'effort"}) << QList<int>{F::Continue, Answer::Yes, QDialog::Rejected}
            << QList<DialogButton>() << L({"Douleur d'effort", "and", "Fièvre"}) << QStringList()
            << QStringList{f, q, f};
    }

    void interrogation()
    {
        QFETCH(QStringList, entered);
        QFETCH(QList<int>, answers);
        QFETCH(QList<DialogButton>, replies);
        QFETCH(QStringList, formula);
        QFETCH(QStringList, texts);
        QFETCH(QStringList, dialogs);
        startCase(u'h', QStringLiteral("2"), entered);
        QStringList questions;
        for (const int answer : answers) {
            modals().handlers.push_back([answer, &questions](QDialog& dialog) {
                if (auto* view = dialog.findChild<QTextEdit*>(QStringLiteral("questionView")))
                    questions.append(view->toPlainText());
                return answer;
            });
        }
        messages().answers.assign(replies.begin(), replies.end());
        pressKey(Qt::Key_F9);
        QCOMPARE(signs(), formula);
        QCOMPARE(messages().texts(), texts);
        QCOMPARE(modals().shown, dialogs);
        if (!questions.isEmpty())
            QVERIFY2(questions.first().startsWith(QStringLiteral("Hypothèse diagnostic :\n\"")) &&
                         questions.first().endsWith(
                             QStringLiteral("Si cette hypothèse est retenue, y a-t-il :\n") +
                             formula.value(2, QStringLiteral("Fièvre")) + QStringLiteral(" ?")),
                     qPrintable(questions.first()));
        if (texts.contains(app::msg::ShowExamsForConfirmationQuestion))
            QCOMPARE(find<QTabWidget>("entryTabs")->currentWidget(), find("examsPage"));
    }

    void interrogationRunsToTheEnd()
    {
        // A man with pneumonia, the physician answering truthfully, keyboard only.
        const QStringList present =
            L({"Fièvre", "Toux grasse", "Dyspnée", "Frissons", "Asthénie", "Douleur d'effort"});
        startCase(u'h', QStringLiteral("2"), {QStringLiteral("Fièvre")});
        QString finalName;
        const std::function<int(QDialog&)> answer = [&](QDialog& dialog) {
            if (auto* name = dialog.findChild<QTextEdit*>(QStringLiteral("diagnosisNameView"))) {
                finalName = name->toPlainText();
                pressKey(Qt::Key_Return); // "OK : Terminer" has the focus
                return dialog.result();
            }
            const QString question = child<QTextEdit>(&dialog, QStringLiteral("questionView"))->toPlainText();
            const QString sign = question.section(u'\n', -1).chopped(2);
            modals().handlers.push_back(answer);
            // "Oui" has the focus; "Non" is the next button.
            if (present.contains(sign)) {
                pressKey(Qt::Key_Return);
            } else {
                pressKey(Qt::Key_Tab);
                pressKey(Qt::Key_Space);
            }
            return dialog.result();
        };
        modals().handlers = {answer};
        messages().answers = {DialogButton::No};
        pressKey(Qt::Key_F9);
        QCOMPARE(finalName, QStringLiteral("Pneumopathie"));
        QCOMPARE(messages().texts(), QStringList{app::msg::ShowExamsForConfirmationQuestion});
        QVERIFY2(modals().shown.size() > 2, qPrintable(modals().shown.join(u' ')));
        QVERIFY(signs().size() > 2);
    }

    void finalDiagnosisNameBlinks()
    {
        dialogs::FinalDiagnosisDialog dialog(QStringLiteral("Vardelo"), app::msg::SingleDiagnosis,
                                             QStringLiteral("Pneumopathie"),
                                             app::msg::ContinueInterrogationQuestion, form);
        dialog.show();
        QVERIFY(dialog.blinking());
        // The colour of the text as drawn, whatever the appearance's style sheet says.
        const auto drawn = [&dialog] {
            auto* view = child<QTextEdit>(&dialog, QStringLiteral("diagnosisNameView"));
            QTextCursor cursor(view->document());
            cursor.movePosition(QTextCursor::NextCharacter);
            return cursor.charFormat().foreground().color();
        };
        QCOMPARE(drawn(), QColor(0, 0, 255));
        const QColor first = dialog.nameColor();
        QTRY_VERIFY_WITH_TIMEOUT(dialog.nameColor() != first, 1000);
        QTRY_VERIFY_WITH_TIMEOUT(drawn() == QColor(255, 0, 0), 1000);
        dialog.close();
        QVERIFY(!dialog.blinking());
    }
};

QTEST_MAIN(DialogueFlowTest)
#include "DialogueFlowTest.moc"
