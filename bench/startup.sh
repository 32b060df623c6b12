#!/usr/bin/env bash
# Start-up of the application beside a bare SDL2 + cairo + pango program (bench/startup/bare_window.c),
# interleaved under one Xvfb (1280x800x24): exec -> window mapped (seen by an X client watching the
# root window), exec -> first content (the program's own report once its first drawing was handed to
# the X server), and peak memory (VmHWM). The bare program runs twice per round: as it is ("bare") and
# drawing before it shows its window ("bare-hidden"), the way the application starts, which is the
# least that way costs here. Prints the medians, the bare program's content-at-map over its map, and
# on the last line the application's first content over the bare program's map. Target: at most 1.2,
# and at most 40 MB.
# Usage: bench/startup.sh [path/to/orvo-settings] [runs]
set -euo pipefail
cd "$(dirname "$0")/.."
app=${1:-build/release/apps/settings/orvo-settings}
runs=${2:-7}
if [ ! -x "$app" ]; then
  cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DORVO_BUILD_TESTS=OFF -DORVO_BUILD_BENCH=OFF >/dev/null
  cmake --build build/release --target orvo-settings >/dev/null
fi
for tool in Xvfb cc pkg-config; do command -v "$tool" >/dev/null || { echo "needs $tool (scripts/bootstrap installs it)"; exit 1; }; done

tools=build/startup-bench
mkdir -p "$tools"
cc -O2 -o "$tools/bare_window" bench/startup/bare_window.c $(pkg-config --cflags --libs sdl2 pangocairo)
cc -O2 -o "$tools/map_watch" bench/startup/map_watch.c $(pkg-config --cflags --libs x11)

work=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT
mkfifo "$work/display"
Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
pids+=($!)
read -r display <"$work/display"
export DISPLAY=":$display"
# Without a session bus, SDL would autolaunch one (dbus-launch) on every start; a desktop session has one.
export DBUS_SESSION_BUS_ADDRESS=${DBUS_SESSION_BUS_ADDRESS:-unix:path=/nonexistent}
# The application's own state goes to a throwaway home, so runs do not see each other's files.
export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" XDG_STATE_HOME="$work/home/.state" XDG_RUNTIME_DIR="$work/run"
mkdir -p "$HOME" "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"

"$tools/map_watch" >"$work/maps" 2>/dev/null &
pids+=($!)
until grep -q ready "$work/maps" 2>/dev/null; do sleep 0.01; done

# run NAME CONTENT_PATTERN PROGRAM [ARGUMENTS...]: one start; appends "map_ms content_ms peak_mb" to
# $work/NAME.
run() {
  local name=$1 pattern=$2 log="$work/log" start pid waited=0
  shift 2
  : >"$log"
  start=$(date +%s%N)
  ORVO_UI_STARTED_AT_NS=$start env -u ORVO_UI_BACKEND "$@" 2>"$log" &
  pid=$!
  until grep -q "$pattern" "$log"; do
    sleep 0.005
    waited=$((waited + 1))
    if [ "$waited" -gt 2000 ] || ! kill -0 "$pid" 2>/dev/null; then
      echo "$name: no first content; its output:" >&2
      cat "$log" >&2
      exit 1
    fi
  done
  sleep 0.3
  local hwm content map
  hwm=$(awk '/VmHWM/ {print $2}' "/proc/$pid/status")
  kill "$pid"
  wait "$pid" 2>/dev/null || true
  content=$(grep -o "$pattern after [0-9.]*" "$log" | awk '{print $NF}')
  map=$(awk -v s="$start" '$1 == "map" && $2 >= s {printf "%.1f", ($2 - s) / 1e6; exit}' "$work/maps")
  echo "${map:-nan} $content $((hwm / 1024))" >>"$work/$name"
  printf '%-11s run %d: map %s ms, first content %s ms, peak memory %d MB\n' "$name" "$i" "${map:-?}" "$content" $((hwm / 1024))
}

for i in $(seq "$runs"); do
  run bare "first content" "$tools/bare_window"
  run bare-hidden "first content" "$tools/bare_window" hidden
  run app "first frame presented" "$app"
done

median() { sort -g | awk '{v[NR] = $1} END {if (NR % 2) print v[(NR + 1) / 2]; else printf "%.1f\n", (v[NR / 2] + v[NR / 2 + 1]) / 2}'; }
for name in bare bare-hidden app; do
  printf '%-11s median: exec -> map %s ms, exec -> first content %s ms, peak memory %s MB\n' "$name" \
    "$(cut -d' ' -f1 "$work/$name" | median)" "$(cut -d' ' -f2 "$work/$name" | median)" \
    "$(cut -d' ' -f3 "$work/$name" | median)"
done
bare_map=$(cut -d' ' -f1 "$work/bare" | median)
app_content=$(cut -d' ' -f2 "$work/app" | median)
hidden_content=$(cut -d' ' -f2 "$work/bare-hidden" | median)
awk -v a="$hidden_content" -v b="$bare_map" 'BEGIN {printf "bare content at map / bare map: %.2f\n", a / b}'
awk -v a="$app_content" -v b="$bare_map" 'BEGIN {printf "first content / bare map: %.2f\n", a / b}'
