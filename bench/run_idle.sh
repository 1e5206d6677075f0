#!/usr/bin/env bash
# What the program costs while nobody uses it: starts the real program in a private X server
# with a tray host (the icon never clicked) and a fake home whose cache folder holds a generated
# tree, then reads the process's CPU time from /proc — once after the start-up (which measures
# every target) and again after SECONDS of idling (refresh timer, cache watcher re-measuring
# the caches every 180 s).
#
# usage: bench/run_idle.sh [SECONDS] [FILES] [HOME_FOLDER]
#   SECONDS defaults to 600, FILES to 200000 (in FILES / 90 folders);
#   HOME_FOLDER (default: a new temporary folder, removed afterwards) keeps the generated tree
#   between runs. DUSTLET=path/to/dustlet overrides the binary (default: build/default/dustlet).
set -euo pipefail

here="$(cd "$(dirname "$0")" && pwd)"
root="$(cd "$here/.." && pwd)"
idle="${1:-600}"
files="${2:-200000}"
folders=$((files / 90))
DUSTLET="${DUSTLET:-$root/build/default/dustlet}"
[ -x "$DUSTLET" ] || { echo "run_idle: $DUSTLET is not built"; exit 1; }

. "$root/tests/e2e/lib.sh"
if [ -n "${3:-}" ]; then
  home="$3"
else
  make_home
fi
mkdir -p "$home/.config/dustlet" "$work/run" && chmod 700 "$work/run"
cat >"$home/.config/dustlet/defaults.plist" <<'PLIST'
<?xml version="1.0" encoding="UTF-8"?>
<!DOCTYPE plist PUBLIC "-//Apple//DTD PLIST 1.0//EN" "http://www.apple.com/DTDs/PropertyList-1.0.dtd">
<plist version="1.0"><dict><key>hasCompletedOnboarding</key><true/></dict></plist>
PLIST
# The tree lies in the folder the everyday cache target measures and clears here: the XDG cache
# folder start_dustlet gives the program.
tree="$home/.cache/bench-tree"
echo "tree: $tree ($files files in $folders folders)"
python3 "$here/gen_tree.py" "$tree" "$files" "$folders"

start_x
start_tray
start_dustlet
pid=$dustlet_pid
read -r px py pw ph <<<"$(geometry "$panel")"
wait_for 150 find_icon || { echo "run_idle: no tray icon came up"; cat "$work/dustlet.log"; exit 1; }

tck=$(getconf CLK_TCK)
cpu() { awk -v t="$tck" '{printf "%.2f", ($14 + $15) / t}' "/proc/$pid/stat"; }

sleep 30
boot=$(cpu)
echo "start-up, first 30 s (every target measured once): ${boot} s CPU"
sleep "$idle"
kill -0 "$pid" 2>/dev/null || { echo "run_idle: the program ended"; cat "$work/dustlet.log"; exit 1; }
total=$(cpu)
spent=$(echo "$total - $boot" | bc)
echo "idle, next ${idle} s (tray icon never clicked): ${spent} s CPU, $(echo "scale=3; 100 * $spent / $idle" | bc) % of one core"
# The shared clean-up at exit waits for the processes it kills, which report their signal.
set +e
