#pragma once
// The diagnosis evaluation answered from memory. The knowledge is read once into a compact index:
// the pathologies in the order of the diagnosis query, their sign and exam lines as numbers, and
// for each searched column the distinct lines it holds, case-folded. The condition text is parsed
// into an expression over sets of pathologies, and each distinct LIKE pattern is answered once, as
// the set of pathologies it matches, until the knowledge stamp of the file changes.
//
// The results are those of running the condition through the database, row for row. Whatever this
// evaluator cannot answer with that certainty (a condition outside the forms it knows, a failing
// evaluation, knowledge values the program never writes) it leaves to the SQL path, which then
// answers exactly as it always did.

#include "case/CaseModel.h"
#include "engine/Evaluation.h"
#include "kb/Sqlite.h"

#include <memory>
#include <optional>

namespace vardelo::engine {

class MemoryEvaluator {
public:
    explicit MemoryEvaluator(kb::Connection& connection);
    ~MemoryEvaluator();
    MemoryEvaluator(const MemoryEvaluator&) = delete;
    MemoryEvaluator& operator=(const MemoryEvaluator&) = delete;

    // The evaluation of Evaluator::evaluate, or nothing when the SQL path must answer; the case is
    // changed only when a result is returned.
    std::optional<EvaluationResult> evaluate(model::CaseState& state, EvaluationMode mode,
                                             const QString& formule, const QString& pathologie,
                                             const EvaluationOptions& options);

    // The ranking by concordance (Rank), or the offers it leaves (RefreshOffers): nothing filters
    // on the findings, so every sign and exam line of the pathologies that suit the patient stays
    // on offer. Nothing when the knowledge cannot be read into memory.
    std::optional<EvaluationResult> evaluateConcordance(model::CaseState& state, EvaluationMode mode,
                                                        const EvaluationOptions& options);
    // Why the pathology of that name explains or not the case's findings; see FindingReasons.
    std::optional<FindingReasons> reasons(const model::CaseState& state, const QString& pathology,
                                          const EvaluationOptions& options);

    // Reads the knowledge into memory now unless it is already there for the file's current
    // knowledge stamp, so that the first evaluation does not pay for it.
    void prepare();

    // Writes the index of the file's knowledge into the file (table "EvaluationIndex"), tagged with
    // its knowledge hash, so that the program starts without reading and splitting the knowledge.
    // The knowledge compiler writes it with the knowledge; a file without it, or with one of other
    // knowledge, is indexed when first evaluated.
    static void storeIndex(kb::Connection& connection);
    // The knowledge stamp of the index last used; empty before the first evaluation.
    QString stamp() const;
    // Whether the file holds an index for its current knowledge.
    static bool hasStoredIndex(kb::Connection& connection);

    struct Index;
    class Concordance;

private:
    const Index& index();

    kb::Connection& connection_;
    std::unique_ptr<Index> index_;
};

} // namespace vardelo::engine
