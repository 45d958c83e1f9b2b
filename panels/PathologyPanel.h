#pragma once
// The pathologies page: the list of all pathologies and the sheet of the chosen one (definition,
// signs, exams, treatment, notes).

#include <QWidget>

class QComboBox;
class QListWidget;
class QTabWidget;
class QTextEdit;
class QToolButton;

namespace vardelo::kb {
class Query;
}

namespace vardelo::panels {

class PathologyPanel : public QWidget {
    Q_OBJECT

public:
    PathologyPanel(kb::Query& query, QWidget* parent = nullptr);

    // Fills the list with every pathology of the knowledge base, in alphabetical order.
    void showPathologyNames();

signals:
    void databaseError(const QString& message);

private:
    kb::Query& query_;
    QComboBox* pathologyCombo_;
    QToolButton* pathologyWebButton_;
    QComboBox* webSourceCombo_;
    QTabWidget* pathologyTabs_;
    QTextEdit* definitionView_;
    QListWidget* pathologySignsList_;
    QListWidget* pathologyExamsList_;
    QTextEdit* treatmentView_;
    QTextEdit* pathologyNotesEdit_;
};

} // namespace vardelo::panels
