#include "panels/SignEntryPanel.h"

#include "engine/CaseSession.h"
#include "panels/FormulaFormat.h"
#include "panels/PanelParts.h"
#include "widgets/EntryCombo.h"
#include "widgets/StripedItemDelegate.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QSignalBlocker>
#include <QTextEdit>
#include <QToolButton>

namespace vardelo::panels {

using namespace model;

namespace {
const QColor SignEntryColor(108, 255, 108);
const QColor SignEntryFocusColor(157, 255, 157);
} // namespace

SignEntryPanel::SignEntryPanel(engine::CaseSession& session, QWidget* parent)
    : QWidget(parent)
    , session_(session)
{
    setObjectName(QStringLiteral("signsPage"));
    entry_ = new widgets::EntryCombo(QStringLiteral("signInput"), QStringLiteral("signDropDown"), this);
    addSignButton_ = makeButton(this, QStringLiteral("addSignButton"), QStringLiteral("Valider"),
                                QStringLiteral("Valider (Appuyez sur Entrée)"));
    removeLastSignButton_ =
        makeButton(this, QStringLiteral("removeLastSignButton"), QStringLiteral("Retirer"),
                   QStringLiteral("Retirer dernier (Appuyez sur Retour arrière ou Supprime)"));
    andButton_ = makeButton(this, QStringLiteral("andButton"), QStringLiteral("and"),
                            QStringLiteral("Appuyez sur F4"));
    notButton_ = makeButton(this, QStringLiteral("notButton"), QStringLiteral("not"),
                            QStringLiteral("Appuyez sur F5"));
    orButton_ =
        makeButton(this, QStringLiteral("orButton"), QStringLiteral("or"), QStringLiteral("Appuyez sur F6"));
    openParenButton_ = makeButton(this, QStringLiteral("openParenButton"), QStringLiteral("("));
    closeParenButton_ = makeButton(this, QStringLiteral("closeParenButton"), QStringLiteral(")"));
    signWebButton_ = makeButton(this, QStringLiteral("signWebButton"), QStringLiteral("?"),
                                QStringLiteral("Information Google"));
    interrogationButton_ =
        makeButton(this, QStringLiteral("interrogationButton"), QStringLiteral("&Interrogatoire"));
    signFormulaView_ = makeRichEdit(this, QStringLiteral("signFormulaView"), true);
    setBaseColor(signFormulaView_, editorYellow());
    signWebButton_->setEnabled(false);
    orButton_->setEnabled(false);
    closeParenButton_->setEnabled(false);
    interrogationButton_->setToolTip(QStringLiteral("Dialoguer avec le système Vardelo (Appuyez sur F9)"));

    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(6, 6, 6, 6);
    auto* operators = new QHBoxLayout;
    for (QToolButton* b :
         {andButton_, orButton_, notButton_, openParenButton_, closeParenButton_, signWebButton_}) {
        b->setMinimumWidth(b == openParenButton_ || b == closeParenButton_ || b == signWebButton_ ? 32 : 52);
        operators->addWidget(b);
    }
    operators->addStretch(1);
    operators->addWidget(interrogationButton_);
    interrogationButton_->setMinimumWidth(120);
    for (QToolButton* b : {addSignButton_, removeLastSignButton_, interrogationButton_})
        b->setMinimumHeight(24);
    addSignButton_->setMinimumWidth(80);
    removeLastSignButton_->setMinimumWidth(80);
    grid->addWidget(entry_, 0, 0);
    grid->addWidget(addSignButton_, 0, 1);
    grid->addWidget(removeLastSignButton_, 0, 2);
    grid->addLayout(operators, 1, 0, 1, 3);
    grid->addWidget(signFormulaView_, 2, 0, 1, 3);
    grid->setColumnStretch(0, 1);

    QComboBox* input = entry_->input();
    QComboBox* dropDown = entry_->dropDown();
    entry_->setInputColor(SignEntryColor);
    dropDown->setItemDelegate(new widgets::StripedItemDelegate(
        QColor(202, 255, 202), Qt::white, Qt::black, Qt::white, QColor(215, 0, 0), false, dropDown));
    dropDown->setStyleSheet(QStringLiteral("QComboBox#signDropDown { color: rgb(215,0,0); }"));
    entry_->setKeyHandler([this](QKeyEvent* e) { return handleKey(e); });
    connect(entry_, &widgets::EntryCombo::focusEntered, this,
            [this] { entry_->setInputColor(SignEntryFocusColor); });
    connect(entry_, &widgets::EntryCombo::focusLeft, this,
            [this] { entry_->setInputColor(palette().color(QPalette::Base)); });
    connect(entry_, &widgets::EntryCombo::doubleClicked, this, &SignEntryPanel::validateSign);
    connect(input, &QComboBox::editTextChanged, this, &SignEntryPanel::onSignTextEdited);
    connect(dropDown, qOverload<int>(&QComboBox::activated), this, [this, input](int index) {
        input->setCurrentIndex(index);
        input->setFocus();
        updateWebButton();
    });
    connect(addSignButton_, &QToolButton::clicked, this, &SignEntryPanel::validateSign);
    connect(removeLastSignButton_, &QToolButton::clicked, this, &SignEntryPanel::removeLastSign);
    connect(andButton_, &QToolButton::clicked, this, [this] { enterOperator(token::And); });
    connect(notButton_, &QToolButton::clicked, this, [this] { enterOperator(token::Not); });
    connect(orButton_, &QToolButton::clicked, this, [this] { enterOperator(token::Or); });
    connect(openParenButton_, &QToolButton::clicked, this, [this] { enterParenthesis(token::Open); });
    connect(closeParenButton_, &QToolButton::clicked, this, [this] { enterParenthesis(token::Close); });
    connect(interrogationButton_, &QToolButton::clicked, this, [this] {
        entry_->dropDown()->hidePopup();
        emit interrogationRequested();
    });
    connect(signWebButton_, &QToolButton::clicked, this, [this] {
        const int offered = entry_->text().isEmpty() ? -1 : entry_->indexOf(entry_->text());
        emit signLookupRequested(offered < 0 ? QString() : entry_->input()->itemText(offered));
    });

    connect(&session_, &engine::CaseSession::formulaChanged, this, &SignEntryPanel::showFormula);
    connect(&session_, &engine::CaseSession::evaluated, this, &SignEntryPanel::showOffers);
    connect(&session_, &engine::CaseSession::cleared, this, &SignEntryPanel::onCleared);
}

void SignEntryPanel::startEntry()
{
    QComboBox* input = entry_->input();
    input->setCurrentIndex(-1);
    input->setEditText(QString());
    input->setFocus();
}

void SignEntryPanel::focusEntry()
{
    entry_->input()->setFocus();
}

void SignEntryPanel::proposeSign(const QString& sign)
{
    entry_->input()->setEditText(sign);
}

int SignEntryPanel::signSelection() const
{
    // As the completion of the entry line: the first offered sign the text begins.
    const QString text = entry_->text();
    if (text.isEmpty())
        return -1;
    const int exact = entry_->indexOf(text);
    if (exact >= 0)
        return exact;
    const QComboBox* input = entry_->input();
    for (int i = 0; i < input->count(); ++i) {
        if (input->itemText(i).startsWith(text, Qt::CaseInsensitive))
            return i;
    }
    return -1;
}

void SignEntryPanel::updateWebButton()
{
    const QString text = entry_->text();
    signWebButton_->setEnabled(!text.isEmpty() && entry_->indexOf(text) >= 0);
}

void SignEntryPanel::validateSign()
{
    entry_->dropDown()->hidePopup();
    const QString text = entry_->text();
    if (!text.isEmpty()) {
        const int offered = entry_->indexOf(text);
        if (offered < 0 && Entree(session_.state().SCList, text) < 0) {
            // Free text goes to recognition; when nothing is recognised the text stays in the
            // entry for the physician to correct.
            signWebButton_->setEnabled(false);
            emit freeTextSubmitted(text);
            return;
        }
        const bool added = session_.addSign(offered >= 0 ? entry_->input()->itemText(offered) : text);
        entry_->clearText();
        if (added) {
            notButton_->setEnabled(true);
            orButton_->setEnabled(true);
            closeParenButton_->setEnabled(true);
        }
    }
    signWebButton_->setEnabled(false);
}

void SignEntryPanel::enterSign(const QString& sign, const QString& op)
{
    entry_->dropDown()->hidePopup();
    entry_->clearText();
    if (!op.isEmpty())
        session_.addOperator(op);
    if (session_.addSign(sign)) {
        notButton_->setEnabled(true);
        orButton_->setEnabled(true);
        closeParenButton_->setEnabled(true);
    }
    entry_->clearText();
    signWebButton_->setEnabled(false);
}

void SignEntryPanel::setEntryText(const QString& text)
{
    QComboBox* input = entry_->input();
    {
        const QSignalBlocker blocker(input);
        input->setCurrentIndex(entry_->indexOf(text));
        input->setEditText(text);
    }
    updateWebButton();
}

void SignEntryPanel::clearEntry()
{
    entry_->clearText();
    signWebButton_->setEnabled(false);
}

void SignEntryPanel::enterOperator(const QString& op)
{
    if (op == token::Or && !orButton_->isEnabled())
        return;
    entry_->dropDown()->hidePopup();
    QComboBox* input = entry_->input();
    input->setFocus();
    const QString text = entry_->text();
    entry_->clearText();
    session_.addOperator(op);
    {
        // The sign typed before the operator follows it.
        const QSignalBlocker blocker(input);
        input->setCurrentIndex(entry_->indexOf(text));
        input->setEditText(text);
    }
    validateSign();
}

void SignEntryPanel::enterParenthesis(const QString& parenthesis)
{
    entry_->dropDown()->hidePopup();
    {
        const QSignalBlocker blocker(entry_->input());
        entry_->input()->setEditText(parenthesis);
    }
    onSignTextEdited();
}

void SignEntryPanel::onSignTextEdited()
{
    if (inSignChange_)
        return;
    inSignChange_ = true;
    const QString text = entry_->text();
    bool openFreeEntry = false;
    if (signSelection() < 0) {
        entry_->dropDown()->hidePopup();
        openFreeEntry = !suppressFreeEntry_ && !text.isEmpty() && text != token::Open && text != token::Close;
    }
    suppressFreeEntry_ = false;
    updateWebButton();
    if (text == token::Open || text == token::Close) {
        session_.addParenthesis(text);
        entry_->clearText();
    }
    inSignChange_ = false;
    // The physician finishes the phrase in free entry, which comes back here to validate it. It
    // opens once the keystroke is done: the entry's own completion of that keystroke would
    // otherwise land after whatever free entry entered.
    // Once only for the changes of one keystroke, and never while free entry is open.
    if (openFreeEntry && !freeEntryQueued_) {
        freeEntryQueued_ = true;
        QMetaObject::invokeMethod(
            this,
            [this] {
                const QString typed = entry_->text();
                if (!typed.isEmpty() && signSelection() < 0 && typed != token::Open && typed != token::Close)
                    emit unmatchedTextTyped(typed);
                freeEntryQueued_ = false;
            },
            Qt::QueuedConnection);
    }
}

void SignEntryPanel::removeLastSign()
{
    if (!entry_->text().isEmpty()) {
        entry_->clearText();
        signWebButton_->setEnabled(false);
        return;
    }
    if (session_.state().SCList.isEmpty())
        return;
    entry_->dropDown()->hidePopup();
    session_.removeLastSign();
    if (session_.isEmpty()) {
        orButton_->setEnabled(false);
        closeParenButton_->setEnabled(false);
    }
}

bool SignEntryPanel::handleKey(QKeyEvent* e)
{
    const int key = e->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        validateSign();
        return true;
    }
    if (key == Qt::Key_Escape) {
        emit clearAllRequested();
        return true;
    }
    if (key == Qt::Key_Backspace && entry_->text().isEmpty()) {
        removeLastSign();
        return true;
    }
    if (key == Qt::Key_Backspace || key == Qt::Key_Delete) {
        // Deleting is correcting: the text it leaves is not sent to free entry.
        suppressFreeEntry_ = !entry_->text().isEmpty();
        return false;
    }
    if (key == Qt::Key_Down || key == Qt::Key_Up) {
        // The arrow keys walk the offered signs and show them in the list behind.
        QComboBox* input = entry_->input();
        if (input->count() == 0)
            return true;
        int index = signSelection();
        index = key == Qt::Key_Down ? std::min(index + 1, input->count() - 1) : std::max(index - 1, 0);
        {
            const QSignalBlocker blocker(input);
            input->setCurrentIndex(index);
            input->setEditText(input->itemText(index));
        }
        entry_->dropDown()->setCurrentIndex(index);
        updateWebButton();
        return true;
    }
    return false;
}

void SignEntryPanel::showFormula()
{
    showRuns(signFormulaView_, model::Affiche_SC(session_.state().SCList));
}

void SignEntryPanel::showOffers(const engine::EvaluationResult& result)
{
    if (result.failed)
        return;
    entry_->setItems(session_.state().CandidateSigns.lines());
    updateWebButton();
}

void SignEntryPanel::formulaLoaded()
{
    entry_->clearText();
    signWebButton_->setEnabled(false);
    const bool any = !session_.state().SCList.isEmpty();
    if (any)
        notButton_->setEnabled(true);
    orButton_->setEnabled(any);
    closeParenButton_->setEnabled(any);
}

void SignEntryPanel::onCleared()
{
    signWebButton_->setEnabled(false);
    entry_->clearText();
    entry_->dropDown()->hidePopup();
    orButton_->setEnabled(false);
    closeParenButton_->setEnabled(false);
}

} // namespace vardelo::panels
