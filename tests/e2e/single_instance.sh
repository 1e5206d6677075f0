#!/usr/bin/env bash
# End to end: the real program started twice runs once. The second start ends at once and the
# running one shows its panel; after the first ends as in a crash, a new start runs again. A start
# beside a stopped instance ends with status 1 and says so, one from another runtime folder hands
# over to the same instance, and a start without any display, or on one that does not answer, ends
# with status 1 and says why.
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

# The running one stopped: a new start does not run beside it.
kill -STOP "$third"
start_dustlet 4
wait "$dustlet_pid"; code=$?
kill -CONT "$third"
[ "$code" -eq 1 ] || { echo "FAIL: a start beside a stopped instance ended with status $code"; cat "$work/dustlet4.log"; exit 1; }
grep -qx "Dustlet is already running (pid $third) but not answering" "$work/dustlet4.log" \
  || { echo "FAIL: the start beside a stopped instance did not say so"; cat "$work/dustlet4.log"; exit 1; }

# Without XDG_RUNTIME_DIR the socket folder differs; the start still reaches the running one.
env -u DBUS_SESSION_BUS_ADDRESS -u XDG_RUNTIME_DIR HOME="$home" XDG_CONFIG_HOME="$home/.config" \
  XDG_DATA_HOME="$home/.local/share" XDG_CACHE_HOME="$home/.cache" TMPDIR="$work" QT_QPA_PLATFORM=xcb "$DUSTLET" \
  >"$work/dustlet5.log" 2>&1
code=$?
[ "$code" -eq 0 ] || { echo "FAIL: a start without a runtime folder ended with status $code"; cat "$work/dustlet5.log"; exit 1; }
kill -0 "$third" 2>/dev/null || { echo "FAIL: the running instance ended"; exit 1; }

# No display at all.
env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM HOME="$home" XDG_CONFIG_HOME="$work/nodisplay" "$DUSTLET" \
  >"$work/dustlet6.log" 2>&1
code=$?
[ "$code" -eq 1 ] || { echo "FAIL: a start without a display ended with status $code"; cat "$work/dustlet6.log"; exit 1; }
grep -qx "dustlet: no display to show the tray icon on (DISPLAY and WAYLAND_DISPLAY are unset)" "$work/dustlet6.log" \
  || { echo "FAIL: a start without a display did not say why"; cat "$work/dustlet6.log"; exit 1; }

# A display that is named but has no server: one line, and status 1 (not the toolkit's abort).
absent=149
while [ -e "/tmp/.X11-unix/X$absent" ] || [ -e "/tmp/.X$absent-lock" ]; do absent=$((absent + 1)); done
env -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM DISPLAY=":$absent" HOME="$home" XDG_CONFIG_HOME="$work/nodisplay" "$DUSTLET" \
  >"$work/dustlet7.log" 2>&1
code=$?
[ "$code" -eq 1 ] || { echo "FAIL: a start on a display without a server ended with status $code"; cat "$work/dustlet7.log"; exit 1; }
[ "$(cat "$work/dustlet7.log")" = "dustlet: can't open the display :$absent" ] \
  || { echo "FAIL: a start on a display without a server did not say so in one line"; cat "$work/dustlet7.log"; exit 1; }
echo "PASS"
