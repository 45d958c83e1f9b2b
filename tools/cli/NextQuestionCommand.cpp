// vardelo-cli next-question: what the interrogation would do next on a case, printed as JSON. It
// is the decision the window's interrogation takes before each question, so a chain of questions
// can be scripted without a window.

#include "dialogue/Interrogation.h"
#include "engine/CaseSession.h"
#include "kb/KnowledgeFile.h"
#include "kb/Query.h"
#include "tools/cli/CaseJson.h"
#include "tools/cli/Cli.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace vardelo::cli {

namespace {

using dialogue::NextStep;

QString stepName(NextStep step)
{
    switch (step) {
    case NextStep::NoDiagnosis:
        return QStringLiteral("no_diagnosis");
    case NextStep::SingleDiagnosis:
        return QStringLiteral("single_diagnosis");
    case NextStep::Ask:
        return QStringLiteral("ask");
    case NextStep::SingleDone:
        return QStringLiteral("single_done");
    case NextStep::AllAsked:
        return QStringLiteral("all_asked");
    }
    return QString();
}

const char* const Usage = "next-question CAS_JSON [--continue] [--rejected PATHOLOGIE]...";

int runNextQuestion(Context& context)
{
    QStringList args = context.args;
    QStringList rejected;
    bool continueSingle = false;
    QString caseJson;
    for (qsizetype i = 0; i < args.size(); ++i) {
        if (args.at(i) == u"--rejected") {
            if (i + 1 >= args.size())
                return fail(context, QStringLiteral("--rejected attend le nom d'une pathologie"));
            rejected.append(args.at(++i));
        } else if (args.at(i) == u"--continue") {
            continueSingle = true;
        } else if (caseJson.isNull()) {
            caseJson = args.at(i);
        } else {
            return fail(context,
                        QStringLiteral("Usage : vardelo-cli [--db FICHIER] ") + QString::fromLatin1(Usage));
        }
    }
    if (caseJson.isNull())
        return fail(context,
                    QStringLiteral("Usage : vardelo-cli [--db FICHIER] ") + QString::fromLatin1(Usage));
    QString error;
    const std::optional<CaseInput> input = parseCase(caseJson.toUtf8(), &error);
    if (!input)
        return fail(context, error);

    // As in the window: there is nothing to talk about before an entry.
    if (input->signs.isEmpty() && input->exams.isEmpty()) {
        context.out << R"({"step":"nothing_entered"})" << '\n';
        return ExitOk;
    }
    try {
        kb::Connection connection(context.dbPath, kb::Connection::Mode::ReadOnly);
        kb::Query query(connection);
        engine::CaseSession session(query);
        session.setWelcomeAccepted(true);
        session.setRankingMode(input->mode);
        session.setPatient({engine::UnnamedPatient, input->sex, input->age});
        session.setFormula(input->signs);
        session.setExamLines(input->exams);
        const engine::EvaluationResult result = *session.evaluateCase(engine::EvaluationMode::Rank);
        if (result.failed)
            return fail(context,
                        QStringLiteral("Erreur de syntaxe dans la formulation de la symptomatologie : ") +
                            result.reason);
        QStringList rows;
        for (const engine::DiagnosisRow& row : result.rows)
            rows.append(row.name);

        dialogue::Interrogation interrogation(query, session.evaluator());
        interrogation.start();
        // The rejections of the interrogation so far, in their order; rejecting the last hypothesis
        // left is withdrawn, as in the window.
        for (const QString& name : std::as_const(rejected))
            interrogation.reject(name, rows);
        interrogation.selectHypothesis(rows);
        const dialogue::Decision next = interrogation.next(rows, session.state(), continueSingle);

        QJsonObject out{{QStringLiteral("step"), stepName(next.step)},
                        {QStringLiteral("rows"), QJsonArray::fromStringList(rows)},
                        {QStringLiteral("rejected"), QJsonArray::fromStringList(interrogation.rejected())}};
        if (!next.hypothesis.isEmpty())
            out.insert(QStringLiteral("hypothesis"), next.hypothesis);
        if (!next.sign.isEmpty())
            out.insert(QStringLiteral("sign"), next.sign);
        context.out << QJsonDocument(out).toJson(QJsonDocument::Compact) << '\n';
    } catch (const kb::DbError& e) {
        return fail(context, kb::fileErrorMessage(e, context.dbPath));
    }
    return ExitOk;
}

const CommandRegistration registration("next-question", Usage, runNextQuestion);

} // namespace

} // namespace vardelo::cli
