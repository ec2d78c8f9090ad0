#!/usr/bin/env bash
# Times how long the viewer takes, under Wine, to open a disc of 50,000 files in 1,000 folders
# to its main window with the totals line. Builds both trees first. Prints the figure last.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${ORVANTA_BUILD_DIR:-$root/build}"
bash "$root/scripts/build.sh" >/dev/null
work="$(mktemp -d /tmp/orvanta-bench-open.XXXXXX)"
trap 'rm -rf "$work"; ORVANTA_WINE_DIR="$build/win/wine" "$root/scripts/wine-env.sh" stop >/dev/null 2>&1 || true' EXIT
for f in $(seq 1 1000); do
  d="$work/files/Folder $((f / 100))/Sub $f"
  mkdir -p "$d"
  for i in $(seq 1 50); do printf '%s %s\n' "$f" "$i" > "$d/file $i.txt"; done
done
"$build/native/tools/disctool/disctool" build --viewer "$build/win/viewer/viewer.exe" --from "$work/files" \
  --out "$work/disc" >/dev/null
ORVANTA_WINE_DIR="$build/win/wine" "$root/scripts/wine-env.sh" begin >/dev/null
ORVANTA_WINE_DIR="$build/win/wine" ORVANTA_RUN_TIMEOUT=120 "$root/scripts/wine-env.sh" run \
  "$build/win/tests/e2e/driver.exe" open-timing "$work/disc" | grep open-to-main-window
