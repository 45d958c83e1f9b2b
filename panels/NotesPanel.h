#pragma once
// The notes page: the physician's free notes on the case.

#include <QWidget>

class QTextEdit;

namespace vardelo::engine {
class CaseSession;
}

namespace vardelo::panels {

class NotesPanel : public QWidget {
    Q_OBJECT

public:
    explicit NotesPanel(engine::CaseSession& session, QWidget* parent = nullptr);
    void focusEntry();

private:
    QTextEdit* caseNotesEdit_;
};

} // namespace vardelo::panels
