#pragma once
// The case and everything an evaluation reads besides it: the learning lines, the scoring mode, the
// retained diagnosis with its keep flag, and whether the welcome message was confirmed. The main
// window and the command-line tool both go through it, so that they evaluate the same way.

#include "case/CaseModel.h"
#include "engine/Evaluation.h"

#include <functional>

namespace vardelo::engine {

class CaseSession {
public:
    explicit CaseSession(kb::Query& query);

    model::CaseState state;
    QStringList learningList;
    SortMode sortMode = SortMode::Prevalence;
    QString retainedDiagnosis; // the text of the retained-diagnosis field
    int keepRetained = 0;      // its keep flag: 1 lets one evaluation keep the field
    bool welcomeAccepted = false;
    QString cipherKey; // the knowledge-base key: empty

    // Shown when the repair of the formula removed a parenthesis it must warn about.
    std::function<void(const QString&)> showMessage;
    // Redraws the formula display, between the repair and the building of the condition.
    std::function<void()> showFormula;

    // Repairs the case's formula once, then builds the condition for the given lists (the case's
    // own when null). A leading "and" of the sign list used is deleted from it.
    QString queryCondition(QStringList* scList = nullptr, const QStringList* ecList = nullptr);

    // Runs the evaluation. Returns nothing when the welcome was not confirmed (nothing changes then).
    std::optional<EvaluationResult> evaluate(engine::EvaluationMode mode, const QString& formule,
                                             const QString& pathologie);

    Evaluator& evaluator() { return evaluator_; }

private:
    Evaluator evaluator_;
};

} // namespace vardelo::engine
