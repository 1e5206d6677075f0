#!/usr/bin/env bash
# End to end: the real program starts in a fresh X server with a tray host, its icon shows up
# in the tray, and a click on the icon shows the panel under it.
# Usage: tray_click.sh PATH/TO/dustlet. Exits 77 (skipped) only when no X server can start.
set -u

DUSTLET=${1:?usage: tray_click.sh PATH/TO/dustlet}
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

# Polls a command for up to $1 tenths of a second.
wait_for() {
  local tries=$1; shift
  while [ "$tries" -gt 0 ]; do
    "$@" && return 0
    sleep 0.1
    tries=$((tries - 1))
  done
  return 1
}

# The X server picks a free display and writes its number to fd 3.
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

trayer --edge top --align right --widthtype request --height 24 --SetDockType true >"$work/trayer.log" 2>&1 &
pids+=($!)
tray_panel() { xwininfo -root -tree 2>/dev/null | grep -E '"panel" "trayer"' | awk '{print $1}' | head -n1; }
has_panel() { [ -n "$(tray_panel)" ]; }
wait_for 100 has_panel || { echo "FAIL: the tray host did not come up"; cat "$work/trayer.log"; exit 1; }
panel=$(tray_panel)

# x y width height of a window, absolute.
geometry() {
  xwininfo -id "$1" 2>/dev/null | awk '
    /Absolute upper-left X/ {x=$NF} /Absolute upper-left Y/ {y=$NF}
    /Width:/ {w=$NF} /Height:/ {h=$NF} /Map State: IsViewable/ {v=1}
    END { if (v) print x, y, w, h }'
}
read -r px py pw ph <<<"$(geometry "$panel")"

# A fake home: nothing of the real one is read or written.
home="$work/home"
mkdir -p "$home/.config/dustlet" "$home/.local/share" "$home/.cache"
# Not a first launch: the welcome flow (tested by first_launch.sh) stays closed.
cat >"$home/.config/dustlet/defaults.plist" <<'PLIST'
<?xml version="1.0" encoding="UTF-8"?>
<!DOCTYPE plist PUBLIC "-//Apple//DTD PLIST 1.0//EN" "http://www.apple.com/DTDs/PropertyList-1.0.dtd">
<plist version="1.0"><dict><key>hasCompletedOnboarding</key><true/></dict></plist>
PLIST
env -u DBUS_SESSION_BUS_ADDRESS HOME="$home" XDG_CONFIG_HOME="$home/.config" XDG_DATA_HOME="$home/.local/share" \
  XDG_CACHE_HOME="$home/.cache" QT_QPA_PLATFORM=xcb "$DUSTLET" >"$work/dustlet.log" 2>&1 &
dustlet_pid=$!
pids+=($dustlet_pid)

# The program's visible windows, one "id x y w h" per line.
dustlet_windows() {
  local id
  for id in $(xdotool search --onlyvisible --classname dustlet 2>/dev/null); do
    local g; g=$(geometry "$id")
    [ -n "$g" ] && echo "$id $g"
  done
}
inside_tray() { [ "$2" -ge "$px" ] && [ "$3" -ge "$py" ] && [ $(($2 + $4)) -le $((px + pw)) ] && [ $(($3 + $5)) -le $((py + ph)) ]; }
tray_icon() {
  local line
  while read -r line; do
    [ -n "$line" ] || continue
    # shellcheck disable=SC2086
    inside_tray $line && { echo "$line"; return 0; }
  done <<<"$(dustlet_windows)"
  return 1
}
# re-read the tray geometry: it grows to fit the icon
find_icon() { read -r px py pw ph <<<"$(geometry "$panel")"; tray_icon >/dev/null; }
if ! wait_for 150 find_icon; then
  echo "FAIL: no tray icon of dustlet appeared"; cat "$work/dustlet.log"; xwininfo -root -tree; exit 1
fi
read -r icon ix iy iw ih <<<"$(tray_icon)"
echo "tray icon $icon at $ix,$iy (${iw}x${ih})"

other_windows() {
  local line
  while read -r line; do
    [ -n "$line" ] || continue
    # shellcheck disable=SC2086
    inside_tray $line || echo "$line"
  done <<<"$(dustlet_windows)"
}
if [ -n "$(other_windows | awk '$4 > 50')" ]; then
  echo "FAIL: a window was open before the click:"; other_windows; exit 1
fi

xdotool mousemove $((ix + iw / 2)) $((iy + ih / 2)) click 1
panel_shown() { [ -n "$(other_windows | awk '$4 > 50 && $5 > 50')" ]; }
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
panel_gone() { [ -z "$(other_windows | awk '$4 > 50 && $5 > 50')" ]; }
wait_for 50 panel_gone || { echo "FAIL: the panel stayed open after a click elsewhere"; exit 1; }
sleep 0.5
kill -0 "$dustlet_pid" 2>/dev/null || { echo "FAIL: dustlet exited when its panel closed"; cat "$work/dustlet.log"; exit 1; }
# And the icon opens it again.
xdotool mousemove $((ix + iw / 2)) $((iy + ih / 2)) click 1
wait_for 50 panel_shown || { echo "FAIL: a second click on the tray icon showed no window"; exit 1; }
echo "PASS"
