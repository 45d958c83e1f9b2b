#pragma once
// The evoked diagnoses: the ranked list with its ranking mode, the score bar, the retained
// diagnosis, and the buttons that look a diagnosis up.

#include "engine/Evaluation.h"

#include <QWidget>
#include <vector>

class QAction;
class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QToolButton;

namespace vardelo::engine {
class CaseSession;
} // namespace vardelo::engine

namespace vardelo::widgets {
class SortableListWidget;
}

namespace vardelo::panels {

class DiagnosisPanel : public QWidget {
    Q_OBJECT

public:
    explicit DiagnosisPanel(engine::CaseSession& session, QWidget* parent = nullptr);
    // What the report prints of the list: its rows in display order (sorted as the physician sorted
    // them), its column captions and the ranking choice.
    std::vector<engine::DiagnosisRow> displayedRows() const;
    QString columnCaption(int column) const;
    QString rankingText() const;

    void focusList();
    // Switches the ranking to concordance (F7); offered under the list when the strict ranking
    // keeps no pathology.
    QAction* concordanceAction() const { return concordanceAction_; }
    // A header click: ascending first, descending on the next click of the same column.
    void sortByColumn(int column);
    // The pathology names of the list, in the order shown.
    QStringList shownDiagnoses() const;
    // The pathology name of the selected row, empty when no row is selected.
    QString selectedDiagnosis() const;

signals:
    // Double click or Enter on a selected row: its pathology sheet.
    void sheetOfRowRequested();
    // The "Définition" and "Traitement" buttons: 0 for the definition, 3 for the treatment.
    void sheetPageRequested(int page);
    // A web button: the source's index (0 to 4) for the selected row's pathology.
    void webLookupRequested(int source);
    // The "Apprentissage" button: the physician judges the retained diagnosis.
    void learningRequested();

signals:
    // The "PDF" button.
    void reportRequested();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showEvaluation(const engine::EvaluationResult& result);
    void showRetainedDiagnosis();
    void selectRetainedDiagnosis();
    void retainClickedDiagnosis();
    void showSelectedScore();
    void onRankingChosen();
    void showRankingMode();
    void showReasonsOfCurrentRow();
    // The reasons of a row, one finding a line: what the pathology explains and what it does not.
    QString reasonsText(const QString& pathology) const;
    void onListFocused();
    void onListLeft();

    engine::CaseSession& session_;
    QLabel* disclaimerHeader_;
    QComboBox* rankingCombo_;
    widgets::SortableListWidget* diagnosisList_;
    QToolButton* definitionButton_;
    QToolButton* treatmentButton_;
    QToolButton* wikiButton_;
    QToolButton* msdButton_;
    QToolButton* googleButton_;
    QToolButton* scholarButton_;
    QToolButton* googleImagesButton_;
    QToolButton* reportButton_;
    QToolButton* learningButton_;
    QLabel* retainedHeader_;
    QToolButton* clearRetainedButton_;
    QLineEdit* retainedDiagnosisEdit_;
    QProgressBar* scoreBar_;
    QLabel* reasonsLabel_;
    QAction* concordanceAction_;
    QToolButton* concordanceOfferButton_;
};

} // namespace vardelo::panels
