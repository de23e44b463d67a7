#!/usr/bin/env bash
# Starts the transmitter simulator linked as COM1 and the tool beside it. Both get a private
# configuration folder, so a technician's own port links are left alone.
#   FAULT=KIND         the simulator plays the fault KIND (k5-transmitter-sim --help lists them)
#   FAULT_COUNT=N      ... on the first N requests only
#   BRIDGE=socat       socat between COM1 and the simulator, as a network serial bridge
set -euo pipefail

build=${1:-build}
sim="$build/sim/k5-transmitter-sim"
tool="$build/app/k5-dipswitch"

sim_options=()
[ -n "${FAULT:-}" ] && sim_options+=(--fault "$FAULT")
[ -n "${FAULT_COUNT:-}" ] && sim_options+=(--fault-count "$FAULT_COUNT")
case "${BRIDGE:-}" in
'') sim_options+=(--link COM1) ;;
socat) command -v socat >/dev/null || { echo "BRIDGE=socat: socat is not installed" >&2; exit 1; } ;;
*) echo "BRIDGE=$BRIDGE: the bridge offered is socat" >&2; exit 1 ;;
esac

config=$(mktemp -d -t k5-run.XXXXXX)
sim_pid=
bridge_pid=
cleanup() {
    [ -n "$bridge_pid" ] && kill "$bridge_pid" 2>/dev/null && wait "$bridge_pid" 2>/dev/null
    [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null && wait "$sim_pid" 2>/dev/null
    rm -rf "$config"
}
trap cleanup EXIT INT TERM

export XDG_CONFIG_HOME="$config"
"$sim" "${sim_options[@]}" >"$config/sim.out" 2>"$config/sim.log" &
sim_pid=$!

# The simulator prints its device as its first line once the line is ready.
for _ in $(seq 50); do
    [ -s "$config/sim.out" ] && break
    kill -0 "$sim_pid" 2>/dev/null || { cat "$config/sim.log" >&2; exit 1; }
    sleep 0.1
done
device=$(head -n 1 "$config/sim.out")
if [ "${BRIDGE:-}" = socat ]; then
    socat "PTY,rawer,link=$config/bridge" "$device,rawer" &
    bridge_pid=$!
    for _ in $(seq 50); do [ -e "$config/bridge" ] && break; sleep 0.1; done
    mkdir -p "$config/k5-dipswitch/ports"
    ln -s "$config/bridge" "$config/k5-dipswitch/ports/COM1"
    device="$device through socat at $(readlink "$config/bridge")"
fi
echo "Simulated transmitter on COM1 ($device)${FAULT:+, playing $FAULT}"

if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
    echo "No display found: run this from a desktop session (or under xvfb-run)." >&2
fi
"$tool"
