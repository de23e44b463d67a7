#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing need; with --windows also those
# that cross-build for Windows, make its installer and test both under Wine (`make windows`,
# `make test-windows`).
# Idempotent: prints nothing and changes nothing when everything is already there.
set -euo pipefail

packages=(
    build-essential cmake ninja-build pkg-config
    qt6-base-dev qt6-serialport-dev libqt6serialport6
    qt6-qpa-plugins
    fonts-liberation
    librsvg2-bin
    poppler-utils
    libxcb-xkb-dev xvfb xauth xdotool
    libcups2-dev cups-daemon cups-client cups-filters printer-driver-cups-pdf
    desktop-file-utils appstream help2man lintian
    clang libclang-rt-14-dev
    clang-tidy cppcheck
    valgrind
    socat
    locales
)
if [ "${1:-}" = --windows ]; then
    packages+=(g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix wine wine64 x11-apps netpbm
        nsis icoutils jq)
fi

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$p")
    fi
done
sudo=()
[ "$(id -u)" -ne 0 ] && sudo=(sudo)
if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    "${sudo[@]}" apt-get update -qq
    "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# A locale whose decimal point is a comma, for the code text's reading.
if ! locale -a 2>/dev/null | grep -qx 'de_DE.utf8'; then
    echo "Making the locale de_DE.UTF-8"
    "${sudo[@]}" sed -i 's/^# *de_DE.UTF-8 UTF-8/de_DE.UTF-8 UTF-8/' /etc/locale.gen
    "${sudo[@]}" locale-gen >/dev/null
fi
