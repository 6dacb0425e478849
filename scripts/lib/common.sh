# Shared helpers for scripts/test and scripts/demo (sourced).
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
PY=/usr/bin/python3

# start_xvfb: starts a private Xvfb on a free display, exports DISPLAY and XVFB_PID.
start_xvfb() {
  local log=${1:-/dev/null}
  exec 3<> <(:)
  Xvfb -displayfd 3 -screen 0 1920x1080x24 -nolisten tcp >"$log" 2>&1 &
  XVFB_PID=$!
  local d=""
  read -r -t 10 d <&3 || true
  exec 3<&-
  if [ -z "$d" ]; then
    echo "Xvfb did not start" >&2
    return 1
  fi
  export DISPLAY=":$d"
  export XVFB_PID
}

stop_xvfb() {
  if [ -n "${XVFB_PID:-}" ]; then
    kill "$XVFB_PID" 2>/dev/null || true
    wait "$XVFB_PID" 2>/dev/null || true
    XVFB_PID=""
  fi
}

# private_runtime_dir: a 0700 XDG_RUNTIME_DIR keeps Qt quiet.
private_runtime_dir() {
  local d
  d=$(mktemp -d /tmp/solvek-xdg.XXXXXX)
  chmod 700 "$d"
  export XDG_RUNTIME_DIR="$d"
}

configure_and_build() {
  local build_dir=$1; shift
  cmake -S "$ROOT" -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
  cmake --build "$build_dir" --parallel "$(nproc)"
}
