// The main window driven by its components, as the physician drives it.

#include "TestLists.h"
#include "TestSupport.h"
#include "app/MessageTexts.h"
#include "app/Program.h"
#include "app/Unit1.h"
#include "dialogs/Unit4.h"
#include "kb/Schema.h"
#include "widgets/AdvancedListView.h"

#include <QAction>
#include <QComboBox>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTest>
#include <QTextEdit>
#include <QToolButton>

using namespace vardelo;
using namespace vardelo::testing;

class EntryTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<ProgramFolder> folder;
    std::unique_ptr<app::Program> program;
    app::TForm1* form = nullptr;

    QStringList& signs() { return form->session().state.SCList; }
    QStringList& exams() { return form->session().state.EC_List; }
    QStringList rows() const
    {
        QStringList out;
        for (int i = 0; i < form->AListView1->topLevelItemCount(); ++i)
            out.append(form->AListView1->topLevelItem(i)->text(0) + u' ' +
                       form->AListView1->topLevelItem(i)->text(1));
        return out;
    }
    void type(const QString& text)
    {
        form->CB_S->setFocus();
        form->CB_S->lineEdit()->selectAll();
        // Typed one character at a time, accents included, as the keyboard sends them.
        for (const QChar c : text) {
            QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
            QApplication::sendEvent(form->CB_S->lineEdit(), &press);
            QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(c));
            QApplication::sendEvent(form->CB_S->lineEdit(), &release);
        }
    }
    void enterSign(const QString& text)
    {
        type(text);
        QTest::keyClick(form->CB_S->lineEdit(), Qt::Key_Return);
    }
    void chooseExam(const QString& exam, const QString& result)
    {
        form->Entree_Edition->setCurrentIndex(1);
        form->CB_E->setEditText(exam);
        const int index = form->CB_ER->findText(result);
        QVERIFY2(index >= 0, qPrintable(result));
        form->CB_ER->setCurrentIndex(index);
        emit form->CB_ER->activated(index);
    }

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void init()
    {
        folder = std::make_unique<ProgramFolder>();
        program = std::make_unique<app::Program>(folder->environment(deadUrl()));
        program->start();
        form = program->mainWindow();
        form->patientSheet()->setActivationMarker(1);
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form));
        form->SB_Effacer_tout->click();
        folder->messages.shown.clear();
    }

    void cleanup()
    {
        program.reset();
        folder.reset();
    }

    void signsJoinWithAnImplicitAnd()
    {
        enterSign(QStringLiteral("Fièvre"));
        QCOMPARE(signs(), L({"Fièvre"}));
        QVERIFY(form->SB_OR_S->isEnabled());
        QVERIFY(form->SB_P_F->isEnabled());
        QCOMPARE(form->CB_S->currentText(), QString());
        // Inline completion: a prefix, in any case, validates the offered sign as it is written.
        enterSign(QStringLiteral("toux g"));
        QCOMPARE(signs(), L({"Fièvre", "and", "Toux grasse"}));
        QCOMPARE(rows(), L({"99 Pneumopathie"}));
        QCOMPARE(form->RE_S->toPlainText(), QStringLiteral("Fièvre and Toux grasse "));
        QVERIFY(form->Entree_Edition->tabText(0).endsWith(QStringLiteral(") *")));
        // The same sign again is refused.
        enterSign(QStringLiteral("Fièvre"));
        QCOMPARE(folder->messages.texts(), QStringList{app::MessageTexts[17]});
        QCOMPARE(signs().size(), 3);
        QCOMPARE(form->CB_S->currentText(), QString());
    }

    void operatorKeys_data()
    {
        QTest::addColumn<QStringList>("steps"); // "+X": validate X; "?X": type X; a key name: trigger it
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("F4 with a typed sign")
            << L({"+Fièvre", "?Toux", "F4"}) << L({"Fièvre", "and", "Toux"});
        QTest::newRow("F5 with a typed sign")
            << L({"+Fièvre", "?Toux", "F5"}) << L({"Fièvre", "not", "Toux"});
        QTest::newRow("F5 then a sign") << L({"+Fièvre", "F5", "+Toux"}) << L({"Fièvre", "not", "Toux"});
        QTest::newRow("F4 then F5") << L({"+Fièvre", "F4", "F5"}) << L({"Fièvre", "not"});
        QTest::newRow("F6 before any sign does nothing") << L({"F6"}) << QStringList();
        QTest::newRow("or between signs")
            << L({"+Céphalées", "F6", "+Odynophagie"}) << L({"Céphalées", "or", "Odynophagie"});
    }

    void operatorKeys()
    {
        QFETCH(QStringList, steps);
        QFETCH(QStringList, expected);
        for (const QString& step : steps) {
            if (step.startsWith(u'+'))
                enterSign(step.mid(1));
            else if (step.startsWith(u'?'))
                type(step.mid(1));
            else if (step == u"F4")
                form->AND1->trigger();
            else if (step == u"F5")
                form->NOT1->trigger();
            else if (step == u"F6")
                form->or1->trigger();
        }
        QCOMPARE(signs(), expected);
        QVERIFY(folder->messages.shown.isEmpty());
    }

    void parentheses()
    {
        // ")" on an empty formula is discarded.
        form->SB_P_F->setEnabled(true);
        form->SB_P_F->click();
        QVERIFY(signs().isEmpty());
        QCOMPARE(form->CB_S->currentText(), QString());
        // "(" right after a sign goes without a message.
        enterSign(QStringLiteral("Fièvre"));
        form->SB_P_O->click();
        QCOMPARE(signs(), L({"Fièvre"}));
        QVERIFY(folder->messages.shown.isEmpty());
        // "(" after "or" is removed with the warning.
        form->or1->trigger();
        form->SB_P_O->click();
        QCOMPARE(signs(), L({"Fièvre", "or"}));
        QCOMPARE(folder->messages.texts(), QStringList{app::MessageTexts[4]});
        // A group after "and": the formula fails while open, and works once closed.
        form->AND1->trigger();
        form->SB_P_O->click();
        enterSign(QStringLiteral("Toux"));
        QCOMPARE(signs(), L({"Fièvre", "and", "(", "Toux"}));
        QVERIFY(rows().isEmpty());
        QCOMPARE(form->AListView1->headerItem()->text(1), QStringLiteral("Diagnostics évoqués"));
        form->SB_P_F->click();
        QCOMPARE(signs(), L({"Fièvre", "and", "(", "Toux", ")"}));
        QVERIFY(!rows().isEmpty());
        QCOMPARE(form->RE_S->toPlainText(), QStringLiteral("Fièvre and (Toux) "));
    }

    void removal()
    {
        enterSign(QStringLiteral("Fièvre"));
        signs().append({QStringLiteral("ignore"), QStringLiteral("Toux")});
        // Text in the entry is emptied first.
        type(QStringLiteral("Cép"));
        form->SB_Supprimer_S->click();
        QCOMPARE(form->CB_S->currentText(), QString());
        QCOMPARE(signs(), L({"Fièvre", "ignore", "Toux"}));
        // The sign goes with its "ignore".
        form->SB_Supprimer_S->click();
        QCOMPARE(signs(), L({"Fièvre"}));
        // Backspace in the empty entry removes the last sign; the empty formula disables "or" and ")".
        form->CB_S->setFocus();
        QTest::keyClick(form->CB_S->lineEdit(), Qt::Key_Backspace);
        QVERIFY(signs().isEmpty());
        QVERIFY(!form->SB_OR_S->isEnabled());
        QVERIFY(!form->SB_P_F->isEnabled());
        QVERIFY(form->CB_S->count() > 0);
    }

    void removalFallsBackToTheLongestPrefixThatCanBeQueried()
    {
        enterSign(QStringLiteral("Fièvre"));
        form->AND1->trigger();
        form->SB_P_O->click();
        enterSign(QStringLiteral("Toux"));
        form->or1->trigger();
        enterSign(QStringLiteral("Myalgies"));
        QCOMPARE(signs(), L({"Fièvre", "and", "(", "Toux", "or", "Myalgies"}));
        form->SB_Supprimer_S->click();
        // "Fièvre and ( Toux or" cannot be queried, nor "... ( Toux": the offered signs are those of
        // "Fièvre".
        QCOMPARE(signs(), L({"Fièvre", "and", "(", "Toux", "or"}));
        QVERIFY(form->CB_S->findText(QStringLiteral("Odynophagie")) >= 0);
        QVERIFY(form->CB_S->findText(QStringLiteral("Fièvre")) < 0);
    }

    void examEntry()
    {
        enterSign(QStringLiteral("Fièvre"));
        chooseExam(QStringLiteral("CRP"), QStringLiteral("Élevée"));
        QCOMPARE(form->session().state.PendingExamLine, QStringLiteral("CRP : Élevée"));
        form->SB_Validation_EC->click();
        QCOMPARE(exams(), L({"and", "CRP : Élevée"}));
        QCOMPARE(rows(), L({"99 Angine", "64 Pneumopathie"}));
        // The same line again.
        form->SB_Validation_EC->click();
        QCOMPARE(folder->messages.texts(), QStringList{app::MessageTexts[17]});
        // "not" twice keeps one; the next line follows it.
        form->SB_NOT_E->click();
        form->SB_NOT_E->click();
        QCOMPARE(exams(), L({"and", "CRP : Élevée", "not"}));
        chooseExam(QStringLiteral("Radiographie thoracique"), QStringLiteral("Opacité alvéolaire"));
        form->SB_NOT_E->click();
        QCOMPARE(exams(), L({"and", "CRP : Élevée", "not", "Radiographie thoracique : Opacité alvéolaire"}));
        QCOMPARE(form->RE_E->toPlainText(),
                 QStringLiteral("CRP : Élevée\nnot Radiographie thoracique : Opacité alvéolaire"));
        QCOMPARE(rows(), L({"99 Angine"}));
        // Removal takes the line with its operator.
        form->SB_Supprimer_EC->click();
        QCOMPARE(exams(), L({"and", "CRP : Élevée"}));
        form->SB_Supprimer_EC->click();
        QVERIFY(exams().isEmpty());
        QCOMPARE(rows().size(), 3);
    }

    void patientSheet()
    {
        app::TForm4* sheet = form->patientSheet();
        sheet->Edit1->setText(QStringLiteral("dupont"));
        sheet->rb1->setChecked(true);
        sheet->rb5->setChecked(true);
        enterSign(QStringLiteral("Fièvre"));
        sheet->Button1->click();
        QCOMPARE(sheet->Edit1->text(), QStringLiteral("Dupont"));
        QCOMPARE(form->session().state.PatientSex, QChar(u'h'));
        QCOMPARE(form->session().state.PatientAgeBand, QStringLiteral("3"));
        QCOMPARE(form->Label2->text(), QStringLiteral("Masculin"));
        QCOMPARE(form->Label4->text(), QStringLiteral("Supérieur a 45 ans"));
        QVERIFY(signs().isEmpty());
        QVERIFY(form->ComboBox4->itemText(0).startsWith(QStringLiteral("Dupont   [")));
        // A male patient is offered the male-only signs.
        QVERIFY(form->CB_S->findText(QStringLiteral("Douleur testiculaire")) >= 0);
        QCOMPARE(app::Initiale_Majuscule(QStringLiteral("élodie")), QStringLiteral("élodie"));
        QCOMPARE(app::Nom_Fiche(QStringLiteral("Dupont   [12/03/2020  10:41:07]")), QStringLiteral("Dupont"));

        // A patient handed over through the parameters is applied as soon as the sheet opens.
        form->query().execSql(QStringLiteral("update Prm set V = ? where T = ?"),
                              {QStringLiteral("martin"), kb::prm::Name});
        form->query().execSql(QStringLiteral("update Prm set V = ? where T = ?"),
                              {QStringLiteral("f"), kb::prm::Sex});
        form->query().execSql(QStringLiteral("update Prm set V = ? where T = ?"),
                              {QStringLiteral("1"), kb::prm::Age});
        form->Nouvelle1->trigger();
        QVERIFY(!sheet->isVisible());
        QCOMPARE(form->session().state.PatientSex, QChar(u'f'));
        QCOMPARE(form->session().state.PatientAgeBand, QStringLiteral("1"));
        QVERIFY(form->ComboBox4->itemText(0).startsWith(QStringLiteral("Martin   [")));
        QVERIFY(form->CB_S->findText(QStringLiteral("Pleurs du nourrisson")) >= 0);
        QVERIFY(form->CB_S->findText(QStringLiteral("Douleur testiculaire")) < 0);
    }

    void diagnosisListSortModeAndRetainedDiagnosis()
    {
        enterSign(QStringLiteral("Fièvre"));
        QCOMPARE(rows(), L({"99 Angine", "93 Grippe", "64 Pneumopathie"}));
        TAdvancedListView* list = form->AListView1;
        // The "%" header: ascending with an up arrow, then descending with a down arrow.
        form->AListView1ColumnClick(0);
        QCOMPARE(rows(), L({"64 Pneumopathie", "93 Grippe", "99 Angine"}));
        QCOMPARE(list->sortArrow(0), TAdvancedListView::Arrow::Up);
        form->AListView1ColumnClick(0);
        QCOMPARE(rows(), L({"99 Angine", "93 Grippe", "64 Pneumopathie"}));
        QCOMPARE(list->sortArrow(0), TAdvancedListView::Arrow::Down);
        form->AListView1ColumnClick(1);
        QCOMPARE(rows(), L({"99 Angine", "93 Grippe", "64 Pneumopathie"}));
        QCOMPARE(list->sortArrow(0), TAdvancedListView::Arrow::None);
        QCOMPARE(list->sortArrow(1), TAdvancedListView::Arrow::Up);

        // A click retains a diagnosis; the next evaluation selects it again, or clears it.
        list->setCurrentItem(list->topLevelItem(1));
        form->AListView1Click();
        QCOMPARE(form->JvEdit_dg->text(), QStringLiteral("Grippe"));
        QCOMPARE(form->pb1->value(), 93);
        form->session().keepRetained = 1;
        enterSign(QStringLiteral("Myalgies"));
        QCOMPARE(form->JvEdit_dg->text(), QStringLiteral("Grippe"));
        QCOMPARE(list->currentItem()->text(1), QStringLiteral("Grippe"));

        // The probability mode re-evaluates and renames the header.
        form->CB_CLS->setCurrentIndex(1);
        emit form->CB_CLS->activated(1);
        QCOMPARE(list->headerItem()->text(0), QStringLiteral("0,"));
        QCOMPARE(form->session().sortMode, engine::SortMode::Probability);
        QCOMPARE(rows().first(), QStringLiteral("99 Grippe"));
        QVERIFY(form->JvEdit_dg->text().isEmpty()); // the keep flag was used once
    }

    // The command-line tool runs the same evaluation as the window: same rows, same order.
    void commandLineToolListsTheSameDiagnoses()
    {
        enterSign(QStringLiteral("Fièvre"));
        enterSign(QStringLiteral("Céphalées"));
        QProcess cli;
        cli.start(QStringLiteral(VARDELO_CLI),
                  {QStringLiteral("--db"), folder->file(QStringLiteral("Data.vdat")),
                   QStringLiteral("evaluate"),
                   QStringLiteral("{\"sex\":\"f\",\"signs\":[\"Fièvre\",\"and\",\"Céphalées\"]}")});
        QVERIFY(cli.waitForFinished(30000));
        QCOMPARE(cli.exitCode(), 0);
        const QJsonObject result = QJsonDocument::fromJson(cli.readAllStandardOutput()).object();
        QStringList cliRows;
        for (const QJsonValue& row : result.value(QStringLiteral("rows")).toArray())
            cliRows.append(row[QStringLiteral("percent")].toString() + u' ' +
                           row[QStringLiteral("name")].toString());
        QVERIFY(!cliRows.isEmpty());
        QCOMPARE(cliRows, rows());
        QCOMPARE(result.value(QStringLiteral("header")).toString(), form->AListView1->headerItem()->text(1));
        QCOMPARE(result.value(QStringLiteral("page0")).toString(), form->Entree_Edition->tabText(0));
    }

    void hostileTextsAreSafe()
    {
        for (const char* text : {"d'effort", "\"x\"", "[%_]", "')) or 1=1 --", "Œdème « »"}) {
            type(QString::fromUtf8(text));
            QTest::keyClick(form->CB_S->lineEdit(), Qt::Key_Return);
            form->SB_Supprimer_S->click();
        }
        enterSign(QStringLiteral("Douleur d'effort"));
        QCOMPARE(signs(), L({"Douleur d'effort"}));
        QCOMPARE(rows(), L({"99 Pneumopathie"}));
    }

    void listViewKeepsEqualKeysInOrder()
    {
        TAdvancedListView view;
        view.setColumnCount(2);
        for (const char* name : {"b1", "a", "b2", "c", "b3"})
            view.addTopLevelItem(
                new QTreeWidgetItem(QStringList{QString::fromUtf8(name).left(1), QString::fromUtf8(name)}));
        auto order = [&view] {
            QStringList out;
            for (int i = 0; i < view.topLevelItemCount(); ++i)
                out.append(view.topLevelItem(i)->text(1));
            return out;
        };
        view.sortByColumnBuiltIn(0, true);
        QCOMPARE(order(), L({"a", "b1", "b2", "b3", "c"}));
        view.sortByColumnBuiltIn(0, false);
        QCOMPARE(order(), L({"c", "b3", "b2", "b1", "a"}));
        // Rows alternate their colours; the first one is on ColorImpair.
        view.setColorImpair(Qt::yellow);
        view.setColorPair(Qt::white);
        QCOMPARE(view.rowBackground(0, 0), QColor(Qt::yellow));
        QCOMPARE(view.rowBackground(1, 1), QColor(Qt::white));
    }
};

QTEST_MAIN(EntryTest)
#include "EntryTest.moc"
