# shellcheck shell=bash
# Shared by register.sh and unregister.sh: finds the build's stand-in and runner.

standin_usage() {
  echo "usage: $(basename "$0") <build-dir> [runner]" >&2
  exit 2
}

# Sets build, runner, dll and dll_windows_path.
standin_prepare() {
  if [ $# -lt 1 ] || [ $# -gt 2 ]; then standin_usage; fi
  build=$(cd "$1" && pwd)
  runner="$build/${2:-wine-run.sh}"
  dll="$build/wmi_standin/BrisklowWmiStandin.dll"
  [ -x "$runner" ] || { echo "$(basename "$0"): no runner $runner (configure the windows preset)" >&2; exit 1; }
  [ -f "$dll" ] || { echo "$(basename "$0"): no $dll (build the windows preset first)" >&2; exit 1; }
  # COM loads a 64-bit server only into 64-bit programs, and the 64-bit regsvr32 (Wine's default
  # in a 64-bit prefix) is the one that writes the 64-bit registry view the program reads.
  local machine
  machine=$(od -An -tx1 -j "$(( $(od -An -tu4 -j 60 -N 4 "$dll") + 4 ))" -N 2 "$dll" | tr -d ' \n')
  [ "$machine" = "6486" ] || { echo "$(basename "$0"): $dll is not a 64-bit DLL" >&2; exit 1; }
  # shellcheck disable=SC2034 # read by the script that sources this file
  dll_windows_path=$("$runner" winepath -w "$dll" | tr -d '\r')
}

standin_prefix() {
  sed -n "s/^export WINEPREFIX='\(.*\)'$/\1/p" "$runner"
}

# The locator class's server entry in the 64-bit view.
standin_registered_server() {
  "$runner" reg query 'HKLM\Software\Classes\CLSID\{76A64158-CB41-11D1-8B02-00600806D9B6}\InprocServer32' /reg:64 | tr -d '\r'
}
