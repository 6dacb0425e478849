# The local peers of the demo and the tour (sourced after common.sh, whose start_rtmp gives the
# private nginx-rtmp): the service simulator and its audience. Each start_* here remembers its
# process id; stop_services ends exactly those processes and the RTMP server.

SERVICE_PIDS=()

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

# start_audience LOG: viewers who enter, chat and leave in every room the host joins (every
# AUDIENCE_PERIOD seconds; AUDIENCE_BUSY=1: a message at every one).
start_audience() {
  local busy=()
  [ "${AUDIENCE_BUSY:-0}" = 1 ] && busy=(--busy)
  "$PY" "$ROOT/scripts/lib/audience.py" "$SOLVEK_SERVICE_URL" --period "${AUDIENCE_PERIOD:-2}" "${busy[@]}" >"$1" 2>&1 &
  AUDIENCE_PID=$!
  SERVICE_PIDS+=("$AUDIENCE_PID")
  export AUDIENCE_PID
}

stop_services() {
  local pid
  for pid in "${SERVICE_PIDS[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${SERVICE_PIDS[@]}"; do wait "$pid" 2>/dev/null || true; done
  SERVICE_PIDS=()
  stop_rtmp
}

# The demo account of the simulator.
DEMO_PHONE=13800000000
DEMO_PASSWORD=demo1234
