// Evaluation of cases of growing size on the bundled knowledge base and on the ones ten and fifty
// times larger: full evaluation (scoring and ranking) and vocabulary mode.

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
    QStringList signs; // six signs of one pathology
    QString exam;      // and one of its exam lines
};

// One session per base, reused as the program reuses its own.
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
    // A common pathology with many signs and an exam, so that every case finds something.
    b.query->open(QStringLiteral(
        "select * from Data where E <> '0' and I like '%h%' and I like '%3%' order by F desc"));
    for (; !b.query->eof(); b.query->next()) {
        const QStringList lines = platform::splitLines(b.query->field(QStringLiteral("S")));
        if (lines.size() < 6)
            continue;
        for (qsizetype i = 0; i < 6; ++i)
            b.signs.append(model::GetSC(lines.at(i)));
        b.exam = model::GetSC(platform::splitLines(b.query->field(QStringLiteral("E"))).value(0));
        break;
    }
    b.query->close();
    return b;
}

void evaluate(benchmark::State& state, const char* path, engine::EvaluationMode mode)
{
    Base& b = base(path);
    const int signCount = int(state.range(0));
    QStringList formula;
    for (int i = 0; i < signCount; ++i) {
        if (i > 0)
            formula.append(QStringLiteral("and"));
        formula.append(b.signs.value(i));
    }
    const QStringList exams = signCount > 0 ? QStringList{QStringLiteral("and"), b.exam} : QStringList();
    std::size_t rows = 0;
    for (auto _ : state) {
        b.session->setFormula(formula);
        b.session->setExamLines(exams);
        b.session->setPatient({engine::UnnamedPatient, u'h', QStringLiteral("3")});
        const QString condition = b.session->queryCondition();
        const auto result = b.session->evaluate(mode, condition);
        if (!result || result->failed)
            state.SkipWithError("the evaluation failed");
        rows = result ? result->rows.size() : 0;
        benchmark::DoNotOptimize(rows);
    }
    state.counters["rows"] = double(rows);
    state.counters["offered_signs"] = double(b.session->state().CandidateSigns.size());
}

void Full(benchmark::State& state, const char* path)
{
    evaluate(state, path, engine::EvaluationMode::Rank);
}

void Vocabulary(benchmark::State& state, const char* path)
{
    evaluate(state, path, engine::EvaluationMode::RefreshOffers);
}

} // namespace

BENCHMARK_CAPTURE(Full, bundled, VARDELO_DATA)->Arg(1)->Arg(3)->Arg(6)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Full, x10, VARDELO_DATA_X10)->Arg(1)->Arg(3)->Arg(6)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Full, x50, VARDELO_DATA_X50)->Arg(1)->Arg(3)->Arg(6)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Vocabulary, bundled, VARDELO_DATA)
    ->Arg(0)
    ->Arg(1)
    ->Arg(3)
    ->Arg(6)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Vocabulary, x10, VARDELO_DATA_X10)
    ->Arg(0)
    ->Arg(1)
    ->Arg(3)
    ->Arg(6)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Vocabulary, x50, VARDELO_DATA_X50)
    ->Arg(0)
    ->Arg(1)
    ->Arg(3)
    ->Arg(6)
    ->Unit(benchmark::kMillisecond);
