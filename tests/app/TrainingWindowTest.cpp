// The clinical-cases window and the learning judgement, driven as the physician drives them: keys
// go to the widget that has the focus.

#include "TestLists.h"
#include "TestSupport.h"
#include "app/MainWindow.h"
#include "app/Program.h"
#include "dialogs/ClinicalCasesDialog.h"
#include "dialogs/LearningDialog.h"
#include "dialogs/SeriesResultDialog.h"
#include "platform/TextFile.h"
#include "training/Learning.h"
#include "widgets/SortableListWidget.h"

#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QToolButton>

using namespace vardelo;
using namespace vardelo::testing;
using widgets::SortableListWidget;

class TrainingWindowTest : public WindowTest {
    Q_OBJECT

private:
    training::RandomEngine random{2024};
    std::unique_ptr<dialogs::ClinicalCasesDialog> dialog;

    template <typename T = QWidget>
    T* find(const char* name) const
    {
        return child<T>(dialog.get(), QString::fromLatin1(name));
    }
    void click(const char* button) { QTest::mouseClick(find<QToolButton>(button), Qt::LeftButton); }
    QStringList scoreRows() const
    {
        QStringList out;
        auto* list = find<SortableListWidget>("scoresList");
        for (int i = 0; i < list->topLevelItemCount(); ++i) {
            QStringList cells;
            for (int c = 0; c < 4; ++c)
                cells.append(list->topLevelItem(i)->text(c));
            out.append(cells.join(u'|'));
        }
        return out;
    }
    void clickHeader(int column)
    {
        QHeaderView* header = find<SortableListWidget>("scoresList")->header();
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                          QPoint(header->sectionViewportPosition(column) + 5, header->height() / 2));
    }
    void openDialog()
    {
        dialogs::ClinicalCasesDialog::Messages messages{
            [this](const QString& text) {
                return folder->messages.show(app::DialogType::Confirmation, text,
                                             {app::DialogButton::Yes, app::DialogButton::No}) ==
                       app::DialogButton::Yes;
            },
            [this](const QString& text) { folder->messages.error(text); }};
        dialog = std::make_unique<dialogs::ClinicalCasesDialog>(form->query(), random, messages, form);
        dialog->show();
        dialog->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(dialog.get()));
        QTRY_COMPARE(QApplication::activeWindow(), dialog.get());
    }

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void init()
    {
        folder = std::make_unique<ProgramFolder>();
        showProgram();
        folder->messages.shown.clear();
    }

    void cleanup()
    {
        dialog.reset();
        program.reset();
        folder.reset();
    }

    // A series of three: a misspelt name picked from the search, a wrong answer, the right name
    // typed in full; then the result, stored and listed.
    void aSeriesIsPlayedScoredAndStored()
    {
        openDialog();
        QCOMPARE(find<QLabel>("progressLabel")->text(), QStringLiteral("0/10"));
        auto* length = find<QLineEdit>("lengthEdit");
        length->setFocus();
        length->selectAll();
        typeText(QStringLiteral("3"));
        QCOMPARE(find<QLabel>("progressLabel")->text(), QStringLiteral("0/3"));

        const QHash<QString, QString> misspelt{
            {QStringLiteral("Grippe"), QStringLiteral("gripe")},
            {QStringLiteral("Angine"), QStringLiteral("angin")},
            {QStringLiteral("Pneumopathie"), QStringLiteral("pneumopatie")},
            {QStringLiteral("Orchite"), QStringLiteral("orchitte")}};
        auto current = [this] { return dialog->series().currentCase()->pathology; };

        click("nextCaseButton");
        QCOMPARE(find<QLabel>("progressLabel")->text(), QStringLiteral("1/3"));
        QVERIFY(!find<QLineEdit>("patientEdit")->text().isEmpty());
        QVERIFY(find<QListWidget>("signsList")->count() > 0);
        QCOMPARE(focusWidget(), find("answerEdit"));
        typeText(misspelt.value(current()));
        pressKey(Qt::Key_Down);
        QCOMPARE(focusWidget(), find("answerCombo"));
        QCOMPARE(find<QComboBox>("answerCombo")->currentText(), current());
        pressKey(Qt::Key_Return);
        QCOMPARE(focusWidget(), find("answerEdit"));
        QCOMPARE(find<QLineEdit>("answerEdit")->text(), current());
        click("checkButton");
        QCOMPARE(find<QLineEdit>("solutionEdit")->text(), current());
        click("checkButton"); // checking again counts nothing more
        QCOMPARE(dialog->series().correct(), 1);

        click("nextCaseButton");
        QVERIFY(find<QLineEdit>("solutionEdit")->text().isEmpty());
        QCOMPARE(focusWidget(), find("answerEdit"));
        typeText(current() == u"Grippe" ? QStringLiteral("Angine") : QStringLiteral("Grippe"));
        click("checkButton");
        QCOMPARE(dialog->series().correct(), 1);

        click("nextCaseButton");
        QCOMPARE(find<QLabel>("progressLabel")->text(), QStringLiteral("3/3"));
        click("nextCaseButton"); // the series is drawn: nothing more
        QCOMPARE(find<QLabel>("progressLabel")->text(), QStringLiteral("3/3"));
        typeText(current());
        QStringList result;
        QString focused;
        QTimer::singleShot(0, this, [&result, &focused] {
            QWidget* shown = QApplication::activeModalWidget();
            if (!qobject_cast<dialogs::SeriesResultDialog*>(shown))
                return;
            for (const char* name : {"correctEdit", "totalEdit", "scoreEdit"})
                result.append(child<QLineEdit>(shown, QString::fromLatin1(name))->text());
            // "OK" has the focus: Enter stores the result.
            shown->activateWindow();
            if (QTest::qWaitFor([shown] { return QApplication::activeWindow() == shown; }) &&
                QApplication::focusWidget())
                focused = QApplication::focusWidget()->objectName();
            if (focused == u"okButton")
                pressKey(Qt::Key_Return);
            else
                shown->close();
        });
        click("checkButton");
        QCOMPARE(focused, QStringLiteral("okButton"));
        QCOMPARE(result, L({"2", "3", "66,0 %"}));
        // A new series of ten starts.
        QCOMPARE(find<QLabel>("progressLabel")->text(), QStringLiteral("0/10"));
        QCOMPARE(find<QLineEdit>("lengthEdit")->text(), QStringLiteral("10"));

        find<QTabWidget>("tabs")->setCurrentWidget(find("scoresPage"));
        QCOMPARE(scoreRows().size(), 1);
        QVERIFY(scoreRows().at(0).endsWith(QStringLiteral("|2|3|66,0 %")));

        // "No" keeps the history, "Yes" empties it.
        folder->messages.answers = {app::DialogButton::No, app::DialogButton::Yes};
        QTest::mouseClick(find<QPushButton>("clearHistoryButton"), Qt::LeftButton);
        QCOMPARE(scoreRows().size(), 1);
        QTest::mouseClick(find<QPushButton>("clearHistoryButton"), Qt::LeftButton);
        QVERIFY(scoreRows().isEmpty());
        QCOMPARE(folder->messages.texts(),
                 QStringList(2, QStringLiteral("Voulez-vous vraiment effacer l'historique ?")));
        form->query().open(QStringLiteral("select * from Score"));
        QCOMPARE(form->query().recordCount(), 0);

        // An emptied length is a series of none: nothing is drawn.
        find<QTabWidget>("tabs")->setCurrentWidget(find("casePage"));
        length->setText(QString());
        QCOMPARE(length->text(), QStringLiteral("0"));
        click("nextCaseButton");
        click("checkButton");
        QCOMPARE(find<QLabel>("progressLabel")->text(), QStringLiteral("0/0"));
        QVERIFY(find<QLineEdit>("patientEdit")->text().isEmpty());
    }

    void theMenuOpensTheWindow()
    {
        QAction* action = child<QAction>(form, QStringLiteral("clinicalCasesAction"));
        QVERIFY(action->isEnabled());
        QString caption;
        QTimer::singleShot(0, this, [&caption] {
            QWidget* shown = QApplication::activeModalWidget();
            QVERIFY(shown);
            caption =
                shown->windowTitle() + u' ' + child<QLabel>(shown, QStringLiteral("progressLabel"))->text();
            shown->close();
        });
        action->trigger();
        QCOMPARE(caption, QStringLiteral("Cas cliniques 0/10"));
    }

    void theHistorySortsOnEachColumn()
    {
        const QStringList stored{QStringLiteral("02/01/2026          08:00:00|7|10|70,0 %"),
                                 QStringLiteral("31/12/2025          09:00:00|10|10|100,0 %"),
                                 QStringLiteral("02/01/2026          07:30:00|1|5|20,0 %")};
        for (const QString& row : stored) {
            const QStringList cells = row.split(u'|');
            form->query().execSql(
                QStringLiteral("insert into Score (Date_Heure, J, T, S) values (?, ?, ?, ?)"),
                {cells.at(0), cells.at(1).toInt(), cells.at(2).toInt(), cells.at(3)});
        }
        openDialog();
        find<QTabWidget>("tabs")->setCurrentWidget(find("scoresPage"));
        QCOMPARE(scoreRows(), stored);
        // The expected order, ascending, as indexes into stored, for each column.
        const QList<QList<int>> ascending{{1, 2, 0}, {2, 0, 1}, {2, 0, 1}, {2, 0, 1}};
        auto* list = find<SortableListWidget>("scoresList");
        auto* tabs = find<QTabWidget>("tabs");
        for (int column = 0; column < 4; ++column) {
            // Shown again, the history is in the stored order.
            tabs->setCurrentWidget(find("casePage"));
            tabs->setCurrentWidget(find("scoresPage"));
            QStringList up;
            for (int i : ascending.at(column))
                up.append(stored.at(i));
            clickHeader(column);
            QCOMPARE(scoreRows(), up);
            QCOMPARE(list->sortArrow(column), SortableListWidget::Arrow::Up);
            clickHeader(column);
            std::reverse(up.begin(), up.end());
            if (column == 2) // equal totals keep their order
                up = QStringList{stored.at(0), stored.at(1), stored.at(2)};
            QCOMPARE(scoreRows(), up);
            QCOMPARE(list->sortArrow(column), SortableListWidget::Arrow::Down);
        }
        QCOMPARE(list->sortArrow(0), SortableListWidget::Arrow::None);
    }

    // A judgement is on disk as soon as it is confirmed, and the next evaluation takes it in.
    void aLearningJudgementMovesTheDiagnosis()
    {
        engine::CaseSession& session = form->session();
        session.setPatient({QStringLiteral("Test"), u'h', QStringLiteral("2")});
        child<QToolButton>(form, QStringLiteral("learningButton"))->click();
        QCOMPARE(folder->messages.texts(), QStringList{training::NoDiagnosisMessage});

        session.addSign(QStringLiteral("Fièvre"));
        session.addSign(QStringLiteral("Céphalées"));
        auto rank = [&] {
            auto* list = child<SortableListWidget>(form, QStringLiteral("diagnosisList"));
            for (int i = 0; i < list->topLevelItemCount(); ++i)
                if (list->topLevelItem(i)->text(1) == u"Orchite")
                    return i;
            return -1;
        };
        QCOMPARE(rank(), 3);
        session.setRetainedDiagnosis(QStringLiteral("Orchite"));
        QTimer::singleShot(0, this, [] {
            auto* shown = qobject_cast<dialogs::LearningDialog*>(QApplication::activeModalWidget());
            QVERIFY(shown);
            QCOMPARE(child<QLineEdit>(shown, QStringLiteral("levelEdit"))->text(),
                     QStringLiteral("Niveau de fiabilité : +1"));
            child<QSlider>(shown, QStringLiteral("levelSlider"))->setValue(5);
            QCOMPARE(child<QLineEdit>(shown, QStringLiteral("levelEdit"))->text(),
                     QStringLiteral("Niveau de fiabilité : +5"));
            QTest::mouseClick(child<QPushButton>(shown, QStringLiteral("learnButton")), Qt::LeftButton);
        });
        child<QToolButton>(form, QStringLiteral("learningButton"))->click();
        const QStringList records = L({"Orchite", "Fièvre", "+5", "Orchite", "Céphalées", "+5"});
        QCOMPARE(platform::readTextLines(folder->file(training::LearningFileName)), records);
        QCOMPARE(session.learningList(), records);

        session.addSign(QStringLiteral("Asthénie"));
        QCOMPARE(rank(), 2);
    }
};

QTEST_MAIN(TrainingWindowTest)
#include "TrainingWindowTest.moc"
