#!/usr/bin/env bash
# `make bench`: builds the benchmark in release mode (in build-bench) and runs it under the
# offscreen platform. Prints its tables and the one-line summary that starts with "bench:", and
# writes the figures to build-bench/bench.json, copied to build/bench.json. README.md's
# "Performance" section says how each figure is taken. The pictures are the everyday build's
# where it is configured (argument 1, default build), rendered there once.
set -euo pipefail
cd "$(dirname "$0")/.."

build=${1:-build}
dir=build-bench
shared=()
if [ -f "$build/build.ninja" ]; then
    if ! log=$(cmake --build "$build" --target k5-pictures 2>&1); then
        echo "$log" >&2
        exit 1
    fi
    shared=(-DK5_PICTURES_FROM="$(realpath "$build")/assets/k5")
fi
cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DK5_BUILD_TESTS=OFF "${shared[@]}" \
    >/dev/null
if ! log=$(cmake --build "$dir" -j2 --target k5-bench 2>&1); then
    echo "$log" >&2
    exit 1
fi
echo "Built the benchmark in $dir (release)."
echo

export QT_QPA_PLATFORM=offscreen
scratch=$(mktemp -d -t k5-bench.XXXXXX)
trap 'rm -rf "$scratch"' EXIT
# Qt warns without one; mktemp's folder has the private mode it wants.
export XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-$scratch}

# 20 runs of each exchange and start-up; a soak of 2,000 exchanges, which fails the run when a
# descriptor or memory grows; 100 transmitters with the command line, and 10 at 2400 baud.
"$dir/bench/k5-bench" --runs 20 --json "$dir/bench.json"
mkdir -p "$build"
cp "$dir/bench.json" "$build/bench.json"
echo "Figures: $dir/bench.json (copy in $build/bench.json)"
