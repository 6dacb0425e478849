#!/usr/bin/env bash
# Long-room drill: the program, signed in and broadcasting to a private RTMP server, stays live for
# MINUTES in a busy room (a viewer message every 0.5 s, viewers entering and leaving). Resident
# memory and open descriptors are sampled every SAMPLE_SECONDS; the memory slope is fitted after
# WARM_UP minutes. Prints the steps, a line per sample and one line of figures ("soak long_room
# minutes=.. sent=.. delivered=.. lost=.. rss_kb_10min=.. rss_kb_end=.. slope_kb_per_min=..
# fds_start=.. fds_end=.. longest_gui_stall_ms=.. duplicated=.."); exits non-zero when a message
# never reached the chat list, one showed twice, or the broadcast stopped.
#
#   bench/soak/long-room.sh BUILD_DIR OUT_DIR [MINUTES [SAMPLE_SECONDS [WARM_UP]]]   (120, 60, 10)
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
BUILD=$1 OUT=$2 MINUTES=${3:-120} SAMPLE=${4:-60} WARM_UP=${5:-10}
export AUDIENCE_PERIOD=0.5 AUDIENCE_BUSY=1
exec bash "$ROOT/scripts/lib/run-tour" "$BUILD" "$OUT" --long-room "$MINUTES" --sample-seconds "$SAMPLE" --warm-up "$WARM_UP"
