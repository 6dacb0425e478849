#!/usr/bin/env bash
# Ingest drill: the program, driven through its windows, goes live in the account's room; the
# private RTMP server is then killed outright and started again after each listed number of
# seconds, or never. A server back in time must find the stream flowing again (ffprobe) with the
# window saying "直播中" throughout; one that never returns must end in the push-failed hint and the
# idle state. Prints the steps and one line of figures ("soak ingest cases=.. recovered=..
# failed_as_expected=.. longest_gui_stall_ms=.. ..."); exits non-zero when a case went otherwise or
# the GUI thread stalled beyond MAX_STALL_MS.
#
#   bench/soak/ingest.sh BUILD_DIR OUT_DIR [CASES [RETRIES DELAY_S]]
#     CASES "5,30,never" by default; RETRIES and DELAY_S shorten the engine's retry budget (20
#     retries 10 s apart by default) for the short form.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
BUILD=$1 OUT=$2 CASES=${3:-5,30,never}
extra=(--max-stall-ms "${MAX_STALL_MS:-250}")
if [ -n "${4:-}" ]; then extra+=(--reconnect-retries "$4" --reconnect-delay "${5:-2}"); fi
mkdir -p "$OUT"
OUT=$(cd "$OUT" && pwd)
RTMP_DIR="$OUT/services/rtmp"

status=0
bash "$ROOT/scripts/lib/run-tour" "$BUILD" "$OUT" --ingest-cases "$CASES" --rtmp-dir "$RTMP_DIR" "${extra[@]}" ||
  status=$?
# A server the drill started again ends with the tour; should the tour have died, it is ended here
# by the id it wrote, when that process is still this drill's server.
pid=$(cat "$RTMP_DIR/nginx.pid" 2>/dev/null || true)
if [ -n "$pid" ] && grep -qsF -- "$RTMP_DIR" "/proc/$pid/cmdline"; then
  kill "$pid" 2>/dev/null || true
fi
exit $status
