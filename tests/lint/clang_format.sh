#!/bin/sh
# The sources of the program, its tests and its benchmarks are formatted as .clang-format says.
# Fails naming every line that clang-format would change. Needs clang-format 14 (another version
# lays some constructs out differently); skipped (77) with a message when it is not installed.
# scripts/setup installs it; `clang-format -i <files>` formats.
#
# Usage: clang_format.sh <source folder>
source=$1
format=""
for candidate in clang-format-14 clang-format; do
    if command -v "$candidate" >/dev/null 2>&1 && "$candidate" --version | grep -q 'version 14\.'; then
        format=$candidate
        break
    fi
done
if [ -z "$format" ]; then
    echo "clang-format 14 is not installed: skipped (./scripts/setup installs it)"
    exit 77
fi
files=$(find "$source/src" "$source/tests" "$source/bench" \( -name '*.cpp' -o -name '*.h' -o -name '*.mm' \) -type f | sort)
if [ -z "$files" ]; then
    echo "no sources found under $source"
    exit 1
fi
jobs=$(nproc 2>/dev/null || echo 4)
out=$(printf '%s\n' "$files" | xargs -P "$jobs" -n 16 "$format" --style=file --dry-run -Werror 2>&1)
findings=$(printf '%s\n' "$out" | grep -E 'error: code should be clang-formatted')
if [ -n "$findings" ]; then
    printf '%s\n' "$findings" | sed "s#^$source/##"
    echo "$(printf '%s\n' "$findings" | wc -l) place(s) not formatted: run $format -i on the files named"
    exit 1
fi
if printf '%s\n' "$out" | grep -qE '(error|warning):'; then
    printf '%s\n' "$out" | tail -20
    exit 1
fi
echo "$(printf '%s\n' "$files" | wc -l) files formatted as .clang-format says"
