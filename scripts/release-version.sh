#!/usr/bin/env bash
# Prints the release's version, the one set in CMakeLists.txt's project(Brisklow VERSION ...).
# Given a git ref or tag that names a release (v<version>, refs/tags/v<version>), fails unless it
# names that version: a release is never published under another number than its exe carries.
# Any other ref (a branch, another tag) only prints the version.
#   release-version.sh [ref]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
version=$(sed -n 's/^project(Brisklow VERSION \([0-9][0-9.]*\).*/\1/p' "$root/CMakeLists.txt")
[ -n "$version" ] || { echo "release-version: no project version in CMakeLists.txt" >&2; exit 1; }
tag=${1:-}
tag=${tag#refs/tags/}
if [[ $tag == v[0-9]* && $tag != "v$version" ]]; then
  echo "release-version: the tag $tag does not name the version $version of CMakeLists.txt" >&2
  exit 1
fi
echo "$version"
