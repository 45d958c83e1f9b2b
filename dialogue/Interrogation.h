#pragma once
// The interrogation: the program leads the questioning. It takes the leading hypothesis of the
// diagnosis list, asks about the first of its signs the case does not mention yet, and after each
// answer starts again from the new order of the list. This class decides what comes next; the
// window asks the questions and enters the answers, and the command-line tool prints the decision.

#include "case/CaseModel.h"
#include "engine/Evaluation.h"
#include "kb/Query.h"

#include <QSet>
#include <QString>
#include <QStringList>

namespace vardelo::dialogue {

enum class NextStep {
    NoDiagnosis,     // the list is empty: nothing to ask about
    SingleDiagnosis, // one diagnosis is left: the physician says whether to go on
    Ask,             // ask about sign for hypothesis
    SingleDone,      // one diagnosis, all its signs asked
    AllAsked,        // several diagnoses, no sign left to ask about
};

struct Decision {
    NextStep step;
    QString hypothesis;
    QString sign;
};

class Interrogation {
public:
    Interrogation(kb::Query& query, engine::Evaluator& evaluator);

    // A new interrogation: no rejected hypothesis, the cursor on the first row.
    void start();

    // What comes next for the diagnosis list rows (pathology names in the order shown) and the
    // case. With one row left the physician is asked first; continueSingle says they chose to go
    // on. A hypothesis whose signs were all asked is passed over to the next row.
    Decision next(const QStringList& rows, const model::CaseState& state, bool continueSingle = false);

    // The hypothesis under discussion is rejected: the cursor moves to the first row not rejected.
    // Rejecting the last one left is withdrawn and returns false.
    bool reject(const QString& hypothesis, const QStringList& rows);
    // After an answer was entered: the cursor goes to the first row not rejected.
    void selectHypothesis(const QStringList& rows);
    // A sign the case could not take (no offered sign has that text): never asked again.
    void passOver(const QString& sign) { passedOver_.insert(sign.toLower()); }

    int cursor() const { return cursor_; }
    const QStringList& rejected() const { return rejected_; }

    // The signs of a pathology in the order of its sign lines, less those the patient's sex or age
    // band exclude. Database errors throw kb::DbError.
    QStringList hypothesisSigns(const QString& pathology, QChar sex, const QString& ageBand);

private:
    kb::Query& query_;
    engine::Evaluator& evaluator_;
    QStringList rejected_;
    QSet<QString> passedOver_;
    int cursor_ = 0;
};

} // namespace vardelo::dialogue
