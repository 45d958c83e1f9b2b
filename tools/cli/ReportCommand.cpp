// vardelo-cli report: the diagnosis report of one case as a PDF file, through the same evaluation
// and the same report code as the window's "PDF" button.

#include "engine/CaseSession.h"
#include "engine/PatientCaptions.h"
#include "kb/KnowledgeFile.h"
#include "kb/Query.h"
#include "kb/VersionArea.h"
#include "report/DiagnosisReport.h"
#include "tools/cli/CaseJson.h"
#include "tools/cli/Cli.h"

namespace vardelo::cli {

namespace {

const QString Usage = QStringLiteral("report CAS_JSON --out FICHIER.pdf [--name NOM] [--analysis NOM]");

int runReport(Context& context)
{
    QStringList args = context.args;
    QString out;
    QString name = engine::UnnamedPatient;
    QString analysis;
    for (const auto& [option, target] :
         {std::pair{u"--out", &out}, {u"--name", &name}, {u"--analysis", &analysis}}) {
        const qsizetype at = args.indexOf(QString::fromUtf16(option));
        if (at < 0)
            continue;
        if (at + 1 >= args.size())
            return fail(context, QStringLiteral("Usage : vardelo-cli [--db FICHIER] ") + Usage);
        *target = args.at(at + 1);
        args.remove(at, 2);
    }
    if (args.size() != 1 || out.isEmpty())
        return fail(context, QStringLiteral("Usage : vardelo-cli [--db FICHIER] ") + Usage);

    QString error;
    const auto input = parseCase(args.at(0).toUtf8(), &error, true);
    if (!input)
        return fail(context, error);
    if (input->signs.isEmpty() && input->exams.isEmpty())
        return fail(context, report::NoEntryMessage);

    try {
        kb::Connection connection(context.dbPath, kb::Connection::Mode::ReadWrite);
        kb::Query query(connection);
        engine::CaseSession session(query);
        session.setWelcomeAccepted(true);
        QObject::connect(&session, &engine::CaseSession::warning,
                         [&context](const QString& text) { context.err << text << '\n'; });
        session.setRankingMode(input->mode);
        session.setPatient({name, input->sex, input->age});
        session.setFormula(input->signs);
        session.setExamLines(input->exams);
        session.setRetainedDiagnosis(input->retained);
        session.keepRetainedDiagnosisOnce(!input->retained.isEmpty());
        const engine::EvaluationResult result = *session.evaluateCase(engine::EvaluationMode::Rank);

        report::ReportContent content;
        content.kbVersion = kb::readKbVersion(context.dbPath).display;
        content.caseName = name;
        content.sexCaption = engine::sexCaption(input->sex);
        content.ageCaption = engine::ageBandCaption(input->age);
        content.notesRtf = input->notes;
        content.signFormula = session.state().SCList;
        content.examLines = session.state().EC_List;
        content.analysisName = analysis;
        content.diagnosesCaption = result.header;
        content.rankingCaption = engine::sortModeCaption(input->mode);
        content.rows = result.rows;
        content.retainedDiagnosis = session.retainedDiagnosis();

        report::DiagnosisReport diagnosisReport;
        diagnosisReport.prepare(query, content);
        const bool written = diagnosisReport.write(out, &error);
        report::emptyReportTable(query);
        if (!written)
            return fail(context, error);
        context.out << QStringLiteral("%1 page(s) : %2").arg(diagnosisReport.pageCount()).arg(out) << '\n';
    } catch (const kb::DbError& e) {
        return fail(context, kb::fileErrorMessage(e, context.dbPath));
    }
    return ExitOk;
}

const CommandRegistration
    registration("report", "report CAS_JSON --out FICHIER.pdf [--name NOM] [--analysis NOM]", runReport);

} // namespace

} // namespace vardelo::cli
