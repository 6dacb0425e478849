#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (AddressSanitizer + UBSan, in a build folder of their
# own) and runs one for a number of inputs (default 1000000):
#   tests/fuzz/run.sh [runs] [extra libFuzzer options...]
# SOLVEK_FUZZ_TARGET names the target (default fuzz_RoomFrames); its seed corpus is
# corpus-<target>/, which the tests also run the target over (without fuzzing); a dictionary
# <target>.dict is used when present.
set -euo pipefail
HERE=$(cd "$(dirname "$0")" && pwd)
ROOT=$(cd "$HERE/../.." && pwd)
RUNS=${1:-1000000}
shift || true
BUILD=${SOLVEK_FUZZ_BUILD_DIR:-$ROOT/build-fuzz}
TARGET=${SOLVEK_FUZZ_TARGET:-fuzz_RoomFrames}

CC=clang CXX=clang++ cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DBUILD_TESTING=OFF -DBUILD_FUZZERS=ON >/dev/null
cmake --build "$BUILD" --parallel "${SOLVEK_FUZZ_JOBS:-3}" --target "$TARGET"

export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=0:abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
XDG_RUNTIME_DIR=$(mktemp -d /tmp/solvek-xdg.XXXXXX)
chmod 700 "$XDG_RUNTIME_DIR"
export XDG_RUNTIME_DIR
CORPUS=$(mktemp -d /tmp/solvek-fuzz.XXXXXX)
trap 'rm -rf "$CORPUS" "$XDG_RUNTIME_DIR"' EXIT

EXTRA=()
if [ -d "$HERE/corpus-$TARGET" ]; then
    cp "$HERE/corpus-$TARGET"/* "$CORPUS"/
fi
if [ "$TARGET" = fuzz_RoomFrames ]; then
    EXTRA=(-max_len=4096 -dict="$HERE/room_frames.dict")
elif [ -f "$HERE/$TARGET.dict" ]; then
    EXTRA=(-dict="$HERE/$TARGET.dict")
fi
"$BUILD/tests/fuzz/$TARGET" -runs="$RUNS" "${EXTRA[@]}" -print_final_stats=1 "$@" "$CORPUS"
