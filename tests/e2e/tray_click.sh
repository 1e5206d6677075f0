#!/usr/bin/env bash
# End to end: the real program starts in a fresh X server with a tray host, its icon shows up
# in the tray, and a click on the icon shows the panel under it.
# Usage: tray_click.sh PATH/TO/dustlet. Exits 77 (skipped) only when no X server can start.
set -u

DUSTLET=${1:?usage: tray_click.sh PATH/TO/dustlet}
. "$(dirname "$0")/lib.sh"

start_x
start_tray
read -r px py pw ph <<<"$(geometry "$panel")"

# Not a first launch: the welcome flow (tested by first_launch.sh) stays closed.
make_returning_home
start_dustlet

if ! wait_for 150 find_icon; then
  echo "FAIL: no tray icon of dustlet appeared"; cat "$work/dustlet.log"; xwininfo -root -tree; exit 1
fi
read -r icon ix iy iw ih <<<"$(tray_icon)"
echo "tray icon $icon at $ix,$iy (${iw}x${ih})"

if [ -n "$(other_windows | awk '$4 > 50')" ]; then
  echo "FAIL: a window was open before the click:"; other_windows; exit 1
fi

xdotool mousemove $((ix + iw / 2)) $((iy + ih / 2)) click 1
if ! wait_for 50 panel_shown; then
  echo "FAIL: clicking the tray icon showed no window"; cat "$work/dustlet.log"; xwininfo -root -tree; exit 1
fi
read -r win wx wy ww wh <<<"$(other_windows | awk '$4 > 50 && $5 > 50' | head -n1)"
echo "window $win at $wx,$wy (${ww}x${wh})"
if [ "$wy" -lt $((iy + ih)) ]; then
  echo "FAIL: the panel is not under the tray icon"; exit 1
fi

# A click elsewhere closes the panel; the last window closing must not end a tray program.
xdotool mousemove 200 500 click 1
wait_for 50 panel_gone || { echo "FAIL: the panel stayed open after a click elsewhere"; exit 1; }
sleep 0.5
kill -0 "$dustlet_pid" 2>/dev/null || { echo "FAIL: dustlet exited when its panel closed"; cat "$work/dustlet.log"; exit 1; }
# And the icon opens it again.
xdotool mousemove $((ix + iw / 2)) $((iy + ih / 2)) click 1
wait_for 50 panel_shown || { echo "FAIL: a second click on the tray icon showed no window"; exit 1; }

# A double click is one click: the panel opens and stays open.
xdotool mousemove 200 500 click 1
wait_for 50 panel_gone || { echo "FAIL: the panel stayed open after a click elsewhere"; exit 1; }
xdotool mousemove $((ix + iw / 2)) $((iy + ih / 2)) click --repeat 2 --delay 60 1
sleep 1
panel_shown || { echo "FAIL: a double click on the tray icon left no panel open"; exit 1; }

# A right click shows the icon's menu.
xdotool mousemove 200 500 click 1
wait_for 50 panel_gone || { echo "FAIL: the panel stayed open after a click elsewhere"; exit 1; }
xdotool mousemove $((ix + iw / 2)) $((iy + ih / 2)) click 3
menu_shown() { [ -n "$(other_windows | awk '$4 > 50 && $5 > 20')" ]; }
wait_for 50 menu_shown || { echo "FAIL: a right click on the tray icon showed no menu"; exit 1; }

# Its last item, "Quit", ends the program, without waiting for anything still running.
xdotool key Up Return
quit_at=$(date +%s%N)
ended() { ! kill -0 "$dustlet_pid" 2>/dev/null; }
wait_for 50 ended || { echo "FAIL: Quit in the icon's menu left the program running"; cat "$work/dustlet.log"; exit 1; }
echo "ended $(( ($(date +%s%N) - quit_at) / 1000000 )) ms after Quit"
wait "$dustlet_pid"; code=$?
[ "$code" -eq 0 ] || { echo "FAIL: the program ended with status $code after Quit"; cat "$work/dustlet.log"; exit 1; }
echo "PASS"
