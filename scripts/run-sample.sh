#!/usr/bin/env bash
# The main job: sets up the machine, builds both trees, builds a sample disc and opens it in the
# viewer under Wine. With a usable $DISPLAY the viewer shows in a real window; otherwise it runs in
# the tree's Xvfb and a screenshot is saved every few seconds into build/win/artifacts/sample/.
# Stops after ORVANTA_SAMPLE_SECONDS (30) or when the viewer exits, and stops what it started.
set -uo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${ORVANTA_BUILD_DIR:-$root/build}"
seconds="${ORVANTA_SAMPLE_SECONDS:-30}"
every="${ORVANTA_SAMPLE_SHOT_EVERY:-5}"
export ORVANTA_WINE_DIR="$build/win/wine"
wine_env="$root/scripts/wine-env.sh"

bash "$root/scripts/setup.sh" || exit 1
bash "$root/scripts/build.sh" || exit 1

disc="$build/sample-disc"
if [ ! -f "$root/scripts/make-sample-disc.sh" ]; then
  echo "run-sample: scripts/make-sample-disc.sh is not there yet; no sample disc to open" >&2
  exit 0
fi
rm -rf "$disc"
bash "$root/scripts/make-sample-disc.sh" "$disc" "$build/win/viewer/viewer.exe" || {
  echo "run-sample: the sample disc could not be built" >&2; exit 1; }
[ -f "$disc/viewer.exe" ] || { echo "run-sample: $disc/viewer.exe was not written" >&2; exit 1; }

shots="$build/win/artifacts/sample"
viewer_pid=""
cleanup() {
  [ -n "$viewer_pid" ] && kill "$viewer_pid" 2>/dev/null
  bash "$wine_env" stop >/dev/null 2>&1 || true
}
trap cleanup EXIT
trap 'exit 130' INT TERM

display_usable() {
  [ -n "${DISPLAY:-}" ] || return 1
  if command -v xdpyinfo >/dev/null; then timeout 5 xdpyinfo >/dev/null 2>&1; return; fi
  command -v xwd >/dev/null && timeout 5 xwd -root -silent >/dev/null 2>&1
}
use_real=0
display_usable && use_real=1

bash "$wine_env" start || exit 1
export WINEPREFIX="$ORVANTA_WINE_DIR/prefix" WINEARCH=win32 WINEDEBUG=-all
if [ $use_real = 1 ]; then
  echo "run-sample: opening $disc/viewer.exe on $DISPLAY (at most $seconds s)"
else
  DISPLAY="$(cat "$ORVANTA_WINE_DIR/display")"
  export DISPLAY
  rm -rf "$shots"; mkdir -p "$shots"
  echo "run-sample: no usable display; the viewer runs in Xvfb $DISPLAY, screenshots go to $shots"
fi
if [ $use_real = 1 ]; then
  (cd "$disc" && exec wine viewer.exe) &
else
  # Nobody can type the password into Xvfb: the driver logs in with the master password and
  # walks through the main window, saving screenshots of each step beside the periodic ones.
  ORVANTA_ARTIFACTS="$shots" wine "$build/win/tests/e2e/driver.exe" sample-tour "$disc" &
fi
viewer_pid=$!

start=$(date +%s); n=0
while kill -0 "$viewer_pid" 2>/dev/null; do
  elapsed=$(( $(date +%s) - start ))
  [ $elapsed -ge "$seconds" ] && { echo "run-sample: $seconds s are up, stopping the viewer"; break; }
  if [ $use_real = 0 ] && [ $((elapsed % every)) -eq 0 ] && [ $elapsed -ge $((n * every)) ]; then
    n=$((n + 1))
    bash "$root/scripts/screenshot.sh" "$shots/$(printf 'shot-%03d.png' "$elapsed")" || true
  fi
  sleep 1
done
if ! kill -0 "$viewer_pid" 2>/dev/null; then
  wait "$viewer_pid"; echo "run-sample: the viewer exited with code $?"
fi
if [ $use_real = 0 ]; then
  if command -v convert >/dev/null; then
    for bmp in "$shots"/*.bmp; do
      [ -f "$bmp" ] && convert "$bmp" "${bmp%.bmp}.png" 2>/dev/null && rm -f "$bmp"
    done
  fi
  echo "run-sample: screenshots in $shots"
fi
exit 0
