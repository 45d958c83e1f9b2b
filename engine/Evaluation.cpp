#include "engine/Evaluation.h"

#include "case/KbLines.h"
#include "case/TextCompare.h"
#include "engine/MemoryEvaluator.h"
#include "engine/ScoreArithmetic.h"
#include "kb/Cipher.h"
#include "kb/Schema.h"
#include "kb/VersionArea.h"
#include "platform/TextFile.h"

#include <algorithm>
#include <limits>
#include <stdexcept>

namespace vardelo::engine {

QString diagnosesHeader(qsizetype count)
{
    if (count == 0)
        return QStringLiteral("Pas de diagnostic !");
    if (count == 1)
        return QStringLiteral("1   Diagnostic évoqué");
    return QString::number(count) + QStringLiteral("   ") + CaptionDiagnoses;
}

using namespace model;

namespace {

// Any failure inside the guarded evaluation: the caller shows an emptied list, no message. Its text,
// in French, says why (the command-line tool prints it).
struct EvaluationFailure : std::runtime_error {
    explicit EvaluationFailure(const QString& reason)
        : std::runtime_error(reason.toStdString())
    {}
};

qint64 toInteger(const QString& text)
{
    bool ok = false;
    const qint64 value = text.trimmed().toLongLong(&ok);
    if (!ok)
        throw EvaluationFailure(QStringLiteral("la prévalence « %1 » n'est pas un nombre entier").arg(text));
    return value;
}

int joinedLength(const QStringList& lines)
{
    int length = 0;
    for (const QString& line : lines)
        length += int(line.size()) + 2;
    return length;
}

// The learning bonuses of (pathology, sign) pairs: the lines are read in triples, but every
// position is tested, as a sliding window over the list.
class LearningBonuses {
public:
    explicit LearningBonuses(const QStringList* lines)
    {
        if (!lines || lines->size() <= 2)
            return;
        for (qsizetype u = 1; u + 1 < lines->size(); ++u) {
            const Key key{lines->at(u - 1), lines->at(u)};
            bool ok = false;
            const qint64 value = lines->at(u + 1).trimmed().toLongLong(&ok);
            if (!ok)
                invalid_.insert(key);
            else
                sums_[key] = saturatingAdd(sums_.value(key, 0), value);
        }
    }
    qint64 bonus(const QString& pathology, const QString& sign) const
    {
        if (sums_.isEmpty() && invalid_.isEmpty())
            return 0;
        const Key key{pathology, sign};
        if (invalid_.contains(key))
            throw EvaluationFailure(
                QStringLiteral("une fiabilité du fichier d'apprentissage n'est pas un nombre entier (%1, %2)")
                    .arg(pathology, sign));
        return sums_.value(key, 0);
    }

private:
    using Key = std::pair<QString, QString>;
    QHash<Key, qint64> sums_;
    QSet<Key> invalid_;
};

// Entree for every sign of the formula at once: the polarity of its first occurrence.
QHash<QString, int> polarities(const QStringList& scList)
{
    QHash<QString, int> result;
    for (const QString& e : scList) {
        const QString key = caseKey(e);
        if (!result.contains(key))
            result.insert(key, Entree(scList, e));
    }
    return result;
}

QString pageCaption(const QString& caption, qsizetype count, bool marked)
{
    return caption + QStringLiteral(" (") + QString::number(count) + u')' +
           (marked ? QStringLiteral(" *") : QString());
}

} // namespace

Evaluator::Evaluator(kb::Query& query)
    : query_(query)
    , memory_(std::make_unique<MemoryEvaluator>(query.connection()))
{}

Evaluator::~Evaluator() = default;

void Evaluator::prepare()
{
    if (path_ == EvaluationPath::InMemory)
        memory_->prepare();
}

void Evaluator::checkStamp()
{
    useStamp(kb::knowledgeStamp(query_.connection()));
}

void Evaluator::useStamp(const QString& stamp)
{
    if (stamp != stamp_) {
        pathologies_.clear();
        loaded_ = false;
        withheld_.clear();
        emergencies_.clear();
        emergenciesLoaded_ = false;
        stamp_ = stamp;
    }
}

void Evaluator::loadPathologies(const QString& cipherKey)
{
    pathologies_.clear();
    query_.close();
    // The same texts recur in hundreds of pathologies: one shared copy of each.
    QSet<QString> texts;
    auto shared = [&texts](const QString& text) {
        const auto it = texts.constFind(text);
        return it != texts.constEnd() ? *it : *texts.insert(text);
    };
    kb::Statement rows(query_.connection(), QStringLiteral("select _rowid_, P, F, S, E from Data"));
    while (rows.step()) {
        Pathology p;
        p.name = rows.text(1);
        p.prevalence = rows.text(2);
        const QStringList signLines = platform::splitLines(kb::CipherText(0, 1, cipherKey, rows.text(3)));
        const QStringList examLines = platform::splitLines(rows.text(4));
        for (const QString& line : signLines) {
            const QString text = shared(GetSC(line));
            p.signTexts.append(text);
            p.signKeys.append(shared(caseKey(text)));
            bool ok = true;
            const int weight = Get_P(line, &ok);
            p.weights.push_back(ok ? std::optional<int>(weight) : std::nullopt);
        }
        for (const QString& line : examLines) {
            const QString text = shared(GetSC(line));
            p.examTexts.append(text);
            p.examKeys.append(shared(caseKey(text)));
        }
        if (!cipherKey.isEmpty()) {
            for (const QString& line : platform::splitLines(kb::CipherText(0, 1, cipherKey, rows.text(4)))) {
                const QString text = shared(GetSC(line));
                p.decipheredExamTexts.append(text);
                p.decipheredExamKeys.append(shared(caseKey(text)));
            }
        }
        p.signLength = joinedLength(signLines);
        p.examLength = joinedLength(examLines);
        pathologies_.insert(rows.integer(0), std::move(p));
    }
    cachedKey_ = cipherKey;
    loaded_ = true;
}

void Evaluator::markEmergencies(EvaluationResult& result)
{
    if (!emergenciesLoaded_) {
        // A file made before the flag existed has no table: no row is marked.
        if (kb::hasTable(query_.connection(), QStringLiteral("Emergency"))) {
            kb::Statement flagged(query_.connection(), QStringLiteral("select P from Emergency"));
            while (flagged.step())
                emergencies_.insert(flagged.text(0));
        }
        emergenciesLoaded_ = true;
    }
    for (DiagnosisRow& row : result.rows)
        row.emergency = emergencies_.contains(row.name);
}

const Evaluator::Pathology& Evaluator::pathology(qint64 rowId, const QString& cipherKey)
{
    if (!loaded_ || cachedKey_ != cipherKey)
        loadPathologies(cipherKey);
    const auto it = pathologies_.constFind(rowId);
    if (it == pathologies_.constEnd())
        throw EvaluationFailure(QStringLiteral("une pathologie est introuvable dans la base"));
    return it.value();
}

void Evaluator::Filtre_Sexe_Age(SortedList& list, QChar patientSex, const QString& patientAgeBand,
                                const QString& cipherKey)
{
    checkStamp();
    const QString otherSex = patientSex == u'f' ? QStringLiteral("h") : QStringLiteral("f");
    const QString cacheKey = otherSex + u'|' + patientAgeBand + u'|' + cipherKey;
    auto it = withheld_.find(cacheKey);
    if (it == withheld_.end()) {
        // An empty restriction never withholds a sign; a restricted one is withheld when it is
        // reserved to the other sex or its band does not contain the patient's.
        query_.open(
            QStringLiteral("select * from SC where (X <> '' and X = ?) or (A <> '' and A not like ?)"),
            {otherSex, u'%' + patientAgeBand + u'%'});
        QStringList texts;
        for (; !query_.eof(); query_.next())
            texts.append(kb::CipherText(1, 0, cipherKey, query_.field(QStringLiteral("S"))));
        it = withheld_.insert(cacheKey, texts);
    }
    for (const QString& text : std::as_const(it.value()))
        list.remove(text);
}

EvaluationResult Evaluator::evaluate(CaseState& state, EvaluationMode mode, const QString& formule,
                                     const QString& pathologie, const EvaluationOptions& options)
{
    if (options.sortMode == SortMode::Concordance) {
        // Only the in-memory index answers this ranking; the SQL path stays the yardstick of the
        // two others.
        std::optional<EvaluationResult> result = memory_->evaluateConcordance(state, mode, options);
        if (!result) {
            result.emplace();
            result->failed = true;
            result->reason = QStringLiteral("le tri par concordance ne peut pas lire cette base en mémoire");
            result->header = CaptionDiagnoses;
            return std::move(*result);
        }
        ++answeredInMemory_;
        useStamp(memory_->stamp());
        markEmergencies(*result);
        return std::move(*result);
    }
    if (path_ == EvaluationPath::InMemory) {
        if (std::optional<EvaluationResult> result =
                memory_->evaluate(state, mode, formule, pathologie, options)) {
            ++answeredInMemory_;
            useStamp(memory_->stamp());
            markEmergencies(*result);
            return std::move(*result);
        }
    }
    ++answeredWithSql_;
    return evaluateWithSql(state, mode, formule, pathologie, options);
}

std::optional<FindingReasons> Evaluator::reasons(const CaseState& state, const QString& pathology,
                                                 const EvaluationOptions& options)
{
    return memory_->reasons(state, pathology, options);
}

EvaluationResult Evaluator::evaluateWithSql(CaseState& state, EvaluationMode mode, const QString& formule,
                                            const QString& pathologie, const EvaluationOptions& options)
{
    state.CandidateSigns.clear();
    state.CandidateExams.clear();
    state.CandidateExamLines.clear();

    EvaluationResult result;
    std::vector<std::pair<qint64, QString>> scored; // score and name, in query order
    try {
        checkStamp();
        const QString condition = pathologie.isEmpty() ? formule : pathologie;
        const QString sql = state.SCList.isEmpty()
                                ? QStringLiteral("select _rowid_ as id from Data where") + condition +
                                      QStringLiteral(" ORDER BY F DESC, rowid")
                                : QStringLiteral("select _rowid_ as id from Data where ") + condition +
                                      QStringLiteral(" ORDER BY F DESC, rowid");
        query_.open(sql);
        std::vector<qint64> rowIds;
        rowIds.reserve(size_t(query_.recordCount()));
        for (; !query_.eof(); query_.next())
            rowIds.push_back(query_.field(QStringLiteral("id")).toLongLong());
        query_.close();

        if (mode == EvaluationMode::Rank) {
            const qsizetype count = qsizetype(rowIds.size());
            result.header = diagnosesHeader(count);

            const bool probability = options.sortMode == SortMode::Probability;
            const LearningBonuses learning(options.learningList);
            const QHash<QString, int> polarity = polarities(state.SCList);
            for (const qint64 rowId : rowIds) {
                const Pathology& p = pathology(rowId, options.cipherKey);
                result.progressMaximum = int(scored.size()) + 1;
                result.progressPosition = 1;
                qint64 score = toInteger(p.prevalence);
                qint64 sum = 0;
                for (const QString& x : std::as_const(state.SCList)) {
                    if (isSignToken(x))
                        continue;
                    if (p.signLength == 0)
                        throw EvaluationFailure(
                            QStringLiteral("la pathologie « %1 » n'a aucun signe").arg(p.name));
                    sum += (qint64(GetSC(x).size()) * 100) / p.signLength;
                }
                if (probability && sum != 0)
                    score = saturatingMultiply(score, sum);
                for (qsizetype i = 0; i < p.signTexts.size(); ++i) {
                    const QString& sign = p.signTexts.at(i);
                    const qint64 bonus = learning.bonus(p.name, sign);
                    state.CandidateSigns.add(p.signKeys.at(i), sign);
                    if (polarity.value(p.signKeys.at(i), -1) == 1) {
                        if (!p.weights[size_t(i)])
                            throw EvaluationFailure(
                                QStringLiteral("un poids de signe de « %1 » n'est pas un nombre entier")
                                    .arg(p.name));
                        score = saturatingAdd(score, saturatingAdd(*p.weights[size_t(i)], bonus));
                    }
                }
                for (qsizetype i = 0; i < p.examTexts.size(); ++i)
                    state.CandidateExamLines.add(p.examKeys.at(i), p.examTexts.at(i));
                qint64 sum2 = 0;
                for (const QString& y : std::as_const(state.EC_List)) {
                    if (isExamOperator(y))
                        continue;
                    if (p.examLength == 0)
                        throw EvaluationFailure(
                            QStringLiteral("la pathologie « %1 » n'a aucune ligne d'examen").arg(p.name));
                    sum2 += (qint64(GetSC(y).size()) * 100) / p.examLength;
                }
                if (probability && sum2 != 0)
                    score = saturatingMultiply(score, sum2);
                scored.emplace_back(score, p.name);
            }
            // Descending on the score; rows with equal scores keep their query order.
            std::stable_sort(scored.begin(), scored.end(),
                             [](const auto& a, const auto& b) { return a.first > b.first; });
            if (!scored.empty()) {
                const qint64 top = scored.front().first;
                result.rows.push_back({QStringLiteral("99"), scored.front().second});
                for (size_t i = 1; i < scored.size(); ++i) {
                    if (top == 0)
                        throw EvaluationFailure(QStringLiteral("le meilleur score est nul"));
                    result.rows.push_back(
                        {QString::number(saturatingMultiply(scored[i].first, 99) / top), scored[i].second});
                }
            }
        } else {
            result.header = CaptionDiagnoses;
            result.progressPosition = 0;
            for (const qint64 rowId : rowIds) {
                const Pathology& p = pathology(rowId, options.cipherKey);
                for (qsizetype i = 0; i < p.signTexts.size(); ++i)
                    state.CandidateSigns.add(p.signKeys.at(i), p.signTexts.at(i));
                const bool deciphered = !options.cipherKey.isEmpty();
                const QStringList& examTexts = deciphered ? p.decipheredExamTexts : p.examTexts;
                const QStringList& examKeys = deciphered ? p.decipheredExamKeys : p.examKeys;
                for (qsizetype i = 0; i < examTexts.size(); ++i)
                    state.CandidateExamLines.add(examKeys.at(i), examTexts.at(i));
            }
        }

        for (const QString& e : std::as_const(state.SCList))
            state.CandidateSigns.remove(e);
        for (const QString& e : std::as_const(state.EC_List))
            state.CandidateExamLines.remove(e);
        for (const QString& line : state.CandidateExamLines.lines())
            state.CandidateExams.add(GetEC(line));
        state.CandidateExams.remove(u"0");
        Filtre_Sexe_Age(state.CandidateSigns, state.PatientSex, state.PatientAgeBand, options.cipherKey);

        const bool hasRows = !result.rows.empty();
        result.signsPageCaption =
            pageCaption(CaptionSigns, state.CandidateSigns.size(), !state.SCList.isEmpty() && hasRows);
        result.examsPageCaption =
            pageCaption(CaptionExams, state.CandidateExams.size(), !state.EC_List.isEmpty() && hasRows);
        markEmergencies(result);
        return result;
    } catch (const std::exception& e) {
        query_.close();
        EvaluationResult failure;
        failure.failed = true;
        if (dynamic_cast<const EvaluationFailure*>(&e))
            failure.reason = QString::fromStdString(e.what());
        else if (dynamic_cast<const kb::DbError*>(&e))
            failure.reason = QStringLiteral("la formule est incomplète ou mal formée (erreur %1 de la base)")
                                 .arg(static_cast<const kb::DbError&>(e).code());
        else
            failure.reason = QStringLiteral("erreur interne de l'évaluation");
        failure.header = CaptionDiagnoses;
        failure.progressMaximum = result.progressMaximum;
        failure.progressPosition = result.progressPosition;
        return failure;
    }
}

} // namespace vardelo::engine
