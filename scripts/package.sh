#!/usr/bin/env bash
# Builds the Debian package k5-dipswitch_<version>_<arch>.deb from a build folder (default
# build) into that folder, with CPack. Install it with
#   sudo apt install ./build/k5-dipswitch_<version>_<arch>.deb
set -euo pipefail

build=${1:-build}

if [ ! -f "$build/CMakeCache.txt" ]; then
    echo "No configured build in $build: run 'make build' first." >&2
    exit 1
fi
if grep -q '^K5_SANITIZE:BOOL=ON$' "$build/CMakeCache.txt"; then
    echo "$build is a sanitizer build, which is not one to ship: package a plain build." >&2
    exit 1
fi
# A build folder configured before the packaging rules were there has no CPack configuration
# yet; configuring again brings it in.
if [ ! -f "$build/CPackConfig.cmake" ]; then
    cmake "$build" >/dev/null
fi
# The package holds what is installed from the build folder, so that must be up to date: the
# programs (with the icons rendered for them), the manual pages and the changelog.
cmake --build "$build" -j2 --target k5-dipswitch k5-dipswitch-cli k5-transmitter-sim k5-docs

log=$(mktemp -t k5-cpack.XXXXXX)
trap 'rm -f "$log"' EXIT
if ! cpack -G DEB --config "$build/CPackConfig.cmake" -B "$build" >"$log" 2>&1; then
    cat "$log" >&2
    exit 1
fi
deb=$(sed -nE 's/^CPack: - package: (.*\.deb) generated\.$/\1/p' "$log")
if [ -z "$deb" ] || [ ! -f "$deb" ]; then
    cat "$log" >&2
    echo "cpack did not say which package it made." >&2
    exit 1
fi

echo "Package: $deb"
dpkg-deb --field "$deb" Package Version Architecture Depends
# apt takes a file for a package name only when it reads as a path.
case "$deb" in
/*) shown=$deb ;;
*) shown=./$deb ;;
esac
echo "Install it with: sudo apt install $shown"
