#include "app/DocumentationCommands.h"

#include "app/MainActions.h"
#include "app/MessageInterface.h"
#include "app/MessageTexts.h"
#include "documentation/WebLookup.h"
#include "panels/DiagnosisPanel.h"
#include "panels/ExamEntryPanel.h"
#include "panels/PathologyPanel.h"
#include "panels/SignEntryPanel.h"
#include "platform/Desktop.h"

#include <QAction>

namespace vardelo::app {

using documentation::WebSource;
using panels::SheetPage;

DocumentationCommands::DocumentationCommands(MainActions& actions, const DocumentationPanels& panels,
                                             MessageInterface& messages, platform::Desktop& desktop,
                                             std::function<void(QWidget*)> showPage, QObject* parent)
    : QObject(parent)
    , panels_(panels)
    , messages_(messages)
    , desktop_(desktop)
    , showPage_(std::move(showPage))
{
    connect(actions.showDefinitionAction, &QAction::triggered, this,
            [this] { openDiagnosisSheet(SheetPage::Definition); });
    connect(actions.showTreatmentAction, &QAction::triggered, this,
            [this] { openDiagnosisSheet(SheetPage::Treatment); });
    connect(actions.pathologyNotesAction, &QAction::triggered, this,
            [this] { openDiagnosisSheet(SheetPage::Notes); });
    connect(actions.googleImagesAction, &QAction::triggered, this,
            [this] { lookUpDiagnosis(int(WebSource::GoogleImages), false); });

    connect(panels_.diagnoses, &panels::DiagnosisPanel::sheetOfRowRequested, this,
            &DocumentationCommands::openSheetOfRow);
    connect(panels_.diagnoses, &panels::DiagnosisPanel::sheetPageRequested, this,
            [this](int page) { openDiagnosisSheet(SheetPage(page)); });
    connect(panels_.diagnoses, &panels::DiagnosisPanel::webLookupRequested, this, [this](int source) {
        // The images button searches the name as it is, as its menu item does.
        lookUpDiagnosis(source, source != int(WebSource::GoogleImages));
    });
    connect(panels_.sheet, &panels::PathologyPanel::webLookupRequested, this,
            &DocumentationCommands::lookUpSheetPathology);
    connect(panels_.sheet, &panels::PathologyPanel::signChosen, this,
            &DocumentationCommands::putSignIntoEntry);
    connect(panels_.sheet, &panels::PathologyPanel::examLineChosen, this,
            &DocumentationCommands::putExamLineIntoEntry);
    connect(panels_.signs, &panels::SignEntryPanel::signLookupRequested, this,
            &DocumentationCommands::lookUpSign);
}

void DocumentationCommands::openDiagnosisSheet(SheetPage page)
{
    const QString name = panels_.diagnoses->selectedDiagnosis();
    if (name.isEmpty()) {
        messages_.message(msg::SelectDiagnosisFirst);
        return;
    }
    showPage_(panels_.sheet);
    panels_.sheet->showPathology(name, page);
}

void DocumentationCommands::openSheetOfRow()
{
    const QString name = panels_.diagnoses->selectedDiagnosis();
    if (name.isEmpty())
        return;
    showPage_(panels_.sheet);
    panels_.sheet->showPathology(name, SheetPage::Signs);
    panels_.sheet->focusSignsList();
}

void DocumentationCommands::lookUpDiagnosis(int source, bool fullerName)
{
    const QString name = panels_.diagnoses->selectedDiagnosis();
    if (name.isEmpty()) {
        messages_.message(msg::SelectDiagnosisFirst);
        return;
    }
    const QString address = fullerName ? documentation::pathologySearchAddress(source, name)
                                       : documentation::webSearchAddress(WebSource(source), name);
    if (!address.isEmpty())
        desktop_.openUrl(address);
}

void DocumentationCommands::lookUpSheetPathology()
{
    const QString name = panels_.sheet->selectedPathology();
    if (name.isEmpty()) {
        messages_.message(msg::SelectPathologyFirst);
        return;
    }
    const QString address = documentation::pathologySearchAddress(panels_.sheet->webSourceIndex(), name);
    if (!address.isEmpty())
        desktop_.openUrl(address);
}

void DocumentationCommands::lookUpSign(const QString& sign)
{
    desktop_.openUrl(documentation::signSearchAddress(sign));
}

void DocumentationCommands::putSignIntoEntry(const QString& sign)
{
    // Showing the signs page empties the entry and focuses it; the sign comes after.
    showPage_(panels_.signs);
    panels_.signs->proposeSign(sign);
}

void DocumentationCommands::putExamLineIntoEntry(const QString& line)
{
    showPage_(panels_.exams);
    panels_.exams->proposeExamLine(line);
}

} // namespace vardelo::app
