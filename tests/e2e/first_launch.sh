#!/usr/bin/env bash
# End to end: a first launch in a fresh home (with a tray) shows the welcome flow over the whole screen; Return
# moves on, Escape leaves it; then the first-run hint shows as a band at the top of the screen,
# and a click on it takes it away while the program keeps running.
# Usage: first_launch.sh PATH/TO/dustlet. Exits 77 (skipped) only when no X server can start.
set -u

DUSTLET=${1:?usage: first_launch.sh PATH/TO/dustlet}
[ -x "$DUSTLET" ] || { echo "FAIL: $DUSTLET is not an executable"; exit 1; }
for tool in Xvfb trayer xdotool xwininfo; do
  command -v "$tool" >/dev/null 2>&1 || { echo "FAIL: $tool is missing (scripts/setup installs it)"; exit 1; }
done

work=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done
  for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null; done
  rm -rf "$work"
}
trap cleanup EXIT

wait_for() {
  local tries=$1; shift
  while [ "$tries" -gt 0 ]; do
    "$@" && return 0
    sleep 0.1
    tries=$((tries - 1))
  done
  return 1
}

Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb_pid=$!
pids+=($xvfb_pid)
display_settled() { test -s "$work/display" || ! kill -0 "$xvfb_pid" 2>/dev/null; }
wait_for 100 display_settled
if ! test -s "$work/display"; then
  echo "SKIP: the X server could not start:"; cat "$work/xvfb.log"; exit 77
fi
export DISPLAY=":$(head -n1 "$work/display")"
echo "X server on $DISPLAY"

# A tray host, as on a desktop: the panel then waits for a click on the icon.
trayer --edge top --align right --widthtype request --height 24 --SetDockType true >"$work/trayer.log" 2>&1 &
pids+=($!)
tray_up() { xwininfo -root -tree 2>/dev/null | grep -qE '"panel" "trayer"'; }
wait_for 100 tray_up || { echo "FAIL: the tray host did not come up"; cat "$work/trayer.log"; exit 1; }

home="$work/home"
mkdir -p "$home/.config" "$home/.local/share" "$home/.cache"
env -u DBUS_SESSION_BUS_ADDRESS HOME="$home" XDG_CONFIG_HOME="$home/.config" XDG_DATA_HOME="$home/.local/share" \
  XDG_CACHE_HOME="$home/.cache" QT_QPA_PLATFORM=xcb "$DUSTLET" >"$work/dustlet.log" 2>&1 &
dustlet_pid=$!
pids+=($dustlet_pid)

geometry() {
  xwininfo -id "$1" 2>/dev/null | awk '
    /Absolute upper-left X/ {x=$NF} /Absolute upper-left Y/ {y=$NF}
    /Width:/ {w=$NF} /Height:/ {h=$NF} /Map State: IsViewable/ {v=1}
    END { if (v) print x, y, w, h }'
}
dustlet_windows() {
  local id
  for id in $(xdotool search --onlyvisible --classname dustlet 2>/dev/null); do
    local g; g=$(geometry "$id")
    [ -n "$g" ] && echo "$id $g"
  done
}
welcome_shown() { [ -n "$(dustlet_windows | awk '$4 == 1280 && $5 == 800')" ]; }
welcome_gone() { [ -z "$(dustlet_windows | awk '$4 == 1280 && $5 == 800')" ]; }
hint_shown() { [ -n "$(dustlet_windows | awk '$4 == 1280 && $5 == 200')" ]; }
hint_gone() { [ -z "$(dustlet_windows | awk '$4 == 1280 && $5 == 200')" ]; }

if ! wait_for 150 welcome_shown; then
  echo "FAIL: no welcome window over the whole screen"; cat "$work/dustlet.log"; xwininfo -root -tree; exit 1
fi
echo "welcome window shown"
if ! hint_gone; then echo "FAIL: the hint showed before the welcome flow ended"; exit 1; fi

# The keys reach the flow: Return moves to the next page (the window stays), Escape leaves.
sleep 0.5
xdotool key Return
sleep 0.5
welcome_shown || { echo "FAIL: Return on the first page closed the welcome window"; exit 1; }
xdotool key Escape
wait_for 50 welcome_gone || { echo "FAIL: Escape did not leave the welcome flow"; cat "$work/dustlet.log"; exit 1; }
wait_for 50 hint_shown || { echo "FAIL: no first-run hint after the welcome flow"; dustlet_windows; exit 1; }
read -r _ hx hy _ _ <<<"$(dustlet_windows | awk '$4 == 1280 && $5 == 200' | head -n1)"
echo "hint band at $hx,$hy"

# Without a compositor only the arrow and the bubble take clicks; the icon sits at the right end
# of the tray, so the bubble is pinned 152 px from the right edge.
xdotool mousemove $((hx + 1280 - 152)) $((hy + 110)) click 1
wait_for 50 hint_gone || { echo "FAIL: a click on the hint did not take it away"; exit 1; }
sleep 0.5
kill -0 "$dustlet_pid" 2>/dev/null || { echo "FAIL: dustlet exited after the welcome flow"; cat "$work/dustlet.log"; exit 1; }
tr -d ' \t\n' <"$home/.config/dustlet/defaults.plist" 2>/dev/null | grep -q 'hasCompletedOnboarding</key><true/>' \
  || { echo "FAIL: the finished flow was not stored"; cat "$home/.config/dustlet/defaults.plist"; exit 1; }
echo "PASS"
