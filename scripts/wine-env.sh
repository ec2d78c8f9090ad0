#!/usr/bin/env bash
# The Windows side of the test harness: one private Wine prefix and one Xvfb display per build tree.
#   wine-env.sh start        start Xvfb and make the prefix (made once, reused)
#   wine-env.sh run PROG...  run a Windows program there, bounded in time
#   wine-env.sh stop         stop the wineserver and Xvfb of this tree
# ORVANTA_WINE_DIR names the tree's state folder (prefix, display number, logs). Never touches
# the user's own prefix or display.
set -u
dir="${ORVANTA_WINE_DIR:?ORVANTA_WINE_DIR is not set}"
mkdir -p "$dir"
export WINEPREFIX="$dir/prefix"
export WINEARCH=win32
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
unset WINESERVER WINELOADER
run_timeout="${ORVANTA_RUN_TIMEOUT:-300}"

display_alive() {
  [ -f "$dir/display" ] && [ -f "$dir/xvfb.pid" ] && kill -0 "$(cat "$dir/xvfb.pid")" 2>/dev/null
}

start_xvfb() {
  display_alive && return 0
  rm -f "$dir/display" "$dir/xvfb.pid"
  local fifo="$dir/displayfd"
  rm -f "$fifo"; mkfifo "$fifo"
  setsid Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -ac 3>"$fifo" 9>&- >"$dir/xvfb.log" 2>&1 &
  echo $! >"$dir/xvfb.pid"
  local num=""
  read -r -t 20 num <"$fifo" || true
  rm -f "$fifo"
  if [ -z "$num" ]; then
    echo "wine-env: Xvfb did not start (see $dir/xvfb.log)" >&2
    return 1
  fi
  echo ":$num" >"$dir/display"
}

make_prefix() {
  [ -f "$WINEPREFIX/.orvanta-ready" ] && return 0
  rm -rf "$WINEPREFIX"
  DISPLAY="$(cat "$dir/display")" timeout 180 wineboot -i 9>&- >"$dir/wineboot.log" 2>&1 || {
    echo "wine-env: prefix creation failed (see $dir/wineboot.log)" >&2; return 1; }
  timeout 60 wineserver -w
  touch "$WINEPREFIX/.orvanta-ready"
}

start() {
  (
    flock -w 300 9 || { echo "wine-env: lock timeout" >&2; exit 1; }
    start_xvfb && make_prefix
  ) 9>"$dir/lock"
}

stop() {
  timeout 20 wineserver -k >/dev/null 2>&1 || true
  if [ -f "$dir/xvfb.pid" ]; then
    local pid; pid="$(cat "$dir/xvfb.pid")"
    kill "$pid" 2>/dev/null || true
    for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
    kill -9 "$pid" 2>/dev/null || true
  fi
  rm -f "$dir/display" "$dir/xvfb.pid"
}

case "${1:-}" in
  start) start ;;
  stop) stop ;;
  run)
    shift
    start || exit 1
    export DISPLAY="$(cat "$dir/display")"
    exec timeout -k 10 "$run_timeout" wine "$@"
    ;;
  *) echo "usage: wine-env.sh start|run PROG...|stop" >&2; exit 2 ;;
esac
