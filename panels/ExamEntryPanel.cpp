#include "panels/ExamEntryPanel.h"

#include "case/KbLines.h"
#include "engine/CaseSession.h"
#include "panels/FormulaFormat.h"
#include "panels/PanelParts.h"
#include "widgets/EntryCombo.h"
#include "widgets/Icons.h"
#include "widgets/StripedItemDelegate.h"

#include <QComboBox>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QTextEdit>
#include <QToolButton>

namespace vardelo::panels {

using namespace model;

ExamEntryPanel::ExamEntryPanel(engine::CaseSession& session, QWidget* parent)
    : QWidget(parent)
    , session_(session)
{
    setObjectName(QStringLiteral("examsPage"));
    examLabel_ = new QLabel(QStringLiteral("Examens :"), this);
    examLabel_->setObjectName(QStringLiteral("examLabel"));
    resultLabel_ = new QLabel(QStringLiteral("Résultats :"), this);
    resultLabel_->setObjectName(QStringLiteral("resultLabel"));
    entry_ = new widgets::EntryCombo(QStringLiteral("examInput"), QStringLiteral("examDropDown"), this);
    examResultCombo_ = new QComboBox(this);
    examResultCombo_->setObjectName(QStringLiteral("examResultCombo"));
    addExamButton_ = makeButton(this, QStringLiteral("addExamButton"), QStringLiteral("Valider"),
                                QStringLiteral("Valider (Appuyez sur Entrée)"));
    removeLastExamButton_ =
        makeButton(this, QStringLiteral("removeLastExamButton"), QStringLiteral("Retirer"),
                   QStringLiteral("Retirer dernier (Appuyez sur Retour arrière ou Supprime)"));
    examNotButton_ = makeButton(this, QStringLiteral("examNotButton"), QStringLiteral("not"),
                                QStringLiteral("Appuyez sur F6"));
    examSearchButton_ = makeButton(this, QStringLiteral("examSearchButton"), QString(),
                                   QStringLiteral("Rechercher un examen"));
    examSearchButton_->setIcon(widgets::searchIcon());
    examSearchButton_->setToolButtonStyle(Qt::ToolButtonIconOnly);
    for (QToolButton* b : {addExamButton_, removeLastExamButton_, examNotButton_}) {
        b->setMinimumWidth(80);
        b->setMinimumHeight(24);
    }
    examLinesView_ = makeRichEdit(this, QStringLiteral("examLinesView"), true);
    setBaseColor(examLinesView_, editorYellow());

    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(6, 6, 6, 6);
    grid->addWidget(examLabel_, 0, 0);
    grid->addWidget(entry_, 0, 1);
    grid->addWidget(addExamButton_, 0, 2);
    grid->addWidget(removeLastExamButton_, 0, 3);
    grid->addWidget(resultLabel_, 1, 0);
    grid->addWidget(examResultCombo_, 1, 1);
    grid->addWidget(examNotButton_, 1, 2);
    grid->addWidget(examSearchButton_, 1, 3, Qt::AlignLeft);
    grid->addWidget(examLinesView_, 2, 0, 1, 4);
    grid->setColumnStretch(1, 1);

    const QColor inactive = palette().color(QPalette::Inactive, QPalette::Highlight).lighter(170);
    entry_->setInputColor(inactive);
    examResultCombo_->setStyleSheet(
        QStringLiteral("QComboBox#examResultCombo { background: %1; font-weight: bold; }")
            .arg(inactive.name()));
    const QColor red(215, 0, 0);
    entry_->dropDown()->setItemDelegate(new widgets::StripedItemDelegate(
        QColor(226, 235, 245), Qt::white, Qt::black, Qt::white, red, false, entry_->dropDown()));
    examResultCombo_->setItemDelegate(new widgets::StripedItemDelegate(
        QColor(166, 202, 240), Qt::white, Qt::black, Qt::white, red, false, examResultCombo_));
    examResultCombo_->installEventFilter(this);
    entry_->setKeyHandler([this](QKeyEvent* e) { return handleEntryKey(e); });
    connect(entry_, &widgets::EntryCombo::focusLeft, this, &ExamEntryPanel::dropFreeText);

    QComboBox* input = entry_->input();
    // A result picked for another exam is no longer the line on screen: it is forgotten as soon as
    // the exam changes, so that validating never enters a line the physician no longer sees.
    connect(input, &QComboBox::editTextChanged, this, [this, input] {
        if (input->findText(input->currentText(), Qt::MatchFixedString) < 0)
            entry_->dropDown()->hidePopup();
        session_.setPendingExamLine(QString());
        onExamChosen();
    });
    connect(entry_->dropDown(), qOverload<int>(&QComboBox::activated), this, [this, input](int index) {
        input->setCurrentIndex(index);
        input->setFocus();
        session_.setPendingExamLine(QString());
        onExamChosen();
    });
    connect(examSearchButton_, &QToolButton::clicked, this, &ExamEntryPanel::examSearchRequested);
    connect(examResultCombo_, qOverload<int>(&QComboBox::activated), this, &ExamEntryPanel::onResultChosen);
    connect(addExamButton_, &QToolButton::clicked, this, &ExamEntryPanel::addExamLine);
    connect(examNotButton_, &QToolButton::clicked, this, &ExamEntryPanel::negateNextLine);
    connect(removeLastExamButton_, &QToolButton::clicked, this, &ExamEntryPanel::removeLastExamLine);

    connect(&session_, &engine::CaseSession::examsChanged, this, &ExamEntryPanel::showExams);
    connect(&session_, &engine::CaseSession::evaluated, this, &ExamEntryPanel::showOffers);
    connect(&session_, &engine::CaseSession::cleared, this, &ExamEntryPanel::onCleared);
}

void ExamEntryPanel::startEntry()
{
    QComboBox* input = entry_->input();
    input->setCurrentIndex(-1);
    input->setEditText(QString());
    examResultCombo_->clear();
    input->setFocus();
}

void ExamEntryPanel::focusEntry()
{
    entry_->input()->setFocus();
}

void ExamEntryPanel::proposeExamLine(const QString& line)
{
    QComboBox* input = entry_->input();
    input->setCurrentIndex(input->findText(GetEC(line), Qt::MatchExactly));
    onExamChosen();
    examResultCombo_->setCurrentIndex(examResultCombo_->findText(GetECResult(line), Qt::MatchExactly));
    // The result shown is the one chosen: validating takes this line, not an earlier one.
    onResultChosen();
}

void ExamEntryPanel::onExamChosen()
{
    const QComboBox* input = entry_->input();
    const int selected = input->findText(input->currentText(), Qt::MatchFixedString);
    const QString exam = selected >= 0 ? input->itemText(selected) : QString();
    SortedList results;
    for (const QString& line : session_.state().CandidateExamLines.lines()) {
        if (GetEC(line) == exam)
            results.add(GetECResult(line));
    }
    examResultCombo_->clear();
    examResultCombo_->addItems(results.lines());
    examResultCombo_->setCurrentIndex(-1);
}

void ExamEntryPanel::onResultChosen()
{
    if (examResultCombo_->currentIndex() < 0)
        return;
    session_.setPendingExamLine(entry_->text() + QStringLiteral(" : ") + examResultCombo_->currentText());
}

void ExamEntryPanel::addExamLine()
{
    if (session_.addPendingExamLine())
        entry_->input()->setFocus();
    entry_->clearText();
    examResultCombo_->clear();
}

void ExamEntryPanel::enterFoundLine(const QString& line)
{
    session_.setPendingExamLine(line);
    addExamLine();
}

void ExamEntryPanel::openExamList()
{
    entry_->input()->setFocus();
    entry_->dropDown()->showPopup();
}

void ExamEntryPanel::negateNextLine()
{
    QComboBox* input = entry_->input();
    input->setFocus();
    session_.negateNextExamLine();
    if (input->findText(input->currentText(), Qt::MatchFixedString) >= 0 && !input->currentText().isEmpty())
        addExamLine();
}

void ExamEntryPanel::removeLastExamLine()
{
    if (!entry_->text().isEmpty()) {
        entry_->clearText();
        examResultCombo_->clear();
        return;
    }
    session_.removeLastExamLine();
}

bool ExamEntryPanel::handleEntryKey(QKeyEvent* e)
{
    if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) {
        examResultCombo_->setFocus();
        examResultCombo_->setCurrentIndex(-1);
        examResultCombo_->showPopup();
        return true;
    }
    if (e->key() == Qt::Key_Escape) {
        emit clearAllRequested();
        return true;
    }
    return false;
}

bool ExamEntryPanel::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == examResultCombo_ && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            addExamLine();
            entry_->input()->setFocus();
            entry_->clearText();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void ExamEntryPanel::dropFreeText()
{
    QComboBox* input = entry_->input();
    const int selected = input->findText(input->currentText(), Qt::MatchFixedString);
    if (selected < 0)
        input->setEditText(QString());
    else if (input->currentText() != input->itemText(selected))
        input->setEditText(input->itemText(selected));
}

void ExamEntryPanel::showExams()
{
    showParagraphs(examLinesView_, model::Affiche_EC(session_.state().EC_List));
}

void ExamEntryPanel::showOffers(const engine::EvaluationResult& result)
{
    if (result.failed)
        return;
    entry_->setItems(session_.state().CandidateExams.lines());
    onExamChosen();
}

void ExamEntryPanel::onCleared()
{
    entry_->clearText();
    examResultCombo_->clear();
}

} // namespace vardelo::panels
