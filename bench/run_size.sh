#!/usr/bin/env bash
# Times Scanner::directorySize (through `dustlet-bench size`) beside `du -s` and `gdu -n` on the
# same warm generated tree, prints the ratios, and checks the byte total against the sum of
# st_blocks * 512 over the tree's regular files.
#
# usage: bench/run_size.sh [TREE] [FILES] [FOLDERS]
#   TREE defaults to /tmp/dustlet-bench-tree (1,000,000 files in 11,000 folders)
#   DUSTLET_BENCH=path/to/dustlet-bench overrides the binary (default: build/default/bench/dustlet-bench)
set -euo pipefail

here="$(cd "$(dirname "$0")" && pwd)"
root="$(cd "$here/.." && pwd)"
tree="${1:-/tmp/dustlet-bench-tree}"
files="${2:-1000000}"
folders="${3:-11000}"
bench="${DUSTLET_BENCH:-$root/build/default/bench/dustlet-bench}"

if [ ! -x "$bench" ]; then
  (cd "$root" && cmake --preset default >/dev/null && cmake --build --preset default -j3 --target dustlet-bench)
fi

if ! command -v gdu >/dev/null 2>&1; then
  if [ "$(id -u)" -eq 0 ]; then SUDO=""; else SUDO="sudo"; fi
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get install -y --no-install-recommends gdu >/dev/null \
    || { $SUDO apt-get update >/dev/null && $SUDO apt-get install -y --no-install-recommends gdu >/dev/null; } \
    || echo "run_size: gdu could not be installed; timing without it" >&2
fi

echo "tree: $tree ($files files, $folders folders)"
python3 "$here/gen_tree.py" "$tree" "$files" "$folders"

now() { date +%s.%N; }
timed() { # prints the wall seconds of "$@" (output discarded)
  local t0 t1
  t0=$(now); "$@" >/dev/null 2>&1; t1=$(now)
  awk -v a="$t0" -v b="$t1" 'BEGIN {printf "%.6f", b - a}'
}

# Warm the caches: one untimed pass of each.
du -s "$tree" >/dev/null
"$bench" size "$tree" >/dev/null

runs=3
best() { # best of $runs for "$@"
  local b="" t
  for _ in $(seq $runs); do
    t=$(timed "$@")
    if [ -z "$b" ] || awk -v t="$t" -v b="$b" 'BEGIN {exit !(t < b)}'; then b=$t; fi
  done
  echo "$b"
}

t_dustlet=$(best "$bench" size "$tree")
t_du=$(best du -s "$tree")
t_gdu=""
if command -v gdu >/dev/null 2>&1; then
  t_gdu=$(best gdu -n "$tree")
fi

out=$("$bench" size "$tree")
bytes=$(echo "$out" | awk '/^bytes /{print $2}')
rss=$(echo "$out" | awk '/^max_rss_kb /{print $2}')
expected=$(find "$tree" -type f -printf '%b\n' | awk '{s += $1} END {printf "%.0f", s * 512}')

ratio() { awk -v a="$1" -v b="$2" 'BEGIN {printf "%.2f", a / b}'; }
printf 'dustlet-bench size  %8.3f s   (peak RSS %s KB)\n' "$t_dustlet" "$rss"
printf 'du -s               %8.3f s   ratio dustlet/du  %s\n' "$t_du" "$(ratio "$t_dustlet" "$t_du")"
if [ -n "$t_gdu" ]; then
  printf 'gdu -n              %8.3f s   ratio dustlet/gdu %s\n' "$t_gdu" "$(ratio "$t_dustlet" "$t_gdu")"
fi
echo "bytes: dustlet $bytes, sum of st_blocks*512 over regular files $expected"
if [ "$bytes" != "$expected" ]; then
  echo "run_size: MISMATCH" >&2
  exit 1
fi
echo "bytes match"
