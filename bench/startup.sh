#!/usr/bin/env bash
# Start-up of the whole program on Xvfb against the local simulator, median of N runs (default 7):
#   login_dialog_ms          process start to the login dialog's first paint
#   login_to_main_window_ms  the login click to the main window's first paint (the engine is
#                            started and the preview area laid out before the window shows)
# beside the baseline, in the same run:
#   bare_dialog_ms           process start to the first paint of a bare Qt dialog of the same size
# and where the program's time to its first paint goes:
#   app_ready_ms             process start to the application object made (Qt, X connection)
#   login_show_ms            process start to the login dialog's show (the update check before it)
# Each run of the program is the demo tour stopped after the sign-in, with a fresh settings folder.
# Program and baseline runs alternate, both pinned to the same cores (BENCH_CPUS, default 4-7); the
# load average is printed beside the figures.
# Usage: bench/startup.sh [RUNS]   (not part of the test suite)
set -euo pipefail
source "$(dirname "$0")/../scripts/lib/common.sh"
source "$ROOT/scripts/lib/services.sh"

RUNS=${1:-7}
CPUS=${BENCH_CPUS:-4-7}
BUILD=${SOLVEK_BENCH_BUILD_DIR:-$ROOT/build-bench}
cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_BENCHMARKS=ON -DBUILD_TESTING=OFF >/dev/null
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
    taskset -c "$CPUS" "$BUILD/tools/demo-tour/solvek-demo-tour" --startup-only --out "$home/out" \
    --phone "$DEMO_PHONE" --password "$DEMO_PASSWORD") | grep '^startup ' >>"$WORK/program" ||
    { echo "run $i of the program failed (see $home/out/solvek.log)" >&2; exit 1; }
  SOLVEK_BENCH_T0_NS=$(now_ns) taskset -c "$CPUS" "$BUILD/bench/startup_baseline" >>"$WORK/baseline"
  cut -d' ' -f1 /proc/loadavg >>"$WORK/load"
done

"$PY" - "$WORK/program" "$WORK/baseline" "$RUNS" "$WORK/load" <<'PY'
import re, statistics, sys
program, baseline, runs = open(sys.argv[1]).read(), open(sys.argv[2]).read(), sys.argv[3]
load = open(sys.argv[4]).read().split()
def values(text, key):
    return [int(v) for v in re.findall(key + r"=(-?\d+)", text)]
print(f"start-up on Xvfb, {runs} runs, milliseconds min / median / max (load average {min(load)}..{max(load)})")
for key, text in (("login_dialog_ms", program), ("bare_dialog_ms", baseline), ("app_ready_ms", program),
                  ("login_show_ms", program), ("login_to_main_window_ms", program)):
    v = values(text, key)
    print(f"  {key:26s} {min(v):5d} / {statistics.median(v):7.1f} / {max(v):5d}")
ratios = [a / b for a, b in zip(values(program, "login_dialog_ms"), values(baseline, "bare_dialog_ms"))]
print(f"  {'login/bare (paired runs)':26s} {min(ratios):5.2f} / {statistics.median(ratios):7.2f} / {max(ratios):5.2f}")
PY
