#!/usr/bin/env bash
# Builds and runs every test twice: once in a normal build (warnings are errors), once under
# AddressSanitizer and UndefinedBehaviorSanitizer. Also checks the formatting of the sources.
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
