#!/usr/bin/env bash
# The Windows build under Wine, installed as a user installs it, end to end against the simulator
# on a pseudo-terminal that Wine serves as COM1:
# - the installer, silently, into a fresh Wine prefix: the files, the Start menu entry and the
#   entry in the installed programs;
# - every row of the wire-scenario table (tests/common/wirescenarios.json) with the installed
#   command line, beside the Linux build's run of the same row: same JSON
#   output, error line, exit status and bytes on the line. A row that Wine cannot show is named
#   with the reason, and still run where it can be;
# - the installed window on a private X server: its first frame, a Read, a Read against a silent
#   transmitter, a confirmed Write, the code sheet printed through a private CUPS scheduler, a
#   port held by another program and a port without device;
# - the uninstaller, silently: nothing of the installation left.
# Usage: test-windows.sh LINUX_BUILD SETUP.EXE [SCREENSHOT.png]
set -euo pipefail
linux=$(realpath "$1")
setup=$(realpath "$2")
shot=${3:-}
here=$(dirname "$(realpath "$0")")
work=$(mktemp -d)
sim_pid=
holder_pid=
xvfb_pid=
cleanup() {
    [ -n "$holder_pid" ] && kill "$holder_pid" 2>/dev/null
    [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null
    wineserver -k 2>/dev/null
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
export WINEPREFIX=$work/wine WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
export XDG_CONFIG_HOME=$work/config
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
# not_under_wine NAME REASON: a row that Wine cannot show, said rather than skipped.
not_under_wine() { echo "not under Wine: $1: $2"; }

# Wine hands no QT_* variable of Linux to its programs: they go in through the registry. It has
# no Arial; Liberation Sans has Arial's measures. COM1 is a link to the simulator's device.
wineboot -i >/dev/null 2>&1
setenv() { wine reg add 'HKCU\Environment' /v "$1" /t REG_SZ /d "$2" /f >/dev/null; }
setenv QT_FORCE_STDERR_LOGGING 1
setenv QT_LOGGING_RULES 'k5.*=true'
wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v Arial /t REG_SZ /d "Liberation Sans" /f >/dev/null
# COM17 and COM101 are ports past the window's, which the system's map lists as Serial16 and
# Serial100, the second first.
for port in COM1 COM17 COM101; do
    wine reg add 'HKLM\Software\Wine\Ports' /v $port /t REG_SZ /d "$work/com1" /f >/dev/null
done
wineserver -k; wineserver -w

# The installation, as "setup.exe /S" makes it.
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall'
drive_c=$WINEPREFIX/drive_c
# What the prefix holds, but the user's scratch folder, where the uninstaller runs from a copy
# that Windows deletes at the next start, and the spooler's folder, where Wine puts the drivers
# of the printers it finds.
prefix_state() {
    find "$drive_c" -path "$drive_c/users/*/Temp" -prune -o -path "$drive_c/windows/system32/spool" \
        -prune -o -print | sort
    wine reg query "$uninstall_key" /s 2>/dev/null | tr -d '\r'
}
prefix_state >"$work/before-install"
wine "$setup" /S || fail "installer: exit status $?"
installed=$drive_c/Program\ Files/K5\ DIP-switch
expected=$(echo "$(dirname "$setup")"/zip/k5-dipswitch-*-win64)
diff <(cd "$expected" && find . -type f | sort) \
    <(cd "$installed" && find . -type f ! -name uninstall.exe | sort) >/dev/null ||
    fail "installer: the files installed are not the zip's"
[ -f "$installed/uninstall.exe" ] || fail "installer: no uninstaller"
lnk="$drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/K5 DIP-switch.lnk"
[ -f "$lnk" ] || fail "installer: no Start menu entry"
# The link names the program and the icon (a .lnk holds its paths as UTF-16 and as ANSI).
for target in 'K5 DIP-switch\k5-dipswitch.exe' 'K5 DIP-switch\k5-dipswitch.ico'; do
    grep -qaF "$target" "$lnk" || tr -d '\0' <"$lnk" | grep -qaF "$target" ||
        fail "installer: the Start menu entry does not name $target"
done
wine reg query "$uninstall_key\\k5-dipswitch" | tr -d '\r' >"$work/entry" || true
for value in 'DisplayName +REG_SZ +K5 DIP-switch$' 'DisplayIcon +REG_SZ +C:\\Program Files\\K5 DIP-switch\\k5-dipswitch.ico$' \
    'UninstallString +REG_SZ +"C:\\Program Files\\K5 DIP-switch\\uninstall.exe"$' \
    'QuietUninstallString +REG_SZ +"C:\\Program Files\\K5 DIP-switch\\uninstall.exe" /S$'; do
    grep -qE "^ +$value" "$work/entry" || fail "installer: no $value in the installed programs: $(cat "$work/entry")"
done
echo "ok: installed silently into $(basename "$installed")"

# start_sim [sim options]: a fresh simulator behind COM1, its log in $work/sim.log.
start_sim() {
    [ -n "$sim_pid" ] && { kill "$sim_pid"; wait "$sim_pid" 2>/dev/null || true; }
    rm -f "$work/sim.out"
    "$linux/sim/k5-transmitter-sim" --log --link COM1 "$@" >"$work/sim.out" 2>"$work/sim.log" &
    sim_pid=$!
    until [ -s "$work/sim.out" ]; do sleep 0.02; done
    ln -sfn "$(head -n 1 "$work/sim.out")" "$work/com1"
}
# What the program put on the line: its requests and the line's settings. (When the simulator's
# reply goes out after the program has judged the exchange is a matter of timing.)
lines() { grep -E '^(rx|line) ' "$work/sim.log" || true; }
# first PROGRAM: with the row's before command, runs it as PROGRAM's first command and waits
# until its late answer has reached the line, where it waits for the row's command.
first() {
    [ ${#before[@]} -gt 0 ] || return 0
    "$@" "${before[@]}" >/dev/null 2>&1 || true
    until [ "$(grep -c '^tx ' "$work/sim.log")" -ge "$(grep -c '^rx ' "$work/sim.log")" ]; do
        sleep 0.02
    done
}
# The Linux program names the device behind COM1, the simulator's, and the Windows one the
# device named directly as \\.\COM1; on Windows COM1 is the device.
same_device() {
    sed -E 's#COM1 \(/dev/pts/[0-9]+\)#COM1#; s#/dev/pts/[0-9]+#COM1#; s#\\+\.\\+COM1#COM1#'
}
# hold_com1: another Windows program holds COM1 until release_com1.
hold_com1() {
    mkfifo "$work/holder.in"
    wine "$work/holdport.exe" COM1 <"$work/holder.in" >"$work/holder.out" 2>&1 &
    holder_pid=$!
    exec 4>"$work/holder.in"
    until grep -q held "$work/holder.out" 2>/dev/null; do
        kill -0 "$holder_pid" 2>/dev/null || { fail "holder: $(cat "$work/holder.out")"; return; }
        sleep 0.05
    done
}
release_com1() {
    exec 4>&-
    wait "$holder_pid" 2>/dev/null || true
    holder_pid=
    rm -f "$work/holder.in"
}
x86_64-w64-mingw32-gcc -O2 -o "$work/holdport.exe" "$here/holdport.c"

# row: runs the row read last from the table, with the Linux program and then with the
# installed Windows one, each against a fresh simulator, unpaced as for the table's own test.
# (Paced, the stray bytes after a write's reply can still be arriving when --verify's read goes
# out, and garble it on either system.)
row() {
    local linux_command=("${command[@]//DEVICE/__device__}")
    local windows_command=("${command[@]//DEVICE/\\\\.\\COM1}")
    start_sim --no-pacing "${simulator[@]}"
    if [ "$port" = missing ]; then
        mkdir -p "$XDG_CONFIG_HOME/k5-dipswitch/ports"
        ln -sfn /nonexistent/ttyUSB9 "$XDG_CONFIG_HOME/k5-dipswitch/ports/COM5"
    fi
    linux_command=("${linux_command[@]//__device__/$(head -n 1 "$work/sim.out")}")
    if [ "$port" != in-use ]; then
        first "$linux/cli/k5-dipswitch-cli"
        "$linux/cli/k5-dipswitch-cli" "${linux_command[@]}" --json >"$work/linux.out" \
            2>"$work/linux.err" && lrc=0 || lrc=$?
        same_device <"$work/linux.out" >"$work/linux.json"
        same_device <"$work/linux.err" >"$work/linux.error"
        lines >"$work/linux.line"
        start_sim --no-pacing "${simulator[@]}"
    fi
    [ "$port" = in-use ] && hold_com1
    for attempt in first again; do
        [ "$attempt" = first ] || start_sim --no-pacing "${simulator[@]}"
        first wine "$installed/k5-dipswitch-cli.exe"
        wine "$installed/k5-dipswitch-cli.exe" "${windows_command[@]}" --json >"$work/win.out" \
            2>"$work/win.all" && wrc=0 || wrc=$?
        # Wine's own client, seldom, loses its server before the program starts: once more, said.
        grep -q '^wine client error' "$work/win.all" && [ "$attempt" = first ] || break
        echo "again: $name: $(grep '^wine client error' "$work/win.all")"
    done
    [ "$port" = in-use ] && release_com1
    lines >"$work/win.line"
    tr -d '\r' <"$work/win.out" | same_device >"$work/win.json"
    grep -v '^k5\.' "$work/win.all" | tr -d '\r' >"$work/win.error" || true

    case $port in
    in-use)
        # No Linux run: the simulator's line is not the Windows program's to hold.
        if [ "$wrc" = 0 ]; then
            not_under_wine "$name" "Wine lets a second program open a COM port that one holds \
(it shares serial devices between its processes; Windows refuses the second open)"
            return
        fi
        [ "$wrc" = "$status" ] || fail "$name: exit status $wrc, not $status"
        grep -q ': COM1: in use by another program' "$work/win.error" ||
            fail "$name: error line $(cat "$work/win.error")"
        echo "ok: $name (exit $wrc)"
        return
        ;;
    missing)
        # Windows has no port links: the error says so in its own words.
        [ "$lrc" = "$wrc" ] || fail "$name: exit status $wrc, on Linux $lrc"
        grep -q '^k5-dipswitch-cli: COM5: no such port (.*): connect the adapter, and see its COM port in the Device Manager$' \
            "$work/win.error" || fail "$name: error line $(cat "$work/win.error")"
        grep -q '"outcome":"port-unavailable"' "$work/win.json" || fail "$name: $(cat "$work/win.json")"
        echo "ok: $name (exit $wrc)"
        return
        ;;
    esac
    [ "$lrc" = "$wrc" ] || fail "$name: exit status $wrc, on Linux $lrc"
    cmp -s "$work/linux.json" "$work/win.json" || fail "$name: output $(cat "$work/win.json"), on Linux $(cat "$work/linux.json")"
    cmp -s "$work/linux.error" "$work/win.error" || fail "$name: error line $(cat "$work/win.error"), on Linux $(cat "$work/linux.error")"
    cmp -s "$work/linux.line" "$work/win.line" || fail "$name: on the line $(cat "$work/win.line"), on Linux $(cat "$work/linux.line")"
    grep -q '^line 2400 baud' "$work/win.line" || fail "$name: the line was not set to 2400 baud"
    grep -q 'opened .*COM1 at 2400 8N1' "$work/win.all" || fail "$name: COM1 not opened at 2400 8N1: $(cat "$work/win.all")"
    # What a late answer left on the line is thrown away, and said: at the open, or as bytes
    # that came before the request had gone out.
    if [ ${#before[@]} -gt 0 ] && ! grep -qE '(discarded|dropped) [1-9][0-9]* bytes' "$work/win.all"; then
        fail "$name: the late answer's bytes were not thrown away: $(cat "$work/win.all")"
    fi
    echo "ok: $name (exit $wrc)"
}

# A persistent server spares each program the server's start; made so before it runs. Its output
# goes aside: it lists its objects each time a line it holds is hung up.
wineserver -k; wineserver -w; wineserver -p 2>>"$work/wineserver.log"
# One row a line, as shell assignments: name='...' port=sound simulator=(...) before=(...)
# command=(...) status=N window='...'.
jq -r '.[] | @sh "name=\(.name) port=\(.port // "sound") simulator=(\(.simulator // []))"
    + @sh " before=(\(.before // [])) command=(\(.command)) status=\(.status)"
    + @sh " window=\(.window // "")"' "$here/../common/wirescenarios.json" >"$work/rows"
rows=0
while read -r -u 3 line; do
    eval "$line"
    row
    rows=$((rows + 1))
done 3<"$work/rows"
[ "$rows" -gt 20 ] || fail "only $rows wire scenarios from wirescenarios.json"

wine "$installed/k5-dipswitch-cli.exe" ports | tr -d '\r' >"$work/ports"
grep -q '^COM1  present' "$work/ports" || fail "ports: COM1 not present"
# The ports past COM16 in the order of their numbers.
[ "$(sed -n '/^Serial devices that no port names:$/,$p' "$work/ports" | tail -n +2 | xargs)" = \
    "COM17 COM101" ] || fail "ports: $(cat "$work/ports")"
# Windows has no port links: every port stands for itself.
wine "$installed/k5-dipswitch-cli.exe" ports --json | tr -d '\r' >"$work/ports.json"
jq -e '.ports[0] == {"port": "COM1", "device": "COM1", "present": true, "mapped": false}' \
    "$work/ports.json" >/dev/null || fail "ports --json: $(cat "$work/ports.json")"
wine "$installed/k5-dipswitch-cli.exe" map COM2 /dev/null >/dev/null 2>&1 && rc=0 || rc=$?
[ "$rc" = 64 ] || fail "map: exit status $rc, not 64"

# The window, on a private X server (window.sh, which shares these functions).
. "$here/window.sh"

# The uninstaller as the installed programs' entry gives it; it runs from a copy in the user's
# scratch folder, so the wait is for the server to end.
wineserver -k; wineserver -w
wine "C:\\Program Files\\K5 DIP-switch\\uninstall.exe" /S || fail "uninstaller: exit status $?"
wineserver -w
diff "$work/before-install" <(prefix_state) >"$work/left" ||
    fail "uninstaller: left behind: $(grep '^>' "$work/left")"
echo "ok: uninstalled silently, nothing left"

[ "$failures" = 0 ] || { echo "$failures check(s) failed"; exit 1; }
echo "all Windows checks passed"
