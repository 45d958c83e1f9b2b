#pragma once
// The bar above the entry pages: the saved case files with the current case first, the parallel
// analyses, and the button that empties the case.

#include <QWidget>

class QComboBox;
class QToolButton;

namespace vardelo::kb {
class Query;
}
namespace vardelo::engine {
class CaseSession;
}

namespace vardelo::panels {

class CaseBar : public QWidget {
    Q_OBJECT

public:
    CaseBar(engine::CaseSession& session, kb::Query& query, QWidget* parent = nullptr);

    // The saved cases, newest first, under the title of the current case (patient name and time).
    void showCurrentCase();
    // The selected entry of the case list and the current parallel analysis (empty for none), as
    // the report prints them.
    QString caseTitle() const;
    QString analysisName() const;

signals:
    void clearAllRequested();
    void databaseError(const QString& message);

private:
    void reloadSavedCases();

    engine::CaseSession& session_;
    kb::Query& query_;
    QToolButton* clearAllButton_;
    QComboBox* savedCasesCombo_;
    QToolButton* deleteParallelAnalysisButton_;
    QComboBox* parallelAnalysesCombo_;
};

} // namespace vardelo::panels
