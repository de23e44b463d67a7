#!/usr/bin/env bash
# The Windows build under Wine, end to end against the simulator on a pseudo-terminal that Wine
# serves as COM1: the command line's read, verified write, version and a reply that never comes,
# each beside the Linux build's own run of the same command (same output, same exit status, same
# bytes on the line), then the window on a private X server, its first frame and one Read.
# Usage: test-windows.sh LINUX_BUILD WINDOWS_FOLDER [SCREENSHOT.png]
set -euo pipefail
linux=$(realpath "$1")
win=$(realpath "$2")
shot=${3:-}
work=$(mktemp -d)
sim_pid=
trap '[ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null; wineserver -k 2>/dev/null; rm -rf "$work"' EXIT
export WINEPREFIX=$work/wine WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
export XDG_CONFIG_HOME=$work/config
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# Wine hands no QT_* variable of Linux to its programs: they go in through the registry. It has
# no Arial; Liberation Sans has Arial's measures. COM1 is a link to the simulator's device.
wineboot -i >/dev/null 2>&1
for v in "QT_FORCE_STDERR_LOGGING 1" "QT_LOGGING_RULES k5.*=true"; do
    set -- $v
    wine reg add 'HKCU\Environment' /v "$1" /t REG_SZ /d "$2" /f >/dev/null
done
wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v Arial /t REG_SZ /d "Liberation Sans" /f >/dev/null
wine reg add 'HKLM\Software\Wine\Ports' /v COM1 /t REG_SZ /d "$work/com1" /f >/dev/null
wineserver -k; wineserver -w

# start_sim [sim options]: a fresh simulator behind COM1, its log in $work/sim.log.
start_sim() {
    [ -n "$sim_pid" ] && { kill "$sim_pid"; wait "$sim_pid" 2>/dev/null || true; }
    rm -f "$work/sim.out"
    "$linux/sim/k5-transmitter-sim" --log --link COM1 "$@" >"$work/sim.out" 2>"$work/sim.log" &
    sim_pid=$!
    until [ -s "$work/sim.out" ]; do sleep 0.05; done
    ln -sfn "$(head -n 1 "$work/sim.out")" "$work/com1"
}
lines() { grep -E '^(rx|tx|line) ' "$work/sim.log" || true; }
# first PROGRAM: with $before set, runs it as PROGRAM's first command and waits until its late
# answer has reached the line, where it waits for the command that follows.
first() {
    [ -n "${before:-}" ] || return 0
    "$@" $before >/dev/null 2>&1 || true
    until [ "$(grep -c '^tx ' "$work/sim.log")" -ge "$(grep -c '^rx ' "$work/sim.log")" ]; do
        sleep 0.05
    done
}
# [before=CLI_ARGS] same NAME SIM_OPTIONS -- CLI_ARGS: the Windows program does what the Linux
# one does.
same() {
    local name=$1; shift
    local sim_args=()
    while [ "$1" != -- ]; do sim_args+=("$1"); shift; done; shift
    start_sim "${sim_args[@]}"
    first "$linux/cli/k5-dipswitch-cli"
    "$linux/cli/k5-dipswitch-cli" "$@" >"$work/linux.out" 2>"$work/linux.err" && lrc=0 || lrc=$?
    # Linux names the device behind COM1, the simulator's; on Windows COM1 is the device.
    sed -i -E 's#COM1 \(/dev/pts/[0-9]+\)#COM1#; s#/dev/pts/[0-9]+#COM1#' "$work/linux.out" "$work/linux.err"
    lines >"$work/linux.line"
    start_sim "${sim_args[@]}"
    first wine "$win/k5-dipswitch-cli.exe"
    wine "$win/k5-dipswitch-cli.exe" "$@" >"$work/win.out" 2>"$work/win.all" && wrc=0 || wrc=$?
    lines >"$work/win.line"
    tr -d '\r' <"$work/win.out" >"$work/win.out.unix"
    grep -v '^k5\.' "$work/win.all" | tr -d '\r' >"$work/win.err" || true
    [ "$lrc" = "$wrc" ] || fail "$name: exit status $wrc, on Linux $lrc"
    cmp -s "$work/linux.out" "$work/win.out.unix" || fail "$name: output $(cat "$work/win.out.unix"), on Linux $(cat "$work/linux.out")"
    cmp -s "$work/linux.err" "$work/win.err" || fail "$name: error line $(cat "$work/win.err"), on Linux $(cat "$work/linux.err")"
    cmp -s "$work/linux.line" "$work/win.line" || fail "$name: on the line $(cat "$work/win.line"), on Linux $(cat "$work/linux.line")"
    grep -q '^line 2400 baud' "$work/win.line" || fail "$name: the line was not set to 2400 baud"
    grep -q 'opened COM1 at 2400 8N1' "$work/win.all" || fail "$name: COM1 not opened at 2400 8N1: $(cat "$work/win.all")"
    echo "ok: $name (exit $wrc)"
}
same read --code 12345 -- read
same "write --verify" -- write 777 --verify --json
same version --version-text "K5 WINE 2.1" -- version
same no-reply --fault no-reply -- read
before="write 100" same "a late answer left on the line" --fault late:650 --fault-count 1 -- \
    write 200 --verify
