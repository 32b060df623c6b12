#!/usr/bin/env bash
# Measures the time from start to the first mapped window under Xvfb, and the peak memory (VmHWM).
# Targets: under 100 ms and under 40 MB. Usage: bench/startup.sh [path/to/orvo-settings] [runs]
set -euo pipefail
cd "$(dirname "$0")/.."
app=${1:-build/release/apps/settings/orvo-settings}
runs=${2:-5}
if [ ! -x "$app" ]; then
  cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DORVO_BUILD_TESTS=OFF -DORVO_BUILD_BENCH=OFF >/dev/null
  cmake --build build/release --target orvo-settings >/dev/null
fi
for tool in Xvfb xdotool; do command -v "$tool" >/dev/null || { echo "needs $tool (scripts/bootstrap installs it)"; exit 1; }; done

fifo=$(mktemp -u); mkfifo "$fifo"
Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$fifo" 2>/dev/null &
xvfb_pid=$!
trap 'kill $xvfb_pid 2>/dev/null || true; rm -f "$fifo"' EXIT
read -r display <"$fifo"
export DISPLAY=":$display"
# Without a session bus, SDL would autolaunch one (dbus-launch) on every start; a desktop session has one.
export DBUS_SESSION_BUS_ADDRESS=${DBUS_SESSION_BUS_ADDRESS:-unix:path=/nonexistent}

for i in $(seq "$runs"); do
  log=$(mktemp)
  ORVO_UI_STARTED_AT_NS=$(date +%s%N) env -u ORVO_UI_BACKEND "$app" 2>"$log" &
  pid=$!
  until grep -q "first frame" "$log"; do sleep 0.005; done
  sleep 0.3
  hwm=$(awk '/VmHWM/ {print $2}' "/proc/$pid/status")
  kill "$pid"; wait "$pid" 2>/dev/null || true
  echo "run $i: $(grep -o 'first frame.*' "$log"), peak memory $(( hwm / 1024 )) MB"
  rm -f "$log"
done
