#!/usr/bin/env bash
# Room-channel drill: the main window (offscreen) in a simulator room while viewers chat, the room's
# socket dropped CYCLES times (close codes, aborts, an opening handshake left unanswered) with the
# program's own reconnect interval and handshake bound, the host sending one message per cycle.
# Prints a line per cycle and one line of figures ("soak room_channel cycles=.. sent=.. delivered=..
# duplicated=.. lost=.. own_pending=.. own_resent=.. rss_kb_start=.. ... longest_gui_stall_ms=..");
# exits non-zero when a message was lost, shown twice, left pending or sent twice, or a connection
# did not log in exactly once. The program's log goes to OUT_DIR/solvek.log.
#
#   bench/soak/room_channel.sh BUILD_DIR OUT_DIR [CYCLES] [drill options...]   (100 by default)
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
source "$ROOT/scripts/lib/common.sh"
mkdir -p "$1" "$2"
BUILD=$(cd "$1" && pwd) OUT=$(cd "$2" && pwd) CYCLES=${3:-100}
shift $(($# < 3 ? $# : 3))
# The drill reaches the window through the tests' support library: built with the tests.
cmake -S "$ROOT" -B "$BUILD" -DBUILD_TESTING=ON >/dev/null
cmake --build "$BUILD" --parallel "${SOLVEK_JOBS:-$(nproc)}" --target soak_room_channel
private_runtime_dir
trap 'rm -rf "$XDG_RUNTIME_DIR"' EXIT
cd "$OUT"
"$BUILD/bench/soak/soak_room_channel" --cycles "$CYCLES" --log "$OUT/solvek.log" "$@"
