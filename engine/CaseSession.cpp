#include "engine/CaseSession.h"

#include "engine/QueryCondition.h"

namespace vardelo::engine {

CaseSession::CaseSession(kb::Query& query)
    : evaluator_(query)
{}

QString CaseSession::queryCondition(QStringList* scList, const QStringList* ecList)
{
    // The repair always works on the case's own formula, whatever list is evaluated.
    if (model::Corrige_SC(state.SCList) == model::Repair::DeletedWithWarning && showMessage)
        showMessage(model::FormulationWarning);
    if (showFormula)
        showFormula();
    return engine::buildQueryCondition(scList ? *scList : state.SCList, ecList ? *ecList : state.EC_List,
                                       state.PatientSex, state.PatientAgeBand);
}

std::optional<EvaluationResult> CaseSession::evaluate(engine::EvaluationMode mode, const QString& formule,
                                                      const QString& pathologie)
{
    if (!welcomeAccepted)
        return std::nullopt;
    if (keepRetained == 0)
        retainedDiagnosis.clear();
    EvaluationOptions options;
    options.sortMode = sortMode;
    options.learningList = &learningList;
    options.cipherKey = cipherKey;
    EvaluationResult result = evaluator_.evaluate(state, mode, formule, pathologie, options);
    if (!result.failed)
        keepRetained = 0;
    return result;
}

} // namespace vardelo::engine
