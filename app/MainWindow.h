#pragma once
// The main window: the physician's single workspace. It opens the knowledge base, owns the case
// document and the commands, and places the panels that show the case.

#include "app/Environment.h"
#include "engine/CaseSession.h"
#include "kb/Query.h"
#include "kb/VersionArea.h"
#include "training/ClinicalCases.h"

#include <QMainWindow>
#include <memory>

class QTabWidget;

namespace vardelo::panels {
class CaseBar;
class DiagnosisPanel;
class ExamEntryPanel;
class NotesPanel;
class PathologyPanel;
class PatientBanner;
class SignEntryPanel;
} // namespace vardelo::panels

namespace vardelo::app {

class CaseFileActions;
class InterrogationFlow;
class MainActions;
class ReportActions;
class SuggestionFlow;

class MainWindow : public QMainWindow {
    Q_OBJECT

public:
    // The version read from the knowledge-base file by the splash window.
    MainWindow(const Environment& environment, const kb::KbVersion& version, QWidget* parent = nullptr);
    ~MainWindow() override;

    // The start steps (update check, version check, lists, welcome, first query). Afterwards
    // endRequested() tells whether the program must stop without showing the window.
    void start();
    bool endRequested() const { return endRequested_; }
    // The first activation of the window opens the patient sheet, unless this is turned off.
    void setNewCaseOnFirstActivation(bool on) { newCaseOnFirstActivation_ = on; }

    // Writes the learning lines, forgets the handed-over patient and the unconfirmed parallel
    // analyses; with farewell, thanks the physician.
    void saveStateOnExit(bool farewell);

    // The welcome message; it also works out the version status.
    QString welcomeText();
    QString versionStatus() const { return versionStatus_; }
    void setAppearance(const QString& name) { appearance_ = name; }

    // Opens the patient sheet (or takes the patient handed over by another program) and starts
    // an empty case for that patient.
    void startNewCase();
    // Empties the case and puts the focus back in the entry.
    void clearCase();

    engine::CaseSession& session() { return *session_; }
    // The case-file commands; null until the knowledge base is open.
    CaseFileActions* caseFiles() { return caseFiles_; }
    kb::Query& query() { return *query_; }
    // The report and the export; null before start().
    ReportActions* reportActions() { return reportActions_; }

protected:
    void closeEvent(QCloseEvent* event) override;
    bool event(QEvent* event) override;

private:
    void buildPanels();
    // The "PDF" button and the export read the case as the window shows it.
    void connectReport();
    void connectActions();
    void onFirstShow();
    void onFirstActivation();
    void requestEnd();
    void applyPatient(const engine::Patient& patient);
    void chooseStyle(const QString& name);
    void showAbout();
    QString learningFile() const;
    void openHelp();
    void showPage(QWidget* page);
    void onPageShown();
    void focusEntry();
    void focusAfterClear();
    void onEvaluated(const engine::EvaluationResult& result);
    QWidget* currentPage() const;
    MessageInterface& messages() { return *env_.messages; }

    void wireDialogue();

    Environment env_;
    dialogs::ExecRunner execRunner_;
    kb::KbVersion version_;
    QString remoteVersion_;
    QString versionStatus_;
    QString appearance_;
    bool endRequested_ = false;
    bool newCaseOnFirstActivation_ = true;
    bool shown_ = false;
    // The clinical cases' draws: seeded once per run, so that series differ from run to run.
    training::RandomEngine random_{std::random_device{}()};

    std::unique_ptr<kb::Connection> connection_;
    std::unique_ptr<kb::Query> query_;
    std::unique_ptr<engine::CaseSession> session_;
    MainActions* actions_;
    CaseFileActions* caseFiles_ = nullptr;
    QTabWidget* entryTabs_ = nullptr;
    panels::CaseBar* caseBar_ = nullptr;
    panels::PatientBanner* patientBanner_ = nullptr;
    panels::SignEntryPanel* signsPage_ = nullptr;
    panels::ExamEntryPanel* examsPage_ = nullptr;
    panels::NotesPanel* notesPage_ = nullptr;
    panels::PathologyPanel* pathologyPage_ = nullptr;
    panels::DiagnosisPanel* diagnosisPanel_ = nullptr;
    ReportActions* reportActions_ = nullptr;
    SuggestionFlow* suggestions_ = nullptr;
    InterrogationFlow* interrogation_ = nullptr;
};

} // namespace vardelo::app
