// The main window driven as the physician drives it: keys go to the widget that has the focus.

#include "TestLists.h"
#include "TestSupport.h"
#include "app/MainWindow.h"
#include "app/MessageTexts.h"
#include "app/Program.h"
#include "dialogs/AboutDialog.h"
#include "dialogs/PatientSheetDialog.h"
#include "kb/Schema.h"
#include "widgets/SortableListWidget.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QAction>
#include <QComboBox>
#include <QHeaderView>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTest>
#include <QTextEdit>
#include <QTimer>
#include <QToolButton>

using namespace vardelo;
using namespace vardelo::testing;
using widgets::SortableListWidget;

class EntryTest : public WindowTest {
    Q_OBJECT

private:
    const QStringList& signs() { return form->session().state().SCList; }
    const QStringList& exams() { return form->session().state().EC_List; }
    QStringList rows() const
    {
        QStringList out;
        auto* list = find<SortableListWidget>("diagnosisList");
        for (int i = 0; i < list->topLevelItemCount(); ++i)
            out.append(list->topLevelItem(i)->text(0) + u' ' + list->topLevelItem(i)->text(1));
        return out;
    }
    void type(const QString& text)
    {
        combo("signInput")->setFocus();
        QCOMPARE(focusWidget(), combo("signInput"));
        combo("signInput")->lineEdit()->selectAll();
        typeText(text);
    }
    void enterSign(const QString& text)
    {
        type(text);
        pressKey(Qt::Key_Return);
    }
    void chooseExam(const QString& exam, const QString& result)
    {
        find<QTabWidget>("entryTabs")->setCurrentWidget(find("examsPage"));
        combo("examInput")->setEditText(exam);
        QComboBox* results = combo("examResultCombo");
        const int index = results->findText(result);
        QVERIFY2(index >= 0, qPrintable(result));
        results->setCurrentIndex(index);
        emit results->activated(index);
    }
    void clickHeader(int column)
    {
        QHeaderView* header = find<SortableListWidget>("diagnosisList")->header();
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                          QPoint(header->sectionViewportPosition(column) + 5, header->height() / 2));
    }

    void startProgram()
    {
        showProgram();
        button("clearAllButton")->click();
        folder->messages.shown.clear();
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

    void signsJoinWithAnImplicitAnd()
    {
        enterSign(QStringLiteral("Fièvre"));
        QCOMPARE(signs(), L({"Fièvre"}));
        QVERIFY(button("orButton")->isEnabled());
        QVERIFY(button("closeParenButton")->isEnabled());
        QCOMPARE(combo("signInput")->currentText(), QString());
        // Inline completion: a prefix, in any case, validates the offered sign as it is written.
        enterSign(QStringLiteral("toux g"));
        QCOMPARE(signs(), L({"Fièvre", "and", "Toux grasse"}));
        QCOMPARE(rows(), L({"99 Pneumopathie"}));
        QCOMPARE(find<QTextEdit>("signFormulaView")->toPlainText(),
                 QStringLiteral("Fièvre and Toux grasse "));
        QVERIFY(find<QTabWidget>("entryTabs")->tabText(0).endsWith(QStringLiteral(") *")));
        // The same sign again is refused.
        enterSign(QStringLiteral("Fièvre"));
        QCOMPARE(folder->messages.texts(), QStringList{app::msg::AlreadyEntered});
        QCOMPARE(signs().size(), 3);
        QCOMPARE(combo("signInput")->currentText(), QString());
    }

    void operatorKeys_data()
    {
        QTest::addColumn<QStringList>("steps"); // "+X": validate X; "?X": type X; a key name: press it
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
        const std::map<QString, Qt::Key> keys{{QStringLiteral("F4"), Qt::Key_F4},
                                              {QStringLiteral("F5"), Qt::Key_F5},
                                              {QStringLiteral("F6"), Qt::Key_F6}};
        for (const QString& step : steps) {
            if (step.startsWith(u'+'))
                enterSign(step.mid(1));
            else if (step.startsWith(u'?'))
                type(step.mid(1));
            else
                pressKey(keys.at(step));
        }
        QCOMPARE(signs(), expected);
        QVERIFY(folder->messages.shown.isEmpty());
    }

    void parentheses()
    {
        // ")" on an empty formula is discarded.
        button("closeParenButton")->setEnabled(true);
        button("closeParenButton")->click();
        QVERIFY(signs().isEmpty());
        QCOMPARE(combo("signInput")->currentText(), QString());
        // "(" right after a sign goes without a message.
        enterSign(QStringLiteral("Fièvre"));
        button("openParenButton")->click();
        QCOMPARE(signs(), L({"Fièvre"}));
        QVERIFY(folder->messages.shown.isEmpty());
        // "(" after "or" is removed with the warning.
        trigger("orAction");
        button("openParenButton")->click();
        QCOMPARE(signs(), L({"Fièvre", "or"}));
        QCOMPARE(folder->messages.texts(), QStringList{app::msg::FormulationNotAllowed});
        // A group after "and": the formula fails while open, and works once closed.
        trigger("andAction");
        button("openParenButton")->click();
        enterSign(QStringLiteral("Toux"));
        QCOMPARE(signs(), L({"Fièvre", "and", "(", "Toux"}));
        QVERIFY(rows().isEmpty());
        QCOMPARE(find<SortableListWidget>("diagnosisList")->headerItem()->text(1),
                 QStringLiteral("Diagnostics évoqués"));
        button("closeParenButton")->click();
        QCOMPARE(signs(), L({"Fièvre", "and", "(", "Toux", ")"}));
        QVERIFY(!rows().isEmpty());
        QCOMPARE(find<QTextEdit>("signFormulaView")->toPlainText(), QStringLiteral("Fièvre and (Toux) "));
    }

    void removal()
    {
        enterSign(QStringLiteral("Fièvre"));
        form->session().setFormula(signs() + L({"ignore", "Toux"}));
        // Text in the entry is emptied first.
        type(QStringLiteral("Cép"));
        button("removeLastSignButton")->click();
        QCOMPARE(combo("signInput")->currentText(), QString());
        QCOMPARE(signs(), L({"Fièvre", "ignore", "Toux"}));
        // The sign goes with its "ignore".
        button("removeLastSignButton")->click();
        QCOMPARE(signs(), L({"Fièvre"}));
        // Backspace in the empty entry removes the last sign; the empty formula disables "or" and ")".
        combo("signInput")->setFocus();
        pressKey(Qt::Key_Backspace);
        QVERIFY(signs().isEmpty());
        QVERIFY(!button("orButton")->isEnabled());
        QVERIFY(!button("closeParenButton")->isEnabled());
        QVERIFY(combo("signInput")->count() > 0);
    }

    void removalFallsBackToTheLongestPrefixThatCanBeQueried()
    {
        enterSign(QStringLiteral("Fièvre"));
        trigger("andAction");
        button("openParenButton")->click();
        enterSign(QStringLiteral("Toux"));
        trigger("orAction");
        enterSign(QStringLiteral("Myalgies"));
        QCOMPARE(signs(), L({"Fièvre", "and", "(", "Toux", "or", "Myalgies"}));
        button("removeLastSignButton")->click();
        // "Fièvre and ( Toux or" cannot be queried, nor "... ( Toux": the offered signs are those of
        // "Fièvre".
        QCOMPARE(signs(), L({"Fièvre", "and", "(", "Toux", "or"}));
        QVERIFY(combo("signInput")->findText(QStringLiteral("Odynophagie")) >= 0);
        QVERIFY(combo("signInput")->findText(QStringLiteral("Fièvre")) < 0);
    }

    // Escape in either entry empties the case.
    void escapeClearsTheCase()
    {
        enterSign(QStringLiteral("Fièvre"));
        type(QStringLiteral("Tou"));
        pressKey(Qt::Key_Escape);
        QVERIFY(signs().isEmpty());
        QVERIFY(rows().isEmpty());
        QCOMPARE(combo("signInput")->currentText(), QString());
    }

    void examEntry()
    {
        enterSign(QStringLiteral("Fièvre"));
        chooseExam(QStringLiteral("CRP"), QStringLiteral("Élevée"));
        QCOMPARE(form->session().state().PendingExamLine, QStringLiteral("CRP : Élevée"));
        button("addExamButton")->click();
        QCOMPARE(exams(), L({"and", "CRP : Élevée"}));
        QCOMPARE(rows(), L({"99 Angine", "64 Pneumopathie"}));
        // The same line again.
        button("addExamButton")->click();
        QCOMPARE(folder->messages.texts(), QStringList{app::msg::AlreadyEntered});
        // "not" twice keeps one; the next line follows it.
        button("examNotButton")->click();
        button("examNotButton")->click();
        QCOMPARE(exams(), L({"and", "CRP : Élevée", "not"}));
        chooseExam(QStringLiteral("Radiographie thoracique"), QStringLiteral("Opacité alvéolaire"));
        button("examNotButton")->click();
        QCOMPARE(exams(), L({"and", "CRP : Élevée", "not", "Radiographie thoracique : Opacité alvéolaire"}));
        QCOMPARE(find<QTextEdit>("examLinesView")->toPlainText(),
                 QStringLiteral("CRP : Élevée\nnot Radiographie thoracique : Opacité alvéolaire"));
        QCOMPARE(rows(), L({"99 Angine"}));
        // Removal takes the line with its operator.
        button("removeLastExamButton")->click();
        QCOMPARE(exams(), L({"and", "CRP : Élevée"}));
        button("removeLastExamButton")->click();
        QVERIFY(exams().isEmpty());
        QCOMPARE(rows().size(), 3);
    }

    void patientSheet()
    {
        enterSign(QStringLiteral("Fièvre"));
        // The sheet is modal: it is filled in once it shows.
        QTimer::singleShot(0, this, [] {
            auto* sheet = qobject_cast<dialogs::PatientSheetDialog*>(QApplication::activeModalWidget());
            QVERIFY(sheet);
            child<QLineEdit>(sheet, QStringLiteral("nameEdit"))->setText(QStringLiteral("dupont"));
            child<QRadioButton>(sheet, QStringLiteral("maleRadio"))->setChecked(true);
            child<QRadioButton>(sheet, QStringLiteral("over45Radio"))->setChecked(true);
            child<QPushButton>(sheet, QStringLiteral("okButton"))->click();
        });
        trigger("newCaseAction");
        QCOMPARE(form->session().patient().name, QStringLiteral("Dupont"));
        QCOMPARE(form->session().patient().sex, QChar(u'h'));
        QCOMPARE(form->session().patient().ageBand, QStringLiteral("3"));
        QCOMPARE(find<QLabel>("sexValue")->text(), QStringLiteral("Masculin"));
        QCOMPARE(find<QLabel>("ageValue")->text(), QStringLiteral("Supérieur a 45 ans"));
        QVERIFY(signs().isEmpty());
        QVERIFY(combo("savedCasesCombo")->itemText(0).startsWith(QStringLiteral("Dupont   [")));
        // A male patient is offered the male-only signs.
        QVERIFY(combo("signInput")->findText(QStringLiteral("Douleur testiculaire")) >= 0);
        QCOMPARE(dialogs::capitalizeFirstLetter(QStringLiteral("élodie")), QStringLiteral("élodie"));

        // A patient handed over through the parameters is applied without showing the sheet.
        form->query().execSql(QStringLiteral("update Prm set V = ? where T = ?"),
                              {QStringLiteral("martin"), kb::prm::Name});
        form->query().execSql(QStringLiteral("update Prm set V = ? where T = ?"),
                              {QStringLiteral("f"), kb::prm::Sex});
        form->query().execSql(QStringLiteral("update Prm set V = ? where T = ?"),
                              {QStringLiteral("1"), kb::prm::Age});
        bool sheetShown = false;
        QTimer::singleShot(0, this, [&sheetShown] {
            if (auto* sheet = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
                sheetShown = true;
                sheet->reject();
            }
        });
        trigger("newCaseAction");
        QApplication::processEvents();
        QVERIFY(!sheetShown);
        QCOMPARE(form->session().patient().sex, QChar(u'f'));
        QCOMPARE(form->session().patient().ageBand, QStringLiteral("1"));
        QVERIFY(combo("savedCasesCombo")->itemText(0).startsWith(QStringLiteral("Martin   [")));
        QVERIFY(combo("signInput")->findText(QStringLiteral("Pleurs du nourrisson")) >= 0);
        QVERIFY(combo("signInput")->findText(QStringLiteral("Douleur testiculaire")) < 0);
    }

    void diagnosisListSortModeAndRetainedDiagnosis()
    {
        enterSign(QStringLiteral("Fièvre"));
        QCOMPARE(rows(), L({"99 Angine", "93 Grippe", "64 Pneumopathie"}));
        auto* list = find<SortableListWidget>("diagnosisList");
        // The "%" header: ascending with an up arrow, then descending with a down arrow.
        clickHeader(0);
        QCOMPARE(rows(), L({"64 Pneumopathie", "93 Grippe", "99 Angine"}));
        QCOMPARE(list->sortArrow(0), SortableListWidget::Arrow::Up);
        clickHeader(0);
        QCOMPARE(rows(), L({"99 Angine", "93 Grippe", "64 Pneumopathie"}));
        QCOMPARE(list->sortArrow(0), SortableListWidget::Arrow::Down);
        clickHeader(1);
        QCOMPARE(rows(), L({"99 Angine", "93 Grippe", "64 Pneumopathie"}));
        QCOMPARE(list->sortArrow(0), SortableListWidget::Arrow::None);
        QCOMPARE(list->sortArrow(1), SortableListWidget::Arrow::Up);

        // A click retains a diagnosis; the next evaluation selects it again, or clears it.
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualItemRect(list->topLevelItem(1)).center());
        QCOMPARE(find<QLineEdit>("retainedDiagnosisEdit")->text(), QStringLiteral("Grippe"));
        QCOMPARE(find<QProgressBar>("scoreBar")->value(), 93);
        form->session().keepRetainedDiagnosisOnce();
        enterSign(QStringLiteral("Myalgies"));
        QCOMPARE(find<QLineEdit>("retainedDiagnosisEdit")->text(), QStringLiteral("Grippe"));
        QCOMPARE(list->currentItem()->text(1), QStringLiteral("Grippe"));

        // The probability mode re-evaluates and renames the header.
        combo("rankingCombo")->setCurrentIndex(1);
        emit combo("rankingCombo")->activated(1);
        QCOMPARE(list->headerItem()->text(0), QStringLiteral("0,"));
        QCOMPARE(form->session().rankingMode(), engine::SortMode::Probability);
        QCOMPARE(rows().first(), QStringLiteral("99 Grippe"));
        QVERIFY(find<QLineEdit>("retainedDiagnosisEdit")->text().isEmpty()); // the keep flag was used once
    }

    // When the strict ranking keeps nothing, F7 shows the ranking by concordance; the selector
    // follows it, the reasons of the selected row show under the list, and the selector, opened
    // and driven from the keyboard, goes back to a strict ranking.
    void concordanceRankingWithItsReasons()
    {
        auto* list = find<SortableListWidget>("diagnosisList");
        form->session().setFormula(L({"Odynophagie", "and", "Dyspnée"}));
        form->session().evaluateCase(engine::EvaluationMode::Rank);
        QVERIFY(rows().isEmpty());
        QCOMPARE(list->headerItem()->text(1), QStringLiteral("Pas de diagnostic !"));
        QVERIFY(button("concordanceOfferButton")->isVisible());
        QCOMPARE(find<QLabel>("reasonsLabel")->text(),
                 QStringLiteral("Aucune pathologie ne réunit tous les signes entrés."));

        pressKey(Qt::Key_F7);
        QCOMPARE(form->session().rankingMode(), engine::SortMode::Concordance);
        QCOMPARE(combo("rankingCombo")->currentText(), QStringLiteral("Tri par concordance"));
        QCOMPARE(list->headerItem()->text(0), QStringLiteral("%"));
        QCOMPARE(rows(), L({"99 Angine", "87 Pneumopathie", "79 Grippe"}));
        QVERIFY(!button("concordanceOfferButton")->isVisible());
        pressKey(Qt::Key_F3);
        QCOMPARE(focusWidget(), list);
        QCOMPARE(find<QLabel>("reasonsLabel")->text(),
                 QStringLiteral("Explique : Odynophagie (6) — N'explique pas : Dyspnée"));
        pressKey(Qt::Key_Down);
        QCOMPARE(find<QLabel>("reasonsLabel")->text(),
                 QStringLiteral("Explique : Dyspnée (3) — N'explique pas : Odynophagie"));

        QComboBox* selector = combo("rankingCombo");
        QTest::mouseClick(selector, Qt::LeftButton);
        QTRY_VERIFY(selector->view()->isVisible());
        pressKey(Qt::Key_Up);
        pressKey(Qt::Key_Up);
        pressKey(Qt::Key_Return);
        QCOMPARE(form->session().rankingMode(), engine::SortMode::Prevalence);
        QVERIFY(rows().isEmpty());
        QVERIFY(button("concordanceOfferButton")->isVisible());
    }

    // An emergency is marked by a red sign before its name and a tooltip, on its own row whatever
    // the order, and its name stays as the rest of the program reads it.
    void emergenciesAreMarkedInTheDiagnosisList()
    {
        program.reset();
        folder->flagEmergency(QStringLiteral("Pneumopathie"));
        startProgram();
        enterSign(QStringLiteral("Fièvre"));
        auto* list = find<SortableListWidget>("diagnosisList");
        const QString tip = QStringLiteral("Urgence\u00A0: prise en charge hospitalière le jour même");
        for (const bool sorted : {false, true}) {
            if (sorted)
                clickHeader(0);
            QCOMPARE(rows(), sorted ? L({"64 Pneumopathie", "93 Grippe", "99 Angine"})
                                    : L({"99 Angine", "93 Grippe", "64 Pneumopathie"}));
            for (int i = 0; i < list->topLevelItemCount(); ++i) {
                const QTreeWidgetItem* item = list->topLevelItem(i);
                const bool emergency = item->text(1) == u"Pneumopathie";
                QCOMPARE(!item->icon(1).isNull(), emergency);
                QCOMPARE(item->toolTip(1), emergency ? tip : QString());
                QVERIFY(item->icon(0).isNull());
            }
        }
        // The sign is drawn red, not left to a font that may lack it.
        const QImage sign = list->topLevelItem(0)->icon(1).pixmap(16, 16).toImage();
        const QColor inside = sign.pixelColor(sign.width() / 4, sign.height() * 13 / 16);
        QVERIFY2(inside.red() > 180 && inside.green() < 80 && inside.blue() < 80, qPrintable(inside.name()));
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
        QCOMPARE(result.value(QStringLiteral("header")).toString(),
                 find<SortableListWidget>("diagnosisList")->headerItem()->text(1));
        QCOMPARE(result.value(QStringLiteral("page0")).toString(), find<QTabWidget>("entryTabs")->tabText(0));
    }

    void hostileTextsAreSafe()
    {
        for (const char* text : {"d'effort", "\"x\"", "[%_]", "')) or 1=1 --", "Œdème « »"}) {
            type(QString::fromUtf8(text));
            pressKey(Qt::Key_Return);
            button("removeLastSignButton")->click();
        }
        enterSign(QStringLiteral("Douleur d'effort"));
        QCOMPARE(signs(), L({"Douleur d'effort"}));
        QCOMPARE(rows(), L({"99 Pneumopathie"}));
    }

    // A screen reader names every control the physician can reach, in French: every page of the window
    // and of the pathology sheet is shown, and each control that takes the focus must have a name.
    void everyControlHasAnAccessibleName()
    {
        QStringList unnamed;
        auto collect = [&] {
            for (QWidget* w : form->findChildren<QWidget*>()) {
                if (!w->isVisible() || w->focusPolicy() == Qt::NoFocus)
                    continue;
                QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(w);
                if (!accessible || accessible->text(QAccessible::Name).trimmed().isEmpty())
                    unnamed.append(w->objectName() + u'(' +
                                   QString::fromLatin1(w->metaObject()->className()) + u')');
            }
        };
        for (const char* show : {"showSignsAction", "showExamsAction", "showNotesAction"}) {
            trigger(show);
            collect();
        }
        trigger("showPathologiesAction");
        auto* sheetPages = find<QTabWidget>("pathologyTabs");
        for (int page = 0; page < sheetPages->count(); ++page) {
            sheetPages->setCurrentIndex(page);
            collect();
        }
        unnamed.removeDuplicates();
        QVERIFY2(unnamed.isEmpty(), qPrintable(unnamed.join(QStringLiteral(", "))));
    }

    // F1 opens the manual at the section of the page shown; every such section and every picture of
    // the manual exist in the manual shipped.
    void helpOpensTheManualAtThePageShown()
    {
        QFile manualFile(QStringLiteral(VARDELO_SOURCE_DIR "/help/manuel.html"));
        QVERIFY(manualFile.open(QIODevice::ReadOnly));
        const QString manual = QString::fromUtf8(manualFile.readAll());
        const std::pair<const char*, const char*> pages[] = {
            {"showExamsAction", "examens"},
            {"showNotesAction", "notes"},
            {"showPathologiesAction", "fiche-pathologie"},
            {"showSignsAction", "signes"},
        };
        for (const auto& [show, section] : pages) {
            trigger(show);
            folder->desktop.opened.clear();
            QTest::keyClick(focusWidget(), Qt::Key_F1);
            QCOMPARE(folder->desktop.opened.size(), 1);
            const QString url = folder->desktop.opened.front();
            QVERIFY2(url.endsWith(QStringLiteral("/Aide/manuel.html#") + QString::fromLatin1(section)),
                     qPrintable(url));
            QVERIFY(manual.contains(QStringLiteral("id=\"%1\"").arg(QString::fromLatin1(section))));
        }
        static const QRegularExpression picture(QStringLiteral("src=\"([^\"]+)\""));
        for (const QRegularExpressionMatch& m : picture.globalMatch(manual))
            QVERIFY2(QFile::exists(QStringLiteral(VARDELO_SOURCE_DIR "/help/") + m.captured(1)),
                     qPrintable(m.captured(1)));
    }

    // Help and the cases folder need a browser or a file manager; without one the physician is told.
    void desktopFailuresAreReported()
    {
        folder->desktop.fails = true;
        trigger("helpAction");
        trigger("openCasesFolderAction");
        const QStringList texts = folder->messages.texts();
        QCOMPARE(texts.size(), 2);
        QVERIFY(texts.at(0).startsWith(QStringLiteral("Impossible d'ouvrir l'aide")));
        QVERIFY(texts.at(0).contains(QStringLiteral("manuel.html")));
        QVERIFY(texts.at(1).startsWith(QStringLiteral("Impossible d'ouvrir le dossier")));
        QCOMPARE(folder->messages.shown.at(1).type, app::DialogType::Error);
    }

    // The window grows with the screen, the diagnosis list taking the room, and shrinks to fit a
    // 1280 x 800 screen at 125 % (640 pixels high, less the title bar and the task bar).
    void windowResizesAroundTheDiagnosisList()
    {
        QVERIFY(form->minimumSizeHint().height() <= 560);
        QVERIFY(form->maximumHeight() > 2000);
        auto* list = find<SortableListWidget>("diagnosisList");
        auto* tabs = find<QTabWidget>("entryTabs");
        form->resize(620, 700);
        QApplication::processEvents();
        const int listHeight = list->height();
        const int tabsHeight = tabs->height();
        form->resize(900, 900);
        QApplication::processEvents();
        QCOMPARE(tabs->height(), tabsHeight);
        QCOMPARE(list->height(), listHeight + 200);
        QVERIFY(list->width() > 600);
    }

    // The longest age band and version status are shown whole.
    void longTextsAreNotClipped()
    {
        form->session().setPatient({QStringLiteral("Dupont"), u'h', QStringLiteral("2")});
        auto* age = find<QLabel>("ageValue");
        QCOMPARE(age->text(), QStringLiteral("Entre 15 et 45 ans"));
        QTRY_VERIFY(age->width() >= age->sizeHint().width());

        dialogs::AboutDialog about({QStringLiteral("Vardelo"), QStringLiteral("Vardelo Version 1.0"),
                                    app::Tagline, app::NoConnectionStatus, app::PublicationDate},
                                   folder->desktop, form);
        about.show();
        QVERIFY(QTest::qWaitForWindowExposed(&about));
        auto* status = child<QLabel>(&about, QStringLiteral("versionStatusLabel"));
        QCOMPARE(status->text(), app::NoConnectionStatus);
        QVERIFY(status->width() >= status->sizeHint().width());
    }

    void listKeepsEqualKeysInOrder()
    {
        SortableListWidget view;
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
        view.sortByColumnOrdinal(0, true);
        QCOMPARE(order(), L({"a", "b1", "b2", "b3", "c"}));
        view.sortByColumnOrdinal(0, false);
        QCOMPARE(order(), L({"c", "b3", "b2", "b1", "a"}));
        // Rows alternate their colours; the first one is on the odd-row colour.
        view.setOddRowColor(Qt::yellow);
        view.setEvenRowColor(Qt::white);
        QCOMPARE(view.rowBackground(0), QColor(Qt::yellow));
        QCOMPARE(view.rowBackground(1), QColor(Qt::white));
    }
};

QTEST_MAIN(EntryTest)
#include "EntryTest.moc"
