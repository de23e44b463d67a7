# The installed window under Wine on a private X server; sourced by test-windows.sh, whose
# start_sim, hold_com1, fail and not_under_wine it uses. Its first frame beside the Linux build's,
# then, by the window's status log (its k5.window lines, each with the time since the start):
# a Read; a Write that the simulator confirms, which goes out once and is told once; the code
# sheet printed through Wine's spooler into a queue of a private CUPS scheduler; a Read against a
# silent transmitter, which ends in the error text after the time limit; a Read on a port that
# another program holds, and on one whose device is gone.

# The Wine that ran the command line had no display; the window's starts afresh with one. Its
# server's output goes aside: it lists its objects each time a line it holds is hung up.
wineserver -k; wineserver -w
wineserver -p 2>>"$work/wineserver.log"
Xvfb -displayfd 5 -screen 0 1280x1024x24 -nolisten tcp 5>"$work/display" 2>/dev/null &
xvfb_pid=$!
until [ -s "$work/display" ]; do sleep 0.05; done
export DISPLAY=:$(cat "$work/display")
setenv QT_MESSAGE_PATTERN '%{time process} %{category}: %{message}'
start_sim --code 4242
# The window runs under a private CUPS scheduler (common/privatecups.sh) with one queue of the
# virtual PDF printer, the scheduler's default, as a machine with one printer has it; its default
# paper, Legal, is neither Windows' nor Wine's first choice. Wine's spooler lists the scheduler's
# queues as Windows printers, and its default as Windows' default printer, when a program loads
# it while no other that has loaded it runs: here the window, which reaches the scheduler through
# CUPS_SERVER. The scheduler's folder goes to $work/cups once the queue is there.
"$here/../common/privatecups.sh" bash -c 'lpadmin -p "$0" -E -v "cups-pdf:/${K5_CUPS_FOLDER##*/}" \
    -m lsb/usr/cups-pdf/CUPS-PDF_opt.ppd -o PageSize=Legal && lpadmin -d "$0" &&
    echo "$K5_CUPS_FOLDER" >"$1" && exec "${@:2}"' K5-Test-PDF "$work/cups" \
    wine "$installed/k5-dipswitch.exe" >"$work/window.log" 2>&1 &
window_pid=$!
until [ -s "$work/cups" ] || ! kill -0 "$window_pid" 2>/dev/null; do sleep 0.05; done
cups=$(cat "$work/cups" 2>/dev/null || true)
if [ -z "$cups" ]; then
    wait "$window_pid" && cups_status=0 || cups_status=$?
    if [ "$cups_status" = 77 ]; then
        echo "skipped: window: Print: $(tail -n 1 "$work/window.log" | sed 's/^skipped: //')"
    else
        fail "window: Print: no private CUPS scheduler: $(cat "$work/window.log")"
    fi
    wine "$installed/k5-dipswitch.exe" >"$work/window.log" 2>&1 &
    window_pid=$!
fi
# retry TIMES COMMAND...: COMMAND every tenth of a second until it succeeds, at most TIMES times.
retry() {
    local times=$1
    shift
    until "$@"; do
        times=$((times - 1))
        [ "$times" -gt 0 ] || return 1
        sleep 0.1
    done
}
id=$(retry 600 xdotool search --name '^K5 DIP-switch$' 2>/dev/null | head -n 1 || true)

# The status texts so far, without their times.
statuses() { tr -d '\r' <"$work/window.log" | sed -nE 's/^ *[0-9.]+ k5\.window: status: //p'; }
# click WHAT X Y: clicks at X,Y in the window and sets outcome to the status text that ends the
# exchange (OK, error or the port's message; a running text ends nothing).
click() {
    local count
    count=$(statuses | wc -l)
    xdotool mousemove --window "$id" "$2" "$3" click 1
    retry 100 ended && return
    fail "window: $1: no outcome, the status log: $(statuses | tail -n 3)"
    return 1
}
# ended: outcome is the first status text past the count before the click that ends an exchange.
ended() {
    outcome=$(statuses | tail -n +$((count + 1)) | grep -E '(OK!|error|not available for use)$' |
        head -n 1)
    [ -n "$outcome" ]
}
# expect WHAT TEXT: the outcome is TEXT.
expect() {
    [ "$outcome" = "$2" ] || { fail "window: $1: \"$outcome\", not \"$2\""; return 1; }
}
# Button centres, from app/form1.ui.
read_button=(75 459)
print_button=(188 459)
write_button=(300 459)

if [ -z "$id" ]; then
    fail "window: did not come up: $(cat "$work/window.log")"
