#!/usr/bin/env bash
# Starts the transmitter simulator linked as COM1 and the tool beside it. Both get a private
# configuration folder, so a technician's own port links are left alone.
set -euo pipefail

build=${1:-build}
sim="$build/sim/k5-transmitter-sim"
tool="$build/app/k5-dipswitch"

config=$(mktemp -d -t k5-run.XXXXXX)
sim_pid=
cleanup() {
    [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null && wait "$sim_pid" 2>/dev/null
    rm -rf "$config"
}
trap cleanup EXIT INT TERM

export XDG_CONFIG_HOME="$config"
"$sim" --link COM1 >"$config/sim.out" 2>"$config/sim.log" &
sim_pid=$!

# The simulator prints its device as its first line once the line is ready.
for _ in $(seq 50); do
    [ -s "$config/sim.out" ] && break
    kill -0 "$sim_pid" 2>/dev/null || { cat "$config/sim.log" >&2; exit 1; }
    sleep 0.1
done
echo "Simulated transmitter on COM1 ($(head -n 1 "$config/sim.out"))"

if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
    echo "No display found: run this from a desktop session (or under xvfb-run)." >&2
fi
"$tool"
