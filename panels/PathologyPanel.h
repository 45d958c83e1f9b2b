#pragma once
// The pathologies page: the list of all pathologies and the sheet of the chosen one (definition,
// signs, exams, treatment, the physician's notes on it), with its web look-up.

#include "documentation/PathologyNotes.h"

#include <QWidget>

class QComboBox;
class QListWidget;
class QTabWidget;
class QTextEdit;
class QToolButton;

namespace vardelo::kb {
class Query;
}

namespace vardelo::engine {
class CaseSession;
}

namespace vardelo::widgets {
class NotesEditor;
}

namespace vardelo::panels {

// The pages of the sheet, in their order.
enum class SheetPage { Definition = 0, Signs = 1, Exams = 2, Treatment = 3, Notes = 4 };

class PathologyPanel : public QWidget {
    Q_OBJECT

public:
    // The case is read to set the signs and exams it holds in bold; the notes live in notesFolder.
    PathologyPanel(kb::Query& query, const engine::CaseSession& session, const QString& notesFolder,
                   QWidget* parent = nullptr);

    // Fills the list with every pathology of the knowledge base, in alphabetical order.
    void showPathologyNames();
    // Shows the sheet of that pathology at the given page. The list selects the pathology when it
    // has it, and nothing otherwise (the sheet is loaded all the same).
    void showPathology(const QString& name, SheetPage page);
    // The page became visible: a list page puts the focus on its list, first item selected.
    void onShown();
    void focusSignsList();

    // The pathology selected in the list, empty when none is.
    QString selectedPathology() const;
    // The index of the web source chosen beside the list.
    int webSourceIndex() const;

signals:
    void databaseError(const QString& message);
    // The notes could not be written or deleted.
    void errorRaised(const QString& message);
    // A sign or an exam line of the sheet double-clicked: for the case's entry.
    void signChosen(const QString& sign);
    void examLineChosen(const QString& line);
    // The web button: look the selected pathology up on the chosen source.
    void webLookupRequested();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void loadSheet(const QString& name);
    void clearSheet();
    void onPathologyChosen();
    void activateSign();
    void activateExam();
    void focusList(QListWidget* list);
    void saveNotes();

    kb::Query& query_;
    const engine::CaseSession& session_;
    documentation::PathologyNotes notes_;
    // The sign and exam lines of the loaded pathology, markers kept: the lists draw the major ones
    // in blue.
    QString signLines_;
    QString examLines_;

    QComboBox* pathologyCombo_;
    QToolButton* pathologyWebButton_;
    QComboBox* webSourceCombo_;
    QTabWidget* pathologyTabs_;
    QTextEdit* definitionView_;
    QListWidget* pathologySignsList_;
    QListWidget* pathologyExamsList_;
    QTextEdit* treatmentView_;
    widgets::NotesEditor* pathologyNotesEdit_;
};

} // namespace vardelo::panels
