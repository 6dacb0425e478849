#!/usr/bin/env bash
# CPU of a 1280 x 720, 25 fps RTMP push to a local nginx-rtmp, three ways in one run:
#   livecore_push  the program's engine (start-up sequence, picture, raw callbacks, x264 + AAC)
#   bare_obs_push  libobs alone with the same modules, scene, encoders and settings (the baseline)
#   ffmpeg         a test source encoded with the same x264 preset (encode only, no compositing)
# Prints CPU as percent of one core, the output's frame and drop counts, and livecore/bare.
# Usage: bench/cpu_push_compare.sh [SECONDS]   (default 60; not part of the test suite)
set -euo pipefail
source "$(dirname "$0")/../scripts/lib/common.sh"

SECS=${1:-60}
BUILD=${SOLVEK_BENCH_BUILD_DIR:-$ROOT/build-bench}
cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_BENCHMARKS=ON -DBUILD_TESTING=OFF >/dev/null
cmake --build "$BUILD" --target livecore_push bare_obs_push >/dev/null

WORK=$(mktemp -d /tmp/solvek-cpu.XXXXXX)
private_runtime_dir
export LP_NUM_THREADS=${LP_NUM_THREADS:-2}
start_xvfb "$WORK/xvfb.log" 1280x720x24
trap 'stop_rtmp; stop_xvfb; rm -rf "$WORK" "$XDG_RUNTIME_DIR"' EXIT
start_rtmp "$WORK/rtmp"
ffmpeg -v error -f lavfi -i "color=c=orange:s=320x240" -frames:v 1 "$WORK/picture.png"

# measure NAME COMMAND...: runs the command, prints "NAME cpu% frames dropped" (CPU of its whole
# process tree, user + system, over wall time).
measure() {
  local name=$1; shift
  "$PY" - "$name" "$@" <<'PY'
import re, resource, subprocess, sys, time
name, cmd = sys.argv[1], sys.argv[2:]
start = time.monotonic()
out = subprocess.run(cmd, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True).stdout
wall = time.monotonic() - start
r = resource.getrusage(resource.RUSAGE_CHILDREN)
m = re.search(r"frames (\d+) dropped (\d+)", out)
frames, dropped = (m.group(1), m.group(2)) if m else ("-", "-")
print(f"{name:14s} {100.0 * (r.ru_utime + r.ru_stime) / wall:6.1f} {frames:>7s} {dropped:>7s}")
PY
}

echo "program          cpu%  frames dropped   (${SECS} s, % of one core)"
measure livecore_push "$BUILD/bench/livecore_push" "$RTMP_URL" livecore "$SECS" "$WORK/picture.png" | tee "$WORK/a"
measure bare_obs_push "$BUILD/bench/bare_obs_push" "$RTMP_URL" bare "$SECS" "$WORK/picture.png" | tee "$WORK/b"
measure ffmpeg ffmpeg -v error -re -f lavfi -i testsrc2=size=1280x720:rate=25 -f lavfi -i sine=frequency=440:sample_rate=44100 \
  -t "$SECS" -c:v libx264 -preset veryfast -b:v 2000k -profile:v baseline -g 25 -pix_fmt yuv420p \
  -c:a aac -b:a 160k -ac 2 -f flv "$RTMP_URL/ffmpeg" | tee "$WORK/c"
"$PY" -c 'import sys; a=float(open(sys.argv[1]).read().split()[1]); b=float(open(sys.argv[2]).read().split()[1]); print(f"ratio livecore/bare: {a/b:.2f}")' "$WORK/a" "$WORK/b"
