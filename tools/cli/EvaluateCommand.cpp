// vardelo-cli evaluate: one case (or one per line of a file) through the program's own
// formulation and evaluation, printed as one JSON object per case.

#include "engine/CaseSession.h"
#include "kb/KnowledgeFile.h"
#include "kb/Query.h"
#include "platform/TextFile.h"
#include "tools/cli/CaseJson.h"
#include "tools/cli/Cli.h"

#include <QFile>
#include <QIODevice>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>
#include <functional>
#include <optional>

namespace vardelo::cli {

namespace {

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

// Where the answer goes, in pieces: the answer of a large base (megabytes of offered signs) is
// written as it is made rather than first held whole, which would hold it twice at the end.
using Sink = std::function<void(const QByteArray&)>;

// A list of texts as a JSON array, written straight as bytes: a QJsonArray of the offered signs of
// a large base would hold them once more. A text that JSON must escape goes through
// QJsonDocument, so that the bytes are the same as before.
void writeJsonArray(const QStringList& list, const Sink& sink)
{
    constexpr qsizetype Piece = 64 * 1024;
    QByteArray out = "[";
    bool first = true;
    for (const QString& s : list) {
        if (!first)
            out += ',';
        first = false;
        const bool plain = std::none_of(s.begin(), s.end(), [](QChar c) {
            return c.unicode() < 0x20 || c == u'"' || c == u'\\' || c.isSurrogate();
        });
        if (plain)
            out += '"' + s.toUtf8() + '"';
        else
            out += json(s);
        if (out.size() >= Piece) {
            sink(out);
            out.clear();
        }
    }
    sink(out + ']');
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

void evaluate(engine::CaseSession& session, const CaseInput& input, const Sink& sink)
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
        // Why the pathology is there: the findings it explains with their weights, and the others.
        const std::optional<engine::FindingReasons> reasons = session.reasons(row.name);
        const QJsonArray lacks = reasons ? toArray(reasons->lacks) : QJsonArray();
        QByteArray explained = "[";
        if (reasons) {
            for (const engine::ExplainedFinding& f : reasons->explains) {
                if (explained.size() > 1)
                    explained += ',';
                explained +=
                    orderedObject({{"finding", json(f.finding)}, {"weight", json(qint64(f.weight))}});
            }
        }
        explained += ']';
        rows += orderedObject({{"percent", json(row.percent)},
                               {"name", json(row.name)},
                               {"emergency", json(row.emergency)},
                               {"explains", explained},
                               {"lacks", json(lacks)}});
    }
    rows += ']';
    // The members in their documented order; a failed evaluation leaves the page captions as they
    // were: here, the bare captions.
    sink("{\"failed\":" + json(result.failed));
    if (result.failed)
        sink(",\"reason\":" + json(result.reason));
    sink(",\"condition\":" + json(condition) + ",\"header\":" + json(result.header) + ",\"rows\":" + rows);
    sink(",\"candidate_signs\":");
    writeJsonArray(session.state().CandidateSigns.lines(), sink);
    sink(",\"candidate_exams\":");
    writeJsonArray(session.state().CandidateExams.lines(), sink);
    sink(",\"candidate_exam_lines\":");
    writeJsonArray(session.state().CandidateExamLines.lines(), sink);
    sink(",\"page0\":" + json(result.failed ? engine::CaptionSigns : result.signsPageCaption) +
         ",\"page1\":" + json(result.failed ? engine::CaptionExams : result.examsPageCaption) + "}\n");
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
        // Written as bytes: through the text stream, the answer would be held once more as UTF-16.
        QIODevice* device = context.out.device();
        const Sink sink = [&context, device](const QByteArray& bytes) {
            if (device != nullptr)
                device->write(bytes);
            else
                context.out << bytes;
        };
        context.out.flush();
        for (const CaseInput& input : inputs)
            evaluate(session, input, sink);
    } catch (const kb::DbError& e) {
        return fail(context, kb::fileErrorMessage(e, context.dbPath));
    }
    return ExitOk;
}

const CommandRegistration
    registration("evaluate", "evaluate [--learning FICHIER] (CAS_JSON | --batch FICHIER)", runEvaluate);

} // namespace

} // namespace vardelo::cli
