#include "engine/CaseSession.h"

#include "case/TextCompare.h"
#include "engine/QueryCondition.h"

#include <algorithm>

namespace vardelo::engine {

using namespace model;

CaseSession::CaseSession(kb::Query& query, QObject* parent)
    : QObject(parent)
    , evaluator_(query)
{}

bool CaseSession::addSign(const QString& sign)
{
    if (Entree(state_.SCList, sign) >= 0) {
        emit warning(AlreadyEnteredWarning);
        return false;
    }
    QStringList& formula = state_.SCList;
    if (!formula.isEmpty() && (!isSignToken(formula.last()) || formula.last() == token::Close))
        formula.append(token::And);
    formula.append(sign);
    emit formulaChanged();
    evaluateCase(EvaluationMode::Rank);
    return true;
}

void CaseSession::addOperator(const QString& op)
{
    state_.SCList.append(op);
    emit formulaChanged();
    if (op != token::Ignore)
        evaluateCase(EvaluationMode::RefreshOffers);
}

bool CaseSession::addParenthesis(const QString& parenthesis)
{
    if (parenthesis == token::Close && state_.SCList.isEmpty())
        return false;
    state_.SCList.append(parenthesis);
    emit formulaChanged();
    evaluateCase(EvaluationMode::Rank);
    return true;
}

void CaseSession::removeLastSign()
{
    QStringList& formula = state_.SCList;
    if (formula.isEmpty())
        return;
    if (formula.size() > 1 && formula.at(formula.size() - 2) == token::Ignore)
        formula.removeLast();
    formula.removeLast();
    refreshOffersAfterSignRemoval();
    emit formulaChanged();
    rankOrRefresh();
}

void CaseSession::refreshOffersAfterSignRemoval()
{
    for (qsizetype k = state_.SCList.size() - 1; k >= 0; --k) {
        QStringList prefix = state_.SCList.mid(0, k + 1);
        if (!evaluationFailed(EvaluationMode::RefreshOffers, &prefix))
            return;
    }
    // No prefix could be queried: the offered signs of a formula holding one empty sign.
    QStringList empty{QString()};
    evaluationFailed(EvaluationMode::RefreshOffers, &empty);
}

void CaseSession::setPendingExamLine(const QString& line)
{
    state_.PendingExamLine = line;
}

bool CaseSession::addPendingExamLine()
{
    const QString& line = state_.PendingExamLine;
    QStringList& lines = state_.EC_List;
    if (std::any_of(lines.begin(), lines.end(), [&line](const QString& e) { return sameText(e, line); })) {
        emit warning(AlreadyEnteredWarning);
        return false;
    }
    // A line outside the evoked pathologies will open a parallel analysis; until then it is not entered.
    if (!state_.CandidateExamLines.contains(line)) {
        if (!line.isEmpty())
            emit examLineOutsideOffers(QString(line));
        return false;
    }
    if (lines.isEmpty() || !isExamOperator(lines.last()))
        lines.append(token::And);
    lines.append(line);
    emit examsChanged();
    evaluateCase(EvaluationMode::Rank);
    return true;
}

void CaseSession::negateNextExamLine()
{
    state_.EC_List.append(token::Not);
    Corrige_EC(state_.EC_List);
    emit examsChanged();
}

void CaseSession::removeLastExamLine()
{
    if (state_.EC_List.isEmpty())
        return;
    for (int i = 0; i < 2; ++i) {
        if (!state_.EC_List.isEmpty()) {
            state_.EC_List.removeLast();
            refreshOffersAfterExamRemoval();
        }
    }
    emit examsChanged();
    rankOrRefresh();
}

void CaseSession::refreshOffersAfterExamRemoval()
{
    QStringList& lines = state_.EC_List;
    if (lines.size() == 1 && isExamOperator(lines.first())) {
        lines.clear();
        emit examsChanged();
        const QStringList none;
        evaluationFailed(EvaluationMode::RefreshOffers, nullptr, &none);
        return;
    }
    for (qsizetype k = lines.size() - 1; k >= 0; --k) {
        const QStringList prefix = lines.mid(0, k + 1);
        if (!evaluationFailed(EvaluationMode::RefreshOffers, nullptr, &prefix))
            return;
    }
}

void CaseSession::rankOrRefresh()
{
    evaluateCase(isEmpty() ? EvaluationMode::RefreshOffers : EvaluationMode::Rank);
}

void CaseSession::setPatient(const Patient& patient)
{
    patient_ = patient;
    state_.PatientSex = patient.sex;
    state_.PatientAgeBand = patient.ageBand;
    emit patientChanged();
}

void CaseSession::setRankingMode(SortMode mode)
{
    rankingMode_ = mode;
    emit rankingModeChanged();
    if (!isEmpty())
        evaluateCase(EvaluationMode::Rank);
}

void CaseSession::setRetainedDiagnosis(const QString& name)
{
    if (retainedDiagnosis_ == name)
        return;
    retainedDiagnosis_ = name;
    emit retainedDiagnosisChanged();
}

void CaseSession::setNotesRtf(const QString& rtf)
{
    if (notesRtf_ == rtf)
        return;
    notesRtf_ = rtf;
    emit notesChanged();
}

void CaseSession::clear()
{
    state_.SCList.clear();
    state_.EC_List.clear();
    state_.PendingExamLine.clear();
    keepRetained_ = false;
    emit formulaChanged();
    emit examsChanged();
    setRetainedDiagnosis(QString());
    setNotesRtf(QString());
    emit cleared();
    evaluateCase(EvaluationMode::RefreshOffers);
}

void CaseSession::setFormula(const QStringList& formula)
{
    state_.SCList = formula;
    emit formulaChanged();
}

void CaseSession::setExamLines(const QStringList& lines)
{
    state_.EC_List = lines;
    emit examsChanged();
}

QString CaseSession::queryCondition(QStringList* signs, const QStringList* exams)
{
    // The repair always works on the case's own formula, whatever list is evaluated.
    if (Corrige_SC(state_.SCList) == Repair::DeletedWithWarning)
        emit warning(FormulationWarning);
    emit formulaChanged();
    return buildQueryCondition(signs ? *signs : state_.SCList, exams ? *exams : state_.EC_List,
                               state_.PatientSex, state_.PatientAgeBand);
}

std::optional<EvaluationResult> CaseSession::evaluate(EvaluationMode mode, const QString& condition,
                                                      const QString& pathology)
{
    if (!welcomeAccepted_)
        return std::nullopt;
    if (!keepRetained_)
        setRetainedDiagnosis(QString());
    EvaluationOptions options;
    options.sortMode = rankingMode_;
    options.learningList = &learningList_;
    options.cipherKey = cipherKey_;
    EvaluationResult result = evaluator_.evaluate(state_, mode, condition, pathology, options);
    if (!result.failed)
        keepRetained_ = false;
    emit evaluated(result);
    return result;
}

std::optional<FindingReasons> CaseSession::reasons(const QString& pathology)
{
    EvaluationOptions options;
    options.sortMode = rankingMode_;
    options.learningList = &learningList_;
    options.cipherKey = cipherKey_;
    return evaluator_.reasons(state_, pathology, options);
}

std::optional<EvaluationResult> CaseSession::evaluateCase(EvaluationMode mode)
{
    const QString condition = queryCondition();
    return evaluate(mode, condition);
}

bool CaseSession::evaluationFailed(EvaluationMode mode, QStringList* signs, const QStringList* exams)
{
    const QString condition = queryCondition(signs, exams);
    const std::optional<EvaluationResult> result = evaluate(mode, condition);
    return result && result->failed;
}

} // namespace vardelo::engine
