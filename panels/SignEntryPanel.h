#pragma once
// The signs page: the entry of clinical signs and symptoms, the operators between them and the
// formula they make.

#include <QWidget>

class QKeyEvent;
class QTextEdit;
class QToolButton;

namespace vardelo::engine {
class CaseSession;
struct EvaluationResult;
} // namespace vardelo::engine

namespace vardelo::widgets {
class EntryCombo;
}

namespace vardelo::panels {

class SignEntryPanel : public QWidget {
    Q_OBJECT

public:
    explicit SignEntryPanel(engine::CaseSession& session, QWidget* parent = nullptr);

    // A formula loaded from elsewhere (an opened case file, another analysis): the typed text goes,
    // and the operators are available as after a validated sign, or not at all when it is empty.
    void formulaLoaded();

    // Empties the entry and puts the focus in it.
    void startEntry();
    void focusEntry();
    // "and", "not" or "or" between the entered signs and the sign in the entry, if any. "or" is
    // refused while its button is unavailable.
    void enterOperator(const QString& op);
    // Enters a sign the dialogue chose (a suggestion, an answer to a question), after op when one
    // is given ("not" for a denied sign, the answer's operator), whether it is offered or not.
    void enterSign(const QString& sign, const QString& op = QString());
    // Puts text in the entry, as if typed, without opening the free entry; validate() then
    // validates it.
    void setEntryText(const QString& text);
    void validate() { validateSign(); }
    // Empties the entry.
    void clearEntry();
    // Puts a sign into the entry without validating it: the physician validates it as a typed one.
    void proposeSign(const QString& sign);

signals:
    // Escape in the entry: the physician wants an empty case.
    void clearAllRequested();
    // Typing made the entry's text match no offered sign: the physician goes on in free entry.
    void unmatchedTextTyped(const QString& text);
    // A text that is no offered sign was validated: recognition takes it.
    void freeTextSubmitted(const QString& text);
    void interrogationRequested();
    // The "?" button: look the offered sign in the entry up on the web (empty when none is there).
    void signLookupRequested(const QString& sign);

private:
    void validateSign();
    void removeLastSign();
    void enterParenthesis(const QString& parenthesis);
    void onSignTextEdited();
    bool handleKey(QKeyEvent* event);
    // The offered sign the text of the entry stands for (its completion), -1 when none.
    int signSelection() const;
    void updateWebButton();
    void showFormula();
    void showOffers(const engine::EvaluationResult& result);
    void onCleared();

    engine::CaseSession& session_;
    widgets::EntryCombo* entry_;
    QToolButton* addSignButton_;
    QToolButton* removeLastSignButton_;
    QToolButton* andButton_;
    QToolButton* orButton_;
    QToolButton* notButton_;
    QToolButton* openParenButton_;
    QToolButton* closeParenButton_;
    QToolButton* signWebButton_;
    QToolButton* interrogationButton_;
    QTextEdit* signFormulaView_;
    bool inSignChange_ = false;
    // Set by Backspace and Delete: the change they make never opens the free entry.
    bool suppressFreeEntry_ = false;
    bool freeEntryQueued_ = false;
};

} // namespace vardelo::panels
