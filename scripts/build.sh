#!/usr/bin/env bash
# Configures and builds both trees: build/native (portable core, disc tool, native tests,
# benchmarks) and build/win (viewer.exe, uninstaller.exe, Windows-side tests).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${ORVANTA_BUILD_DIR:-$root/build}"
jobs="${ORVANTA_JOBS:-$(nproc)}"
gen=()
command -v ninja >/dev/null && gen=(-G Ninja)

if [ ! -f "$build/native/CMakeCache.txt" ]; then
  cmake -S "$root" -B "$build/native" "${gen[@]}" -DCMAKE_BUILD_TYPE=Release >/dev/null
fi
cmake --build "$build/native" -j "$jobs"

if [ ! -f "$build/win/CMakeCache.txt" ]; then
  cmake -S "$root" -B "$build/win" "${gen[@]}" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" \
    -DORVANTA_DISCTOOL="$build/native/tools/disctool/disctool" >/dev/null
fi
cmake --build "$build/win" -j "$jobs"
