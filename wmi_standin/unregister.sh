#!/usr/bin/env bash
# Unregisters the WMI stand-in from a build's Wine prefix, putting back the entry it replaced.
#   unregister.sh <build-dir> [runner]
# runner: the build's Wine runner script that sets the prefix (default wine-run.sh).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=registration-common.sh
. "$here/registration-common.sh"
standin_prepare "$@"
"$runner" regsvr32 /s /u "$dll_windows_path"
if standin_registered_server | grep -qi 'BrisklowWmiStandin\.dll'; then
  echo "unregister.sh: the locator's class still names the stand-in after regsvr32 /u" >&2
  exit 1
fi
echo "unregistered $dll_windows_path from $(standin_prefix)"
