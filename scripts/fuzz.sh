#!/usr/bin/env bash
# Builds the libFuzzer targets with clang in build-fuzz and runs each for a bounded time, starting
# from the seeds in tests/fuzz/corpus/<target>/. The seeds are copied into a scratch corpus first,
# so a run never writes into the repository. A crash, a leak, a hang or a broken invariant fails
# the script and names the reproducer.
#
#   scripts/fuzz.sh           the longer run, 300 s per target (`make fuzz`)
#   scripts/fuzz.sh --short   20 s per target (`make test`)
#
# FUZZ_SECONDS overrides the time per target; K5_FUZZ_BUILD the build folder.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${K5_FUZZ_BUILD:-$root/build-fuzz}
seconds=300
case "${1:-}" in
--short) seconds=20 ;;
"") ;;
*)
    echo "usage: $0 [--short]" >&2
    exit 2
    ;;
esac
seconds=${FUZZ_SECONDS:-$seconds}
targets=(fuzz_reply_reception)

if [ ! -f "$build/build.ninja" ]; then
    CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DK5_FUZZ=ON -DK5_BUILD_TESTS=OFF >/dev/null
fi
cmake --build "$build" -j2 --target fuzzers

scratch=$(mktemp -d "${TMPDIR:-/tmp}/k5-fuzz.XXXXXX")
trap 'rm -rf "$scratch"' EXIT

# Reports stop the target at once; libFuzzer turns them into a reproducer file.
export ASAN_OPTIONS="${ASAN_OPTIONS:-halt_on_error=1:detect_leaks=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-halt_on_error=1:print_stacktrace=1}"
export LSAN_OPTIONS="${LSAN_OPTIONS:-suppressions=$root/tests/sanitizer/lsan.supp:print_suppressions=0}"

failed=0
for target in "${targets[@]}"; do
    corpus="$scratch/$target"
    mkdir -p "$corpus"
    cp "$root/tests/fuzz/corpus/$target/"* "$corpus/"
    artifacts="$build/fuzz-artifacts/$target"
    logs="$build/fuzz-logs"
    mkdir -p "$artifacts" "$logs"
    log="$logs/$target.log"
    options=(-max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=4096
        -use_value_profile=1 -print_final_stats=1 -artifact_prefix="$artifacts/")
    dict="$root/tests/fuzz/$target.dict"
    [ -f "$dict" ] && options+=(-dict="$dict")

    echo "== $target: ${seconds} s from $(ls "$corpus" | wc -l) seeds"
    rc=0
    "$build/tests/fuzz/$target" "${options[@]}" "$corpus" >"$log" 2>&1 || rc=$?
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
    units=$(ls "$corpus" | wc -l)
    if [ "$rc" -eq 0 ]; then
        coverage=$(sed -n 's/.*DONE *\(cov: [0-9]* ft: [0-9]*\).*/\1/p' "$log" | tail -n 1)
        echo "   ${runs:-?} executions, $coverage, corpus of $units inputs (log: $log)"
        continue
    fi
    failed=1
    echo "FAILED: $target stopped with exit code $rc after ${runs:-?} executions" >&2
    grep -E '^(==[0-9]+==ERROR|SUMMARY|invariant broken)|runtime error|Assertion|ASSERT' "$log" | head -n 20 >&2 || true
    reproducer=$(sed -n 's/.*Test unit written to \(.*\)$/\1/p' "$log" | tail -n 1)
    if [ -n "$reproducer" ]; then
        echo "   reproducer: $reproducer" >&2
        echo "   replay:     $build/tests/fuzz/$target $reproducer" >&2
    else
        echo "   no reproducer written; see $log" >&2
    fi
    echo "   full log:   $log" >&2
done
exit "$failed"
