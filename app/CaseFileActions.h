#pragma once
// The commands on case files and parallel analyses as the main window runs them: the list of saved
// cases with the current case first, New, Save, Open, Delete, Delete all, Clear all, the Diagnostics
// folder, and the split of a case into parallel analyses. Every write goes through the case-file
// core in one transaction; a failure is shown in French and the case on screen stays as it was.

#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

namespace vardelo::kb {
class Connection;
}
namespace vardelo::engine {
class CaseSession;
struct EvaluationResult;
} // namespace vardelo::engine
namespace vardelo::panels {
class CaseBar;
}
namespace vardelo::platform {
class Desktop;
}
namespace vardelo::casefiles {
struct CaseContent;
}

namespace vardelo::app {

class MessageInterface;

class CaseFileActions : public QObject {
    Q_OBJECT

public:
    // What the window does for the commands besides the case itself: the patient sheet, the focus
    // of the entry, showing the signs page. Unset hooks do nothing.
    struct WindowHooks {
        // Shows the patient sheet for a new case; its OK starts the case (startCaseForPatient()).
        std::function<void()> askPatient;
        // After Clear all: the focus in the exam entry when the exams page is shown, otherwise the
        // signs page is shown and its entry focused.
        std::function<void()> focusAfterClear;
        // Shows the signs page (which empties its entry) and focuses the entry.
        std::function<void()> showSignsPage;
        std::function<void()> focusSignEntry;
        std::function<void()> focusExamEntry;
        // A case file or an analysis was loaded in place of the case on screen.
        std::function<void()> caseLoaded;
    };

    CaseFileActions(engine::CaseSession& session, kb::Connection& connection, panels::CaseBar& caseBar,
                    MessageInterface& messages, platform::Desktop& desktop, QObject* parent = nullptr);
    ~CaseFileActions() override;

    void setWindowHooks(WindowHooks hooks);

    // The name of the current case: the new-case entry, or the saved case file that is open.
    QString currentCaseName() const;
    // Whether the current case is a saved case file (not the new-case entry).
    bool currentCaseIsSaved() const;
    // The analyses of the current case and the selected one (empty when the case is not split).
    QStringList analyses() const;
    QString currentAnalysis() const;

    // The sign variant of the branching into parallel analyses, for a sign chosen in the suggestions
    // that none of the evoked pathologies offers. Asks whether to open a parallel analysis; on Yes
    // enters the sign in the first analysis that offers it, or in a new analysis holding only it.
    // Returns whether the sign was entered. On No the sign entry gets the focus and nothing changes.
    // The caller closes its dialog and runs its own checks on the new diagnosis list afterwards.
    bool branchForSign(const QString& sign);
    // The exam variant, for the pending exam line when no evoked pathology has it.
    bool branchForExamLine(const QString& line);

public slots:
    // "Nouvelle Fiche": the patient sheet, whose OK starts the new case.
    void newCase();
    // "Enregistrer Fiche". Returns whether the case was saved.
    bool saveCase();
    // "Supprimer Fiche", after its question.
    void deleteCase();
    // "Supprimer tout", after its question.
    void deleteAllCases();
    // "Effacer tout": ends the current case without saving it and starts a new-case entry.
    void clearAll();
    // "Dossier Diagnostics".
    void openCasesFolder();
    // Opens an entry of the case list: 0 starts a fresh case, others open that saved case file.
    void openEntry(int index);
    // The list got the focus: offers to save an unsaved case that holds signs.
    void offerToSave();
    // Makes the analysis at that index of the analysis list the current content of the case.
    void switchAnalysis(int index);
    // Deletes the selected analysis; with one left, the case turns plain again.
    void deleteAnalysis();
    // The patient sheet was confirmed: a fresh new-case entry under the patient's name, then an empty
    // case.
    void startCaseForPatient();
    // Replaces the new-case entry by a fresh name (same patient name, current date and time), as
    // before a new case for another age band.
    void renewCaseEntry();

private:
    void onCleared();
    // After every completed evaluation: the current analysis is written back.
    void onEvaluated(const engine::EvaluationResult& result);
    bool branch(const QString& entry, bool sign);
    bool enterExamLine(const QString& line);

    struct Private;
    std::unique_ptr<Private> d_;
};

} // namespace vardelo::app
