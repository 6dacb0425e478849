#!/usr/bin/env bash
# CPU of a broadcast through the whole program beside bare libobs on the same scene, in one run:
#   program     the program signed in, a PDF page on the canvas through the document list and the
#               camera overlay on it (a picture stands in for the camera), then broadcasting to a
#               room, driven by the demo tour on a 1280x720 Xvfb against the simulator
#   bare_none   libobs alone rebuilding the scene the program held (the tour writes it out: sources,
#               positions, sizes, crops, audio channels, video settings, encoders, output size), no
#               display
#   bare_same   the same with one display of the canvas for each display the program drew into,
#               at the same sizes (so the cost of the previews shows on its own)
# Each side counts its own CPU (every thread) from the moment its output runs, for SECONDS.
# Rounds interleave the three sides (the order turns each round) and all three run pinned to the
# same cores (BENCH_CPUS, default 4-7). Before any ratio is printed, a frame of every run is taken
# from what the RTMP server recorded and checked: the page's red square in the middle, the page's
# white beside it and the overlay picture where the scene puts it, and each bare frame against the
# program's frame of its round. A mismatch prints what differs and no ratio (exit status 3).
# Usage: bench/cpu_program_compare.sh [SECONDS] [ROUNDS]   (default 60 and 5; not part of the suite)
set -euo pipefail
source "$(dirname "$0")/../scripts/lib/common.sh"
source "$ROOT/scripts/lib/services.sh"

SECS=${1:-60}
ROUNDS=${2:-5}
CPUS=${BENCH_CPUS:-4-7}
BUILD=${SOLVEK_BENCH_BUILD_DIR:-$ROOT/build-bench}
# Optimised with symbols, so that perf can name where the time goes.
cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_BENCHMARKS=ON -DBUILD_TESTING=OFF >/dev/null
cmake --build "$BUILD" --target solvek-demo-tour bare_scene_push >/dev/null

WORK=$(mktemp -d /tmp/solvek-cpu-program.XXXXXX)
trap 'stop_services; stop_xvfb; [ -n "${BENCH_KEEP:-}" ] || rm -rf "$WORK"; rm -rf "${XDG_RUNTIME_DIR:-}"' EXIT
private_runtime_dir
export LP_NUM_THREADS=${LP_NUM_THREADS:-2}
start_xvfb "$WORK/xvfb.log" 1280x720x24
start_rtmp "$WORK/rtmp"
start_simulator "$WORK/sim" --rtmp "$RTMP_URL"
mkdir -p "$WORK/docs" "$WORK/frames"
"$PY" "$ROOT/tools/demo-tour/documents.py" "$WORK/docs"
REC="$WORK/rtmp/rec"

# recording_since LISTING: the one recording not in the earlier listing.
recording_since() { comm -13 "$1" <(ls "$REC" | sort) | head -n 1; }

# run SIDE ROUND: one run, its figures appended to $WORK/figures as "SIDE ROUND load=.. live ...".
run() {
  local side=$1 round=$2 before="$WORK/before" line
  ls "$REC" | sort >"$before"
  local load; load=$(cut -d' ' -f1 /proc/loadavg)
  if [ "$side" = program ]; then
    local home="$WORK/home$round"
    mkdir -p "$home"
    printf '[setting]\nLiveType=1\n' >"$home/config.ini" # quality 1: 1280 x 720
    (cd "$home" && XDG_CONFIG_HOME="$home/config" XDG_DATA_HOME="$home/data" \
      taskset -c "$CPUS" "$BUILD/tools/demo-tour/solvek-demo-tour" --out "$home/out" --phone "$DEMO_PHONE" \
      --password "$DEMO_PASSWORD" --documents "$WORK/docs" --hold-live "$SECS" --bench-scene "$WORK/scene$round.json") \
      >"$WORK/program$round.out" || { cat "$WORK/program$round.out" >&2; exit 1; }
    line=$(grep '^live ' "$WORK/program$round.out")
  else
    line=$(taskset -c "$CPUS" "$BUILD/bench/bare_scene_push" "$WORK/scene$round.json" "$RTMP_URL" 2>>"$WORK/bare.err" \
      "$side-$round" "$SECS" "${side#bare_}")
  fi
  sleep 1 # the server closes the recording
  local rec; rec=$(recording_since "$before")
  [ -n "$rec" ] || { echo "no recording of $side in round $round" >&2; exit 1; }
  # A frame three seconds before the end, from what the server recorded.
  ffmpeg -v error -nostdin -y -i "$REC/$rec" -ss "$((SECS - 3))" -frames:v 1 -vcodec ppm \
    "$WORK/frames/$side-$round.ppm"
  echo "$side $round load=$load $line" | tee -a "$WORK/figures"
}

echo "CPU of a ${SECS} s broadcast, % of one core, $ROUNDS rounds pinned to cores $CPUS"
SIDES=(program bare_none bare_same)
for round in $(seq "$ROUNDS"); do
  # The program runs first in a round (its scene is the bare runs'); the two bare runs turn.
  run program "$round"
  if [ $((round % 2)) -eq 1 ]; then run bare_none "$round"; run bare_same "$round"
  else run bare_same "$round"; run bare_none "$round"; fi
done

"$PY" - "$WORK" "$ROUNDS" <<'PY'
import json, os, re, statistics, sys
work, rounds = sys.argv[1], int(sys.argv[2])
PAGE_RED, WHITE, OVERLAY = (220, 40, 40), (255, 255, 255), (250, 140, 0)

