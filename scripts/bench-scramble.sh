#!/usr/bin/env bash
# Times the two stream routines against a plain 1 MiB-chunked copy of a 256 MiB random file in
# a temporary folder (removed afterwards). The last two lines give each routine's ratio to the
# copy (copy time / routine time, medians). RUNS sets the number of runs of each (default 7);
# --tables or --planes128 limit the block routine to the slower forms that processors without
# GF(2) affine or without 512-bit instructions use.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${ORVANTA_BUILD_DIR:-$root/build}/native"
jobs="${ORVANTA_JOBS:-2}"
gen=()
command -v ninja >/dev/null && gen=(-G Ninja)

if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S "$root" -B "$build" "${gen[@]}" -DCMAKE_BUILD_TYPE=Release >/dev/null
fi
if ! grep -q '^CMAKE_BUILD_TYPE:STRING=Release$' "$build/CMakeCache.txt" \
   || grep -q '^ORVANTA_SANITIZE:BOOL=ON$' "$build/CMakeCache.txt"; then
  echo "bench-scramble: $build is not a plain Release tree; set ORVANTA_BUILD_DIR to another folder" >&2
  exit 1
fi
cmake --build "$build" --target scramble_bench -j "$jobs" >/dev/null

tmp="$(mktemp -d "${TMPDIR:-/tmp}/scramble-bench.XXXXXX")"
trap 'rm -rf "$tmp"' EXIT
head -c $((256 * 1024 * 1024)) /dev/urandom >"$tmp/input.bin"
"$build/bench/scramble_bench" "$tmp/input.bin" "$tmp/output.bin" "${RUNS:-7}" "$@"
