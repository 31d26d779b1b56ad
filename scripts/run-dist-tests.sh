#!/usr/bin/env bash
# make dist-tests-wine: the release's test programs (make dist-tests) under Wine, against the
# release zip's own Brisklow.exe (make dist), started as the workflow's Windows job starts them:
#   wine brisklow_window_tests.exe --gtest_filter=BrisklowWindow.*
#   wine brisklow_headless_run.exe --require-count
# from a folder of their own, with BRISKLOW_PROGRAM naming the unpacked exe; each fails unless it
# passes and says that it started that exe. Only what Windows has and Wine lacks is set up: a
# virtual display of 1024 x 768, a hosted runner's desktop, and the WMI stand-in (the windows
# preset's) serving this computer's processes, registered in make run's prefix (run-prefix, whose
# runner wine-run-app.sh sets the prefix and starts wine). The display and the prefix's server end
# with the run. Nothing is built: the zip and the programs
# are taken as make dist and make dist-tests left them, the zip checked against its checksum before
# it is unpacked. The run's files are in build/windows/dist-tests-wine.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
version=$(bash scripts/release-version.sh)
name=Brisklow-$version-win64
tests=$root/build/dist-tests
build=$root/build/windows
state=$build/dist-tests-wine
for needed in "build/dist/$name.zip" "$tests/brisklow_window_tests.exe" \
              "$tests/brisklow_headless_run.exe" "$build/wmi_standin/BrisklowWmiStandin.dll"; do
  [ -f "$needed" ] || { echo "run-dist-tests: no $needed (make dist and make dist-tests make it)" >&2; exit 1; }
done

(cd build/dist && sha256sum -c "$name.zip.sha256")
mkdir -p "$state"
rm -rf "$state/unpacked"
unzip -q "build/dist/$name.zip" -d "$state/unpacked"

# make run's prefix and runner (the prefix made on first use), the stand-in registered there as make
# run registers it.
runner=$build/wine-run-app.sh
[ -x "$runner" ] || { echo "run-dist-tests: no $runner (the windows preset makes it)" >&2; exit 1; }
cleanup() {
  WINEPREFIX=$build/run-prefix wineserver -k 2>/dev/null || true
  "$root/tests/e2e/xvfb.sh" stop "$state"
}
trap cleanup EXIT
tests/e2e/xvfb.sh start "$state"
DISPLAY=":$(cat "$state/xvfb.display")"
export DISPLAY
wmi_standin/register.sh "$build" wine-run-app.sh
# No window manager on the display: Wine draws the window frames itself, as Windows would.
"$runner" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1

BRISKLOW_PROGRAM=$("$runner" winepath -w "$state/unpacked/Brisklow.exe")
export BRISKLOW_PROGRAM
cd "$state"
# Runs a test program as the Windows job does; fails unless it passes and started the unpacked exe.
run() {
  local program=$1 log=$state/${1%.exe}.log status=0
  shift
  echo "== $program $*"
  "$runner" "$tests/$program" "$@" | tr -d '\r' | tee "$log" || status=$?
  if ! grep -Fxq "Program under test: $BRISKLOW_PROGRAM" "$log"; then
    echo "run-dist-tests: $program did not say it started $BRISKLOW_PROGRAM" >&2
    status=1
  fi
  return "$status"
}
failed=0
run brisklow_window_tests.exe '--gtest_filter=BrisklowWindow.*' || failed=1
run brisklow_headless_run.exe --require-count || failed=1
[ "$failed" = 0 ] || exit 1
echo "run-dist-tests: both programs passed against $BRISKLOW_PROGRAM ($name.zip)"
