#!/usr/bin/env bash
# Builds the Debian package from this build tree into a scratch folder, has lintian check it
# (every tag it reports fails, info included, unless the package's overrides explain it), checks
# the desktop entry and the AppStream metadata with their own validators, and starts the programs
# as the package installs them.
#
# Usage: check-package.sh <cpack> <CPackConfig.cmake>
set -uo pipefail

for tool in lintian desktop-file-validate appstreamcli; do
    command -v "$tool" >/dev/null ||
        { echo "SKIP: $tool is missing (scripts/install-deps.sh installs it)"; exit 77; }
done
scratch=$(mktemp -d -t k5-package.XXXXXX)
trap 'rm -rf "$scratch"' EXIT

"$1" -G DEB --config "$2" -B "$scratch" >"$scratch/cpack.log" 2>&1 || { cat "$scratch/cpack.log"; exit 1; }
deb=$(echo "$scratch"/*.deb)
failed=0
fail() { echo "FAIL - $*"; failed=1; }

lintian --fail-on error,warning,info --display-info "$deb" || fail "lintian reports the package"
dpkg-deb -x "$deb" "$scratch/root" && cd "$scratch/root/usr" || exit 1
desktop-file-validate share/applications/k5-dipswitch.desktop || fail "desktop-file-validate"
appstreamcli validate-tree --no-net "$scratch/root" || fail "appstreamcli validate-tree"

version=$(bin/k5-dipswitch-cli --version)
[ "$version" = "k5-dipswitch-cli $(dpkg-deb -f "$deb" Version)" ] ||
    fail "k5-dipswitch-cli --version says '$version'"
bin/k5-transmitter-sim --help >/dev/null || fail "k5-transmitter-sim --help"
completed=$(bash -c 'source "$1"; COMP_WORDS=(k5-dipswitch-cli ma); COMP_CWORD=1
    _k5_dipswitch_cli; echo "${COMPREPLY[*]}"' - share/bash-completion/completions/k5-dipswitch-cli)
[ "$completed" = map ] || fail "the completion completes 'ma' as '$completed'"

# The window has no command line: it must still be running after a second, and end on SIGTERM.
QT_QPA_PLATFORM=offscreen bin/k5-dipswitch >"$scratch/window.log" 2>&1 &
window=$!
sleep 1
status=ended
kill -TERM "$window" 2>/dev/null && { wait "$window"; status=$?; }
[[ $status == 0 || $status == 143 ]] || fail "k5-dipswitch did not run until stopped (status $status):
$(cat "$scratch/window.log")"

[ "$failed" -eq 0 ] && echo "The package passes lintian and its programs start."
exit "$failed"
