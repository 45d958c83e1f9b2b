// Writing the diagnosis report of a case as the "PDF" button does: fill the fields and the work
// table, lay the pages out, draw them as PDF and write the file, on the bundled knowledge base.
// The case is evaluated once beforehand; the report itself is what is measured.

#include "engine/CaseSession.h"
#include "engine/PatientCaptions.h"
#include "kb/Query.h"
#include "report/DiagnosisReport.h"

#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

using namespace vardelo;

namespace {

struct Fixture {
    QTemporaryDir dir;
    std::unique_ptr<kb::Connection> connection;
    std::unique_ptr<kb::Query> query;
    engine::EvaluationResult feverAndCough; // a typical short case
    engine::EvaluationResult fever;         // a single sign: a long list
};

Fixture& fixture()
{
    static Fixture fixed = [] {
        Fixture f;
        const QString path = f.dir.filePath(QStringLiteral("Data.vdat"));
        QFile::copy(QStringLiteral(VARDELO_DATA), path);
        QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        f.connection = std::make_unique<kb::Connection>(path, kb::Connection::Mode::ReadWrite);
        f.query = std::make_unique<kb::Query>(*f.connection);
        engine::CaseSession session(*f.query);
        session.setWelcomeAccepted(true);
        session.setFormula({QStringLiteral("Fièvre"), QStringLiteral("and"), QStringLiteral("Toux")});
        f.feverAndCough = *session.evaluateCase(engine::EvaluationMode::Rank);
        session.setFormula({QStringLiteral("Fièvre")});
        f.fever = *session.evaluateCase(engine::EvaluationMode::Rank);
        return f;
    }();
    return fixed;
}

report::ReportContent content(const engine::EvaluationResult& result, const QStringList& formula, size_t rows)
{
    report::ReportContent c;
    c.kbVersion = QStringLiteral("1.0");
    c.caseName = QStringLiteral("Martin Paul 10/12/2026 10:15:00");
    c.sexCaption = engine::sexCaption(u'h');
    c.ageCaption = engine::ageBandCaption(QStringLiteral("2"));
    c.notesRtf =
        QStringLiteral(R"({\rtf1\ansi Toux depuis {\b cinq} jours, fébrile à 39.\par Vacciné.\par})");
    c.signFormula = formula;
    c.examLines = {QStringLiteral("and"), QStringLiteral("CRP : Élevée")};
    c.diagnosesCaption = result.header;
    c.rankingCaption = engine::sortModeCaption(engine::SortMode::Prevalence);
    c.rows.assign(result.rows.begin(), result.rows.begin() + qsizetype(std::min(rows, result.rows.size())));
    c.retainedDiagnosis = c.rows.empty() ? QString() : c.rows.front().name;
    return c;
}

void writeReport(benchmark::State& state, const report::ReportContent& c, int expectedPages)
{
    Fixture& f = fixture();
    const QString path = f.dir.filePath(QStringLiteral("Diagnostic1.pdf"));
    int pages = 0;
    for (auto _ : state) {
        report::DiagnosisReport r;
        r.prepare(*f.query, c);
        QString error;
        if (!r.write(path, &error)) {
            state.SkipWithError(error.toStdString().c_str());
            return;
        }
        report::emptyReportTable(*f.query);
        pages = r.pageCount();
    }
    if (expectedPages > 0 && pages != expectedPages)
        state.SkipWithError("unexpected page count");
    state.counters["pages"] = pages;
    state.counters["rows"] = double(c.rows.size());
}

void BM_ReportTypicalCase(benchmark::State& state)
{
    const Fixture& f = fixture();
    writeReport(state,
                content(f.feverAndCough,
                        {QStringLiteral("Fièvre"), QStringLiteral("and"), QStringLiteral("Toux")},
                        f.feverAndCough.rows.size()),
                0);
}
BENCHMARK(BM_ReportTypicalCase)->Unit(benchmark::kMillisecond)->MinTime(2);

void BM_ReportThreePages(benchmark::State& state)
{
    const Fixture& f = fixture();
    // 110 rows of the single-sign list fill three pages.
    writeReport(state, content(f.fever, {QStringLiteral("Fièvre")}, 110), 3);
}
BENCHMARK(BM_ReportThreePages)->Unit(benchmark::kMillisecond)->MinTime(2);

} // namespace

int main(int argc, char** argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
