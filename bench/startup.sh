#!/usr/bin/env bash
# Start-up of the whole program on Xvfb against the local simulator, median of N runs (default 7):
#   login_dialog_ms          process start to the login dialog's first paint
#   login_to_main_window_ms  the login click to the main window's first paint (the engine is
#                            started and the preview area laid out before the window shows)
# beside the baseline, in the same run:
#   bare_dialog_ms           process start to the first paint of a bare Qt dialog of the same size
# Each run of the program is the demo tour stopped after the sign-in, with a fresh settings folder.
# Usage: bench/startup.sh [RUNS]   (not part of the test suite)
set -euo pipefail
source "$(dirname "$0")/../scripts/lib/common.sh"
source "$ROOT/scripts/lib/services.sh"

RUNS=${1:-7}
BUILD=${SOLVEK_BENCH_BUILD_DIR:-$ROOT/build-bench}
cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_BENCHMARKS=ON -DBUILD_TESTING=OFF >/dev/null
cmake --build "$BUILD" --target solvek-demo-tour startup_baseline >/dev/null

WORK=$(mktemp -d /tmp/solvek-startup.XXXXXX)
private_runtime_dir
export LP_NUM_THREADS=${LP_NUM_THREADS:-2}
trap 'stop_services; stop_xvfb; rm -rf "$WORK" "$XDG_RUNTIME_DIR"' EXIT
start_xvfb "$WORK/xvfb.log"
start_simulator "$WORK/sim"

# now_ns: the wall clock in nanoseconds, without a fork.
now_ns() { local t=${EPOCHREALTIME/./}; echo "${t}000"; }

for i in $(seq "$RUNS"); do
  home="$WORK/home$i"
  mkdir -p "$home"
  (cd "$home" && SOLVEK_BENCH_T0_NS=$(now_ns) XDG_CONFIG_HOME="$home/config" XDG_DATA_HOME="$home/data" \
    "$BUILD/tools/demo-tour/solvek-demo-tour" --startup-only --out "$home/out" \
    --phone "$DEMO_PHONE" --password "$DEMO_PASSWORD") | grep '^startup ' >>"$WORK/program" ||
    { echo "run $i of the program failed (see $home/out/solvek.log)" >&2; exit 1; }
  SOLVEK_BENCH_T0_NS=$(now_ns) "$BUILD/bench/startup_baseline" >>"$WORK/baseline"
done

"$PY" - "$WORK/program" "$WORK/baseline" "$RUNS" <<'PY'
import re, statistics, sys
program, baseline, runs = open(sys.argv[1]).read(), open(sys.argv[2]).read(), sys.argv[3]
def values(text, key):
    return [int(v) for v in re.findall(key + r"=(-?\d+)", text)]
print(f"start-up on Xvfb, median of {runs} runs (min..max), milliseconds")
for key, text in (("login_dialog_ms", program), ("bare_dialog_ms", baseline), ("login_to_main_window_ms", program)):
    v = values(text, key)
    print(f"  {key:26s} {statistics.median(v):7.0f}   ({min(v)}..{max(v)})")
PY
