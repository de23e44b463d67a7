#!/usr/bin/env bash
# Builds the whole project with AddressSanitizer and UndefinedBehaviorSanitizer in build-asan
# (-DK5_SANITIZE=ON, gcc, Debug) and runs the test suite there. Any report fails the run: ASan and
# UBSan stop the process and LeakSanitizer fails it at exit. Since a report may also come from a
# process whose exit no test checks (the simulator that the end-to-end tests start), the ASan and
# LSan reports of every process are written under build-asan/sanitizer-logs, the tests' output is
# searched for UBSan's, and any of them fails the script.
#
# K5_ASAN_BUILD overrides the build folder; extra arguments go to ctest (e.g. -R tst_link). The
# pictures are the everyday build's where it is configured (K5_MAIN_BUILD, default build),
# rendered there once.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${K5_ASAN_BUILD:-$root/build-asan}
main_build=${K5_MAIN_BUILD:-$root/build}

shared=()
if [ -f "$main_build/build.ninja" ]; then
    cmake --build "$main_build" --target k5-pictures >/dev/null
    shared=(-DK5_PICTURES_FROM="$(realpath "$main_build")/assets/k5")
fi
if [ ! -f "$build/build.ninja" ]; then
    cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DK5_SANITIZE=ON \
        "${shared[@]}" >/dev/null
fi
cmake --build "$build" -j2

reports="$build/sanitizer-logs"
rm -rf "$reports"
mkdir -p "$reports"
# The slow unwinder on allocations, as Qt is built without frame pointers: a leak's stack must
# reach the library frames that the suppressions name. Eight frames are enough and keep it quick.
export ASAN_OPTIONS="halt_on_error=1:detect_leaks=1:check_initialization_order=1:fast_unwind_on_malloc=0:malloc_context_size=8:log_path=$reports/asan"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1:log_path=$reports/ubsan"
export LSAN_OPTIONS="suppressions=$root/tests/sanitizer/lsan.supp:print_suppressions=0"
export QT_QPA_PLATFORM=offscreen

status=0
(cd "$build" && ctest --output-on-failure --timeout 300 "$@") || status=$?

# GCC's UBSan writes to stderr whatever log_path says; its reports land in the tests' output.
if grep -nE 'runtime error:|ERROR: (AddressSanitizer|LeakSanitizer)|SUMMARY: UndefinedBehaviorSanitizer' \
    "$build/Testing/Temporary/LastTest.log" >"$reports/from-test-output" 2>/dev/null; then
    status=1
else
    rm -f "$reports/from-test-output"
fi
if [ -n "$(ls -A "$reports")" ]; then
    echo "Sanitizer reports:" >&2
    for report in "$reports"/*; do
        echo "--- $report" >&2
        cat "$report" >&2
    done
    status=1
fi
exit "$status"
