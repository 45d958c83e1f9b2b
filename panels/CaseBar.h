#pragma once
// The bar above the entry pages: the list of cases (the current unsaved case first, then the saved
// case files, newest first), the parallel analyses of the current case, and the button that
// empties the case. It shows what it is given and reports what the physician does; the commands
// themselves live with the case-file actions.

#include <QWidget>

class QComboBox;
class QToolButton;

namespace vardelo::panels {

class CaseBar : public QWidget {
    Q_OBJECT

public:
    explicit CaseBar(QWidget* parent = nullptr);

    // Entry 0 is the current unsaved case; the saved case files follow, newest first.
    void showCases(const QString& newCaseEntry, const QStringList& savedCases, int selected);
    int selectedCase() const;
    // The analyses of the current case; empty for a case that is not split.
    void showAnalyses(const QStringList& analyses, int selected);
    // The selected entry of the case list and the current parallel analysis (empty for none), as
    // the report prints them.
    QString caseTitle() const;
    QString analysisName() const;

signals:
    void clearAllRequested();
    // The physician chose an entry of the case list (also the one already selected).
    void caseChosen(int index);
    // The case list got the focus from the physician (not from a window coming back to the front).
    void caseListFocused();
    void analysisChosen(int index);
    void deleteAnalysisRequested();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QToolButton* clearAllButton_;
    QComboBox* savedCasesCombo_;
    QToolButton* deleteParallelAnalysisButton_;
    QComboBox* parallelAnalysesCombo_;
};

} // namespace vardelo::panels
