#pragma once
// The notes page: the physician's free notes on the case. The editor and the case document stay in
// step both ways: typing changes the case's notes, and notes the case receives (a case file opened,
// the case emptied) replace what the editor shows.

#include <QWidget>

namespace vardelo::engine {
class CaseSession;
}

namespace vardelo::widgets {
class NotesEditor;
}

namespace vardelo::panels {

class NotesPanel : public QWidget {
    Q_OBJECT

public:
    explicit NotesPanel(engine::CaseSession& session, QWidget* parent = nullptr);
    void focusEntry();
    // "Notes *" while the case has notes, "Notes" otherwise.
    QString caption() const;

signals:
    void captionChanged(const QString& caption);

private:
    void onEdited();
    void showSessionNotes();

    engine::CaseSession& session_;
    widgets::NotesEditor* caseNotesEdit_;
    // The notes as the editor last handed them to the case or took them from it: a change signal
    // carrying them back is no news.
    QString syncedRtf_;
    bool loading_ = false;
};

} // namespace vardelo::panels
