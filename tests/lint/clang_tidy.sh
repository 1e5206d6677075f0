#!/bin/sh
# clang-tidy's bugprone and performance checks (see .clang-tidy for those left out, and why) over
# the program's own sources as compile_commands.json builds them, in parallel. Any finding fails.
# Skipped (77) when clang-tidy is not installed; scripts/setup installs it.
#
# Usage: clang_tidy.sh <build folder> <source folder>
build=$1
source=$2
if ! command -v clang-tidy >/dev/null 2>&1 || ! command -v run-clang-tidy >/dev/null 2>&1; then
    echo "clang-tidy is not installed: skipped (./scripts/setup installs it)"
    exit 77
fi
if [ ! -f "$build/compile_commands.json" ]; then
    echo "no $build/compile_commands.json"
    exit 1
fi
jobs=$(nproc 2>/dev/null || echo 4)
# Headers count where they are the project's own (not moc's output in the build folder).
# The compiler's own warnings are the build's to judge (g++ with -Werror under CI); clang's
# -Woverloaded-virtual also flags a view's signal named like a QAbstractItemView slot.
out=$(run-clang-tidy -quiet -j "$jobs" -p "$build" -extra-arg=-Wno-overloaded-virtual -header-filter "^$source/src/" "^$source/src/" 2>&1)
status=$?
findings=$(printf '%s\n' "$out" | grep -E '(warning|error): ')
if [ -n "$findings" ]; then
    printf '%s\n' "$findings"
    echo "clang-tidy: $(printf '%s\n' "$findings" | wc -l) findings"
    exit 1
fi
if [ "$status" -ne 0 ]; then
    printf '%s\n' "$out" | tail -30
    exit 1
fi
echo "clang-tidy: no findings"
