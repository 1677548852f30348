#!/usr/bin/env bash
# Runs a command with DISPLAY set to a fresh Xvfb server on a free display, then stops that
# server (by its PID only).
#   tools/with-xvfb.sh COMMAND [ARGS...]
set -euo pipefail
fdfile=$(mktemp)
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$fdfile" 2>/dev/null &
xpid=$!
cleanup() { kill "$xpid" 2>/dev/null || true; wait "$xpid" 2>/dev/null || true; rm -f "$fdfile"; }
trap cleanup EXIT
for _ in $(seq 100); do
  [ -s "$fdfile" ] && break
  sleep 0.1
done
[ -s "$fdfile" ] || { echo "Xvfb did not start" >&2; exit 1; }
export DISPLAY=":$(head -n1 "$fdfile")"
echo "[xvfb] DISPLAY=$DISPLAY (pid $xpid)"
"$@"
