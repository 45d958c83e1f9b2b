#pragma once
// The commands of the pathology documentation: opening the sheet of the selected diagnosis, the
// web look-ups of a diagnosis, of the sheet's pathology and of a sign, and putting a sign or an
// exam line of the sheet into the case's entry. Menu items, keys and buttons that do the same
// reach the same function here.

#include <QObject>
#include <functional>

class QWidget;

namespace vardelo::platform {
class Desktop;
}

namespace vardelo::panels {
class DiagnosisPanel;
class ExamEntryPanel;
class PathologyPanel;
class SignEntryPanel;
enum class SheetPage;
} // namespace vardelo::panels

namespace vardelo::app {

class MainActions;
class MessageInterface;

struct DocumentationPanels {
    panels::DiagnosisPanel* diagnoses;
    panels::PathologyPanel* sheet;
    panels::SignEntryPanel* signs;
    panels::ExamEntryPanel* exams;
};

class DocumentationCommands : public QObject {
    Q_OBJECT

public:
    // showPage makes a page of the entry pages the visible one and runs its show handler.
    DocumentationCommands(MainActions& actions, const DocumentationPanels& panels, MessageInterface& messages,
                          platform::Desktop& desktop, std::function<void(QWidget*)> showPage,
                          QObject* parent = nullptr);

    // The sheet of the selected diagnosis at a page; without a selected diagnosis, a message.
    void openDiagnosisSheet(panels::SheetPage page);
    // The double click on a diagnosis: its signs, focused; without a selected row nothing happens.
    void openSheetOfRow();
    // The selected diagnosis on a web source, its name made fuller for the vague ones unless
    // asked as it is.
    void lookUpDiagnosis(int source, bool fullerName = true);
    void lookUpSheetPathology();
    void lookUpSign(const QString& sign);
    void putSignIntoEntry(const QString& sign);
    void putExamLineIntoEntry(const QString& line);

private:
    DocumentationPanels panels_;
    MessageInterface& messages_;
    platform::Desktop& desktop_;
    std::function<void(QWidget*)> showPage_;
};

} // namespace vardelo::app
