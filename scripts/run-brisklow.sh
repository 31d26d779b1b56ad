#!/usr/bin/env bash
# Starts Brisklow.exe under Wine in the build's own prefix. On a machine without a display it
# uses a virtual one: it waits for the first scan to end, keeps a screenshot in the build folder,
# closes the window and exits 0.
set -euo pipefail
build=$(cd "${1:-build/windows}" && pwd)
if [ -n "${DISPLAY:-}" ]; then
  "$build/wine-run.sh" "$build/Brisklow.exe"
  exit $?
fi

e2e="$build/tests/e2e"
state="$e2e/state"
here=$(cd "$(dirname "$0")/.." && pwd)
cleanup() {
  WINEPREFIX="$state/wineprefix" wineserver -k 2>/dev/null || true
  "$here/tests/e2e/xvfb.sh" stop "$state"
}
trap cleanup EXIT
"$here/tests/e2e/xvfb.sh" start "$state"
"$e2e/run-under-xvfb.sh" "$e2e/brisklow_headless_run.exe" "$build/brisklow-run.png"
