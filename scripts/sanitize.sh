#!/usr/bin/env bash
# Builds the native tree with AddressSanitizer and UBSan (clang, -DORVANTA_SANITIZE=ON) into
# build/native-asan and runs the native tests once. Fails on a failing test and on any sanitizer
# report, including one from a program a test runs and whose output it keeps to itself.
#   bash scripts/sanitize.sh
set -uo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${ORVANTA_BUILD_DIR:-$root/build}/native-asan"
jobs="${ORVANTA_JOBS:-2}"

gen=()
command -v ninja >/dev/null && gen=(-G Ninja)
if [ ! -f "$build/CMakeCache.txt" ]; then
  CC=clang CXX=clang++ cmake -S "$root" -B "$build" "${gen[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DORVANTA_SANITIZE=ON >/dev/null || { echo "sanitize: cannot configure $build" >&2; exit 1; }
fi
cmake --build "$build" -j "$jobs" --target native_tests disctool >"$build/build.log" 2>&1 || { cat "$build/build.log" >&2; echo "sanitize: build failed" >&2; exit 1; }

# Every report also goes to a file of its own, so that none can pass unseen.
reports="$build/sanitizer-reports"
rm -rf "$reports"
mkdir -p "$reports"
export ASAN_OPTIONS="halt_on_error=1:detect_leaks=1:exitcode=86:log_path=$reports/asan"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1:exitcode=86:log_path=$reports/ubsan"
export LSAN_OPTIONS="exitcode=86"

status=0
(cd "$build" && ctest --output-on-failure --timeout 600 -j "$jobs") || status=1
found=$(find "$reports" -type f | sort)
if [ -n "$found" ]; then
  echo "sanitize: sanitizer reports:"
  for f in $found; do
    echo "== $f"
    head -40 "$f"
  done
  status=1
fi
if [ "$status" -eq 0 ]; then
  echo "sanitize: native tests clean under ASan and UBSan"
else
  echo "sanitize: FAILED" >&2
fi
exit $status
