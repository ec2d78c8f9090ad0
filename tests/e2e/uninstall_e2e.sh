#!/bin/sh
# Runs the uninstaller's end-to-end test under Wine with a throw-away drive Q: mapped to a fresh
# temporary folder, so that the drive-root case can never reach a real drive, and with a
# ready-made directory link there, since Wine cannot make one from a Windows program.
# usage: uninstall_e2e.sh WINE_DIR WINE_RUN E2E_EXE UNINSTALLER_EXE
set -u
wine_dir="$1"; wine_run="$2"; e2e="$3"; uninstaller="$4"
ORVANTA_WINE_DIR="$wine_dir" "$(dirname "$0")/../../scripts/wine-env.sh" start || exit 1
drive_link="$wine_dir/prefix/dosdevices/q:"
drive_dir=""
drive_arg=""
cleanup() {
  if [ -n "$drive_dir" ]; then
    rm -f "$drive_link"
    rm -rf "$drive_dir"
  fi
}
trap cleanup EXIT
trap 'exit 1' INT TERM
# A killed earlier run may have left its link to a folder that is gone.
[ -L "$drive_link" ] && [ ! -e "$drive_link" ] && rm -f "$drive_link"
if [ ! -e "$drive_link" ] && [ ! -L "$drive_link" ]; then
  drive_dir="$(mktemp -d /tmp/orvanta-e2e-drive.XXXXXX)"
  ln -s "$drive_dir" "$drive_link" && drive_arg="Q:"
  # A directory link in a program folder, for systems where the test cannot make one itself.
  mkdir -p "$drive_dir/linkcase/target" "$drive_dir/linkcase/Orvanta4"
  echo precious >"$drive_dir/linkcase/target/precious.dat"
  ln -s ../target "$drive_dir/linkcase/Orvanta4/linked"
fi
"$wine_run" "$e2e" "$uninstaller" $drive_arg
exit $?
