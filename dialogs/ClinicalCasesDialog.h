#pragma once
// Training on the knowledge base: series of random clinical cases (a patient, the signs and exams of
// a pathology that suits them) to diagnose, and the history of the finished series' scores.
// It only reads the knowledge and writes the table Score; the case under work is left alone.

#include "training/ClinicalCases.h"

#include <QDialog>
#include <functional>

class QLabel;
class QLineEdit;
class QListWidget;
class QComboBox;
class QTabWidget;
class QToolButton;
class QPushButton;

namespace vardelo::kb {
class Query;
}
namespace vardelo::widgets {
class SortableListWidget;
}

namespace vardelo::dialogs {

class ClinicalCasesDialog : public QDialog {
    Q_OBJECT

public:
    // How the dialog speaks to the physician: a Yes/No question (true for Yes) and an error.
    struct Messages {
        std::function<bool(const QString&)> confirm;
        std::function<void(const QString&)> error;
    };

    // random: the program's generator, which keeps running from one opening to the next.
    ClinicalCasesDialog(kb::Query& query, training::RandomEngine& random, Messages messages,
                        QWidget* parent = nullptr);

    const training::Series& series() const { return series_; }

    // A header click of the history: ascending first, descending on the next click of the same
    // column.
    void sortScores(int column);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void clearCase();
    void restartSeries();
    void onLengthChanged();
    void drawNextCase();
    void showCase(const training::ClinicalCase& drawn);
    void searchAnswer(const QString& text);
    void checkAnswer();
    void finishSeries();
    void listScores();
    void clearHistory();
    void showProgress();

    kb::Query& query_;
    training::RandomEngine& random_;
    Messages messages_;
    training::Series series_;

    QTabWidget* tabs_;
    QWidget* casePage_;
    QWidget* scoresPage_;
    QLineEdit* patientEdit_;
    QLabel* associatedHeader_;
    QListWidget* associatedList_;
    QTabWidget* pathologyTabs_;
    QListWidget* signsList_;
    QListWidget* examsList_;
    QLineEdit* answerEdit_;
    QComboBox* answerCombo_;
    QLineEdit* solutionEdit_;
    QLineEdit* lengthEdit_;
    QLabel* progressLabel_;
    QToolButton* nextCaseButton_;
    QToolButton* restartButton_;
    QToolButton* checkButton_;
    widgets::SortableListWidget* scoresList_;
    QPushButton* clearHistoryButton_;
};

} // namespace vardelo::dialogs
