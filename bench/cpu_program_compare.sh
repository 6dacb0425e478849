#!/usr/bin/env bash
# CPU of a 1280 x 720, 25 fps RTMP broadcast through the whole program, beside the engine's
# comparison in the same run (bench/cpu_push_compare.sh: the engine alone, bare libobs as the
# baseline, and ffmpeg as the encode-only floor).
#   program  the program signed in and broadcasting to a room, driven by the demo tour on a
#            1280x720 Xvfb against the simulator (no audience); CPU of the program's process
#            (every thread) while live, after the stream has reached the server
# Prints the engine comparison, then the program's line and program/bare.
# Usage: bench/cpu_program_compare.sh [SECONDS]   (default 60; not part of the test suite)
set -euo pipefail
source "$(dirname "$0")/../scripts/lib/common.sh"
source "$ROOT/scripts/lib/services.sh"

SECS=${1:-60}
BUILD=${SOLVEK_BENCH_BUILD_DIR:-$ROOT/build-bench}
WORK=$(mktemp -d /tmp/solvek-cpu-program.XXXXXX)
trap 'stop_services; stop_xvfb; rm -rf "$WORK" "${XDG_RUNTIME_DIR:-}"' EXIT

bash "$ROOT/bench/cpu_push_compare.sh" "$SECS" | tee "$WORK/engine"
cmake --build "$BUILD" --target solvek-demo-tour >/dev/null

private_runtime_dir
export LP_NUM_THREADS=${LP_NUM_THREADS:-2}
start_xvfb "$WORK/xvfb.log" 1280x720x24
start_rtmp "$WORK/rtmp"
start_simulator "$WORK/sim" --rtmp "$RTMP_URL"
mkdir -p "$WORK/home"
# Quality 1 (1280 x 720), as the engine's comparison pushes.
printf '[setting]\nLiveType=1\n' >"$WORK/home/config.ini"
(cd "$WORK/home" && XDG_CONFIG_HOME="$WORK/home/config" XDG_DATA_HOME="$WORK/home/data" \
  "$BUILD/tools/demo-tour/solvek-demo-tour" --out "$WORK/out" --phone "$DEMO_PHONE" --password "$DEMO_PASSWORD" \
  --hold-live "$SECS") >"$WORK/tour" || { cat "$WORK/tour" >&2; exit 1; }

"$PY" - "$WORK/engine" "$WORK/tour" <<'PY'
import re, sys
engine, tour = open(sys.argv[1]).read(), open(sys.argv[2]).read()
bare = float(re.search(r"^bare_obs_push\s+([\d.]+)", engine, re.M).group(1))
m = re.search(r"^live seconds=\S+ cpu_percent=([\d.]+) frames=(-?\d+) dropped=(-?\d+)", tour, re.M)
size = re.search(r"h264 (\d+x\d+)", tour)
cpu, frames, dropped = float(m.group(1)), m.group(2), m.group(3)
print(f"{'program':14s} {cpu:6.1f} {frames:>7s} {dropped:>7s}   (stream {size.group(1) if size else '?'})")
print(f"ratio program/bare: {cpu / bare:.2f}")
PY