def ppm(path):
    data = open(path, "rb").read()
    parts = data.split(maxsplit=3)
    w, h = int(parts[1]), int(parts[2])
    return w, h, data[-w * h * 3:]

def mean(img, fx, fy, r=0.0125):
    w, h, px = img
    x0, x1 = max(0, int((fx - r) * w)), min(w - 1, int((fx + r) * w))
    y0, y1 = max(0, int((fy - r) * h)), min(h - 1, int((fy + r) * h))
    acc, n = [0, 0, 0], 0
    for y in range(y0, y1 + 1):
        row = (y * w) * 3
        for x in range(x0, x1 + 1):
            i = row + x * 3
            acc[0] += px[i]; acc[1] += px[i + 1]; acc[2] += px[i + 2]; n += 1
    return tuple(c // n for c in acc)

def close(a, b, tol):
    return all(abs(p - q) <= tol for p, q in zip(a, b))

problems = []
figures = {}
for line in open(f"{work}/figures"):
    side, rnd, rest = line.split(maxsplit=2)
    kv = dict(re.findall(r"(\w+)=([\d.\-]+)", rest))
    figures[(side, int(rnd))] = kv

def same_shape(value):
    # Each round renders its page into its own folder: files are compared by name, not folder.
    if isinstance(value, dict):
        return {k: same_shape(v) for k, v in value.items()}
    if isinstance(value, list):
        return [same_shape(v) for v in value]
    if isinstance(value, str) and value.startswith("/"):
        return os.path.basename(value)
    return value

for rnd in range(1, rounds + 1):
    scene = json.load(open(f"{work}/scene{rnd}.json"))
    first = json.load(open(f"{work}/scene1.json"))
    if same_shape(scene["items"]) != same_shape(first["items"]) or scene["displays"] != first["displays"]:
        problems.append(f"round {rnd}: the program's scene differs from round 1's")
    overlay = [i for i in scene["items"] if i["settings"].get("file", "").endswith("demo-orange.png") and i["visible"]]
    if len(overlay) != 1:
        problems.append(f"round {rnd}: the scene holds {len(overlay)} visible overlay pictures, not 1")
        continue
    markers = [("page 1's red square", 0.5, 0.5, PAGE_RED), ("the page's white", 0.1, 0.55, WHITE),
               ("the camera overlay's picture", overlay[0]["middle_x"], overlay[0]["middle_y"], OVERLAY)]
    frames = {side: ppm(f"{work}/frames/{side}-{rnd}.ppm") for side in ("program", "bare_none", "bare_same")}
    for side, img in frames.items():
        for what, fx, fy, colour in markers:
            seen = mean(img, fx, fy)
            if not close(seen, colour, 60):
                problems.append(f"round {rnd} {side}: {what} at ({fx:.2f}, {fy:.2f}) is {seen}, not {colour}")
    # Each bare frame against the program's, patch by patch over a 16 x 9 grid.
    for side in ("bare_none", "bare_same"):
        worst = max(max(abs(p - q) for p, q in zip(mean(frames["program"], (i + .5) / 16, (j + .5) / 9, .02),
                                                        mean(frames[side], (i + .5) / 16, (j + .5) / 9, .02)))
                    for i in range(16) for j in range(9))
        if worst > 24:
            problems.append(f"round {rnd} {side}: differs from the program's frame by up to {worst} levels in a patch")

if problems:
    print("The pictures differ; no ratio is given:")
    for p in problems:
        print("  " + p)
    sys.exit(3)

scene = json.load(open(f"{work}/scene1.json"))
v = scene["video"]
print(f"scene: {len(scene['items'])} items, canvas {v['base_width']}x{v['base_height']} -> "
      f"{scene['output_width']}x{scene['output_height']} at {v['fps_num']}/{v['fps_den']} fps, "
      f"x264 {scene['video_encoder']['settings'].get('bitrate')} kbit/s; program displays "
      + ", ".join(f"{d['width']}x{d['height']} ({d['draws']} draws{'' if d['enabled'] else ', off'})"
                  for d in scene["displays"]))
print("frames checked: page, page white and overlay in every run; bare frames match the program's")
print(f"{'run':16s} {'load':>5s} {'cpu%':>6s} {'frames':>7s} {'dropped':>7s} {'lagged':>6s}")
for (side, rnd), kv in sorted(figures.items(), key=lambda x: (x[0][1], x[0][0])):
    print(f"{side + ' ' + str(rnd):16s} {kv['load']:>5s} {kv['cpu_percent']:>6s} {kv['frames']:>7s} "
          f"{kv['dropped']:>7s} {kv['lagged']:>6s}")

def summary(values):
    return f"{min(values):.2f} / {statistics.median(values):.2f} / {max(values):.2f}"
print("min / median / max over rounds:")
for side in ("program", "bare_none", "bare_same"):
    print(f"  {side:22s} cpu% {summary([float(figures[(side, r)]['cpu_percent']) for r in range(1, rounds + 1)])}"
          f"   dropped {sum(int(figures[(side, r)]['dropped']) for r in range(1, rounds + 1))}")
for base in ("bare_same", "bare_none"):
    ratios = [float(figures[("program", r)]["cpu_percent"]) / float(figures[(base, r)]["cpu_percent"])
              for r in range(1, rounds + 1)]
    print(f"  program/{base:13s} ratio {summary(ratios)}")
PY
