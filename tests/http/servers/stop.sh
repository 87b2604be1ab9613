#!/usr/bin/env bash
# stop.sh STATE_DIR [nginx] [tinyproxy]
#
# Stops the servers that start.sh STATE_DIR started (both unless named), found
# through their pid files. A pid is signalled only while it still belongs to
# that server with that STATE_DIR's configuration, so a stale pid file whose
# number was reused by another process is left alone.
set -euo pipefail

if (($# < 1)); then
  echo "usage: $0 STATE_DIR [nginx] [tinyproxy]" >&2
  exit 2
fi
[[ -d $1 ]] || exit 0
state="$(cd "$1" && pwd)"
shift
servers=("$@")
((${#servers[@]})) || servers=(nginx tinyproxy)

ours() { # ours PID CONF: is PID still the server started with CONF?
  local cmdline
  [[ -r /proc/$1/cmdline ]] || return 1
  cmdline="$(tr '\0' ' ' <"/proc/$1/cmdline" 2>/dev/null)" || return 1
  [[ $cmdline == *"$2"* ]]
}

stop_one() { # stop_one PIDFILE CONF
  local pidfile="$1" conf="$2" pid children i
  [[ -f $pidfile ]] || return 0
  pid="$(tr -dc 0-9 <"$pidfile")"
  if [[ -n $pid ]] && ours "$pid" "$conf"; then
    # nginx workers outlive a master that is killed, so note them first.
    children="$(pgrep -P "$pid" || true)"
    kill -TERM "$pid" 2>/dev/null || true
    for ((i = 0; i < 50; i++)); do
      ours "$pid" "$conf" || break
      sleep 0.1
    done
    if ours "$pid" "$conf"; then
      echo "stop.sh: pid $pid ignored TERM; killing it" >&2
      kill -KILL "$pid" 2>/dev/null || true
      for pid in $children; do
        # Workers' command lines do not name the configuration, only nginx.
        if [[ $(cat "/proc/$pid/comm" 2>/dev/null) == nginx ]]; then
          kill -KILL "$pid" 2>/dev/null || true
        fi
      done
    fi
  fi
  rm -f "$pidfile"
}

for server in "${servers[@]}"; do
  case $server in
  nginx) stop_one "$state/nginx/nginx.pid" "$state/nginx/nginx.conf" ;;
  tinyproxy) stop_one "$state/tinyproxy/tinyproxy.pid" "$state/tinyproxy/tinyproxy.conf" ;;
  *)
    echo "stop.sh: unknown server $server" >&2
    exit 2
    ;;
  esac
done
rm -f "$state/servers.env"
