#!/usr/bin/env bash
# End to end: the real program started twice runs once. The second start ends at once and the
# running one shows its panel; after the first ends as in a crash, a new start runs again.
# Usage: single_instance.sh PATH/TO/dustlet. Exits 77 (skipped) only when no X server can start.
set -u

DUSTLET=${1:?usage: single_instance.sh PATH/TO/dustlet}
. "$(dirname "$0")/lib.sh"

start_x
start_tray
make_returning_home
start_dustlet 1
first=$dustlet_pid
wait_for 150 find_icon || { echo "FAIL: no tray icon of dustlet appeared"; cat "$work/dustlet1.log"; exit 1; }
panel_gone || { echo "FAIL: a window was open before the second start"; exit 1; }

start_dustlet 2
second=$dustlet_pid
second_gone() { ! kill -0 "$second" 2>/dev/null; }
wait_for 100 second_gone || { echo "FAIL: the second start kept running"; exit 1; }
wait "$second"; code=$?
[ "$code" -eq 0 ] || { echo "FAIL: the second start ended with status $code"; cat "$work/dustlet2.log"; exit 1; }
wait_for 50 panel_shown || { echo "FAIL: the running instance did not show its panel"; cat "$work/dustlet1.log"; exit 1; }
kill -0 "$first" 2>/dev/null || { echo "FAIL: the first instance ended"; exit 1; }

# The first one ends as if it had crashed: its socket is left behind, yet a new start runs.
kill -9 "$first"; wait "$first" 2>/dev/null
start_dustlet 3
third=$dustlet_pid
sleep 2
kill -0 "$third" 2>/dev/null || { echo "FAIL: a start after a crash did not run"; cat "$work/dustlet3.log"; exit 1; }
echo "PASS"
