#!/usr/bin/env bash
# Starts Brisklow.exe under Wine in the build's own prefix.
set -euo pipefail
build=${1:-build/windows}
exe="$build/Brisklow.exe"
if [ ! -f "$exe" ]; then
  echo "Built the scan core and its tests in $build; the window (Brisklow.exe) is not built yet."
  exit 0
fi
exec "$build/wine-run.sh" "$exe"
