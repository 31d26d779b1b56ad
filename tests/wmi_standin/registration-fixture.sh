#!/usr/bin/env bash
# The stand-in tests' fixture: registers the stand-in before the first case (keeping the locator
# class's entry as the prefix had it), and after the last unregisters it and checks that the
# entry is back exactly as it was.
#   registration-fixture.sh register|unregister <build-dir> <runner> <state-dir>
set -euo pipefail
[ $# -eq 4 ] || { echo "usage: $0 register|unregister <build-dir> <runner> <state-dir>" >&2; exit 2; }
action=$1 build=$2 runner=$3 state=$4
standin="$(cd "$(dirname "$0")/../.." && pwd)/wmi_standin"
key='HKLM\Software\Classes\CLSID\{76A64158-CB41-11D1-8B02-00600806D9B6}\InprocServer32'

entry() {
  "$build/$runner" reg query "$key" /reg:64 | tr -d '\r'
}

mkdir -p "$state"
case "$action" in
  register)
    # A run that was stopped before its unregistering left the stand-in in: put the prefix's own
    # entry back first, so that "before" is the prefix's and not the stand-in's.
    if entry | grep -qi 'BrisklowWmiStandin\.dll'; then
      "$standin/unregister.sh" "$build" "$runner"
    fi
    entry > "$state/before.txt"
    echo "before:"; cat "$state/before.txt"
    grep -q 'REG_SZ' "$state/before.txt" || { echo "the prefix has no entry for the locator" >&2; exit 1; }
    "$standin/register.sh" "$build" "$runner"
    echo "registered:"; entry
    ;;
  unregister)
    [ -f "$state/before.txt" ] || { echo "no entry kept from before registering" >&2; exit 1; }
    "$standin/unregister.sh" "$build" "$runner"
    entry > "$state/after.txt"
    echo "after:"; cat "$state/after.txt"
    diff -u "$state/before.txt" "$state/after.txt"
    # Nothing of the stand-in's is left in the registry.
    if "$build/$runner" reg query 'HKLM\Software\Brisklow' /reg:64 >/dev/null 2>&1; then
      echo "the stand-in's own key is still in the registry" >&2
      exit 1
    fi
    rm -f "$state/before.txt"
    ;;
  *)
    echo "unknown action $action" >&2
    exit 2
    ;;
esac
