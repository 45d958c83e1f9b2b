#include "panels/NotesPanel.h"

#include "engine/CaseSession.h"
#include "engine/Evaluation.h"
#include "widgets/NotesEditor.h"

#include <QVBoxLayout>

namespace vardelo::panels {

using widgets::NotesEditor;

NotesPanel::NotesPanel(engine::CaseSession& session, QWidget* parent)
    : QWidget(parent)
    , session_(session)
{
    setObjectName(QStringLiteral("notesPage"));
    caseNotesEdit_ = new NotesEditor(QStringLiteral("caseNotesEdit"), this);
    using Command = NotesEditor::Command;
    caseNotesEdit_->addMenuCommands({Command::Clear, Command::Separator, Command::Font, Command::Separator,
                                     Command::Cut, Command::Copy, Command::Paste, Command::Separator,
                                     Command::Markers});

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->addWidget(caseNotesEdit_);

    connect(caseNotesEdit_, &QTextEdit::textChanged, this, &NotesPanel::onEdited);
    connect(&session_, &engine::CaseSession::notesChanged, this, &NotesPanel::showSessionNotes);
    showSessionNotes();
}

void NotesPanel::focusEntry()
{
    caseNotesEdit_->setFocus();
}

QString NotesPanel::caption() const
{
    return caseNotesEdit_->toPlainText().isEmpty() ? engine::CaptionNotes
                                                   : engine::CaptionNotes + QStringLiteral(" *");
}

void NotesPanel::onEdited()
{
    emit captionChanged(caption());
    if (loading_)
        return;
    // An editor without text holds no notes, whatever formatting is left in it.
    syncedRtf_ = caseNotesEdit_->toPlainText().isEmpty() ? QString() : caseNotesEdit_->rtf();
    session_.setNotesRtf(syncedRtf_);
}

void NotesPanel::showSessionNotes()
{
    if (session_.notesRtf() == syncedRtf_)
        return;
    syncedRtf_ = session_.notesRtf();
    loading_ = true;
    caseNotesEdit_->setRtf(syncedRtf_);
    loading_ = false;
    // The editor may have been empty already: the caption follows the notes in any case.
    emit captionChanged(caption());
}

} // namespace vardelo::panels
