// The pathology sheet, the notes editors and the web look-ups, driven as the physician drives them.

#include "TestLists.h"
#include "TestSupport.h"
#include "app/MainWindow.h"
#include "app/MessageTexts.h"
#include "app/Program.h"
#include "dialogs/FontDialog.h"
#include "rtf/RichText.h"
#include "widgets/NotesEditor.h"
#include "widgets/SortableListWidget.h"

#include <QAction>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QToolButton>

using namespace vardelo;
using namespace vardelo::testing;
using widgets::NotesEditor;
using widgets::SortableListWidget;

namespace {

// The popup menu as the physician reads it: separators as "-", a submenu as its caption followed by
// its items in brackets.
QStringList captions(const QMenu* menu)
{
    QStringList out;
    for (const QAction* a : menu->actions()) {
        if (a->isSeparator())
            out.append(QStringLiteral("-"));
        else if (a->menu())
            out.append(a->text() + QStringLiteral(" [") + captions(a->menu()).join(u'|') + u']');
        else
            out.append(a->text() + (a->shortcut().isEmpty() ? QString() : u' ' + a->shortcut().toString()));
    }
    return out;
}

bool boldAt(const QTextEdit* edit, const QString& word)
{
    const int at = edit->toPlainText().indexOf(word);
    if (at < 0)
        return false;
    QTextCursor cursor(edit->document());
    cursor.setPosition(at + 1);
    return cursor.charFormat().fontWeight() == QFont::Bold;
}

} // namespace

class DocumentationTest : public WindowTest {
    Q_OBJECT

private:
    QTemporaryDir home; // the documents folder, with the notes, lives here

    QTabWidget* entryTabs() const { return find<QTabWidget>("entryTabs"); }
    QTabWidget* sheetTabs() const { return find<QTabWidget>("pathologyTabs"); }
    NotesEditor* notesEdit(const char* name) const { return find<NotesEditor>(name); }
    QAction* menuItem(const char* editor, const char* item) const
    {
        return child<QAction>(notesEdit(editor), QString::fromLatin1(item));
    }
    const QStringList& signs() { return form->session().state().SCList; }
    QString notesFile(const QString& name) const
    {
        return QDir(home.path()).filePath(QStringLiteral("Documents/Vardelo/Notes/") + name);
    }
    // A double click as the mouse makes it: the press before it selects the row.
    static void doubleClick(QAbstractItemView* view, const QRect& item)
    {
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, item.center());
        QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, item.center());
    }
    static QStringList items(const QListWidget* list)
    {
        QStringList out;
        for (int i = 0; i < list->count(); ++i)
            out.append(list->item(i)->text());
        return out;
    }

    void enterSign(const QString& text)
    {
        combo("signInput")->setFocus();
        combo("signInput")->lineEdit()->selectAll();
        typeText(text);
        pressKey(Qt::Key_Return);
    }
    // Selects the row of that diagnosis, or no row at all for the empty name.
    void selectDiagnosis(const QString& name)
    {
        auto* list = find<SortableListWidget>("diagnosisList");
        list->clearSelection();
        list->setCurrentItem(nullptr);
        for (int i = 0; i < list->topLevelItemCount(); ++i) {
            if (list->topLevelItem(i)->text(1) == name)
                list->setCurrentItem(list->topLevelItem(i));
        }
    }
    void choosePathology(const QString& name)
    {
        find<QAction>("showPathologiesAction")->trigger();
        combo("pathologyCombo")->setCurrentIndex(combo("pathologyCombo")->findText(name));
    }

    void startProgram()
    {
        showProgram();
        button("clearAllButton")->click();
        folder->messages.shown.clear();
    }

