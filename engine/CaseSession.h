#pragma once
// The case under work, as one observable document: the formula of signs, the exam lines, the
// patient, the ranking mode, the retained diagnosis and what an evaluation reads besides (the
// learning lines, whether the welcome message was confirmed). Every change goes through its
// operations, and each one is signalled, so that the views redraw themselves. The main window and
// the command-line tool both use it, so that they evaluate the same way.

#include "case/CaseModel.h"
#include "engine/Evaluation.h"

#include <QObject>
#include <optional>

namespace vardelo::engine {

inline const QString AlreadyEnteredWarning = QStringLiteral("Vous avez déjà sélectionné cette entrée");
inline const QString UnnamedPatient = QStringLiteral("Sans nom");

struct Patient {
    QString name = UnnamedPatient;
    QChar sex = u'f'; // 'h' or 'f'
    QString ageBand;  // "1" under 15, "2" from 15 to 45, "3" over 45, "" unknown
    friend bool operator==(const Patient&, const Patient&) = default;
};

class CaseSession : public QObject {
    Q_OBJECT

public:
    explicit CaseSession(kb::Query& query, QObject* parent = nullptr);

    const model::CaseState& state() const { return state_; }
    const Patient& patient() const { return patient_; }
    SortMode rankingMode() const { return rankingMode_; }
    const QString& retainedDiagnosis() const { return retainedDiagnosis_; }
    bool welcomeAccepted() const { return welcomeAccepted_; }
    const QStringList& learningList() const { return learningList_; }
    // The physician's notes on the case, as an RTF document: saved with the case file and printed
    // in the report.
    const QString& notesRtf() const { return notesRtf_; }
    bool isEmpty() const { return state_.SCList.isEmpty() && state_.EC_List.isEmpty(); }

    // Nothing is evaluated before the welcome message was confirmed.
    void setWelcomeAccepted(bool accepted) { welcomeAccepted_ = accepted; }
    void setLearningList(const QStringList& lines) { learningList_ = lines; }

    // ---- Operations of the sign formula.
    // Adds an offered sign; after a sign or ")" the "and" between them is implicit. Ranks the case.
    // A sign already in the formula raises a warning instead (returns false).
    bool addSign(const QString& sign);
    // Adds "and", "not", "or" or "ignore"; refreshes the offers unless it was "ignore".
    void addOperator(const QString& op);
    // Adds "(" or ")" and ranks the case; ")" on an empty formula is discarded (returns false).
    bool addParenthesis(const QString& parenthesis);
    // Removes the last element (a sign with its "ignore"), then ranks what is left, or refreshes
    // the offers when the case became empty.
    void removeLastSign();

    // ---- Operations of the exam lines.
    // The line "exam : result" chosen in the exam entry, entered by addPendingExamLine().
    void setPendingExamLine(const QString& line);
    // Enters the pending line after "and" (or after a pending "not") and ranks the case. A line
    // already entered raises a warning; a line no evoked pathology has is not entered but
    // signalled, as it may open a parallel analysis.
    bool addPendingExamLine(); // true when the line was entered
    // Adds "not" before the next line (never two operators in a row).
    void negateNextExamLine();
    // Removes the last line with its operator, then ranks or refreshes as removeLastSign().
    void removeLastExamLine();

    // ---- The rest of the case.
    void setPatient(const Patient& patient);
    // Changes the ranking and ranks the case again when it holds anything.
    void setRankingMode(SortMode mode);
    void setRetainedDiagnosis(const QString& name);
    void setNotesRtf(const QString& rtf);
    // Lets the next completed evaluation keep the retained diagnosis (it clears it otherwise).
    void keepRetainedDiagnosisOnce(bool keep = true) { keepRetained_ = keep; }
    bool keepsRetainedDiagnosis() const { return keepRetained_; }
    // Empties the formula, the exam lines, the retained diagnosis and the notes, then refreshes the
    // offers.
    void clear();
    // Loads a formula and exam lines made elsewhere (a command line, a saved case).
    void setFormula(const QStringList& formula);
    void setExamLines(const QStringList& lines);

    // ---- Evaluation.
    // Repairs the case's formula once, then builds the condition for the given lists (the case's
    // own when null). A leading "and" of the sign list used is deleted from it.
    QString queryCondition(QStringList* signs = nullptr, const QStringList* exams = nullptr);
    // Runs the evaluation. Returns nothing when the welcome was not confirmed (nothing changes then).
    std::optional<EvaluationResult> evaluate(EvaluationMode mode, const QString& condition,
                                             const QString& pathology = QString());
    // evaluate() on the case's own condition.
    std::optional<EvaluationResult> evaluateCase(EvaluationMode mode);

    // Why the pathology of that name is in the ranking (or not): the case's findings it explains,
    // with their weights, and those it does not. Nothing when the knowledge has no such pathology.
    std::optional<FindingReasons> reasons(const QString& pathology);

    Evaluator& evaluator() { return evaluator_; }

signals:
    void formulaChanged();
    void examsChanged();
    void patientChanged();
    void rankingModeChanged();
    void retainedDiagnosisChanged();
    void notesChanged();
    // A completed evaluation (failed or not); the offered lists of state() are refilled.
    void evaluated(const vardelo::engine::EvaluationResult& result);
    // The case was emptied: the views drop what was typed and not entered.
    void cleared();
    // A line that none of the evoked pathologies has was to be entered.
    void examLineOutsideOffers(const QString& line);
    // A message for the physician raised by an operation.
    void warning(const QString& text);

private:
    // Evaluates the prefixes of the formula, longest first, until one can be queried.
    void refreshOffersAfterSignRemoval();
    void refreshOffersAfterExamRemoval();
    // Ranks the case when it holds anything, otherwise refreshes the offers.
    void rankOrRefresh();
    // Evaluates in the given mode; true when the evaluation ran and failed.
    bool evaluationFailed(EvaluationMode mode, QStringList* signs = nullptr,
                          const QStringList* exams = nullptr);

    model::CaseState state_;
    Patient patient_;
    SortMode rankingMode_ = SortMode::Prevalence;
    QString retainedDiagnosis_;
    QString notesRtf_;
    bool keepRetained_ = false;
    bool welcomeAccepted_ = false;
    QStringList learningList_;
    QString cipherKey_; // the knowledge-base key: empty
    Evaluator evaluator_;
};

} // namespace vardelo::engine