grep -q 'COM1: discarded 17 bytes' "$work/win.all" ||
    fail "late answer: not discarded at the open: $(cat "$work/win.all")"
same "bytes unasked at power-up" --fault chatter -- read

wine "$win/k5-dipswitch-cli.exe" ports | tr -d '\r' | grep -q '^COM1  present' || fail "ports: COM1 not present"
wine "$win/k5-dipswitch-cli.exe" map COM2 /dev/null >/dev/null 2>&1 && rc=0 || rc=$?
[ "$rc" = 64 ] || fail "map: exit status $rc, not 64"

# The window on a private X server: its first frame beside the Linux build's, then Read. The
# Wine that ran the command line had no display; the window's starts afresh with one.
wineserver -k; wineserver -w
start_sim --code 4242
cat >"$work/window.sh" <<'WINDOW'
set -u
wine "$1/k5-dipswitch.exe" >"$2/window.log" 2>&1 &
for _ in $(seq 1 240); do
    id=$(xdotool search --name '^K5 DIP-switch$' 2>/dev/null | head -n 1)
    [ -n "$id" ] && break
    sleep 0.25
done
[ -n "$id" ] || { echo "no window"; cat "$2/window.log"; exit 1; }
sleep 1
xwd -id "$id" -silent | xwdtopnm 2>/dev/null >"$2/window.ppm"
xdotool mousemove --window "$id" 75 459 click 1
for _ in $(seq 1 80); do
    grep -q 'status: Read' "$2/window.log" && break
    sleep 0.25
done
xdotool key --window "$id" alt+F4 2>/dev/null
sleep 0.5
WINDOW
xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp" bash "$work/window.sh" "$win" "$work" ||
    fail "window: did not come up"
tr -d '\r' <"$work/window.log" >"$work/window.txt" || true
grep -q '^k5.window: status: Read transmitter DIP-switch code OK!$' "$work/window.txt" ||
    fail "window: Read did not end in OK: $(grep status "$work/window.txt")"
grep -q '^rx 00 FF 01 02 02 03 01 00 02 F5$' "$work/sim.log" ||
    fail "window: the simulator got no read request: $(cat "$work/sim.log")"

QT_QPA_PLATFORM=offscreen "$linux/app/form1-screenshot" "$work/linux.png" >/dev/null
pngtopnm "$work/linux.png" >"$work/linux.ppm"
# The share of pixels that differ by no more than a little in any channel: the pictures are
# the same, the text is drawn by another rasteriser.
python3 - "$work/window.ppm" "$work/linux.ppm" <<'PY' || fail "window: first frame unlike the Linux one"
import sys
def ppm(path):
    data = open(path, 'rb').read()
    fields, pos = [], 0
    while len(fields) < 4:
        while data[pos:pos + 1].isspace(): pos += 1
        end = pos
        while not data[end:end + 1].isspace(): end += 1
        fields.append(data[pos:end]); pos = end
    return int(fields[1]), int(fields[2]), data[pos + 1:]
(w1, h1, a), (w2, h2, b) = ppm(sys.argv[1]), ppm(sys.argv[2])
if (w1, h1) != (w2, h2):
    sys.exit(f"size {w1}x{h1}, on Linux {w2}x{h2}")
close = sum(1 for i in range(0, len(a), 3) if max(abs(a[i + k] - b[i + k]) for k in range(3)) <= 24)
share = close / (w1 * h1)
print(f"first frame: {share:.1%} of the pixels as on Linux")
sys.exit(0 if share >= 0.9 else 1)
PY
if [ -n "$shot" ]; then pnmtopng "$work/window.ppm" >"$shot" && echo "wrote $shot"; fi

[ "$failures" = 0 ] || { echo "$failures check(s) failed"; exit 1; }
echo "all Windows checks passed"
