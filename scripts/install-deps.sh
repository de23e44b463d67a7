#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing need.
# Idempotent: prints nothing and changes nothing when everything is already there.
set -euo pipefail

packages=(
    build-essential cmake ninja-build pkg-config
    qt6-base-dev qt6-serialport-dev libqt6serialport6
    qt6-qpa-plugins
    fonts-liberation
    librsvg2-bin
    poppler-utils
    libxcb-xkb-dev xvfb xauth libxcb-xtest0-dev libxcb-keysyms1-dev
    libcups2-dev cups-daemon cups-client cups-filters printer-driver-cups-pdf
    desktop-file-utils appstream help2man lintian
    clang libclang-rt-14-dev
    clang-tidy cppcheck
    valgrind
)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$p")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=()
[ "$(id -u)" -ne 0 ] && sudo=(sudo)
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
