// The checks made on the knowledge-base file before the program starts: recovery, integrity, version
// and the hash of the knowledge, on the bundled base.

#include "kb/KnowledgeFile.h"

#include <benchmark/benchmark.h>

using namespace vardelo;

namespace {

void BM_StartCheck(benchmark::State& state)
{
    for (auto _ : state) {
        const kb::StartCheck check = kb::checkKnowledgeBaseForStart(QStringLiteral(VARDELO_DATA));
        if (check.status != kb::StartCheck::Status::Ready)
            state.SkipWithError("the bundled base does not pass the start check");
    }
}
BENCHMARK(BM_StartCheck)->Unit(benchmark::kMillisecond);

void BM_KnowledgeHash(benchmark::State& state)
{
    kb::Connection db(QStringLiteral(VARDELO_DATA), kb::Connection::Mode::ReadOnly);
    for (auto _ : state)
        benchmark::DoNotOptimize(kb::computeKnowledgeHash(db));
}
BENCHMARK(BM_KnowledgeHash)->Unit(benchmark::kMillisecond);

} // namespace
