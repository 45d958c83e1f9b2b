#include "panels/NotesPanel.h"

#include "engine/CaseSession.h"
#include "panels/PanelParts.h"

#include <QTextEdit>
#include <QVBoxLayout>

namespace vardelo::panels {

NotesPanel::NotesPanel(engine::CaseSession& session, QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("notesPage"));
    caseNotesEdit_ = makeRichEdit(this, QStringLiteral("caseNotesEdit"), false);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->addWidget(caseNotesEdit_);
    connect(&session, &engine::CaseSession::cleared, caseNotesEdit_, &QTextEdit::clear);
}

void NotesPanel::focusEntry()
{
    caseNotesEdit_->setFocus();
}

} // namespace vardelo::panels
