#!/usr/bin/env bash
# The folder-size benchmarks alone: Scanner::directorySize (dustlet-bench size) beside du -s and
# gdu -n on the 1,000,000-file tree and on a copy of /usr (B1-size), and the panel's sizing of
# every target (B-panel). Times, ratios against the goals, load and answer checks are printed by
# run_engines.py, which this calls; extra arguments go to it (--runs N, --cold, --work DIR …).
#   DUSTLET_BENCH=path/to/dustlet-bench overrides the binary (default: build/default/bench/dustlet-bench)
set -euo pipefail

here="$(cd "$(dirname "$0")" && pwd)"
root="$(cd "$here/.." && pwd)"
bench="${DUSTLET_BENCH:-$root/build/default/bench/dustlet-bench}"

if [ ! -x "$bench" ]; then
  (cd "$root" && cmake --preset default >/dev/null && cmake --build --preset default -j6 --target dustlet-bench)
fi
exec python3 "$here/run_engines.py" --bench "$bench" --only B1-size,B-panel "$@"
