#pragma once
// From free text to a sign in the case: the free entry, recognition, the suggestions, and where
// the picked sign goes (this case, a new case file for another sex or age band, or a parallel
// analysis). Also the exam search. The window wires it to the entry panels.

#include "engine/CaseSession.h"

#include <QObject>
#include <QString>
#include <functional>

class QWidget;

namespace vardelo::kb {
class Query;
}
namespace vardelo::dialogs {
class ModalRunner;
}

namespace vardelo::app {

class CaseFileActions;
class MessageInterface;

class SuggestionFlow : public QObject {
    Q_OBJECT

public:
    // What the flow asks of the window.
    struct Hooks {
        // Enters the sign in the case, after op when one is given ("not" for a denied sign).
        std::function<void(const QString& sign, const QString& op)> enterSign;
        // Puts text in the sign entry and validates it.
        std::function<void(const QString& text)> validateEntryText;
        std::function<void()> clearSignEntry;
        std::function<void()> focusSignEntry;
        // Starts an empty case for the patient confirmed in the patient sheet.
        std::function<void(const engine::Patient&)> startCaseFor;
        // The pathology names of the diagnosis list.
        std::function<QStringList()> diagnoses;
        // Enters a line found by the exam search.
        std::function<void(const QString& line)> enterExamLine;
    };

    SuggestionFlow(engine::CaseSession& session, kb::Query& query, MessageInterface& messages,
                   dialogs::ModalRunner& modals, QWidget* window, QObject* parent = nullptr);

    void setHooks(Hooks hooks) { hooks_ = std::move(hooks); }
    void setCaseFiles(CaseFileActions* caseFiles) { caseFiles_ = caseFiles; }

    // Typing left the offered signs: "Saisie libre" takes the text on; its OK validates the
    // phrase in the sign entry.
    void continueInFreeEntry(const QString& typed);
    // A validated text that is no offered sign: recognition, then the suggestions, or the message
    // that nothing was recognised.
    void recognize(const QString& text);
    // The sign picked among the suggestions; negated when the text denied it.
    void validateSuggestion(const QString& sign, bool negated);
    // After a sign entered by the suggestions: when no diagnosis is left, leads the physician to
    // another age band.
    void checkAgeBand(const QString& sign);
    // "Recherche d'examens complémentaires".
    void searchExam();

private:
    // The patient sheet for a new case that takes sign: the other sex, or the same patient whose
    // age band the physician changes. Its OK starts the case and enters sign.
    void openCaseFor(const QString& sign, const QString& question, bool otherSex);
    void enterAfterNewPatient(const QString& sign, const engine::Patient& initial);

    engine::CaseSession& session_;
    kb::Query& query_;
    MessageInterface& messages_;
    dialogs::ModalRunner& modals_;
    QWidget* window_;
    CaseFileActions* caseFiles_ = nullptr;
    Hooks hooks_;
};

} // namespace vardelo::app
