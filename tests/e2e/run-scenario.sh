#!/usr/bin/env bash
# Runs one end-to-end scenario for CTest: makes a fresh work folder, builds the scenario's disc with
# the disc tool when it needs one, then runs driver.exe under the tree's Wine. Screenshots land in
# the artefacts folder (converted to PNG when ImageMagick is there).
set -u
data="$(cd "$(dirname "$0")" && pwd)/data"
name="" work="" artifacts="" wine_run="" driver="" viewer="" disctool="" plain_viewer=0
disc=()
while [ $# -gt 0 ]; do
  case "$1" in
    --name) name="$2"; shift 2 ;;
    --work) work="$2"; shift 2 ;;
    --artifacts) artifacts="$2"; shift 2 ;;
    --wine-run) wine_run="$2"; shift 2 ;;
    --driver) driver="$2"; shift 2 ;;
    --viewer) viewer="$2"; shift 2 ;;
    --disctool) disctool="$2"; shift 2 ;;
    --plain-viewer) plain_viewer=1; shift ;;
    --disc)
      shift
      while [ $# -gt 0 ] && [ "$1" != "--end-disc" ]; do disc+=("$1"); shift; done
      shift ;;
    --) shift; break ;;
    *) echo "run-scenario: unknown option $1" >&2; exit 2 ;;
  esac
done
for v in name work artifacts wine_run driver; do
  [ -n "${!v}" ] || { echo "run-scenario: --${v//_/-} is missing" >&2; exit 2; }
done

substitute() {
  local s="$1"
  s="${s//@WORK@/$work}"
  s="${s//@VIEWER@/$viewer}"
  s="${s//@DATA@/$data}"
  printf '%s' "$s"
}

rm -rf "$work" "$artifacts"
mkdir -p "$work" "$artifacts" || exit 1

if [ "$plain_viewer" = 1 ]; then
  [ -f "$viewer" ] || { echo "FAIL: viewer.exe is not built ($viewer)"; exit 1; }
  cp "$viewer" "$work/viewer.exe" || exit 1
fi

if [ ${#disc[@]} -gt 0 ]; then
  if [ -z "$disctool" ] || [ ! -x "$disctool" ]; then
    echo "FAIL: the disc tool is not built (${disctool:-no path}); build/native first"
    exit 1
  fi
  args=()
  for a in "${disc[@]}"; do args+=("$(substitute "$a")"); done
  if ! "$disctool" "${args[@]}" >"$work/disctool.log" 2>&1; then
    echo "FAIL: the disc tool could not build the disc: $disctool ${args[*]}"
    cat "$work/disctool.log"
    exit 1
  fi
fi

driver_args=()
for a in "$@"; do driver_args+=("$(substitute "$a")"); done

echo "scenario $name: driver.exe $name ${driver_args[*]}"
ORVANTA_ARTIFACTS="$artifacts" ORVANTA_RUN_TIMEOUT="${ORVANTA_E2E_TIMEOUT:-120}" \
  "$wine_run" "$driver" "$name" "${driver_args[@]}"
status=$?
[ $status -eq 124 ] && echo "FAIL: the driver did not finish within ${ORVANTA_E2E_TIMEOUT:-120} s"

if command -v convert >/dev/null; then
  for bmp in "$artifacts"/*.bmp; do
    [ -f "$bmp" ] || continue
    convert "$bmp" "${bmp%.bmp}.png" 2>/dev/null && rm -f "$bmp"
  done
fi
[ -n "$(ls -A "$artifacts")" ] && echo "artefacts: $artifacts"
exit $status
