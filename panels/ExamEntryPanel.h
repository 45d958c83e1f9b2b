#pragma once
// The exams page: the entry of exam results, each line "exam : result", and the list they make.

#include <QWidget>

class QComboBox;
class QKeyEvent;
class QLabel;
class QTextEdit;
class QToolButton;

namespace vardelo::engine {
class CaseSession;
struct EvaluationResult;
} // namespace vardelo::engine

namespace vardelo::widgets {
class EntryCombo;
}

namespace vardelo::panels {

class ExamEntryPanel : public QWidget {
    Q_OBJECT

public:
    explicit ExamEntryPanel(engine::CaseSession& session, QWidget* parent = nullptr);

    // Empties the entry and puts the focus in it.
    void startEntry();
    void focusEntry();
    // "not" before the next line; a chosen exam and result are entered at once.
    void negateNextLine();
    // Enters an exam line found by the exam search, as the validation of a chosen exam and result.
    void enterFoundLine(const QString& line);
    // Shows the offered exams' list.
    void openExamList();
    // Puts an exam line "exam : result" into the entry, exam and result chosen where they are
    // offered, without validating it.
    void proposeExamLine(const QString& line);

signals:
    // Escape in the entry: the physician wants an empty case.
    void clearAllRequested();
    // The search button: the physician describes the exam in their own words.
    void examSearchRequested();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void onExamChosen();
    void onResultChosen();
    void addExamLine();
    void removeLastExamLine();
    bool handleEntryKey(QKeyEvent* event);
    // The exam box never keeps free text.
    void dropFreeText();
    void showExams();
    void showOffers(const engine::EvaluationResult& result);
    void onCleared();

    engine::CaseSession& session_;
    QLabel* examLabel_;
    QLabel* resultLabel_;
    widgets::EntryCombo* entry_;
    QComboBox* examResultCombo_;
    QToolButton* addExamButton_;
    QToolButton* removeLastExamButton_;
    QToolButton* examNotButton_;
    QToolButton* examSearchButton_;
    QTextEdit* examLinesView_;
};

} // namespace vardelo::panels
