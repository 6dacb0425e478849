#!/usr/bin/env bash
# Broadcast drill: the program, driven through its windows, goes through CYCLES rounds of
# choose -> start -> pause -> resume -> stop, alternating the account's room and a custom push
# address, each start and resume checked by ffprobe at a private RTMP server. Prints the steps and
# one line of figures ("soak broadcast cycles=.. rss_kb_cycleN=.. rss_kb_end=.. fds_cycleN=..
# fds_end=.. longest_gui_stall_ms=.. libobs_allocs_at_exit=.."); exits non-zero when a cycle failed,
# memory or descriptors grew beyond their margins, or libobs kept allocations at exit.
#
#   bench/soak/broadcast.sh BUILD_DIR OUT_DIR [CYCLES]     (50 by default)
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
BUILD=$1 OUT=$2 CYCLES=${3:-50}
exec bash "$ROOT/scripts/lib/run-tour" "$BUILD" "$OUT" --cycles "$CYCLES"
