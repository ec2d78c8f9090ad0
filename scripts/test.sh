#!/usr/bin/env bash
# Sets up the machine, builds both trees and runs every test: native tests, then the Windows-side
# tests under Wine in the tree's own Xvfb and prefix. Whatever the run starts is stopped when it
# ends, failed or not.
set -uo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${ORVANTA_BUILD_DIR:-$root/build}"

bash "$root/scripts/setup.sh" || exit 1
bash "$root/scripts/build.sh" || exit 1

stop_wine() { ORVANTA_WINE_DIR="$build/win/wine" "$root/scripts/wine-env.sh" stop >/dev/null 2>&1 || true; }
trap stop_wine EXIT
trap 'exit 130' INT TERM

status=0
(cd "$build/native" && ctest --output-on-failure --timeout 600) || status=1
# A Wine GUI run can lose a race with Wine's own start-up now and then; a failed test gets one
# more try (both outcomes are in the log).
(cd "$build/win" && ctest --output-on-failure --timeout 900 --repeat until-pass:2) || status=1
# Every disc parser under libFuzzer with ASan and UBSan for a bounded time, then the native tests
# once under the sanitizers; either fails the run on any finding.
bash "$root/scripts/fuzz.sh" "${ORVANTA_FUZZ_SECONDS:-45}" || status=1
bash "$root/scripts/sanitize.sh" || status=1
exit $status
