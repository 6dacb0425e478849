# The local peers of the demo and the tour (sourced after common.sh): the service simulator, a
# private nginx-rtmp on loopback and the audience. Each start_* remembers its process id;
# stop_services ends exactly those processes.

SERVICE_PIDS=()

# free_port: a loopback port nothing listens on at the moment of asking.
free_port() {
  "$PY" -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1]); s.close()'
}

# wait_for_port PORT PID: true once PORT accepts connections, false when PID ends first or after 10 s.
wait_for_port() {
  local port=$1 pid=$2
  for _ in $(seq 100); do
    kill -0 "$pid" 2>/dev/null || return 1
    if (exec 9<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null; then return 0; fi
    sleep 0.1
  done
  return 1
}

# start_rtmp DIR: nginx with the RTMP module on a free loopback port, application "live",
# recording every stream into DIR/rec. Exports RTMP_BASE (rtmp://127.0.0.1:PORT/live) and RTMP_PID.
start_rtmp() {
  local dir=$1 module=/usr/lib/nginx/modules/ngx_rtmp_module.so
  mkdir -p "$dir/logs" "$dir/rec"
  # nginx started by root writes the recordings as an unprivileged user.
  chmod 0755 "$dir"
  chmod 0777 "$dir/rec"
  local attempt port
  for attempt in 1 2 3 4 5; do
    port=$(free_port)
    cat >"$dir/nginx.conf" <<EOF
load_module $module;
daemon off;
master_process off;
pid $dir/nginx.pid;
error_log $dir/logs/error.log info;
events { worker_connections 128; }
rtmp { server { listen 127.0.0.1:$port; chunk_size 4096;
  application live { live on; record all; record_path $dir/rec; record_unique on;
    allow publish 127.0.0.1; deny publish all; allow play 127.0.0.1; deny play all; } } }
EOF
    /usr/sbin/nginx -p "$dir" -c "$dir/nginx.conf" -e "$dir/logs/error.log" >"$dir/logs/nginx.out" 2>&1 &
    RTMP_PID=$!
    if wait_for_port "$port" "$RTMP_PID"; then
      SERVICE_PIDS+=("$RTMP_PID")
      export RTMP_PID RTMP_BASE="rtmp://127.0.0.1:$port/live"
      return 0
    fi
    kill "$RTMP_PID" 2>/dev/null || true
    wait "$RTMP_PID" 2>/dev/null || true
  done
  echo "nginx-rtmp did not start (see $dir/logs)" >&2
  return 1
}

# start_simulator DIR [sim.py arguments...]: the service simulator with its data in DIR.
# Exports SOLVEK_SERVICE_URL and SIM_PID.
start_simulator() {
  local dir=$1; shift
  mkdir -p "$dir"
  "$PY" "$ROOT/tools/service-sim/sim.py" --port 0 --data "$dir/data" "$@" >"$dir/sim.out" 2>"$dir/sim.err" &
  SIM_PID=$!
  SERVICE_PIDS+=("$SIM_PID")
  for _ in $(seq 150); do
    if grep -q '^READY ' "$dir/sim.out" 2>/dev/null; then
      SOLVEK_SERVICE_URL=$(awk '/^READY /{print $2; exit}' "$dir/sim.out")
      export SIM_PID SOLVEK_SERVICE_URL
      return 0
    fi
    kill -0 "$SIM_PID" 2>/dev/null || break
    sleep 0.1
  done
  echo "the service simulator did not start:" >&2
  cat "$dir/sim.err" >&2
  return 1
}

# start_audience LOG: viewers who enter, chat and leave in every room the host joins.
start_audience() {
  "$PY" "$ROOT/scripts/lib/audience.py" "$SOLVEK_SERVICE_URL" --period "${AUDIENCE_PERIOD:-2}" >"$1" 2>&1 &
  AUDIENCE_PID=$!
  SERVICE_PIDS+=("$AUDIENCE_PID")
  export AUDIENCE_PID
}

stop_services() {
  local pid
  for pid in "${SERVICE_PIDS[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${SERVICE_PIDS[@]}"; do wait "$pid" 2>/dev/null || true; done
  SERVICE_PIDS=()
}

# The demo account of the simulator.
DEMO_PHONE=13800000000
DEMO_PASSWORD=demo1234