else
    sleep 1
    xwd -id "$id" -silent | xwdtopnm 2>/dev/null >"$work/window.ppm"

    click Read "${read_button[@]}" && expect Read "Read transmitter DIP-switch code OK!" &&
        echo "ok: window: Read"
    grep -q '^rx 00 FF 01 02 02 03 01 00 02 F5$' "$work/sim.log" ||
        fail "window: the simulator got no read request: $(cat "$work/sim.log")"

    # The code the Read showed, 4242 (10 92), written and confirmed: one request, one text.
    start_sim
    if click Write "${write_button[@]}" && expect Write "Write transmitter DIP-switch code OK!"; then
        sleep 0.5
        [ "$(grep -c '^rx ' "$work/sim.log")" = 1 ] &&
            grep -q '^rx 00 FF 01 02 12 04 01 00 10 92 ' "$work/sim.log" ||
            fail "window: Write: on the line $(grep '^rx ' "$work/sim.log")"
        [ "$(statuses | grep -c '^Write transmitter DIP-switch code OK!$')" = 1 ] ||
            fail "window: Write: told $(statuses | grep -c '^Write ') times"
        echo "ok: window: Write confirmed once"
    fi

    # Print, and Enter in Wine's print dialog, as a person confirms it: no status text, one job,
    # named after the tool, and in the PDF that the queue writes for it one page on the queue's
    # paper with the sheet of the code shown, 4242, whose lines the Linux build's sheet has too.
    if [ -n "$cups" ]; then
        count=$(statuses | wc -l)
        xdotool mousemove --window "$id" "${print_button[@]}" click 1
        if ! retry 100 xdotool search --onlyvisible --name '^Print$' >/dev/null 2>&1; then
            fail "window: Print: no print dialog: $(statuses | tail -n 1)"
        else
            # Wine hands a key to the window it has focused, the dialog, whichever of its
            # windows the X server gave it to.
            xdotool key Return
            # The scheduler logs the job once cups-pdf has written its PDF.
            retry 300 test -s "$cups/log/page_log" || true
            pdf=$(find "$cups/out" -name '*-job_1.pdf')
            # The font draws the hyphen and the soft hyphen with one glyph, which Qt gives
            # Windows by its index, and the PDF reads that glyph back as the soft hyphen.
            sheet=$(pdftotext "$pdf" - 2>&1 | sed 's/\xc2\xad/-/g' | tr -d '\f' | grep . || true)
            # The queue's jobs, the pages and their paper (Legal), the status log after the
            # click (the status emptied) and the sheet's lines.
            printed="$(cat "$cups/log/page_log" 2>/dev/null)|$(pdfinfo "$pdf" 2>&1 |
                sed -nE 's/^(Pages|Page size): +//p' | xargs)|$(statuses | tail -n +$((count + 1)) | tr '\n' '|')
$sheet"
            [ "$printed" = "1 total K5 DIP-switch code sheet|1 612 x 1008 pts||
DIP-switch 1-10
- 0 - 0 0 + + 0 - -
DIP-switch code: 4242" ] && echo "ok: window: Print, the sheet's lines in the queue's PDF" ||
                fail "window: Print: $printed"
        fi
    fi

    # Nothing comes back: the error once the time limit has run out after the request.
    start_sim --fault no-echo
    if click "silent transmitter" "${read_button[@]}" &&
        expect "silent transmitter" "Read transmitter DIP-switch code error"; then
        tr -d '\r' <"$work/window.log" | awk '
            / k5\.link: COM1: opened / { opened = $1 }
            / k5\.window: status: Read transmitter DIP-switch code error$/ { error = $1 }
            END { printf "%d\n", (error - opened) * 1000 }' >"$work/waited"
        [ "$(cat "$work/waited")" -ge 500 ] ||
            fail "window: silent transmitter: the error $(cat "$work/waited") ms after the open"
        echo "ok: window: silent transmitter, the error $(cat "$work/waited") ms after the open"
    fi

    start_sim
    hold_com1
    if click "port held" "${read_button[@]}"; then
        if [ "$outcome" = "Read transmitter DIP-switch code OK!" ]; then
            not_under_wine "window: port held by another program" "Wine lets a second program \
open a COM port that one holds"
        elif expect "port held" "COM1 not available for use"; then
            echo "ok: window: port held by another program"
        fi
    fi
    release_com1

    ln -sfn /nonexistent/ttyUSB9 "$work/com1"
    click "port without device" "${read_button[@]}" &&
        expect "port without device" "COM1 not available for use" &&
        echo "ok: window: port without device"
fi
xdotool key --window "$id" alt+F4 2>/dev/null || true
wait "$window_pid" 2>/dev/null || true

QT_QPA_PLATFORM=offscreen "$linux/app/form1-screenshot" "$work/linux.png" >/dev/null
pngtopnm "$work/linux.png" >"$work/linux.ppm"
# The share of pixels that differ by more than a little in brightness: the pictures are the
# same, the text is drawn by another rasteriser.
differing=$(pamarith -difference "$work/window.ppm" "$work/linux.ppm" | ppmtopgm |
    pgmtopbm -threshold -value 0.1 | pamsumm -mean -normalize -brief) &&
    awk -v d="$differing" 'BEGIN { printf "first frame: %.1f%% of the pixels as on Linux\n",
        100 * (1 - d); exit d > 0.1 }' || fail "window: first frame unlike the Linux one"
if [ -n "$shot" ]; then pnmtopng "$work/window.ppm" >"$shot" && echo "wrote $shot"; fi
kill "$xvfb_pid" 2>/dev/null; wait "$xvfb_pid" 2>/dev/null || true
xvfb_pid=
unset DISPLAY
