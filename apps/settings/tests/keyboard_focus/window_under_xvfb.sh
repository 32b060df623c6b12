#!/usr/bin/env bash
# The real window under Xvfb: its WM_CLASS is the application id, it has the application icon, Ctrl+Q
# and Ctrl+W close it (exit 0) and the size it was left at comes back at the next start.
# Usage: window_under_xvfb.sh path/to/orvo-settings
set -euo pipefail
app=$1
for tool in Xvfb xdotool xprop; do command -v "$tool" >/dev/null || { echo "needs $tool (scripts/bootstrap installs it)"; exit 1; }; done

work=$(mktemp -d)
fifo="$work/display"; mkfifo "$fifo"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$fifo" 2>/dev/null &
xvfb_pid=$!
trap 'kill $xvfb_pid 2>/dev/null || true; rm -rf "$work"' EXIT
# Every wait below is bounded: a stuck X call fails the test instead of hanging it.
read -r -t 20 display <"$fifo" || { echo "Xvfb did not start"; exit 1; }
export DISPLAY=":$display"
export DBUS_SESSION_BUS_ADDRESS=unix:path=/nonexistent
export XDG_STATE_HOME="$work/state" XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/run"
mkdir -p "$XDG_RUNTIME_DIR"; chmod 700 "$XDG_RUNTIME_DIR"
unset ORVO_UI_BACKEND

# Starts the program and waits for its window; prints the window id.
start() {
  "$app" 2>>"$work/app.log" &
  pid=$!
  for _ in $(seq 200); do
    win=$(timeout 2 xdotool search --onlyvisible --pid "$pid" 2>/dev/null | head -1 || true)
    [ -n "$win" ] && return 0
    sleep 0.05
  done
  echo "no window appeared"; cat "$work/app.log"; exit 1
}

# Closes with Ctrl+Q or Ctrl+W (key-up included, so no key stays held) and checks the exit status.
close_with() {
  # No window manager runs: keys go to the window under the pointer.
  timeout 10 xdotool mousemove --window "$win" 200 200
  timeout 10 xdotool key "$1"
  for _ in $(seq 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.05; done
  if kill -0 "$pid" 2>/dev/null; then echo "$1 did not close the window"; kill "$pid"; exit 1; fi
  status=0; wait "$pid" || status=$?
  [ "$status" -eq 0 ] || { echo "exit status $status after $1"; exit 1; }
}

size_of() { timeout 10 xdotool getwindowgeometry "$win" | awk '/Geometry/ {print $2}'; }

start
class=$(timeout 10 xprop -id "$win" WM_CLASS)
echo "$class"
echo "$class" | grep -q '"so.orvo.settings", "so.orvo.settings"' || { echo "WM_CLASS is not the application id"; exit 1; }
# The icon is set once the first frame is on the screen; give the server a moment to show it.
has_icon=0
for _ in $(seq 40); do
  if timeout 10 xprop -id "$win" _NET_WM_ICON | grep -q 'Icon (64 x 64)'; then has_icon=1; break; fi
  sleep 0.05
done
[ "$has_icon" -eq 1 ] || { echo "the window has no icon"; exit 1; }
[ "$(size_of)" = "1280x800" ] || { echo "first start is not 1280x800: $(size_of)"; exit 1; }
timeout 10 xdotool windowsize --sync "$win" 900 700
sleep 0.2
close_with ctrl+q
grep -q '"width":900' "$XDG_STATE_HOME/so.orvo.settings/window-size.json"

start
[ "$(size_of)" = "900x700" ] || { echo "the size was not kept: $(size_of)"; exit 1; }
close_with ctrl+w

# An unreadable remembered size means the default size, not a failure.
echo 'not json' > "$XDG_STATE_HOME/so.orvo.settings/window-size.json"
start
[ "$(size_of)" = "1280x800" ] || { echo "a broken file did not give the default: $(size_of)"; exit 1; }
close_with ctrl+q
# ...and the broken file is not someone's to overwrite.
grep -qx 'not json' "$XDG_STATE_HOME/so.orvo.settings/window-size.json" || { echo "the broken file was overwritten"; exit 1; }
echo "window class, Ctrl+Q, Ctrl+W and the remembered size hold"
