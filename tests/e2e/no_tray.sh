#!/usr/bin/env bash
# End to end: on a desktop without a tray the panel opens as a window at launch and is the
# program: closing it ends the process, leaving nothing behind without an icon or a window.
# Usage: no_tray.sh PATH/TO/dustlet PATH/TO/close_window. Exits 77 (skipped) only when no X
# server can start.
set -u

DUSTLET=${1:?usage: no_tray.sh PATH/TO/dustlet PATH/TO/close_window}
CLOSE_WINDOW=${2:?usage: no_tray.sh PATH/TO/dustlet PATH/TO/close_window}
. "$(dirname "$0")/lib.sh"

start_x   # and no tray host
make_returning_home
start_dustlet

window_shown() { [ -n "$(dustlet_windows | awk '$4 > 50 && $5 > 50')" ]; }
wait_for 150 window_shown || { echo "FAIL: without a tray no panel window opened"; cat "$work/dustlet.log"; xwininfo -root -tree; exit 1; }
read -r win wx wy ww wh <<<"$(dustlet_windows | awk '$4 > 50 && $5 > 50' | head -n1)"
echo "panel window $win at $wx,$wy (${ww}x${wh})"
sleep 1
kill -0 "$dustlet_pid" 2>/dev/null || { echo "FAIL: the program ended by itself"; cat "$work/dustlet.log"; exit 1; }

"$CLOSE_WINDOW" "$win" || { echo "FAIL: could not ask the window to close"; exit 1; }
ended() { ! kill -0 "$dustlet_pid" 2>/dev/null; }
wait_for 50 ended || { echo "FAIL: closing the panel window left the program running"; cat "$work/dustlet.log"; exit 1; }
wait "$dustlet_pid"; code=$?
[ "$code" -eq 0 ] || { echo "FAIL: the program ended with status $code"; cat "$work/dustlet.log"; exit 1; }
echo "PASS"
