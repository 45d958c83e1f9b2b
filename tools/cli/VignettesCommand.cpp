// vardelo-cli vignettes: clinical vignettes run the way a physician works with the program. Each
// finding, typed in plain French, goes through sign recognition; the first candidate that the
// sign entry still offers is validated (the others would leave the current differential); then
// the case is evaluated and the rank of the expected diagnosis noted.

#include "engine/CaseSession.h"
#include "kb/KnowledgeFile.h"
#include "kb/Query.h"
#include "recognition/Recognition.h"
#include "tools/cli/CaseJson.h"
#include "tools/cli/Cli.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cmath>
#include <map>
#include <optional>

namespace vardelo::cli {

namespace {

struct Outcome {
    int rank = 0; // 1-based; 0 when the expected diagnosis is not listed
    QStringList validated;
    QStringList unrecognised;
    QStringList outside; // recognised, but not offered any more
};

Outcome run(engine::CaseSession& session, kb::Query& query, const QJsonObject& vignette)
{
    Outcome outcome;
    session.setFormula({});
    session.setExamLines({});
    session.setPendingExamLine(QString());
    session.setPatient({engine::UnnamedPatient,
                        vignette.value(QStringLiteral("sex")).toString(QStringLiteral("f")).at(0),
                        vignette.value(QStringLiteral("age")).toString()});
    session.setRetainedDiagnosis(QString());
    session.keepRetainedDiagnosisOnce(false);
    session.evaluateCase(engine::EvaluationMode::RefreshOffers);
    const model::CaseState& state = session.state();
    for (const QJsonValue& finding : vignette.value(QStringLiteral("findings")).toArray()) {
        QString text = finding.toString();
        bool absent = text.startsWith(u'-');
        if (absent)
            text = text.mid(1).trimmed();
        const recognition::Recognized found =
            recognition::Recognize(query, QStringLiteral("SC"), text, state.PatientSex, state.PatientAgeBand);
        const QStringList& candidates = found.candidates;
        absent = absent != found.negated; // "-pas de fièvre" is fever
        if (candidates.isEmpty()) {
            outcome.unrecognised.append(text);
            continue;
        }
        QString chosen;
        for (const QString& candidate : candidates) {
            if (state.CandidateSigns.contains(candidate)) {
                chosen = state.CandidateSigns.lines().at(state.CandidateSigns.indexOf(candidate));
                break;
            }
        }
        if (chosen.isEmpty()) {
            outcome.outside.append(text + QStringLiteral(" → ") + candidates.first());
            continue;
        }
        QStringList formula = state.SCList;
        if (!formula.isEmpty())
            formula.append(QStringLiteral("and"));
        if (absent)
            formula.append(QStringLiteral("not"));
        formula.append(chosen);
        outcome.validated.append((absent ? QStringLiteral("not ") : QString()) + chosen);
        session.setFormula(formula);
        session.evaluateCase(engine::EvaluationMode::Rank);
    }
    for (const QJsonValue& exam : vignette.value(QStringLiteral("exams")).toArray()) {
        session.setExamLines(state.EC_List + QStringList{QStringLiteral("and"), exam.toString()});
        outcome.validated.append(exam.toString());
    }
    const auto result = session.evaluateCase(engine::EvaluationMode::Rank);
    const QString expected = vignette.value(QStringLiteral("expected")).toString();
    if (result && !result->failed) {
        for (size_t i = 0; i < result->rows.size(); ++i) {
            if (result->rows[i].name == expected) {
                outcome.rank = int(i) + 1;
                break;
            }
        }
    }
    return outcome;
}

struct Tally {
    int count = 0;
    int top1 = 0;
    int top3 = 0;
    int top10 = 0;
    void add(int rank)
    {
        ++count;
        top1 += rank == 1 ? 1 : 0;
        top3 += rank >= 1 && rank <= 3 ? 1 : 0;
        top10 += rank >= 1 && rank <= 10 ? 1 : 0;
    }
    QString percentages() const
    {
        const double n = count;
        return QStringLiteral("top-1 %1 %, top-3 %2 %, top-10 %3 %")
            .arg(100.0 * top1 / n, 0, 'f', 1)
            .arg(100.0 * top3 / n, 0, 'f', 1)
            .arg(100.0 * top10 / n, 0, 'f', 1);
    }
};

// A percentage option; absent is 0. A missing or non-numeric value is an error, never a silent 0.
std::optional<double> parseThreshold(QStringList& args, const QString& name, QString* error)
{
    const qsizetype at = args.indexOf(name);
    if (at < 0)
        return 0.0;
    bool ok = false;
    const double value = at + 1 < args.size() ? args.at(at + 1).toDouble(&ok) : 0.0;
    if (!ok || !std::isfinite(value)) {
        *error = QStringLiteral("%1 attend un pourcentage (par exemple 90)").arg(name);
        return std::nullopt;
    }
    args.remove(at, 2);
    return value;
}

int runVignettes(Context& context)
{
    QStringList args = context.args;
    const bool verbose = args.removeAll(QStringLiteral("--verbose")) > 0;
    QString thresholdError;
    const auto minTop1 = parseThreshold(args, QStringLiteral("--min-top1"), &thresholdError);
    const auto minTop3 = parseThreshold(args, QStringLiteral("--min-top3"), &thresholdError);
    const auto minTop10 = parseThreshold(args, QStringLiteral("--min-top10"), &thresholdError);
    if (!minTop1 || !minTop3 || !minTop10)
        return fail(context, thresholdError);
    engine::SortMode mode = engine::SortMode::Prevalence;
    if (const qsizetype at = args.indexOf(QStringLiteral("--mode")); at >= 0) {
        QString error = QStringLiteral("--mode attend « prevalence », « probability » ou « concordance »");
        const std::optional<engine::SortMode> chosen =
            at + 1 < args.size() ? parseSortMode(args.at(at + 1), &error) : std::nullopt;
        if (!chosen)
            return fail(context, error);
        mode = *chosen;
        args.remove(at, 2);
    }
    if (args.size() != 1 || args.first().startsWith(QStringLiteral("--")))
        return fail(context,
                    QStringLiteral("Usage : vardelo-cli [--db FICHIER] vignettes FICHIER [--verbose] "
                                   "[--mode MODE] [--min-top1 %] [--min-top3 %] [--min-top10 %]"));
    QFile file(args.first());
    if (!file.open(QIODevice::ReadOnly))
        return fail(context, QStringLiteral("Fichier de vignettes illisible : %1").arg(args.first()));
    QList<QJsonObject> vignettes;
    int lineNumber = 0;
    for (const QByteArray& line : file.readAll().split('\n')) {
        ++lineNumber;
        if (line.trimmed().isEmpty() || line.trimmed().startsWith('#'))
            continue;
        QJsonParseError error;
        const QJsonDocument document = QJsonDocument::fromJson(line, &error);
        if (!document.isObject())
            return fail(
                context,
                QStringLiteral("Ligne %1 : vignette invalide (%2)").arg(lineNumber).arg(error.errorString()));
        const QJsonValue sex = document.object().value(QStringLiteral("sex"));
        if (!sex.isUndefined() && sex.toString() != u"h" && sex.toString() != u"f")
            return fail(context, QStringLiteral("Ligne %1 : sexe invalide : « h » ou « f »").arg(lineNumber));
        vignettes.append(document.object());
    }
    if (vignettes.isEmpty())
        return fail(context, QStringLiteral("Aucune vignette dans %1").arg(args.first()));

    Tally all;
    Tally mustNotMiss;                    // the cases whose note starts with URG
    std::map<QString, Tally> bySpecialty; // the id's prefix: "S-CAR-01" and "CAR-01" are both CAR
    try {
        kb::Connection connection(context.dbPath, kb::Connection::Mode::ReadOnly);
        kb::Query query(connection);
        engine::CaseSession session(query);
        session.setWelcomeAccepted(true);
        session.setRankingMode(mode);
        for (const QJsonObject& v : std::as_const(vignettes)) {
            const Outcome o = run(session, query, v);
            all.add(o.rank);
            if (v.value(QStringLiteral("note")).toString().startsWith(QStringLiteral("URG")))
                mustNotMiss.add(o.rank);
            bySpecialty[v.value(QStringLiteral("id")).toString().section(u'-', -2, -2)].add(o.rank);
            if (verbose || o.rank == 0 || o.rank > 3) {
                context.out << v.value(QStringLiteral("id")).toString() << '\t'
                            << (o.rank > 0 ? QString::number(o.rank) : QStringLiteral("absent")) << '\t'
                            << v.value(QStringLiteral("expected")).toString()
                            << "\n    retenus : " << o.validated.join(u" | ");
                if (!o.unrecognised.isEmpty())
                    context.out << "\n    non reconnus : " << o.unrecognised.join(u" | ");
                if (!o.outside.isEmpty())
                    context.out << "\n    hors différentiel : " << o.outside.join(u" | ");
                context.out << '\n';
            }
        }
    } catch (const kb::DbError& e) {
        return fail(context, kb::fileErrorMessage(e, context.dbPath));
    }
    context.out << QStringLiteral("%1 vignettes : %2\n").arg(all.count).arg(all.percentages());
    if (mustNotMiss.count > 0)
        context.out << QStringLiteral("  urgences à ne pas manquer (%1) : %2\n")
                           .arg(mustNotMiss.count)
                           .arg(mustNotMiss.percentages());
    for (const auto& [specialty, tally] : bySpecialty)
        context.out
            << QStringLiteral("  %1 (%2) : %3\n").arg(specialty).arg(tally.count).arg(tally.percentages());
    const double n = all.count;
    const double p1 = 100.0 * all.top1 / n;
    const double p3 = 100.0 * all.top3 / n;
    const double p10 = 100.0 * all.top10 / n;
    return p1 >= *minTop1 && p3 >= *minTop3 && p10 >= *minTop10 ? ExitOk : 1;
}

const CommandRegistration
    registration("vignettes",
                 "vignettes FICHIER [--verbose] [--mode MODE] [--min-top1 %] [--min-top3 %] [--min-top10 %]",
                 runVignettes);

} // namespace

} // namespace vardelo::cli
