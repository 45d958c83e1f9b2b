#!/usr/bin/env bash
# Builds and runs every test twice: once in a normal build (warnings are errors), once under
# AddressSanitizer and UndefinedBehaviorSanitizer. Also checks the formatting of the sources, and
# runs every libFuzzer target (built with clang, under both sanitizers) for a bounded time.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-dependencies.sh

echo "== Mise en forme des sources"
git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run -Werror

jobs=$(nproc)
echo "== Construction et tests"
cmake -S . -B build/ci -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVARDELO_WERROR=ON
cmake --build build/ci -j "$jobs"
ctest --test-dir build/ci --output-on-failure -j "$jobs"

echo "== Construction et tests sous AddressSanitizer et UndefinedBehaviorSanitizer"
cmake -S . -B build/sanitize -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVARDELO_WERROR=ON -DVARDELO_SANITIZE=ON \
    -DVARDELO_BENCH=OFF
cmake --build build/sanitize -j "$jobs"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
LSAN_OPTIONS=suppressions="$PWD/tests/lsan.supp":print_suppressions=0 \
UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    ctest --test-dir build/sanitize --output-on-failure -j "$jobs"

echo "== Fuzzing (libFuzzer sous AddressSanitizer et UndefinedBehaviorSanitizer)"
fuzz_seconds="${VARDELO_FUZZ_SECONDS:-60}"
fuzzers=(condition_fuzzer case_text_fuzzer recognition_fuzzer knowledge_fuzzer rtf_fuzzer)
CC=clang CXX=clang++ cmake -S . -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVARDELO_WERROR=ON \
    -DVARDELO_SANITIZE=ON -DVARDELO_FUZZ=ON -DVARDELO_TESTS=OFF -DVARDELO_BENCH=OFF
cmake --build build/fuzz -j "$jobs" --target "${fuzzers[@]}"
for fuzzer in "${fuzzers[@]}"; do
    echo "-- $fuzzer : ${fuzz_seconds} s"
    # The seeds are copied: what the run adds stays out of the sources.
    corpus="build/fuzz/corpus/$fuzzer"
    rm -rf "$corpus"
    mkdir -p "$corpus"
    cp fuzz/corpus/"$fuzzer"/* "$corpus"/
    # libFuzzer stops itself after max_total_time; the outer timeout bounds a run that hangs anyway.
    ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
    LSAN_OPTIONS=suppressions="$PWD/tests/lsan.supp":print_suppressions=0 \
    UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
        timeout --kill-after=30 $((fuzz_seconds + 180)) \
        "build/fuzz/fuzz/$fuzzer" -max_total_time="$fuzz_seconds" -timeout=20 -rss_limit_mb=2048 \
        -max_len=4096 -print_final_stats=1 -artifact_prefix="build/fuzz/$fuzzer-" "$corpus"
done
