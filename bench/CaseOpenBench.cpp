// Opening a saved case as the main window does: read the case file, then evaluate it so that the
// diagnosis list is refilled, on the bundled knowledge base and on the one fifty times larger.
// Each base is copied to a temporary folder that holds 200 saved cases, one of them split.

#include "case/KbLines.h"
#include "casefiles/CaseFileStore.h"
#include "casefiles/ParallelAnalyses.h"
#include "engine/CaseSession.h"
#include "kb/Query.h"
#include "platform/TextFile.h"

#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <map>
#include <memory>

using namespace vardelo;

namespace {

struct Base {
    QTemporaryDir dir;
    std::unique_ptr<kb::Connection> connection;
    std::unique_ptr<kb::Query> query;
    std::unique_ptr<engine::CaseSession> session;
    QString plain; // a plain case file in the middle of the list
    QString split; // a case file with two analyses
};

Base& base(const char* source, benchmark::State& state)
{
    static std::map<std::string, Base> bases;
    Base& b = bases[source];
    if (b.session)
        return b;
    const QString path = b.dir.filePath(QStringLiteral("Data.vdat"));
    QFile::copy(QString::fromUtf8(source), path);
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    b.connection = std::make_unique<kb::Connection>(path, kb::Connection::Mode::ReadWrite);
    b.query = std::make_unique<kb::Query>(*b.connection);
    b.session = std::make_unique<engine::CaseSession>(*b.query);
    b.session->setWelcomeAccepted(true);
    // Six signs and an exam line of a common pathology, so that the evaluation finds something.
    QStringList signs;
    QString exam;
    b.query->open(QStringLiteral(
        "select * from Data where E <> '0' and I like '%h%' and I like '%3%' order by F desc"));
    for (; !b.query->eof() && signs.isEmpty(); b.query->next()) {
        const QStringList lines = platform::splitLines(b.query->field(QStringLiteral("S")));
        if (lines.size() < 6)
            continue;
        for (qsizetype i = 0; i < 6; ++i)
            signs << (i ? QStringLiteral("and") : QString()) << model::GetSC(lines.at(i));
        signs.removeFirst();
        exam = model::GetSC(platform::splitLines(b.query->field(QStringLiteral("E"))).value(0));
    }
    b.query->close();
    casefiles::CaseFileStore store(*b.connection);
    casefiles::ParallelAnalyses analyses(*b.connection);
    casefiles::CaseContent content{u'h',      QStringLiteral("3"),
                                   signs,     {QStringLiteral("and"), exam},
                                   QString(), QStringLiteral("{\\rtf1 ") + QString(2000, u'n') + u'}'};
    QString error;
    for (int i = 0; i < 200; ++i) {
        const QString id = QStringLiteral("Patient %1   [01/02/2026  10:00:00]").arg(i);
        QString current;
        if (i == 150) {
            analyses.create(id, QStringLiteral("[a]"), content, true, &error);
            current = *analyses.create(id, QStringLiteral("[b]"), content, false, &error);
            b.split = id;
        }
        const auto saved = store.save({id, true, content, current});
        if (!saved.error.isEmpty())
            state.SkipWithError("a case file could not be saved");
        if (i == 100)
            b.plain = id;
    }
    return b;
}

void Open(benchmark::State& state, const char* path, bool split)
{
    Base& b = base(path, state);
    casefiles::CaseFileStore store(*b.connection);
    const QString id = split ? b.split : b.plain;
    std::size_t rows = 0;
    for (auto _ : state) {
        QString error;
        const auto opened = store.open(id, &error);
        if (!opened) {
            state.SkipWithError("the case file did not open");
            break;
        }
        const casefiles::CaseContent& c = opened->content;
        b.session->setFormula(c.signs);
        b.session->setExamLines(c.exams);
        b.session->setPatient({engine::UnnamedPatient, c.sex, c.ageBand});
        b.session->setRetainedDiagnosis(c.retained);
        b.session->keepRetainedDiagnosisOnce(true);
        const auto result = b.session->evaluateCase(engine::EvaluationMode::Rank);
        if (!result || result->failed) {
            std::fprintf(stderr, "%s\n", qPrintable(result ? result->reason : QString()));
            state.SkipWithError("the evaluation failed");
            break;
        }
        rows = result->rows.size();
        benchmark::DoNotOptimize(rows);
    }
    // A case that evokes nothing would measure an evaluation that stops early.
    state.counters["rows"] = double(rows);
}

void ReadOnly(benchmark::State& state, const char* path)
{
    Base& b = base(path, state);
    casefiles::CaseFileStore store(*b.connection);
    for (auto _ : state) {
        QString error;
        benchmark::DoNotOptimize(store.open(b.plain, &error));
    }
}

BENCHMARK_CAPTURE(Open, plain_bundled, VARDELO_DATA, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Open, split_bundled, VARDELO_DATA, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Open, plain_x50, VARDELO_DATA_X50, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Open, split_x50, VARDELO_DATA_X50, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(ReadOnly, case_file_only_bundled, VARDELO_DATA)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(ReadOnly, case_file_only_x50, VARDELO_DATA_X50)->Unit(benchmark::kMicrosecond);

} // namespace
