#!/usr/bin/env bash
# Static analysis of the product's code: clang-tidy (checks in .clang-tidy) and cppcheck.
# usage: scripts/lint.sh BUILD_DIR    (a configured build folder with compile_commands.json)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
dirs=(app code ports link widgets print sim cli)

# clang-tidy reads the compile commands of the build; headers are checked through the sources
# that include them (HeaderFilterRegex). The form's looks are compiled for the start-up
# benchmark's bare form too, whose generated form header comes with its program.
cmake --build "$build" --target k5-startup-bare >/dev/null
# The Windows-only sources are not in this build; `make windows` compiles them with the same
# warnings.
mapfile -t sources < <(find "${dirs[@]}" -name '*.cpp' -not -name '*_win.cpp' \
    -not -name 'winserialport.cpp' | sort)
echo "lint: clang-tidy on ${#sources[@]} files"
printf '%s\n' "${sources[@]}" |
    xargs -P "$(nproc)" -n 4 clang-tidy -p "$build" --quiet > "$build/clang-tidy.log" 2>&1 ||
    { grep -E -A3 'error:|warning:' "$build/clang-tidy.log"; exit 1; }

# cppcheck reads the sources on its own; it knows Qt's macros from its qt library.
echo "lint: cppcheck"
cppcheck --enable=warning,performance,portability,style --library=qt --std=c++20 \
    --inline-suppr --error-exitcode=1 --quiet -j "$(nproc)" \
    --suppress=missingIncludeSystem --suppress=missingInclude \
    "${dirs[@]/#/-I}" "${dirs[@]}"
echo "lint: clean"
