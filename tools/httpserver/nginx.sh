#!/usr/bin/env bash
# Starts or stops Debian's nginx on a free loopback port, serving one generated file:
#   nginx.sh start <dir> [size]   writes <dir>/port and <dir>/md5, serves /u.zip and
#                                 /limited/u.zip (10 MB/s per connection)
#   nginx.sh stop <dir>           stops only the nginx that start began
set -euo pipefail
cmd=$1 dir=$2 size=${3:-1048579}
here=$(cd "$(dirname "$0")" && pwd)
. "$here/pidfile.sh"
case $cmd in
  start)
    # A server left by an interrupted run of this tree goes first.
    stop_started "$dir"
    mkdir -p "$dir/www" "$dir/tmp"
    rm -f "$dir/port" "$dir/md5"
    python3 "$here/content.py" "$dir/www/u.zip" "$size" >"$dir/md5"
    for _ in 1 2 3 4 5; do
      port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
      cat >"$dir/nginx.conf" <<CONF
worker_processes 2;
pid $dir/nginx.pid;
error_log $dir/error.log;
$( [ "$(id -u)" = 0 ] && echo "user root root;" )
events { worker_connections 64; }
http {
  access_log $dir/access.log;
  client_body_temp_path $dir/tmp/body;
  proxy_temp_path $dir/tmp/proxy;
  fastcgi_temp_path $dir/tmp/fastcgi;
  uwsgi_temp_path $dir/tmp/uwsgi;
  scgi_temp_path $dir/tmp/scgi;
  sendfile on;
  server {
    listen 127.0.0.1:$port;
    root $dir/www;
    location /limited/ { alias $dir/www/; limit_rate 10m; }
  }
}
CONF
      # Bounded like every test server: gone after an hour even if nobody stops it.
      nohup timeout 3600 nginx -c "$dir/nginx.conf" -p "$dir" -g 'daemon off;' >"$dir/nginx.out" 2>&1 </dev/null &
      echo $! >"$dir/pid"
      for _ in $(seq 50); do
        if curl -s -o /dev/null "http://127.0.0.1:$port/u.zip"; then
          echo "$port" >"$dir/port"; echo "[nginx] port $port"; exit 0
        fi
        kill -0 "$(cat "$dir/pid")" 2>/dev/null || break
        sleep 0.1
      done
      kill "$(cat "$dir/pid")" 2>/dev/null || true
    done
    echo "[nginx] did not start" >&2; cat "$dir/nginx.out" "$dir/error.log" >&2 || true; exit 1 ;;
  stop)
    stop_started "$dir" ;;
  *) echo "usage: $0 start|stop <dir> [size]" >&2; exit 2 ;;
esac
