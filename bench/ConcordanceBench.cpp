// The ranking by concordance on the bundled knowledge base and on the one fifty times larger, the
// way the program runs it after each entry: the case's signs and one exam line, each answered as a
// set of pathologies, then every pathology explaining one of them scored. "Same" takes the signs
// from one pathology, "Scattered" from as many pathologies as there are signs (the findings of a
// patient no single pathology explains); Reasons is the line shown under the list for one row.

#include "case/KbLines.h"
#include "engine/CaseSession.h"
#include "kb/Query.h"
#include "platform/TextFile.h"

#include <benchmark/benchmark.h>
#include <map>
#include <memory>

using namespace vardelo;

namespace {

struct Base {
    std::unique_ptr<kb::Connection> connection;
    std::unique_ptr<kb::Query> query;
    std::unique_ptr<engine::CaseSession> session;
    QStringList sameSigns;      // six signs of one pathology
    QStringList scatteredSigns; // the first sign of six pathologies
    QString exam;               // an exam line of the first one
};

void pickCases(Base& b)
{
    b.query->open(QStringLiteral(
        "select * from Data where E <> '0' and I like '%h%' and I like '%3%' order by F desc"));
    for (; !b.query->eof() && b.scatteredSigns.size() < 6; b.query->next()) {
        const QStringList lines = platform::splitLines(b.query->field(QStringLiteral("S")));
        if (lines.size() < 6)
            continue;
        if (b.sameSigns.isEmpty()) {
            for (qsizetype i = 0; i < 6; ++i)
                b.sameSigns.append(model::GetSC(lines.at(i)));
            b.exam = model::GetSC(platform::splitLines(b.query->field(QStringLiteral("E"))).value(0));
        }
        const QString first = model::GetSC(lines.at(0));
        if (!b.scatteredSigns.contains(first))
            b.scatteredSigns.append(first);
    }
    b.query->close();
}

Base& base(const char* path)
{
    static std::map<std::string, Base> bases;
    Base& b = bases[path];
    if (b.session)
        return b;
    b.connection = std::make_unique<kb::Connection>(QString::fromUtf8(path), kb::Connection::Mode::ReadOnly);
    b.query = std::make_unique<kb::Query>(*b.connection);
    b.session = std::make_unique<engine::CaseSession>(*b.query);
    b.session->setWelcomeAccepted(true);
    b.session->evaluator().prepare(); // the program reads the knowledge at start
    b.session->setRankingMode(engine::SortMode::Concordance);
    b.session->setPatient({engine::UnnamedPatient, u'h', QStringLiteral("3")});
    pickCases(b);
    return b;
}

void setCase(Base& b, const QStringList& signs, int count)
{
    QStringList formula;
    for (int i = 0; i < count; ++i) {
        if (i > 0)
            formula.append(QStringLiteral("and"));
        formula.append(signs.value(i));
    }
    b.session->setFormula(formula);
    b.session->setExamLines({QStringLiteral("and"), b.exam});
}

void rank(benchmark::State& state, const char* path, bool scattered)
{
    Base& b = base(path);
    setCase(b, scattered ? b.scatteredSigns : b.sameSigns, int(state.range(0)));
    std::size_t rows = 0;
    for (auto _ : state) {
        const auto result = b.session->evaluateCase(engine::EvaluationMode::Rank);
        if (!result || result->failed)
            state.SkipWithError("the evaluation failed");
        rows = result ? result->rows.size() : 0;
        benchmark::DoNotOptimize(rows);
    }
    state.counters["rows"] = double(rows);
}

void Same(benchmark::State& state, const char* path)
{
    rank(state, path, false);
}

void Scattered(benchmark::State& state, const char* path)
{
    rank(state, path, true);
}

void Reasons(benchmark::State& state, const char* path)
{
    Base& b = base(path);
    setCase(b, b.scatteredSigns, int(state.range(0)));
    const auto result = b.session->evaluateCase(engine::EvaluationMode::Rank);
    if (!result || result->rows.empty()) {
        state.SkipWithError("nothing ranked");
        return;
    }
    const QString first = result->rows.front().name;
    for (auto _ : state) {
        const auto reasons = b.session->reasons(first);
        benchmark::DoNotOptimize(reasons);
    }
}

} // namespace

BENCHMARK_CAPTURE(Same, bundled, VARDELO_DATA)->Arg(1)->Arg(3)->Arg(6)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Same, x50, VARDELO_DATA_X50)->Arg(1)->Arg(3)->Arg(6)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Scattered, bundled, VARDELO_DATA)->Arg(3)->Arg(6)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Scattered, x50, VARDELO_DATA_X50)->Arg(3)->Arg(6)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Reasons, bundled, VARDELO_DATA)->Arg(3)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(Reasons, x50, VARDELO_DATA_X50)->Arg(3)->Unit(benchmark::kMicrosecond);
