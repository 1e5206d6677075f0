# Shared by the end-to-end scripts: sourced after `set -u` with DUSTLET set. Gives a work folder
# cleaned up at exit, an X server (exit 77 when none can start), a tray host, a fake home and the
# program started in it, and helpers to find the program's windows.

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

# An X server of 1280 × 800 on a free display (it writes the number it picked to fd 3). It
# never resets: by default it does so whenever its last client leaves, and a client connecting
# during that reset (the tray host or the program, while a poll's xwininfo just left) is turned
# away with "cannot open display".
start_x() {
  Xvfb -displayfd 3 -noreset -screen 0 1280x800x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
  xvfb_pid=$!
  pids+=($xvfb_pid)
  display_settled() { test -s "$work/display" || ! kill -0 "$xvfb_pid" 2>/dev/null; }
  wait_for 100 display_settled
  if ! test -s "$work/display"; then
    echo "SKIP: the X server could not start:"; cat "$work/xvfb.log"; exit 77
  fi
  export DISPLAY=":$(head -n1 "$work/display")"
  echo "X server on $DISPLAY"
}

# x y width height of a window, absolute; nothing when it is not viewable.
geometry() {
  xwininfo -id "$1" 2>/dev/null | awk '
    /Absolute upper-left X/ {x=$NF} /Absolute upper-left Y/ {y=$NF}
    /Width:/ {w=$NF} /Height:/ {h=$NF} /Map State: IsViewable/ {v=1}
    END { if (v) print x, y, w, h }'
}

# A tray host at the top right, as on a desktop; its window id goes into `panel`.
start_tray() {
  trayer --edge top --align right --widthtype request --height 24 --SetDockType true >"$work/trayer.log" 2>&1 &
  pids+=($!)
  tray_panel() { xwininfo -root -tree 2>/dev/null | grep -E '"panel" "trayer"' | awk '{print $1}' | head -n1; }
  has_panel() { [ -n "$(tray_panel)" ]; }
  wait_for 100 has_panel || { echo "FAIL: the tray host did not come up"; cat "$work/trayer.log"; exit 1; }
  panel=$(tray_panel)
}

# A fake home (nothing of the real one is read or written), in `home`, and a private runtime
# folder: the program's one-instance socket is this run's own, never a running Dustlet's.
make_home() {
  home="$work/home"
  mkdir -p "$home/.config/dustlet" "$home/.local/share" "$home/.cache" "$work/run"
  chmod 700 "$work/run"
}

# A home where the welcome flow has been completed: later launches open no window.
make_returning_home() {
  make_home
  cat >"$home/.config/dustlet/defaults.plist" <<'PLIST'
<?xml version="1.0" encoding="UTF-8"?>
<!DOCTYPE plist PUBLIC "-//Apple//DTD PLIST 1.0//EN" "http://www.apple.com/DTDs/PropertyList-1.0.dtd">
<plist version="1.0"><dict><key>hasCompletedOnboarding</key><true/></dict></plist>
PLIST
}

# The program in the fake home, as `dustlet_pid`; its output in $work/dustlet$1.log.
start_dustlet() {
  env -u DBUS_SESSION_BUS_ADDRESS HOME="$home" XDG_CONFIG_HOME="$home/.config" XDG_DATA_HOME="$home/.local/share" \
    XDG_CACHE_HOME="$home/.cache" XDG_RUNTIME_DIR="$work/run" QT_QPA_PLATFORM=xcb "$DUSTLET" \
    >"$work/dustlet${1:-}.log" 2>&1 &
  dustlet_pid=$!
  pids+=($dustlet_pid)
}

# The program's visible windows, one "id x y w h" per line.
dustlet_windows() {
  local id
  for id in $(xdotool search --onlyvisible --classname dustlet 2>/dev/null); do
    local g; g=$(geometry "$id")
    [ -n "$g" ] && echo "$id $g"
  done
}

# With a tray host: the program's icon in it, and its other windows.
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
# re-reads the tray geometry: it grows to fit the icon
find_icon() { read -r px py pw ph <<<"$(geometry "$panel")"; tray_icon >/dev/null; }
other_windows() {
  local line
  while read -r line; do
    [ -n "$line" ] || continue
    # shellcheck disable=SC2086
    inside_tray $line || echo "$line"
  done <<<"$(dustlet_windows)"
}
panel_shown() { [ -n "$(other_windows | awk '$4 > 50 && $5 > 50')" ]; }
panel_gone() { [ -z "$(other_windows | awk '$4 > 50 && $5 > 50')" ]; }
