# Sourced by ctl.sh and nginx.sh: a server that "start" began is known by the PID it wrote to
# <dir>/pid, and only that process is ever stopped.
stop_started() {  # stop_started DIR
  [ -f "$1/pid" ] || return 0
  local pid
  pid=$(cat "$1/pid")
  rm -f "$1/pid"
  kill "$pid" 2>/dev/null || true
}
