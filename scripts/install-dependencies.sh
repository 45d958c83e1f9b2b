#!/usr/bin/env bash
# Installs from Debian's packages what building, running and testing Vardelo needs, when missing.
set -euo pipefail

packages=(
    build-essential cmake ninja-build pkg-config
    qt6-base-dev qt6-base-dev-tools qt6-translations-l10n libgl-dev
    libsqlite3-dev libyaml-cpp-dev
    libgtest-dev libgmock-dev libbenchmark-dev
    clang-format fonts-liberation2 xvfb xauth poppler-utils
    clang libclang-rt-dev
    librsvg2-bin desktop-file-utils appstream dpkg-dev file
)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
    exit 0
fi

sudo=""
if [ "$(id -u)" -ne 0 ]; then
    sudo="sudo"
fi
echo "Installation des paquets manquants : ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
