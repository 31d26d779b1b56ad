#!/usr/bin/env bash
# A virtual X display for the window tests.
#   xvfb.sh start <state-folder>   starts Xvfb on a free display number; records the number in
#                                  <state-folder>/xvfb.display and the process id in xvfb.pid,
#                                  and returns once the display answers
#   xvfb.sh stop <state-folder>    ends that Xvfb
set -euo pipefail
command=${1:?start or stop}
state=${2:?state folder}
mkdir -p "$state"
display_file="$state/xvfb.display"
pid_file="$state/xvfb.pid"

stop() {
  if [ -f "$pid_file" ]; then
    pid=$(cat "$pid_file")
    if kill "$pid" 2>/dev/null; then
      # Wait, boundedly, until it has gone.
      for _ in $(seq 1 100); do
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.05
      done
    fi
    rm -f "$pid_file" "$display_file"
  fi
}

case "$command" in
  start)
    stop
    rm -f "$display_file"
    # Xvfb picks a free display itself and writes its number once it accepts connections. It is
    # detached from this script's output so that CTest does not wait for it. The screen is a
    # hosted Windows runner's desktop, 1024 x 768: what passes here fits there.
    setsid Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp \
      3>"$display_file" </dev/null >"$state/xvfb.log" 2>&1 &
    echo $! >"$pid_file"
    for _ in $(seq 1 200); do
      if [ -s "$display_file" ]; then
        number=$(tr -dc '0-9' <"$display_file")
        if [ -n "$number" ] && xdpyinfo -display ":$number" >/dev/null 2>&1; then
          echo "$number" >"$display_file"
          echo "Xvfb on :$number (pid $(cat "$pid_file"))"
          exit 0
        fi
      fi
      kill -0 "$(cat "$pid_file")" 2>/dev/null || { cat "$state/xvfb.log" >&2; exit 1; }
      sleep 0.05
    done
    echo "Xvfb did not answer" >&2
    stop
    exit 1
    ;;
  stop)
    stop
    ;;
  *)
    echo "usage: $0 start|stop <state-folder>" >&2
    exit 2
    ;;
esac
