#!/usr/bin/env bash
# Registers the WMI stand-in in a build's Wine prefix: from then on every program there that makes
# the scripting locator gets the stand-in's.
#   register.sh <build-dir> [runner]
# runner: the build's Wine runner script that sets the prefix (default wine-run.sh).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=registration-common.sh
. "$here/registration-common.sh"
standin_prepare "$@"
"$runner" regsvr32 /s "$dll_windows_path"
standin_registered_server | grep -qi 'BrisklowWmiStandin\.dll' || {
  echo "register.sh: the locator's class does not name the stand-in after regsvr32:" >&2
  standin_registered_server >&2
  exit 1
}
echo "registered $dll_windows_path in $(standin_prefix)"
