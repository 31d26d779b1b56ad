#!/usr/bin/env bash
# Starts Brisklow.exe under Wine in a prefix of its own (<build>/run-prefix), where the WMI
# stand-in is registered and serves this computer's processes and the demo network
# (wmi_standin/demo-network.json). The tests' prefixes are not touched.
# With a display the window opens there. Without one it uses a virtual display: it waits for the
# first scan to end, prints what the window shows, keeps a screenshot in the build folder, closes
# the window and exits 0.
# BRISKLOW_PROGRAM (a Windows path, such as Z:\tmp\Brisklow.exe) starts another Brisklow.exe
# instead of the build's own: a release's, say.
set -euo pipefail
build=$(cd "${1:-build/windows}" && pwd)
here=$(cd "$(dirname "$0")/.." && pwd)
runner="$build/wine-run-app.sh"
prefix="$build/run-prefix"
[ -x "$runner" ] || { echo "no $runner: configure and build the windows preset first" >&2; exit 1; }
export BRISKLOW_WMI_NETWORK="${BRISKLOW_WMI_NETWORK:-$here/wmi_standin/demo-network.json}"
x11_key='HKCU\Software\Wine\X11 Driver'

state=""
cleanup() {
  WINEPREFIX="$prefix" wineserver -k 2>/dev/null || true
  if [ -n "$state" ]; then "$here/tests/e2e/xvfb.sh" stop "$state"; fi
}

if [ -z "${DISPLAY:-}" ]; then
  # A virtual display of this run's own, ended with the prefix's server when the run ends.
  state="$build/run-state"
  trap cleanup EXIT
  "$here/tests/e2e/xvfb.sh" start "$state" >/dev/null
  DISPLAY=":$(cat "$state/xvfb.display")"
  export DISPLAY
fi

# Registering again keeps the first copy of the entry it replaces; it is quick and makes sure a
# rebuilt stand-in is the one registered.
"$here/wmi_standin/register.sh" "$build" wine-run-app.sh
echo "computers: this one, $(sed -n 's/^ *"name": "\(.*\)",*$/\1/p' "$BRISKLOW_WMI_NETWORK" | paste -sd' ') (network file $BRISKLOW_WMI_NETWORK)"

if [ -n "$state" ]; then
  # No window manager on the virtual display: Wine draws the window frames itself.
  "$runner" reg add "$x11_key" /v Managed /d N /f >/dev/null 2>&1
  "$runner" "$build/tests/e2e/brisklow_headless_run.exe" "$build/brisklow-run.png"
else
  # On a real display the window manager frames the window.
  "$runner" reg delete "$x11_key" /v Managed /f >/dev/null 2>&1 || true
  "$runner" "${BRISKLOW_PROGRAM:-$build/Brisklow.exe}"
fi
