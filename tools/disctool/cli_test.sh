#!/usr/bin/env bash
# Command-line checks of disctool: the sample disc builds and dumps back, and bad input ends
# with a message and a non-zero exit code (never a crash).
set -u
disctool="$1"
root="$2"
work="$(mktemp -d /tmp/disctool-cli.XXXXXX)"
trap 'rm -rf "$work"' EXIT
failures=0

check() {  # check NAME EXPECTED_RC COMMAND...
  local name="$1" expected="$2"
  shift 2
  "$@" >"$work/out" 2>"$work/err"
  local rc=$?
  if [ "$rc" -ne "$expected" ]; then
    echo "FAIL $name: exit $rc, expected $expected"; cat "$work/err"; failures=$((failures + 1))
  elif [ "$expected" -ne 0 ] && ! grep -q '^disctool: \|^usage' "$work/err"; then
    echo "FAIL $name: no message"; failures=$((failures + 1))
  fi
}

head -c 4096 /dev/zero > "$work/viewer.exe"
ORVANTA_DISCTOOL="$disctool" bash "$root/scripts/make-sample-disc.sh" "$work/disc" "$work/viewer.exe" >/dev/null \
  || { echo "FAIL sample disc"; exit 1; }
check "dump sample" 0 "$disctool" dump "$work/disc/viewer.exe"
for want in 'T0 catalogueOffset 4096' 'T4 userCount 2' 'name "Alice"' 'key "orvantaQm4z"' \
            'nameText "Customer list"' '"Q4-2026.txt" -> "data\\disc1.dat"'; do
  grep -qF "$want" "$work/out" || { echo "FAIL dump lacks: $want"; failures=$((failures + 1)); }
done
[ -s "$work/disc/data/disc1.dat" ] || { echo "FAIL no data file"; failures=$((failures + 1)); }

mkdir -p "$work/src/sub" && echo x > "$work/src/sub/a.txt"
head -c 3000 "$work/disc/viewer.exe" > "$work/cut.exe"
{ head -c 4200 "$work/disc/viewer.exe"; tail -c 52 "$work/disc/viewer.exe"; } > "$work/short.exe"
check "no command" 2 "$disctool"
check "unknown command" 2 "$disctool" frobnicate
check "build without --out" 1 "$disctool" build --viewer "$work/viewer.exe" --from "$work/src"
check "missing folder" 1 "$disctool" build --viewer "$work/viewer.exe" --from "$work/none" --out "$work/o1"
check "missing viewer" 1 "$disctool" build --viewer "$work/none.exe" --from "$work/src" --out "$work/o2"
check "out inside from" 1 "$disctool" build --viewer "$work/viewer.exe" --from "$work/src" --out "$work/src/sub/o"
check "user without password" 1 "$disctool" build --viewer "$work/viewer.exe" --from "$work/src" --out "$work/o3" --user "1:a:b:1::"
check "bad user" 1 "$disctool" build --viewer "$work/viewer.exe" --from "$work/src" --out "$work/o4" --password p --user "x:a"
check "bad date" 1 "$disctool" build --viewer "$work/viewer.exe" --from "$work/src" --out "$work/o5" --password p --user "1:a:b:1:2026-13-01:"
check "bad colour" 1 "$disctool" build --viewer "$work/viewer.exe" --from "$work/src" --out "$work/o6" --text-colour red
check "unknown option" 1 "$disctool" build --viewer "$work/viewer.exe" --from "$work/src" --out "$work/o7" --colour 1
check "long password" 1 "$disctool" build --viewer "$work/viewer.exe" --from "$work/src" --out "$work/o8" --password "$(head -c 251 /dev/zero | tr '\0' p)"
check "missing value" 1 "$disctool" build --viewer
check "dump of a plain file" 1 "$disctool" dump "$work/viewer.exe"
check "dump of a cut disc" 1 "$disctool" dump "$work/cut.exe"
check "dump with sections past the end" 1 "$disctool" dump "$work/short.exe"
check "dump of nothing" 1 "$disctool" dump "$work/none.exe"
check "build ok" 0 "$disctool" build --viewer "$work/viewer.exe" --from "$work/src" --out "$work/o9" --method scramble --no-export
[ -e "$work/o8" ] || [ -e "$work/o2" ] && { echo "FAIL a refused build left files"; failures=$((failures + 1)); }

[ "$failures" -eq 0 ] && echo "all disctool command-line checks passed"
exit $(( failures > 0 ))