private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        QVERIFY(home.isValid());
        // Notes go to the documents folder: keep the tests' away from the user's.
        qputenv("HOME", home.path().toLocal8Bit());
    }

    void init()
    {
        folder = std::make_unique<ProgramFolder>();
        startProgram();
    }

    void cleanup()
    {
        program.reset();
        folder.reset();
        QDir(notesFile(QString())).removeRecursively();
    }

    void doubleClickOnADiagnosisShowsItsSigns()
    {
        enterSign(QStringLiteral("Fièvre"));
        auto* list = find<SortableListWidget>("diagnosisList");
        selectDiagnosis(QStringLiteral("Grippe"));
        doubleClick(list, list->visualItemRect(list->currentItem()));
        QCOMPARE(entryTabs()->currentWidget(), find("pathologyPage"));
        QCOMPARE(sheetTabs()->currentIndex(), 1);
        auto* signsList = find<QListWidget>("pathologySignsList");
        QCOMPARE(focusWidget(), signsList);
        QCOMPARE(signsList->currentRow(), 0);
        QCOMPARE(items(signsList), L({"Asthénie", "Céphalées", "Fièvre", "Frissons", "Myalgies",
                                      "Odynophagie", "Rhinorrhée", "Toux"}));
        QVERIFY(items(find<QListWidget>("pathologyExamsList")).isEmpty()); // its only exam line is "0"
        // Its major sign is written in blue, the others in black.
        const QImage drawn = signsList->viewport()->grab().toImage();
        const auto writtenInBlue = [&](const QString& sign) {
            const QRect row = signsList->visualItemRect(signsList->item(items(signsList).indexOf(sign)));
            for (int y = row.top(); y <= row.bottom(); ++y) {
                for (int x = row.left(); x <= row.right(); ++x) {
                    const QColor c = drawn.pixelColor(x, y);
                    if (c.blue() > 200 && c.red() < 90 && c.green() < 90)
                        return true;
                }
            }
            return false;
        };
        QVERIFY(writtenInBlue(QStringLiteral("Fièvre")));
        QVERIFY(!writtenInBlue(QStringLiteral("Toux")));
        QCOMPARE(combo("pathologyCombo")->currentText(), QStringLiteral("Grippe"));
        // The definition and the treatment are shown as rich text, never as RTF codes.
        auto* definition = find<QTextEdit>("definitionView");
        QCOMPARE(definition->toPlainText(), QStringLiteral("Infection virale aiguë due au virus influenza."));
        QVERIFY(boldAt(definition, QStringLiteral("virale")));
        QVERIFY(!boldAt(definition, QStringLiteral("Infection")));
        const QTextDocument* treatment = find<QTextEdit>("treatmentView")->document();
        QCOMPARE(treatment->toPlainText(), QStringLiteral("Traitement symptomatique :\nrepos\nhydratation"));
        QVERIFY(treatment->lastBlock().textList());
        QVERIFY(folder->messages.shown.isEmpty());

        // Enter on a row does the same, for the row selected.
        find<QAction>("showSignsAction")->trigger();
        list->setFocus();
        selectDiagnosis(QStringLiteral("Pneumopathie"));
        pressKey(Qt::Key_Return);
        QCOMPARE(entryTabs()->currentWidget(), find("pathologyPage"));
        QCOMPARE(focusWidget(), signsList);
        QCOMPARE(items(find<QListWidget>("pathologyExamsList")),
                 L({"CRP : Élevée", "Radiographie thoracique : Opacité alvéolaire"}));
    }

    void commandsOpenTheSheetAtTheirPage_data()
    {
        QTest::addColumn<QString>("command"); // an action, or a button when it ends in "Button"
        QTest::addColumn<int>("page");
        QTest::newRow("Ctrl+D") << QStringLiteral("showDefinitionAction") << 0;
        QTest::newRow("Ctrl+T") << QStringLiteral("showTreatmentAction") << 3;
        QTest::newRow("Ctrl+O") << QStringLiteral("pathologyNotesAction") << 4;
        QTest::newRow("Définition button") << QStringLiteral("definitionButton") << 0;
        QTest::newRow("Traitement button") << QStringLiteral("treatmentButton") << 3;
    }

    void commandsOpenTheSheetAtTheirPage()
    {
        QFETCH(QString, command);
        QFETCH(int, page);
        const auto run = [&] {
            if (command.endsWith(u"Button"))
                child<QToolButton>(form, command)->click();
            else
                child<QAction>(form, command)->trigger();
        };
        enterSign(QStringLiteral("Fièvre"));
        // Without a selected diagnosis: the message, and nothing else.
        selectDiagnosis(QString());
        run();
        QCOMPARE(folder->messages.texts(), QStringList{app::msg::SelectDiagnosisFirst});
        QCOMPARE(entryTabs()->currentWidget(), find("signsPage"));

        selectDiagnosis(QStringLiteral("Angine"));
        run();
        QCOMPARE(folder->messages.shown.size(), 1);
        QCOMPARE(entryTabs()->currentWidget(), find("pathologyPage"));
        QCOMPARE(sheetTabs()->currentIndex(), page);
        QCOMPARE(combo("pathologyCombo")->currentText(), QStringLiteral("Angine"));
        QCOMPARE(find<QTextEdit>("definitionView")->toPlainText(),
                 QStringLiteral("Inflammation des amygdales."));
    }

    void theListOfPathologiesLoadsAndEmptiesTheSheet()
    {
        QCOMPARE(combo("pathologyCombo")->count(), 4);
        QCOMPARE(combo("pathologyCombo")->currentIndex(), -1);
        choosePathology(QStringLiteral("Angine"));
        QCOMPARE(items(find<QListWidget>("pathologyExamsList")),
                 L({"CRP : Élevée", "Test de diagnostic rapide streptococcique : Positif"}));
        QCOMPARE(find<QTextEdit>("treatmentView")->toPlainText(), QStringLiteral("Selon le TDR."));
        // Showing the signs page of the sheet focuses its list on the first sign.
        sheetTabs()->setCurrentIndex(1);
        find<QAction>("showSignsAction")->trigger();
        find<QAction>("showPathologiesAction")->trigger();
        QCOMPARE(focusWidget(), find("pathologySignsList"));
        QCOMPARE(find<QListWidget>("pathologySignsList")->currentItem()->text(), QStringLiteral("Asthénie"));

        combo("pathologyCombo")->setCurrentIndex(-1);
        QVERIFY(items(find<QListWidget>("pathologySignsList")).isEmpty());
        QVERIFY(items(find<QListWidget>("pathologyExamsList")).isEmpty());
        QVERIFY(find<QTextEdit>("definitionView")->toPlainText().isEmpty());
        QVERIFY(find<QTextEdit>("treatmentView")->toPlainText().isEmpty());
    }

    void aSignOrAnExamOfTheSheetGoesIntoTheEntryUnvalidated()
    {
        enterSign(QStringLiteral("Fièvre"));
        choosePathology(QStringLiteral("Grippe"));
        sheetTabs()->setCurrentIndex(1);
        auto* signsList = find<QListWidget>("pathologySignsList");
        signsList->setFocus();
        signsList->setCurrentRow(items(signsList).indexOf(QStringLiteral("Myalgies")));
        pressKey(Qt::Key_Return);
        QCOMPARE(entryTabs()->currentWidget(), find("signsPage"));
        QCOMPARE(combo("signInput")->currentText(), QStringLiteral("Myalgies"));
        QCOMPARE(signs(), L({"Fièvre"}));
        QCOMPARE(focusWidget(), combo("signInput"));
        // The physician validates it as a typed sign.
        pressKey(Qt::Key_Return);
        QCOMPARE(signs(), L({"Fièvre", "and", "Myalgies"}));

        // An exam line, double-clicked: the exam and its result chosen, nothing validated.
        button("clearAllButton")->click();
        enterSign(QStringLiteral("Fièvre"));
        choosePathology(QStringLiteral("Angine"));
        sheetTabs()->setCurrentIndex(2);
        auto* examsList = find<QListWidget>("pathologyExamsList");
        doubleClick(examsList, examsList->visualItemRect(examsList->item(0)));
        QCOMPARE(entryTabs()->currentWidget(), find("examsPage"));
        QCOMPARE(combo("examInput")->currentText(), QStringLiteral("CRP"));
        QCOMPARE(combo("examResultCombo")->currentText(), QStringLiteral("Élevée"));
        QVERIFY(form->session().state().EC_List.isEmpty());
        button("addExamButton")->click();
        QCOMPARE(form->session().state().EC_List, L({"and", "CRP : Élevée"}));
        QVERIFY(folder->messages.shown.isEmpty());
    }

    void pathologyNotesAreSavedReopenedAndDeleted()
    {
        const QString file = notesFile(QStringLiteral("Angine.rtf"));
        // "Enregistrer" without a chosen pathology does nothing.
        find<QAction>("showPathologiesAction")->trigger();
        notesEdit("pathologyNotesEdit")->setPlainText(QStringLiteral("orphelines"));
        menuItem("pathologyNotesEdit", "saveNotesAction")->trigger();
        QVERIFY(QDir(notesFile(QString())).isEmpty());

        choosePathology(QStringLiteral("Angine"));
        QVERIFY(notesEdit("pathologyNotesEdit")->toPlainText().isEmpty());
        sheetTabs()->setCurrentIndex(4);
        notesEdit("pathologyNotesEdit")->setFocus();
        typeText(QStringLiteral("Penser au TDR"));
        QTextCursor cursor(notesEdit("pathologyNotesEdit")->document());
        cursor.setPosition(7);
        cursor.setPosition(10, QTextCursor::KeepAnchor);
        QTextCharFormat bold;
        bold.setFontWeight(QFont::Bold);
        cursor.mergeCharFormat(bold);
        menuItem("pathologyNotesEdit", "saveNotesAction")->trigger();
        QVERIFY(QFile::exists(file));
        QFile saved(file);
        QVERIFY(saved.open(QIODevice::ReadOnly));
        QVERIFY(saved.readAll().startsWith("{\\rtf1"));

        // Another window, as after a restart: the notes come back with their bold word.
        program.reset();
        startProgram();
        choosePathology(QStringLiteral("Angine"));
        QCOMPARE(notesEdit("pathologyNotesEdit")->toPlainText(), QStringLiteral("Penser au TDR"));
        QVERIFY(boldAt(notesEdit("pathologyNotesEdit"), QStringLiteral("au")));
        QVERIFY(!boldAt(notesEdit("pathologyNotesEdit"), QStringLiteral("Penser")));

        // Emptied and saved: the file goes, and the next load shows no notes.
        menuItem("pathologyNotesEdit", "clearAction")->trigger();
        menuItem("pathologyNotesEdit", "saveNotesAction")->trigger();
        QVERIFY(!QFile::exists(file));
        choosePathology(QStringLiteral("Grippe"));
        choosePathology(QStringLiteral("Angine"));
        QVERIFY(notesEdit("pathologyNotesEdit")->toPlainText().isEmpty());
        QVERIFY(folder->messages.shown.isEmpty());
    }

    void notesWrittenByAWordProcessorOpenWithTheirStyles()
    {
        QVERIFY(QDir().mkpath(notesFile(QString())));
        QVERIFY(QFile::copy(QStringLiteral(VARDELO_FIXTURES "/rtf/accents.rtf"),
                            notesFile(QStringLiteral("Orchite.rtf"))));
        choosePathology(QStringLiteral("Orchite"));
        const NotesEditor* edit = notesEdit("pathologyNotesEdit");
        QCOMPARE(edit->toPlainText(), QStringLiteral("Œdème du cœur à 5 € : « l’hôpital » — fièvre, ÿ, Ça.\n"
                                                     "Deuxième paragraphe avec gras, italique et rouge."));
        QVERIFY(boldAt(edit, QStringLiteral("gras")));
        QVERIFY(!boldAt(edit, QStringLiteral("italique")));
    }

    void notesThatCannotBeWrittenStayInTheEditor()
    {
        // A folder where the file should be: nothing can replace it.
        QVERIFY(QDir().mkpath(notesFile(QStringLiteral("Grippe.rtf"))));
        choosePathology(QStringLiteral("Grippe"));
        notesEdit("pathologyNotesEdit")->setPlainText(QStringLiteral("À revoir"));
        menuItem("pathologyNotesEdit", "saveNotesAction")->trigger();
        QCOMPARE(folder->messages.shown.size(), 1);
        QCOMPARE(folder->messages.shown.first().type, app::DialogType::Error);
        QVERIFY2(folder->messages.shown.first().text.startsWith(
                     QStringLiteral("Impossible d'enregistrer les notes de « Grippe »")),
                 qPrintable(folder->messages.shown.first().text));
        QCOMPARE(notesEdit("pathologyNotesEdit")->toPlainText(), QStringLiteral("À revoir"));
    }

    void caseNotesFollowTheCaseBothWays()
    {
        engine::CaseSession& session = form->session();
        QSignalSpy notesChanges(&session, &engine::CaseSession::notesChanged);
        find<QAction>("showNotesAction")->trigger();
        QCOMPARE(focusWidget(), notesEdit("caseNotesEdit"));
        const int notesTab = entryTabs()->indexOf(find("notesPage"));
        typeText(QStringLiteral("A"));
        QCOMPARE(entryTabs()->tabText(notesTab), QStringLiteral("Notes *"));
        QCOMPARE(rtf::plainText(rtf::readRtf(session.notesRtf())), QStringLiteral("A"));
        pressKey(Qt::Key_Backspace);
        QCOMPARE(entryTabs()->tabText(notesTab), QStringLiteral("Notes"));
        QCOMPARE(session.notesRtf(), QString());

        // Notes the case receives (a case file opened) are shown and not handed back.
        notesChanges.clear();
        const QString fromFile = QStringLiteral("{\\rtf1\\ansi {\\b Allergie} p\\'e9nicilline\\par}");
        session.setNotesRtf(fromFile);
        QCOMPARE(notesEdit("caseNotesEdit")->toPlainText(), QStringLiteral("Allergie pénicilline"));
        QVERIFY(boldAt(notesEdit("caseNotesEdit"), QStringLiteral("Allergie")));
        QCOMPARE(session.notesRtf(), fromFile);
        QCOMPARE(notesChanges.size(), 1);
        QCOMPARE(entryTabs()->tabText(notesTab), QStringLiteral("Notes *"));

        // Emptying the case empties the notes.
        button("clearAllButton")->click();
        QVERIFY(notesEdit("caseNotesEdit")->toPlainText().isEmpty());
        QCOMPARE(entryTabs()->tabText(notesTab), QStringLiteral("Notes"));
    }

    void popupMenusOfTheEditors()
    {
        const QStringList numbering = {
            QStringLiteral("Numérotation [1) - |2) - |3) - |4) - |5) - |6) - |7) - |8) - |9) - |10) - ]")};
        QCOMPARE(captions(notesEdit("caseNotesEdit")->popupMenu()),
                 L({"Effacer tout", "-", "Attribues", "-", "Couper Ctrl+X", "Copier Ctrl+C", "Coller Ctrl+V",
                    "-", "• ", "- "}) +
                     numbering);
        QCOMPARE(captions(notesEdit("pathologyNotesEdit")->popupMenu()),
                 L({"Enregistrer", "Effacer tout", "-", "Couper Ctrl+X", "Copier Ctrl+C", "Coller Ctrl+V",
                    "-", "Attribues", "-", "• ", "- "}) +
                     numbering);

        // Each marker item inserts its own caption at the caret, in place of the selection.
        for (const char* editor : {"caseNotesEdit", "pathologyNotesEdit"}) {
            NotesEditor* edit = notesEdit(editor);
            find<QAction>(edit == notesEdit("caseNotesEdit") ? "showNotesAction" : "showPathologiesAction")
                ->trigger();
            sheetTabs()->setCurrentIndex(4);
            edit->setPlainText(QStringLiteral("x"));
            edit->selectAll();
            const QList<QAction*> numbers = child<QMenu>(edit, QStringLiteral("numberingMenu"))->actions();
            for (QAction* number : numbers)
                number->trigger();
            menuItem(editor, "bulletAction")->trigger();
            QCOMPARE(edit->toPlainText(),
                     QStringLiteral("1) - 2) - 3) - 4) - 5) - 6) - 7) - 8) - 9) - 10) - • "));
            QCOMPARE(focusWidget(), edit);
            // The clipboard commands.
            edit->selectAll();
            menuItem(editor, "cutAction")->trigger();
            QVERIFY(edit->toPlainText().isEmpty());
            menuItem(editor, "pasteAction")->trigger();
            menuItem(editor, "pasteAction")->trigger();
            QCOMPARE(edit->toPlainText().count(QStringLiteral("10) - ")), 2);
        }
    }

    void fontAttributesApplyToTheSelection()
    {
        NotesEditor* edit = notesEdit("caseNotesEdit");
        QList<dialogs::FontChoice> offered;
        std::optional<dialogs::FontChoice> answer;
        edit->setFontAsker([&](const dialogs::FontChoice& initial, QWidget*) {
            offered.append(initial);
            return answer;
        });
        edit->setPlainText(QStringLiteral("Allergie pénicilline"));
        QTextCursor cursor = edit->textCursor();
        cursor.setPosition(0);
        cursor.setPosition(8, QTextCursor::KeepAnchor);
        edit->setTextCursor(cursor);
        dialogs::FontChoice red;
        red.font = QFont(QStringLiteral("Liberation Serif"));
        red.font.setPointSize(14);
        red.font.setBold(true);
        red.font.setUnderline(true);
        red.color = QColor(255, 0, 0);
        answer = red;
        menuItem("caseNotesEdit", "fontAction")->trigger();
        // Cancelled: nothing changes, and the next opening still shows the font last chosen.
        answer.reset();
        edit->selectAll();
        menuItem("caseNotesEdit", "fontAction")->trigger();
        QCOMPARE(offered.size(), 2);
        QCOMPARE(offered.at(0).color, QColor(Qt::black));
        QCOMPARE(offered.at(1), red);

        const rtf::RichText notes = rtf::readRtf(form->session().notesRtf());
        QCOMPARE(notes.size(), size_t(1));
        QCOMPARE(notes.front().runs.size(), size_t(2));
        const rtf::TextRun& chosen = notes.front().runs.front();
        QCOMPARE(chosen.text, QStringLiteral("Allergie"));
        QVERIFY(chosen.style.bold && chosen.style.underline && !chosen.style.italic);
        QCOMPARE(chosen.style.font, QStringLiteral("Liberation Serif"));
        QCOMPARE(chosen.style.pointSize, 14.0);
        QVERIFY(chosen.style.hasColor && chosen.style.red == 255 && chosen.style.green == 0);
        QCOMPARE(notes.front().runs.back().style, rtf::TextStyle());

        // The dialog itself gives back what it was opened with.
        QCOMPARE(dialogs::FontDialog(red).choice(), red);
    }

    void webLookUps_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("address");
        QTest::newRow("MSD") << QStringLiteral("msdButton")
                             << QStringLiteral("https://www.msdmanuals.com/fr/professional/"
                                               "SearchResults?query=Grippe&force=true");
        QTest::newRow("Wikipedia") << QStringLiteral("wikiButton")
                                   << QStringLiteral("https://fr.wikipedia.org/w/"
                                                     "index.php?cirrusUserTesting=glent_m0&search=Grippe");
        QTest::newRow("Google") << QStringLiteral("googleButton")
                                << QStringLiteral("https://www.google.fr/search?q=Grippe");
        QTest::newRow("Scholar") << QStringLiteral("scholarButton")
                                 << QStringLiteral(
                                        "https://scholar.google.fr/scholar?hl=fr&as_sdt=0%2C5&q=Grippe");
        QTest::newRow("images button")
            << QStringLiteral("googleImagesButton")
            << QStringLiteral("https://www.google.com/search?tbm=isch&as_q=Grippe");
        QTest::newRow("Ctrl+G") << QStringLiteral("googleImagesAction")
                                << QStringLiteral("https://www.google.com/search?tbm=isch&as_q=Grippe");
    }

    void webLookUps()
    {
        QFETCH(QString, command);
        QFETCH(QString, address);
        const auto run = [&] {
            if (command.endsWith(u"Button"))
                child<QToolButton>(form, command)->click();
            else
                child<QAction>(form, command)->trigger();
        };
        enterSign(QStringLiteral("Fièvre"));
        run();
        QCOMPARE(folder->messages.texts(), QStringList{app::msg::SelectDiagnosisFirst});
        QVERIFY(folder->desktop.opened.isEmpty());
        selectDiagnosis(QStringLiteral("Grippe"));
        run();
        QCOMPARE(folder->desktop.opened, QStringList{address});
    }

    void webLookUpsOfTheSheetAndOfTheSign()
    {
        // The sheet: the source chosen beside the list, for the pathology chosen in it.
        find<QAction>("showPathologiesAction")->trigger();
        QCOMPARE(combo("webSourceCombo")->currentText(), QStringLiteral("Wikipedia médicale"));
        button("pathologyWebButton")->click();
        QCOMPARE(folder->messages.texts(), QStringList{app::msg::SelectPathologyFirst});
        choosePathology(QStringLiteral("Angine"));
        combo("webSourceCombo")->setCurrentIndex(3);
        button("pathologyWebButton")->click();
        // The sign entry's "?": the offered sign in the entry, without its "Pathologie : " prefix.
        find<QAction>("showSignsAction")->trigger();
        QVERIFY(!button("signWebButton")->isEnabled());
        combo("signInput")->setFocus();
        typeText(QStringLiteral("Pathologie : Grippe"));
        QVERIFY(button("signWebButton")->isEnabled());
        button("signWebButton")->click();
        QCOMPARE(folder->desktop.opened, L({"https://scholar.google.fr/scholar?hl=fr&as_sdt=0%2C5&q=Angine",
                                            "https://www.google.fr/search?q=Grippe"}));
    }
};

QTEST_MAIN(DocumentationTest)
#include "DocumentationTest.moc"
