#!/usr/bin/env bash
# The Windows side of the test harness: one private Wine prefix and one Xvfb display per build tree.
#   wine-env.sh start        start Xvfb and make the prefix (made once, reused)
#   wine-env.sh begin        stop what a killed earlier run left behind, then start
#   wine-env.sh run PROG...  run a Windows program there, bounded in time
#   wine-env.sh stop         stop the wineserver and Xvfb of this tree
#   wine-env.sh display      print the tree's X display (starting it if needed)
# ORVANTA_WINE_DIR names the tree's state folder (prefix, display number, logs). Never touches
# the user's own prefix or display. One test run per tree at a time.
set -u
dir="${ORVANTA_WINE_DIR:?ORVANTA_WINE_DIR is not set}"
mkdir -p "$dir" || exit 1
dir="$(cd "$dir" && pwd)"
export WINEPREFIX="$dir/prefix"
export WINEARCH=win32
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe="
unset WINESERVER WINELOADER
run_timeout="${ORVANTA_RUN_TIMEOUT:-300}"
# Bump when the prefix settings below change: an older prefix is then made anew.
prefix_version=3

fail() { echo "wine-env: $*" >&2; exit 1; }

for tool in Xvfb wine wineserver wineboot flock timeout; do
  command -v "$tool" >/dev/null || fail "$tool is not installed (run scripts/setup.sh)"
done

# A pid file may outlive its process and the number be reused: only an Xvfb counts.
xvfb_pid_alive() {
  local pid
  [ -f "$dir/xvfb.pid" ] || return 1
  pid="$(cat "$dir/xvfb.pid")"
  [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null || return 1
  tr '\0' ' ' <"/proc/$pid/cmdline" 2>/dev/null | grep -q Xvfb
}

display_alive() {
  [ -f "$dir/display" ] && xvfb_pid_alive
}

start_xvfb() {
  display_alive && return 0
  # Whatever still runs in this prefix was started on a display that is gone: it is stale.
  timeout 20 wineserver -k 9>&- >/dev/null 2>&1
  timeout 10 wineserver -w 9>&- >/dev/null 2>&1
  rm -f "$dir/display" "$dir/xvfb.pid"
  local fifo="$dir/displayfd"
  rm -f "$fifo"; mkfifo "$fifo" || return 1
  # setsid: a Ctrl-C in the terminal must not kill the display under a test that is stopping.
  setsid Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -ac 3>"$fifo" 9>&- >"$dir/xvfb.log" 2>&1 &
  echo $! >"$dir/xvfb.pid"
  local num=""
  read -r -t 20 num <"$fifo" || true
  rm -f "$fifo"
  if [ -z "$num" ]; then
    echo "wine-env: Xvfb did not start within 20 s (see $dir/xvfb.log)" >&2
    return 1
  fi
  echo ":$num" >"$dir/display"
}

# Crash dialogs and the debugger would wait for a user who is not there: a crashing program
# must simply end, so that the test fails instead of hanging. Windows are unmanaged: Xvfb has no
# window manager, and a managed window waits 2 s for one whenever it is closed.
write_prefix_settings() {
  cat >"$dir/settings.reg" <<'EOF'
REGEDIT4

[HKEY_CURRENT_USER\Software\Wine\WineDbg]
"ShowCrashDialog"=dword:00000000

[HKEY_LOCAL_MACHINE\Software\Microsoft\Windows NT\CurrentVersion\AeDebug]
"Debugger"=-
"Auto"="0"

[HKEY_CURRENT_USER\Software\Wine\X11 Driver]
"Managed"="N"

[HKEY_CURRENT_USER\Software\Wine\DllOverrides]
"winemenubuilder.exe"=""
"mscoree"=""
"mshtml"=""
EOF
}

make_prefix() {
  [ "$(cat "$WINEPREFIX/.orvanta-ready" 2>/dev/null)" = "$prefix_version" ] && return 0
  echo "wine-env: making the Wine prefix $WINEPREFIX (once)" >&2
  timeout 30 wineserver -k 9>&- >/dev/null 2>&1
  rm -rf "$WINEPREFIX"
  local display; display="$(cat "$dir/display")"
  DISPLAY="$display" timeout 180 wineboot -i 9>&- >"$dir/wineboot.log" 2>&1 || {
    echo "wine-env: prefix creation failed (see $dir/wineboot.log)" >&2; return 1; }
  write_prefix_settings
  DISPLAY="$display" timeout 60 wine regedit /S "$dir/settings.reg" 9>&- >>"$dir/wineboot.log" 2>&1 || {
    echo "wine-env: prefix settings failed (see $dir/wineboot.log)" >&2; return 1; }
  timeout 60 wineserver -w 9>&-
  echo "$prefix_version" >"$WINEPREFIX/.orvanta-ready"
}

# The lock is taken on fd 9, which every child is started without, so no long-lived process
# (Xvfb, wineserver) keeps it held after this script ends.
start() {
  (
    flock -w 300 9 || fail "another run holds $dir/lock for more than 300 s"
    start_xvfb && make_prefix || exit 1
    # A server that outlives each program saves a second or two per program started.
    timeout 30 wineserver -p 9>&- >/dev/null 2>&1 || true
    # The helper processes the first program brings up (services, desktop) stay with that server
    # and would keep the caller's output pipe open: start them here, writing to a log.
    DISPLAY="$(cat "$dir/display")" timeout 60 wine wineboot 9>&- </dev/null >>"$dir/wineboot.log" 2>&1 || true
  ) 9>"$dir/lock"
}

stop_all() {
  timeout 20 wineserver -k 9>&- >/dev/null 2>&1 || true
  timeout 10 wineserver -w 9>&- >/dev/null 2>&1 || true
  if xvfb_pid_alive; then
    local pid; pid="$(cat "$dir/xvfb.pid")"
    kill "$pid" 2>/dev/null || true
    for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
    kill -9 "$pid" 2>/dev/null || true
  fi
  rm -f "$dir/display" "$dir/xvfb.pid" "$dir/displayfd"
}

stop() {
  (
    flock -w 60 9 || true
    stop_all
  ) 9>"$dir/lock"
}

case "${1:-}" in
  start) start ;;
  begin) stop && start ;;
  stop) stop ;;
  display)
    start || exit 1
    cat "$dir/display"
    ;;
  run)
    shift
    [ $# -ge 1 ] || fail "run: no program given"
    start || exit 1
    DISPLAY="$(cat "$dir/display")"
    export DISPLAY
    exec timeout -k 10 "$run_timeout" wine "$@"
    ;;
  *) echo "usage: wine-env.sh start|begin|run PROG...|stop|display" >&2; exit 2 ;;
esac
