#!/usr/bin/env bash
# Cost of a clean build of the test tree (the one scripts/test builds: ASan + UBSan, tests and
# benchmarks), with ccache disabled: configures into a fresh directory, builds everything and
# prints wall time, CPU time (user + system of every compiler and linker) and the build
# directory's size. `--optimised` measures the optimised build with debug information instead
# (RelWithDebInfo, the default build type), whose size is the figure to watch there.
# Usage: bench/build-time.sh [--optimised] [JOBS]
# ORVO_BUILD_TIME_CCACHE=recache compiles everything and stores the results in the cache (useful
# to warm it for later builds); the default disables ccache altogether.
set -euo pipefail
cd "$(dirname "$0")/.."
mode=test
if [ "${1:-}" = "--optimised" ]; then mode=optimised; shift; fi
jobs=${1:-$(nproc)}
scripts/bootstrap

dir=$(mktemp -d "${TMPDIR:-/tmp}/orvo-build-time.XXXXXX")
trap 'rm -rf "$dir"' EXIT
if [ "$mode" = test ]; then
  flags=(-DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS=-O1 -DCMAKE_EXE_LINKER_FLAGS=-Wl,--strip-debug
         -DORVO_SANITIZE=ON -DORVO_BUILD_TESTS=ON -DORVO_BUILD_BENCH=ON)
else
  flags=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DORVO_BUILD_TESTS=ON -DORVO_BUILD_BENCH=ON)
fi
case "${ORVO_BUILD_TIME_CCACHE:-off}" in
  recache) export CCACHE_RECACHE=1 ;;
  *) export CCACHE_DISABLE=1 ;;
esac

cmake -S . -B "$dir" -G Ninja "${flags[@]}" >/dev/null
# bash's own timer counts the CPU time of every process the build waited for.
TIMEFORMAT='%R %U %S'
times=$( { time cmake --build "$dir" -j "$jobs" >/dev/null; } 2>&1 )
read -r wall user sys <<<"$times"
size=$(du -sh "$dir" | cut -f1)
awk -v mode="$mode" -v wall="$wall" -v user="$user" -v sys="$sys" -v jobs="$jobs" -v size="$size" 'BEGIN {
  printf "build-time %s: wall %.0f s, cpu %.0f s (user %.0f + system %.0f), jobs %s, build directory %s\n",
         mode, wall, user + sys, user, sys, jobs, size }'
