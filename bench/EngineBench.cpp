// Evaluation of cases of growing size on the bundled knowledge base and on the ones ten and fifty
// times larger: full evaluation (scoring and ranking) and vocabulary mode, each by the in-memory
// path (the program's) and by the SQL path it is checked against, so that their ratio is measured
// in the same run. FirstEvaluation is the first evaluation after the program opened the file,
// reading of the knowledge included.

#include "case/KbLines.h"
#include "engine/CaseSession.h"
#include "kb/Query.h"
#include "platform/TextFile.h"

#include <benchmark/benchmark.h>
#include <map>
#include <memory>

using namespace vardelo;

namespace {

using engine::EvaluationPath;

struct Base {
    std::unique_ptr<kb::Connection> connection;
    std::unique_ptr<kb::Query> query;
    std::unique_ptr<engine::CaseSession> session;
    QStringList signs; // six signs of one pathology
    QString exam;      // and one of its exam lines
};

// A pathology with six signs and an exam line, so that every case finds something.
void pickCase(Base& b)
{
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
}

// One session per base and path, reused as the program reuses its own.
Base& base(const char* path, EvaluationPath evaluationPath)
{
    static std::map<std::pair<std::string, EvaluationPath>, Base> bases;
    Base& b = bases[{path, evaluationPath}];
    if (b.session)
        return b;
    b.connection = std::make_unique<kb::Connection>(QString::fromUtf8(path), kb::Connection::Mode::ReadOnly);
    b.query = std::make_unique<kb::Query>(*b.connection);
    b.session = std::make_unique<engine::CaseSession>(*b.query);
    b.session->setWelcomeAccepted(true);
    b.session->evaluator().setPath(evaluationPath);
    b.session->evaluator().prepare(); // the program reads the knowledge at start
    pickCase(b);
    return b;
}

void evaluate(benchmark::State& state, const char* path, engine::EvaluationMode mode,
              EvaluationPath evaluationPath)
{
    Base& b = base(path, evaluationPath);
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
    evaluate(state, path, engine::EvaluationMode::Rank, EvaluationPath::InMemory);
}

void Vocabulary(benchmark::State& state, const char* path)
{
    evaluate(state, path, engine::EvaluationMode::RefreshOffers, EvaluationPath::InMemory);
}

void FullSql(benchmark::State& state, const char* path)
{
    evaluate(state, path, engine::EvaluationMode::Rank, EvaluationPath::Sql);
}

void VocabularySql(benchmark::State& state, const char* path)
{
    evaluate(state, path, engine::EvaluationMode::RefreshOffers, EvaluationPath::Sql);
}

// The file opened, the knowledge read and the empty case evaluated, as at the program's start.
void FirstEvaluation(benchmark::State& state, const char* path)
{
    for (auto _ : state) {
        kb::Connection connection(QString::fromUtf8(path), kb::Connection::Mode::ReadOnly);
        kb::Query query(connection);
        engine::CaseSession session(query);
        session.setWelcomeAccepted(true);
        session.setPatient({engine::UnnamedPatient, u'h', QString()});
        const auto result = session.evaluate(engine::EvaluationMode::RefreshOffers, session.queryCondition());
        if (!result || result->failed)
            state.SkipWithError("the evaluation failed");
        benchmark::DoNotOptimize(session.state().CandidateSigns.size());
    }
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
BENCHMARK_CAPTURE(FullSql, bundled, VARDELO_DATA)->Arg(3)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(FullSql, x10, VARDELO_DATA_X10)->Arg(3)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(FullSql, x50, VARDELO_DATA_X50)->Arg(3)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(VocabularySql, bundled, VARDELO_DATA)->Arg(0)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(VocabularySql, x10, VARDELO_DATA_X10)->Arg(0)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(VocabularySql, x50, VARDELO_DATA_X50)->Arg(0)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(FirstEvaluation, bundled, VARDELO_DATA)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(FirstEvaluation, x10, VARDELO_DATA_X10)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(FirstEvaluation, x50, VARDELO_DATA_X50)->Unit(benchmark::kMillisecond);
