#!/usr/bin/env bash
# Broadcast engine drill: OPS random operations on the real engine (start, pause, resume, stop, a
# refused address, video resets, a held frame, a held handshake, the RTMP server killed and back),
# back to back, with a busy thread per core. Prints the seed first and one line of figures ("soak
# engine ops=.. seed=.. ... longest_gui_stall_ms=.. libobs_allocs_at_exit=.."); exits non-zero when
# a broadcast did not reach the server, an event did not match the operations, the window's thread
# was held more than 250 ms, or it crashed. Replay a failure with its seed.
#
#   bench/soak/engine.sh BUILD_DIR OUT_DIR [OPS] [drill options, e.g. --seed S]   (2000 by default)
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
source "$ROOT/scripts/lib/common.sh"
mkdir -p "$1" "$2"
BUILD=$(cd "$1" && pwd) OUT=$(cd "$2" && pwd) OPS=${3:-2000}
shift $(($# < 3 ? $# : 3))
cmake -S "$ROOT" -B "$BUILD" -DBUILD_TESTING=ON >/dev/null
cmake --build "$BUILD" --parallel "${SOLVEK_JOBS:-$(nproc)}" --target soak_engine
private_runtime_dir
export PULSE_SERVER="unix:$XDG_RUNTIME_DIR/no-sound-server" LP_NUM_THREADS=${LP_NUM_THREADS:-2}
start_xvfb "$OUT/xvfb.log" 1280x720x24
trap 'stop_xvfb; rm -rf "$XDG_RUNTIME_DIR"' EXIT
cd "$OUT"
"$BUILD/bench/soak/soak_engine" --ops "$OPS" "$@"
