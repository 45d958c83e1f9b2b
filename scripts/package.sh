#!/usr/bin/env bash
# Builds the Debian package of Vardelo (build/package/vardelo_<version>_<arch>.deb), which installs the
# program in /usr/lib/vardelo with its knowledge base and manual, the command "vardelo", the desktop
# entry, the icons and the AppStream metadata. Install it with: sudo apt install ./build/package/vardelo_*.deb
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-dependencies.sh
cmake -S . -B build/package -G Ninja -DCMAKE_BUILD_TYPE=Release -DVARDELO_PACKAGE=ON -DVARDELO_TESTS=OFF \
    -DVARDELO_BENCH=OFF
cmake --build build/package
desktop-file-validate packaging/fr.vardelo.Vardelo.desktop
appstreamcli validate --no-net packaging/fr.vardelo.Vardelo.metainfo.xml
(cd build/package && cpack -G DEB)
