#!/usr/bin/env bash
# Runs a test program under the xcb platform on a private X server (Xvfb), for what only a
# display server does: key auto-repeat, the focus a click or the wheel gives. Exits 77 (skipped)
# where no X server can be started here, saying why.
set -uo pipefail
if ! command -v xvfb-run >/dev/null; then
    echo "skipped: xvfb-run is not installed (package xvfb)"
    exit 77
fi
args=(-a -s "-screen 0 1280x1024x24 -nolisten tcp")
if ! probe=$(xvfb-run "${args[@]}" true 2>&1); then
    echo "skipped: Xvfb does not start here: $probe"
    exit 77
fi
exec xvfb-run "${args[@]}" env QT_QPA_PLATFORM=xcb "$@"
