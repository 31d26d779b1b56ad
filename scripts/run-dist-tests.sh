#!/usr/bin/env bash
# make dist-tests-wine: the release's test programs (make dist-tests) under Wine, against the
# release zip's own Brisklow.exe (make dist), started as the workflow's Windows job starts them:
#   wine brisklow_window_tests.exe --gtest_filter=BrisklowWindow.*
#   wine brisklow_headless_run.exe --require-count
# from a folder of their own, with BRISKLOW_PROGRAM naming the unpacked exe; each fails unless it
# passes and says that it started that exe. Only what Windows has and Wine lacks is set up: a
# virtual display of 1024 x 768, a hosted runner's desktop, and the WMI stand-in (the windows
# preset's) serving this computer's processes, registered in a new Wine prefix of this run's own.
# The display and the prefix's server end with the run. Nothing is built: the zip and the programs
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
rm -rf "$state/unpacked" "$state/wineprefix"
unzip -q "build/dist/$name.zip" -d "$state/unpacked"

export WINEPREFIX=$state/wineprefix
export WINEDEBUG=-all
# No Mono or Gecko: the prefix asks for neither.
export WINEDLLOVERRIDES=mscoree,mshtml=
cleanup() {
  wineserver -k 2>/dev/null || true
  "$root/tests/e2e/xvfb.sh" stop "$state"
}
trap cleanup EXIT
tests/e2e/xvfb.sh start "$state"
DISPLAY=":$(cat "$state/xvfb.display")"
export DISPLAY

# The prefix, made on the display; the stand-in's registration goes through a runner script of
# the build folder that names it.
wineboot -i >/dev/null 2>&1 || true
# No window manager on the display: Wine draws the window frames itself, as Windows would.
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f </dev/null >/dev/null 2>&1
wineserver -w
cat >"$state/wine.sh" <<END
#!/bin/sh
export WINEPREFIX='$WINEPREFIX'
exec wine "\$@"
END
chmod +x "$state/wine.sh"
wmi_standin/register.sh "$build" dist-tests-wine/wine.sh
# A server that stays, and Wine's background services started with their output detached: started
# by a test program, they would hold its output open after it ends.
wineserver -w
wineserver -p
wine cmd.exe /c exit </dev/null >/dev/null 2>&1 || true

BRISKLOW_PROGRAM=$(winepath -w "$state/unpacked/Brisklow.exe")
export BRISKLOW_PROGRAM
cd "$state"
# Runs a test program as the Windows job does; fails unless it passes and started the unpacked exe.
run() {
  local program=$1 log=$state/${1%.exe}.log status=0
  shift
  echo "== wine $program $*"
  wine "$tests/$program" "$@" | tr -d '\r' | tee "$log" || status=$?
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
