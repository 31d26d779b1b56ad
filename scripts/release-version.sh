#!/usr/bin/env bash
# Prints the release's version, the one set in CMakeLists.txt's project(Brisklow VERSION ...).
# Given a tag (v1.0.0, refs/tags/v1.0.0) that starts with v or V, fails unless it is exactly
# v<version>, in lower case: a release is never published under another number than its exe
# carries, and a tag meant as a release but misspelt (V1.0.0, vnext, v1.0) fails rather than
# passes as no release. Any other ref (a branch, a pull request, another tag) only prints the
# version.
#   release-version.sh [ref]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
version=$(sed -n 's/^project(Brisklow VERSION \([0-9][0-9.]*\).*/\1/p' "$root/CMakeLists.txt")
[ -n "$version" ] || { echo "release-version: no project version in CMakeLists.txt" >&2; exit 1; }
tag=${1:-}
tag=${tag#refs/tags/}
if [[ $tag == [vV]* && $tag != "v$version" ]]; then
  echo "release-version: the tag $tag is not v$version, the version of CMakeLists.txt" >&2
  exit 1
fi
echo "$version"
