#!/usr/bin/env bash
# `make bench`: builds the benchmarks in release mode (in build-bench) and runs them under the
# offscreen platform. Prints their table, writes the figures to build-bench/bench.json, copied
# to build/bench.json, and ends with a one-line summary.
#
# Each benchmark program writes its part: build-bench/bench-<part>.json and
# build-bench/bench-<part>.summary. bench.json holds every part under its name, and the summary
# line joins the parts in order; a new benchmark is one more run_part line below.
set -euo pipefail
cd "$(dirname "$0")/.."

dir=build-bench
cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DK5_BUILD_TESTS=OFF >/dev/null
if ! log=$(cmake --build "$dir" -j2 --target k5-bench k5-soak k5-cli-bench 2>&1); then
    echo "$log" >&2
    exit 1
fi
echo "Built the benchmarks in $dir (release)."

export QT_QPA_PLATFORM=offscreen
scratch=$(mktemp -d -t k5-bench.XXXXXX)
trap 'rm -rf "$scratch"' EXIT
# Qt warns without one; mktemp's folder has the private mode it wants.
export XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-$scratch}

parts=()
run_part() { # <part> <program> [arguments...]
    local part=$1
    shift
    rm -f "$dir/bench-$part.json" "$dir/bench-$part.summary"
    "$@" --json "$dir/bench-$part.json" --summary "$dir/bench-$part.summary"
    parts+=("$part")
}

echo
run_part window "$dir/bench/k5-bench" --runs 20
echo
# 2,000 exchanges with faults in one window: every outcome checked, no descriptor or memory
# growth; it fails `make bench` when one is found.
run_part soak "$dir/bench/k5-soak" --exchanges 2000
echo
# 100 transmitters programmed and verified with the command line, one after another; and 10 at
# the line's real speed.
run_part cli "$dir/bench/k5-cli-bench" --transmitters 100 --paced 10

{
    printf '{'
    separator=
    for part in "${parts[@]}"; do
        printf '%s\n"%s": ' "$separator" "$part"
        cat "$dir/bench-$part.json"
        separator=,
    done
    printf '}\n'
} >"$dir/bench.json"
mkdir -p build
cp "$dir/bench.json" build/bench.json

summary=()
for part in "${parts[@]}"; do
    summary+=("$(cat "$dir/bench-$part.summary")")
done
echo
echo "Figures: $dir/bench.json (copy in build/bench.json)"
echo "bench: ${summary[*]}"
