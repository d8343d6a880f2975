#!/usr/bin/env bash
# Installs the Debian 12 packages Tarvik needs to build, run and test. Installs only what is
# missing, so it is quick and safe to run again. Runs apt-get as root, or through sudo.
set -euo pipefail

packages=(
    build-essential cmake ninja-build pkg-config
    qtbase5-dev qtbase5-dev-tools libqt5serialport5-dev qtscript5-dev
    libqt5serialbus5-dev libqt5serialbus5-plugins
    qttools5-dev qttools5-dev-tools
    qttranslations5-l10n
    libqwt-qt5-dev
    zlib1g-dev
    python3
)
if [ "${1:-}" = "--test" ]; then
    packages+=(libbenchmark-dev clang libclang-rt-dev tshark python3-can python3-canmatrix can-utils)
    # The installation check: package tools and the validators of its desktop files.
    packages+=(dpkg-dev file desktop-file-utils appstream groff-base)
fi
if [ "${1:-}" = "--coverage" ]; then
    # scripts/coverage.sh: the suite's packages and the coverage report.
    packages+=(libbenchmark-dev clang libclang-rt-dev tshark python3-can python3-canmatrix can-utils)
    packages+=(dpkg-dev file desktop-file-utils appstream groff-base gcovr)
fi
if [ "${1:-}" = "--package" ]; then
    # scripts/package.sh: CPack's Debian generator computes dependencies with dpkg-shlibdeps.
    packages+=(dpkg-dev file)
fi
if [ "${1:-}" = "--icons" ]; then
    # scripts/render-icons.sh
    packages+=(librsvg2-bin)
fi
if [ "${1:-}" = "--demo" ]; then
    packages+=(qt5-gtk-platformtheme)
fi

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
    sudo_cmd=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
