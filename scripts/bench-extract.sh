#!/usr/bin/env bash
# Benchmark (not a test): exporting a disc that holds one large file with the disc tool's
# extract, against copying the disc's data file with cp, side by side, for each method with a
# 254-character key. Prints "extract-bitcrypt ratio-to-cp R" and "extract-scramble ratio-to-cp R"
# last (R = extract time / cp time, the best of ORVANTA_BENCH_RUNS runs each; target: <= 1.5).
# ORVANTA_BENCH_MIB sets the file size in MiB (default 1024), ORVANTA_BENCH_METHODS the methods.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
disctool="${ORVANTA_DISCTOOL:-$root/build/native/tools/disctool/disctool}"
[ -x "$disctool" ] || { echo "$0: no disc tool at $disctool (run scripts/build.sh first)" >&2; exit 1; }
mib="${ORVANTA_BENCH_MIB:-1024}"
runs="${ORVANTA_BENCH_RUNS:-5}"

work="$(mktemp -d /tmp/orvanta-bench-extract.XXXXXX)"
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/src"
head -c $((mib * 1048576)) /dev/urandom > "$work/src/big.bin"
printf 'MZ' > "$work/viewer.exe"
# 254 characters; SCRAMBLE runs one block round per key character.
key="$(for i in $(seq 0 253); do printf "\\$(printf '%03o' $((97 + i % 26)))"; done)"

now() { date +%s.%N; }

ratios=()
for method in ${ORVANTA_BENCH_METHODS:-bitcrypt scramble}; do
  disc="$work/disc-$method"
  "$disctool" build --viewer "$work/viewer.exe" --from "$work/src" --out "$disc" \
    --content-key "$key" --method "$method" > /dev/null
  data="$(find "$disc/data" -type f | head -n 1)"
  best_cp="" best_extract=""
  for run in $(seq 1 "$runs"); do
    rm -rf "$work/out" "$work/copy.dat"; sync
    t0=$(now); cp "$data" "$work/copy.dat"; t1=$(now)
    sync
    t2=$(now); "$disctool" extract "$disc/viewer.exe" --to "$work/out" > /dev/null; t3=$(now)
    if [ "$run" = 1 ] && ! cmp -s "$work/src/big.bin" "$work/out/Orvanta/big.bin"; then
      echo "$0: $method export differs from the original" >&2
      exit 1
    fi
    cp_time=$(awk -v a="$t0" -v b="$t1" 'BEGIN { printf "%.3f", b - a }')
    ex_time=$(awk -v a="$t2" -v b="$t3" 'BEGIN { printf "%.3f", b - a }')
    echo "$method run $run: cp ${cp_time}s, extract ${ex_time}s"
    best_cp=$(awk -v a="$best_cp" -v b="$cp_time" 'BEGIN { print (a == "" || b < a) ? b : a }')
    best_extract=$(awk -v a="$best_extract" -v b="$ex_time" 'BEGIN { print (a == "" || b < a) ? b : a }')
  done
  rm -rf "$disc" "$work/out" "$work/copy.dat"
  ratios+=("extract-$method ratio-to-cp $(awk -v e="$best_extract" -v c="$best_cp" 'BEGIN { printf "%.2f", e / c }')")
done
printf '%s\n' "${ratios[@]}"
