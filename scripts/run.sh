#!/usr/bin/env bash
# Builds Vardelo, installs it in its program folder with the bundled knowledge base, and starts it.
# The program folder is $VARDELO_HOME, ~/vardelo by default. Its Data.vdat holds the physician's case
# files: it is created on the first run and only its knowledge is replaced when the knowledge changed.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-dependencies.sh
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DVARDELO_TESTS=OFF -DVARDELO_BENCH=OFF
cmake --build build/release

program="${VARDELO_HOME:-$HOME/vardelo}"
cmake --install build/release --prefix "$program" >/dev/null
"$program/vardelo-kb" upgrade build/release/Data.vdat "$program/Data.vdat"

cd "$program"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "Aucun écran graphique (DISPLAY) : Vardelo démarre dans un écran virtuel."
    exec xvfb-run -a ./vardelo
fi
exec ./vardelo
