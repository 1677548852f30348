#!/usr/bin/env bash
# Starts or stops the test HTTP server of one build tree: ctl.sh start|stop <dir>.
# The server writes <dir>/port when it listens; stop ends only the process that start began.
set -euo pipefail
cmd=$1 dir=$2
here=$(cd "$(dirname "$0")" && pwd)
. "$here/pidfile.sh"
case $cmd in
  start)
    # A server left by an interrupted run of this tree goes first.
    stop_started "$dir"
    mkdir -p "$dir"
    rm -rf "$dir/port" "$dir/log"
    nohup python3 "$here/server.py" --dir "$dir" >"$dir/server.out" 2>&1 </dev/null &
    echo $! >"$dir/pid"
    for _ in $(seq 100); do
      [ -s "$dir/port" ] && { echo "[httpserver] port $(cat "$dir/port")"; exit 0; }
      sleep 0.1
    done
    echo "[httpserver] did not start" >&2; cat "$dir/server.out" >&2; exit 1 ;;
  stop)
    stop_started "$dir" ;;
  *) echo "usage: $0 start|stop <dir>" >&2; exit 2 ;;
esac
