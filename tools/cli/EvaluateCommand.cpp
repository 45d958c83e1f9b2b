// vardelo-cli evaluate: one case (or one per line of a file) through the program's own
// formulation and evaluation, printed as one JSON object per case.

#include "engine/CaseSession.h"
#include "kb/KnowledgeFile.h"
#include "kb/Query.h"
#include "platform/TextFile.h"
#include "tools/cli/Cli.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <optional>

namespace vardelo::cli {

namespace {

struct CaseInput {
    QChar sex = u'f';
    QString age;
    engine::SortMode mode = engine::SortMode::Prevalence;
    engine::EvaluationMode evaluation = engine::EvaluationMode::Rank;
    QStringList signs;
    QStringList exams;
    QString retained;
};

// A text member: absent gives the default; any other type is an error naming the key.
std::optional<QString> stringMember(const QJsonObject& o, const char* key, const QString& fallback,
                                    QString* error)
{
    const QJsonValue value = o.value(QLatin1StringView(key));
    if (value.isUndefined())
        return fallback;
    if (!value.isString()) {
        *error = QStringLiteral("« %1 » doit être un texte").arg(QLatin1StringView(key));
        return std::nullopt;
    }
    return value.toString();
}

std::optional<QStringList> stringArray(const QJsonValue& value)
{
    if (value.isUndefined())
        return QStringList();
    if (!value.isArray())
        return std::nullopt;
    QStringList list;
    for (const QJsonValue& item : value.toArray()) {
        if (!item.isString())
            return std::nullopt;
        list.append(item.toString());
    }
    return list;
}

// Reads a case; on a bad one, *error says why in French.
std::optional<CaseInput> parseCase(const QByteArray& json, QString* error)
{
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(json, &parseError);
    if (parseError.error != QJsonParseError::NoError || !document.isObject()) {
        *error =
            QStringLiteral("cas invalide : un objet JSON est attendu (%1)").arg(parseError.errorString());
        return std::nullopt;
    }
    const QJsonObject o = document.object();
    static const QStringList known{
        QStringLiteral("sex"),   QStringLiteral("age"),   QStringLiteral("mode"),    QStringLiteral("dg"),
        QStringLiteral("signs"), QStringLiteral("exams"), QStringLiteral("retained")};
    for (const QString& key : o.keys()) {
        if (!known.contains(key)) {
            *error = QStringLiteral("clé inconnue « %1 » (clés admises : %2)").arg(key, known.join(u", "));
            return std::nullopt;
        }
    }
    CaseInput c;
    const auto sexMember = stringMember(o, "sex", QStringLiteral("f"), error);
    const auto ageMember = stringMember(o, "age", QString(), error);
    const auto modeMember = stringMember(o, "mode", QStringLiteral("prevalence"), error);
    if (!sexMember || !ageMember || !modeMember)
        return std::nullopt;
    const QString sex = *sexMember;
    if (sex != u"h" && sex != u"f") {
        *error = QStringLiteral("sexe « %1 » invalide : « h » ou « f »").arg(sex);
        return std::nullopt;
    }
    c.sex = sex.at(0);
    c.age = *ageMember;
    if (!c.age.isEmpty() && c.age != u"1" && c.age != u"2" && c.age != u"3") {
        *error = QStringLiteral("tranche d'âge « %1 » invalide : \"\", \"1\", \"2\" ou \"3\"").arg(c.age);
        return std::nullopt;
    }
    const QString mode = *modeMember;
    if (mode == u"probability")
        c.mode = engine::SortMode::Probability;
    else if (mode != u"prevalence") {
        *error = QStringLiteral("mode « %1 » invalide : « prevalence » ou « probability »").arg(mode);
        return std::nullopt;
    }
    const QJsonValue dg = o.value(QStringLiteral("dg"));
    if (!dg.isUndefined() && !(dg.isDouble() && (dg.toDouble() == 0 || dg.toDouble() == 1))) {
        *error = QStringLiteral("dg invalide : 1 (évaluation complète) ou 0 (vocabulaire)");
        return std::nullopt;
    }
    c.evaluation = dg.isUndefined() || dg.toInt() == 1 ? engine::EvaluationMode::Rank
                                                       : engine::EvaluationMode::RefreshOffers;
    const auto signs = stringArray(o.value(QStringLiteral("signs")));
    const auto exams = stringArray(o.value(QStringLiteral("exams")));
    if (!signs || !exams) {
        *error = QStringLiteral("« %1 » doit être une liste de textes").arg(signs ? u"exams" : u"signs");
        return std::nullopt;
    }
    c.signs = *signs;
    c.exams = *exams;
    const QJsonValue retained = o.value(QStringLiteral("retained"));
    if (!retained.isUndefined() && !retained.isString()) {
        *error = QStringLiteral("« retained » doit être un texte");
        return std::nullopt;
    }
    c.retained = retained.toString();
    return c;
}

QJsonArray toArray(const QStringList& list)
{
    QJsonArray array;
    for (const QString& s : list)
        array.append(s);
    return array;
}

// QJsonObject sorts its keys; the result's keys keep the documented order.
QByteArray json(const QJsonValue& value)
{
    const QByteArray wrapped = QJsonDocument(QJsonArray{value}).toJson(QJsonDocument::Compact);
    return wrapped.mid(1, wrapped.size() - 2);
}

QByteArray orderedObject(const std::vector<std::pair<const char*, QByteArray>>& members)
{
    QByteArray out = "{";
    for (const auto& [key, value] : members) {
        if (out.size() > 1)
            out += ',';
        out += '"' + QByteArray(key) + "\":" + value;
    }
    return out + '}';
}

QByteArray evaluate(engine::CaseSession& session, const CaseInput& input)
{
    // The ranking mode first, while the case is empty: changing it ranks a case that holds anything.
    session.setFormula({});
    session.setExamLines({});
    session.setPendingExamLine(QString());
    session.setRankingMode(input.mode);
    session.setPatient({engine::UnnamedPatient, input.sex, input.age});
    session.setFormula(input.signs);
    session.setExamLines(input.exams);
    session.setRetainedDiagnosis(input.retained);
    // A retained diagnosis given with the case is kept, as when a case file is reopened.
    session.keepRetainedDiagnosisOnce(!input.retained.isEmpty());

    const QString condition = session.queryCondition();
    const engine::EvaluationResult result = *session.evaluate(input.evaluation, condition);

    QByteArray rows = "[";
    for (const engine::DiagnosisRow& row : result.rows) {
        if (rows.size() > 1)
            rows += ',';
        rows += orderedObject(
            {{"percent", json(row.percent)}, {"name", json(row.name)}, {"emergency", json(row.emergency)}});
    }
    rows += ']';
    // A failed evaluation leaves the page captions as they were: here, the bare captions.
    std::vector<std::pair<const char*, QByteArray>> members{{"failed", json(result.failed)}};
    if (result.failed)
        members.emplace_back("reason", json(result.reason));
    members.insert(members.end(),
                   {
                       {"condition", json(condition)},
                       {"header", json(result.header)},
                       {"rows", rows},
                       {"candidate_signs", json(toArray(session.state().CandidateSigns.lines()))},
                       {"candidate_exams", json(toArray(session.state().CandidateExams.lines()))},
                       {"candidate_exam_lines", json(toArray(session.state().CandidateExamLines.lines()))},
                       {"page0", json(result.failed ? engine::CaptionSigns : result.signsPageCaption)},
                       {"page1", json(result.failed ? engine::CaptionExams : result.examsPageCaption)},
                   });
    return orderedObject(members);
}

int runEvaluate(Context& context)
{
    QStringList args = context.args;
    QStringList learning;
    const qsizetype learningAt = args.indexOf(QStringLiteral("--learning"));
    if (learningAt >= 0) {
        if (learningAt + 1 >= args.size())
            return fail(context, QStringLiteral("--learning attend un fichier d'apprentissage"));
        const auto lines = platform::readTextLines(args.at(learningAt + 1));
        if (!lines)
            return fail(
                context,
                QStringLiteral("Fichier d'apprentissage illisible : %1").arg(args.at(learningAt + 1)));
        learning = *lines;
        args.remove(learningAt, 2);
    }

    QList<QByteArray> cases;
    if (args.size() == 2 && args.at(0) == u"--batch") {
        QString error;
        const auto lines = readBoundedLines(args.at(1), MaxCaseLineBytes, &error);
        if (!lines)
            return fail(context, error);
        for (const QByteArray& line : *lines) {
            if (!line.trimmed().isEmpty())
                cases.append(line);
        }
    } else if (args.size() == 1) {
        cases.append(args.at(0).toUtf8());
    } else {
        return fail(context,
                    QStringLiteral("Usage : vardelo-cli [--db FICHIER] evaluate [--learning FICHIER] "
                                   "(CAS_JSON | --batch FICHIER)"));
    }

    std::vector<CaseInput> inputs;
    for (qsizetype i = 0; i < cases.size(); ++i) {
        QString error;
        const auto input = parseCase(cases.at(i), &error);
        if (!input)
            return fail(context,
                        cases.size() > 1 ? QStringLiteral("Ligne %1 : %2").arg(i + 1).arg(error) : error);
        inputs.push_back(*input);
    }

    try {
        kb::Connection connection(context.dbPath, kb::Connection::Mode::ReadOnly);
        kb::Query query(connection);
        engine::CaseSession session(query);
        session.setWelcomeAccepted(true);
        session.setLearningList(learning);
        QObject::connect(&session, &engine::CaseSession::warning,
                         [&context](const QString& text) { context.err << text << '\n'; });
        for (const CaseInput& input : inputs)
            context.out << evaluate(session, input) << '\n';
    } catch (const kb::DbError& e) {
        return fail(context, kb::fileErrorMessage(e, context.dbPath));
    }
    return ExitOk;
}

const CommandRegistration
    registration("evaluate", "evaluate [--learning FICHIER] (CAS_JSON | --batch FICHIER)", runEvaluate);

} // namespace

} // namespace vardelo::cli
