#!/usr/bin/env bash
# Saves a screenshot of the build tree's Xvfb display (build/win/wine/display) as OUTFILE.png.
#   screenshot.sh OUTFILE.png
set -u
root="$(cd "$(dirname "$0")/.." && pwd)"
dir="${ORVANTA_WINE_DIR:-${ORVANTA_BUILD_DIR:-$root/build}/win/wine}"
out="${1:?usage: screenshot.sh OUTFILE.png}"
command -v import >/dev/null || { echo "screenshot: ImageMagick's import is not installed" >&2; exit 1; }
[ -f "$dir/display" ] || { echo "screenshot: no display is running ($dir/display missing)" >&2; exit 1; }
mkdir -p "$(dirname "$out")"
DISPLAY="$(cat "$dir/display")" timeout 20 import -window root "$out"
