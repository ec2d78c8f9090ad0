#!/usr/bin/env bash
# Builds the fuzz targets (clang, libFuzzer, ASan and UBSan) into build/fuzz, writes the seed
# corpus from discs the disc tool builds, and runs every target for SECONDS (default 60) one
# after another. Prints one line per target and fails when any target finds a fault; the input
# that shows it is kept under build/fuzz/findings/<target>/.
#   bash scripts/fuzz.sh [SECONDS]
set -uo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${ORVANTA_BUILD_DIR:-$root/build}/fuzz"
seconds="${1:-60}"
jobs="${ORVANTA_JOBS:-2}"
targets=(fuzz_layout fuzz_header fuzz_users fuzz_catalogue fuzz_export fuzz_login)

if ! [[ "$seconds" =~ ^[1-9][0-9]*$ ]]; then
  echo "usage: bash scripts/fuzz.sh [SECONDS]" >&2
  exit 2
fi

gen=()
command -v ninja >/dev/null && gen=(-G Ninja)
if [ ! -f "$build/CMakeCache.txt" ]; then
  CC=clang CXX=clang++ cmake -S "$root/fuzz" -B "$build" "${gen[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null \
    || { echo "fuzz: cannot configure $build (are clang and libclang-rt-14-dev installed?)" >&2; exit 1; }
fi
cmake --build "$build" -j "$jobs" >"$build/build.log" 2>&1 || { cat "$build/build.log" >&2; echo "fuzz: build failed" >&2; exit 1; }

# Seeds are written afresh each run; what the fuzzers added to the corpus before is kept.
"$build/make_seeds" "$build/corpus" >/dev/null || { echo "fuzz: cannot write the seed corpus" >&2; exit 1; }

export ASAN_OPTIONS="halt_on_error=1:abort_on_error=1:detect_leaks=1:allocator_may_return_null=1"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
passed=0
failed=0
for t in "${targets[@]}"; do
  findings="$build/findings/$t"
  log="$build/logs/$t.log"
  mkdir -p "$findings" "$build/logs" "$build/corpus/$t"
  start=$(date +%s)
  # Earlier findings are read again first, so a fault that comes back fails at once. libFuzzer
  # stops itself after SECONDS; the outer bound only guards against a hung process.
  timeout --kill-after=10 $((seconds + 120)) "$build/$t" "$build/corpus/$t" "$findings" \
    -max_total_time="$seconds" -max_len=16384 -timeout=10 -rss_limit_mb=2048 \
    -print_final_stats=1 -artifact_prefix="$findings/" >"$log" 2>&1
  rc=$?
  took=$(( $(date +%s) - start ))
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  cov=$(grep -o 'cov: [0-9]*' "$log" | tail -1 | cut -d' ' -f2)
  corpus=$(find "$build/corpus/$t" -type f | wc -l)
  if [ "$rc" -eq 0 ]; then
    passed=$((passed + 1))
    printf 'fuzz: %-15s ok      %4ss %10s runs  cov %5s  corpus %5s\n' "$t" "$took" "${runs:-?}" "${cov:-?}" "$corpus"
  else
    failed=$((failed + 1))
    printf 'fuzz: %-15s FAILED  %4ss %10s runs  (exit %s)\n' "$t" "$took" "${runs:-?}" "$rc"
    grep -E 'ERROR|SUMMARY|invariant broken|runtime error|^ +#[0-9]' "$log" | head -30 | sed 's/^/    /'
    newest=$(ls -t "$findings" 2>/dev/null | head -1)
    [ -n "$newest" ] && echo "    reproduce: $build/$t $findings/$newest"
    echo "    full log: $log"
  fi
done
echo "fuzz: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
