# Shared helpers for scripts/test and scripts/demo (sourced).
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
PY=/usr/bin/python3

# start_xvfb [LOG [WxHxD]]: starts a private Xvfb on a free display (1920x1080x24 unless given),
# exports DISPLAY and XVFB_PID.
start_xvfb() {
  local log=${1:-/dev/null} screen=${2:-1920x1080x24}
  exec 3<> <(:)
  Xvfb -displayfd 3 -screen 0 "$screen" -nolisten tcp >"$log" 2>&1 &
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
  cmake --build "$build_dir" --parallel "${SOLVEK_JOBS:-$(nproc)}"
}

# start_rtmp WORKDIR: a private nginx with the RTMP module on a free loopback port, application
# "live", recording every stream under WORKDIR/rec. Exports RTMP_URL (rtmp://127.0.0.1:PORT/live)
# and RTMP_PID. One process (no master/worker split), so stop_rtmp ends it by its id.
start_rtmp() {
  local work=$1 port conf
  mkdir -p "$work/logs" "$work/rec"
  chmod 0755 "$work"
  chmod 0777 "$work/rec"
  port=$("$PY" -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])')
  conf="$work/nginx.conf"
  cat >"$conf" <<CONF
load_module /usr/lib/nginx/modules/ngx_rtmp_module.so;
daemon off;
master_process off;
pid $work/nginx.pid;
error_log $work/logs/error.log info;
events { worker_connections 128; }
rtmp { server { listen 127.0.0.1:$port; chunk_size 4096;
  application live { live on; record all; record_path $work/rec; record_unique on;
    allow publish 127.0.0.1; deny publish all; allow play 127.0.0.1; deny play all; } } }
CONF
  /usr/sbin/nginx -p "$work" -c "$conf" -e "$work/logs/error.log" &
  RTMP_PID=$!
  for _ in $(seq 100); do
    if (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null; then
      export RTMP_URL="rtmp://127.0.0.1:$port/live" RTMP_PID
      return 0
    fi
    sleep 0.1
  done
  echo "nginx-rtmp did not start (see $work/logs/error.log)" >&2
  stop_rtmp
  return 1
}

stop_rtmp() {
  if [ -n "${RTMP_PID:-}" ]; then
    kill "$RTMP_PID" 2>/dev/null || true
    wait "$RTMP_PID" 2>/dev/null || true
    RTMP_PID=""
  fi
}
