#!/usr/bin/env bash
# Runs a test program under the xcb platform on a private X server (Xvfb), for what only a
# display server does: key auto-repeat, the focus a click or the wheel gives. Exits 77 (skipped)
# where no X server can be started here, saying why.
set -uo pipefail
for tool in xvfb-run xdotool; do
    command -v $tool >/dev/null ||
        { echo "skipped: $tool is not installed (scripts/install-deps.sh installs it)"; exit 77; }
done
args=(-a -s "-screen 0 1280x1024x24 -nolisten tcp")
if ! probe=$(xvfb-run "${args[@]}" true 2>&1); then
    echo "skipped: Xvfb does not start here: $probe"
    exit 77
fi
exec xvfb-run "${args[@]}" env QT_QPA_PLATFORM=xcb "$@"
