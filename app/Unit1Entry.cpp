// Case entry on the main window: the sign formula, the exam results and the diagnosis list.

#include "app/MessageTexts.h"
#include "app/Unit1.h"
#include "case/KbLines.h"
#include "case/TextCompare.h"
#include "widgets/AdvancedListView.h"
#include "widgets/ComboColor.h"
#include "widgets/GradientPanel.h"

#include <QAbstractItemView>
#include <QAction>
#include <QComboBox>
#include <QCompleter>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QProgressBar>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QTextEdit>
#include <QToolButton>

namespace vardelo::app {

using namespace model;

namespace {

const QColor SignEntryColor(108, 255, 108);
const QColor SignEntryFocusColor(157, 255, 157);
const QColor Red(215, 0, 0);

// The index of the item equal to text without regard to case, -1 when none.
int itemIndex(const QComboBox* box, const QString& text)
{
    for (int i = 0; i < box->count(); ++i) {
        if (sameText(box->itemText(i), text))
            return i;
    }
    return -1;
}

void emptyCombo(QComboBox* box)
{
    const QSignalBlocker blocker(box);
    box->setCurrentIndex(-1);
    box->setEditText(QString());
}

} // namespace

void TForm1::setBackground(QWidget* widget, const QColor& color)
{
    widget->setStyleSheet(QStringLiteral("QComboBox#%1 { background: %2; font-weight: bold; }"
                                         "QComboBox#%1::drop-down { width: 0px; border: none; }")
                              .arg(widget->objectName(), color.name()));
}

void TForm1::connectEntry()
{
    // Signs.
    CB_S->setCompleter(new QCompleter(CB_S->model(), CB_S));
    CB_S->completer()->setCaseSensitivity(Qt::CaseInsensitive);
    CB_S->completer()->setCompletionMode(QCompleter::InlineCompletion);
    setBackground(CB_S, SignEntryColor);
    CB_S->lineEdit()->installEventFilter(this);
    CB_S_L->setItemDelegate(
        new ComboColor(QColor(202, 255, 202), Qt::white, Qt::black, Qt::white, Red, false, CB_S_L));
    CB_S_L->setStyleSheet(QStringLiteral("QComboBox#CB_S_L { color: rgb(215,0,0); }"));
    connect(CB_S, &QComboBox::editTextChanged, this, [this] { CB_SChange(); });
    connect(CB_S_L, qOverload<int>(&QComboBox::activated), this, [this](int index) {
        CB_S->setCurrentIndex(index);
        CB_S->setFocus();
        updateWebButton();
    });
    connect(SB_Validation_S, &QToolButton::clicked, this, &TForm1::Valider_S);
    connect(SB_AND_S, &QToolButton::clicked, this, [this] { operatorButton(token::And); });
    connect(SB_NOT_S, &QToolButton::clicked, this, [this] { operatorButton(token::Not); });
    connect(SB_OR_S, &QToolButton::clicked, this, [this] { operatorButton(token::Or); });
    connect(SB_P_O, &QToolButton::clicked, this, [this] { parenthesisButton(token::Open); });
    connect(SB_P_F, &QToolButton::clicked, this, [this] { parenthesisButton(token::Close); });
    connect(SB_Supprimer_S, &QToolButton::clicked, this, &TForm1::SB_Supprimer_SClick);

    // Exams.
    CB_E->setCompleter(new QCompleter(CB_E->model(), CB_E));
    CB_E->completer()->setCaseSensitivity(Qt::CaseInsensitive);
    CB_E->completer()->setCompletionMode(QCompleter::InlineCompletion);
    const QColor inactive = palette().color(QPalette::Inactive, QPalette::Highlight).lighter(170);
    setBackground(CB_E, inactive);
    CB_ER->setStyleSheet(
        QStringLiteral("QComboBox#CB_ER { background: %1; font-weight: bold; }").arg(inactive.name()));
    CB_E->lineEdit()->installEventFilter(this);
    CB_ER->installEventFilter(this);
    CB_E_L->setItemDelegate(
        new ComboColor(QColor(226, 235, 245), Qt::white, Qt::black, Qt::white, Red, false, CB_E_L));
    CB_ER->setItemDelegate(
        new ComboColor(QColor(166, 202, 240), Qt::white, Qt::black, Qt::white, Red, false, CB_ER));
    connect(CB_E, &QComboBox::editTextChanged, this, [this] {
        if (CB_E->findText(CB_E->currentText(), Qt::MatchFixedString) < 0)
            CB_E_L->hidePopup();
        examChosen();
    });
    connect(CB_E_L, qOverload<int>(&QComboBox::activated), this, [this](int index) {
        CB_E->setCurrentIndex(index);
        CB_E->setFocus();
        examChosen();
    });
    connect(CB_ER, qOverload<int>(&QComboBox::activated), this, &TForm1::CB_ERSelect);
    connect(SB_Validation_EC, &QToolButton::clicked, this, &TForm1::SB_Validation_ECClick);
    connect(SB_NOT_E, &QToolButton::clicked, this, &TForm1::SB_NOT_EClick);
    connect(SB_Supprimer_EC, &QToolButton::clicked, this, &TForm1::SB_Supprimer_ECClick);

    // Diagnosis list.
    AListView1->installEventFilter(this);
    connect(AListView1, &TAdvancedListView::columnClicked, this, &TForm1::AListView1ColumnClick);
    connect(AListView1, &QTreeWidget::itemClicked, this, &TForm1::AListView1Click);
    connect(AListView1, &QTreeWidget::itemDoubleClicked, this, &TForm1::AListView1DblClick);
    connect(AListView1, &QTreeWidget::currentItemChanged, this, &TForm1::AListView1SelectItem);
    connect(CB_CLS, qOverload<int>(&QComboBox::activated), this, &TForm1::CB_CLSChange);
    JvEdit_dg->installEventFilter(this);

    // Keys of the "Fonctionnalités" menu.
    connect(Focaliserlazonedesentres1, &QAction::triggered, this, &TForm1::focusEntry);
    connect(Focaliserlalistedesdiagnostics1, &QAction::triggered, this, &TForm1::focusDiagnoses);
    connect(AND1, &QAction::triggered, this, &TForm1::menuAnd);
    connect(NOT1, &QAction::triggered, this, &TForm1::menuNot);
    connect(or1, &QAction::triggered, this, &TForm1::menuOr);
}

// ---------------------------------------------------------------- signs

int TForm1::signSelection() const
{
    // As with the completion of the entry line: the first offered sign the text begins.
    const QString text = CB_S->currentText();
    if (text.isEmpty())
        return -1;
    const int exact = itemIndex(CB_S, text);
    if (exact >= 0)
        return exact;
    for (int i = 0; i < CB_S->count(); ++i) {
        if (CB_S->itemText(i).startsWith(text, Qt::CaseInsensitive))
            return i;
    }
    return -1;
}

void TForm1::updateWebButton()
{
    const QString text = CB_S->currentText();
    SB_Web_S->setEnabled(!text.isEmpty() && itemIndex(CB_S, text) >= 0);
}

void TForm1::Ajoute_SC(QComboBox* box, QStringList& list)
{
    const QString t = box->currentText();
    if (t == token::Open || t == token::Close) {
        list.append(t);
    } else if (!t.isEmpty()) {
        const int index = itemIndex(box, t);
        box->setCurrentIndex(index);
        if (index >= 0) {
            // Two items are never side by side: after a sign or ")" the "and" is implicit.
            if (!list.isEmpty() && (!isSignToken(list.last()) || list.last() == token::Close))
                list.append(token::And);
            list.append(box->itemText(index));
        }
    }
    emptyCombo(box);
}

void TForm1::Valider_S()
{
    if (!session_)
        return;
    CB_S_L->hidePopup();
    CaseState& s = session_->state;
    const QString t = CB_S->currentText();
    if (!t.isEmpty() && Entree(s.SCList, t) >= 0) {
        messages().message(MessageTexts[17]);
        emptyCombo(CB_S);
    } else if (!t.isEmpty() && itemIndex(CB_S, t) < 0) {
        // Free text: recognition and the suggestion dialog take it from here once they exist;
        // until then the text stays in the entry for the physician to correct.
        SB_Web_S->setEnabled(false);
        return;
    } else if (!t.isEmpty()) {
        Ajoute_SC(CB_S, s.SCList);
        Affiche_SC();
        emptyCombo(CB_S);
        if (!s.SCList.isEmpty() || !s.EC_List.isEmpty()) {
            SB_Web_S->setEnabled(false);
            evaluate(engine::EvaluationMode::Rank, queryCondition(), QString());
            SB_NOT_S->setEnabled(true);
            SB_OR_S->setEnabled(true);
            SB_P_F->setEnabled(true);
        }
    }
    SB_Web_S->setEnabled(false);
}

void TForm1::OperatorSC(const QString& op)
{
    CaseState& s = session_->state;
    if (!CB_S->currentText().isEmpty()) {
        if (CB_S->currentIndex() >= 0 && !s.SCList.isEmpty())
            s.SCList.append(op);
        return;
    }
    s.SCList.append(op);
    Ajoute_SC(CB_S, s.SCList);
    Affiche_SC();
    if (op != token::Ignore)
        evaluate(engine::EvaluationMode::RefreshOffers, queryCondition(), QString());
}

void TForm1::operatorButton(const QString& op)
{
    if (!session_)
        return;
    CB_S_L->hidePopup();
    CB_S->setFocus();
    const QString t = CB_S->currentText();
    emptyCombo(CB_S);
    OperatorSC(op);
    {
        const QSignalBlocker blocker(CB_S);
        CB_S->setCurrentIndex(itemIndex(CB_S, t));
        CB_S->setEditText(t);
    }
    SB_Validation_S->click();
}

void TForm1::parenthesisButton(const QString& parenthesis)
{
    CB_S_L->hidePopup();
    {
        const QSignalBlocker blocker(CB_S);
        CB_S->setEditText(parenthesis);
    }
    CB_SChange();
}

void TForm1::CB_SChange()
{
    if (!session_ || inSignChange_)
        return;
    inSignChange_ = true;
    CaseState& s = session_->state;
    const QString text = CB_S->currentText();
    if (signSelection() < 0) {
        CB_S_L->hidePopup();
        // Text that is no offered sign goes to the free-entry dialog once it exists; it stays here.
    }
    s.SuppressFreeEntry = false;
    updateWebButton();
    if (text == token::Open || (text == token::Close && !s.SCList.isEmpty())) {
        Ajoute_SC(CB_S, s.SCList);
        Affiche_SC();
        evaluate(engine::EvaluationMode::Rank, queryCondition(), QString());
        emptyCombo(CB_S);
    }
    if (CB_S->currentText() == token::Close)
        emptyCombo(CB_S);
    inSignChange_ = false;
}

void TForm1::SB_Supprimer_SClick()
{
    if (!session_)
        return;
    CaseState& s = session_->state;
    if (!CB_S->currentText().isEmpty()) {
        emptyCombo(CB_S);
        SB_Web_S->setEnabled(false);
        return;
    }
    if (s.SCList.isEmpty())
        return;
    CB_S_L->hidePopup();
    if (s.SCList.size() > 1 && s.SCList.at(s.SCList.size() - 2) == token::Ignore) {
        s.SCList.removeLast();
        if (interrogationIndex_ != 0)
            --interrogationIndex_;
    }
    s.SCList.removeLast();
    DeleteSC();
    Affiche_SC();
    if (!s.SCList.isEmpty() || !s.EC_List.isEmpty()) {
        evaluate(engine::EvaluationMode::Rank, queryCondition(), QString());
    } else {
        evaluate(engine::EvaluationMode::RefreshOffers, queryCondition(), QString());
        SB_OR_S->setEnabled(false);
        SB_P_F->setEnabled(false);
        SpeedButton7->click();
    }
}

void TForm1::DeleteSC()
{
    CaseState& s = session_->state;
    AListView1->clear();
    for (qsizetype k = s.SCList.size() - 1; k >= 0; --k) {
        QStringList scratch = s.SCList.mid(0, k + 1);
        if (!evaluate(engine::EvaluationMode::RefreshOffers, queryCondition(&scratch), QString()))
            return;
    }
    // No prefix could be queried: the offered signs of a formula holding one empty sign.
    QStringList scratch{QString()};
    evaluate(engine::EvaluationMode::RefreshOffers, queryCondition(&scratch), QString());
}

// ---------------------------------------------------------------- exams

void TForm1::examChosen()
{
    if (!session_)
        return;
    const int selected = CB_E->findText(CB_E->currentText(), Qt::MatchFixedString);
    const QString exam = selected >= 0 ? CB_E->itemText(selected) : QString();
    SortedList results;
    for (const QString& line : session_->state.CandidateExamLines.lines()) {
        if (GetEC(line) == exam)
            results.add(GetECResult(line));
    }
    CB_ER->clear();
    CB_ER->addItems(results.lines());
    CB_ER->setCurrentIndex(-1);
}

void TForm1::CB_ERSelect()
{
    if (!session_ || CB_ER->currentIndex() < 0)
        return;
    session_->state.PendingExamLine = CB_E->currentText() + QStringLiteral(" : ") + CB_ER->currentText();
}

void TForm1::SB_Validation_ECClick()
{
    if (!session_)
        return;
    const CaseState& s = session_->state;
    if (std::any_of(s.EC_List.begin(), s.EC_List.end(),
                    [&s](const QString& e) { return sameText(e, s.PendingExamLine); }))
        messages().message(MessageTexts[17]);
    else if (!s.CandidateExamLines.contains(s.PendingExamLine))
        Add_AnalyseP_EC();
    else
        Valider_EC();
    emptyCombo(CB_E);
    CB_ER->clear();
}

void TForm1::Valider_EC()
{
    CaseState& s = session_->state;
    if (s.EC_List.isEmpty() || !isExamOperator(s.EC_List.last())) {
        s.EC_List.append(token::And);
        Affiche_EC();
    }
    s.EC_List.append(s.PendingExamLine);
    QTextCursor cursor(RE_E->document());
    cursor.movePosition(QTextCursor::End);
    QTextCharFormat format;
    format.setForeground(RE_E->palette().brush(QPalette::Text));
    format.setFontWeight(QFont::Normal);
    cursor.insertText(s.PendingExamLine, format);
    CB_ER->setCurrentIndex(-1);
    CB_E->setFocus();
    evaluate(engine::EvaluationMode::Rank, queryCondition(), QString());
}

void TForm1::OperatorEC(const QString& op)
{
    session_->state.EC_List.append(op);
    Corrige_EC(session_->state.EC_List);
    Affiche_EC();
}

void TForm1::SB_NOT_EClick()
{
    if (!session_)
        return;
    CB_E->setFocus();
    OperatorEC(token::Not);
    if (CB_E->findText(CB_E->currentText(), Qt::MatchFixedString) >= 0 && !CB_E->currentText().isEmpty())
        SB_Validation_EC->click();
}

void TForm1::SB_Supprimer_ECClick()
{
    if (!session_)
        return;
    CaseState& s = session_->state;
    if (!CB_E->currentText().isEmpty()) {
        emptyCombo(CB_E);
        CB_ER->clear();
        return;
    }
    if (s.EC_List.isEmpty())
        return;
    for (int i = 0; i < 2; ++i) {
        if (!s.EC_List.isEmpty()) {
            s.EC_List.removeLast();
            DeleteEC();
        }
    }
    Affiche_EC();
    if (!s.SCList.isEmpty() || !s.EC_List.isEmpty()) {
        evaluate(engine::EvaluationMode::Rank, queryCondition(), QString());
    } else {
        evaluate(engine::EvaluationMode::RefreshOffers, queryCondition(), QString());
        SpeedButton7->click();
    }
}

void TForm1::DeleteEC()
{
    CaseState& s = session_->state;
    if (s.EC_List.size() == 1 && isExamOperator(s.EC_List.first())) {
        s.EC_List.clear();
        RE_E->clear();
        const QStringList none;
        evaluate(engine::EvaluationMode::RefreshOffers, queryCondition(nullptr, &none), QString());
        return;
    }
    for (qsizetype k = s.EC_List.size() - 1; k >= 0; --k) {
        const QStringList scratch = s.EC_List.mid(0, k + 1);
        if (!evaluate(engine::EvaluationMode::RefreshOffers, queryCondition(nullptr, &scratch), QString()))
            return;
    }
}

void TForm1::Add_AnalyseP_EC()
{
    // An exam line outside the evoked pathologies opens a parallel analysis; until they exist the
    // line is not entered.
}

// ---------------------------------------------------------------- diagnosis list

void TForm1::AListView1ColumnClick(int column)
{
    const TAdvancedListView::Arrow arrow = AListView1->sortArrow(column);
    const bool ascending = arrow != TAdvancedListView::Arrow::Up;
    Sort_AListView1(column, ascending);
    AListView1->setSortArrow(column,
                             ascending ? TAdvancedListView::Arrow::Up : TAdvancedListView::Arrow::Down);
}

void TForm1::AListView1Click()
{
    if (QTreeWidgetItem* item = AListView1->currentItem())
        JvEdit_dg->setText(item->text(1));
}

void TForm1::AListView1DblClick()
{
    // The pathology sheet opens here once it is part of the program.
}

void TForm1::AListView1SelectItem()
{
    if (QTreeWidgetItem* item = AListView1->currentItem()) {
        pb1->setMaximum(100);
        pb1->setValue(std::clamp(item->text(0).toInt(), 0, 100));
    }
}

void TForm1::AListView1Enter()
{
    if (AListView1->topLevelItemCount() > 0 && !AListView1->currentItem())
        AListView1->setCurrentItem(AListView1->topLevelItem(0));
    if (AListView1->currentItem())
        AListView1SelectItem();
    AListView1->setColorImpair(colorFromBgr(0x006CFF6C));
}

void TForm1::AListView1Exit()
{
    AListView1->setColorImpair(colorFromBgr(0x005BFFFF));
    if (AListView1->topLevelItemCount() > 0) {
        pb1->setMaximum(AListView1->topLevelItemCount());
        pb1->setValue(1);
    }
}

void TForm1::CB_CLSChange()
{
    AListView1->headerItem()->setText(0, CB_CLS->currentIndex() == 1 ? QStringLiteral("0,")
                                                                     : QStringLiteral("%"));
    if (!session_)
        return;
    session_->sortMode =
        CB_CLS->currentIndex() == 1 ? engine::SortMode::Probability : engine::SortMode::Prevalence;
    if (Entree_Edition->currentIndex() == 3)
        Entree_Edition->setCurrentIndex(0);
    if (session_->state.SCList.isEmpty() && session_->state.EC_List.isEmpty())
        return;
    evaluate(engine::EvaluationMode::Rank, queryCondition(), QString());
}

// ---------------------------------------------------------------- keys

void TForm1::focusEntry()
{
    if (Entree_Edition->currentIndex() == 0)
        CB_S->setFocus();
    else if (Entree_Edition->currentIndex() == 1)
        CB_E->setFocus();
}

void TForm1::focusDiagnoses()
{
    AListView1->setFocus();
}

void TForm1::menuAnd()
{
    if (Entree_Edition->currentIndex() == 0)
        SB_AND_S->click();
}

void TForm1::menuNot()
{
    if (Entree_Edition->currentIndex() == 0)
        SB_NOT_S->click();
    else if (Entree_Edition->currentIndex() == 1)
        SB_NOT_E->click();
}

void TForm1::menuOr()
{
    if (Entree_Edition->currentIndex() == 0 && SB_OR_S->isEnabled())
        SB_OR_S->click();
}

bool TForm1::entryKey(QObject* watched, QKeyEvent* e)
{
    const int key = e->key();
    const bool enter = key == Qt::Key_Return || key == Qt::Key_Enter;
    if (watched == CB_S->lineEdit()) {
        if (enter) {
            SB_Validation_S->click();
            return true;
        }
        if (key == Qt::Key_Escape) {
            SB_Effacer_tout->click();
            return true;
        }
        if (key == Qt::Key_Backspace || key == Qt::Key_Delete) {
            if (key == Qt::Key_Backspace && CB_S->currentText().isEmpty()) {
                SB_Supprimer_S->click();
                return true;
            }
            session_->state.SuppressFreeEntry = true;
            return false;
        }
        if (key == Qt::Key_Down || key == Qt::Key_Up) {
            // Arrow keys walk the offered signs and show them in the list behind.
            if (CB_S->count() == 0)
                return true;
            int index = signSelection();
            index = key == Qt::Key_Down ? std::min(index + 1, CB_S->count() - 1) : std::max(index - 1, 0);
            {
                const QSignalBlocker blocker(CB_S);
                CB_S->setCurrentIndex(index);
                CB_S->setEditText(CB_S->itemText(index));
            }
            CB_S_L->setCurrentIndex(index);
            updateWebButton();
            return true;
        }
        return false;
    }
    if (watched == CB_E->lineEdit()) {
        if (enter) {
            CB_ER->setFocus();
            CB_ER->setCurrentIndex(-1);
            CB_ER->showPopup();
            return true;
        }
        if (key == Qt::Key_Escape) {
            SB_Effacer_tout->click();
            return true;
        }
        return false;
    }
    if (watched == CB_ER && enter) {
        SB_Validation_EC->click();
        CB_E->setFocus();
        emptyCombo(CB_E);
        return true;
    }
    if (watched == AListView1 && enter) {
        AListView1DblClick();
        return true;
    }
    return false;
}

} // namespace vardelo::app
