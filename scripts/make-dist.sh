#!/usr/bin/env bash
# make dist: the release a user downloads, built so that anyone can rebuild it byte for byte from
# the same commit, in any folder:
#   build/dist/Brisklow-<version>-win64.zip         Brisklow.exe, README.md, LICENSE
#   build/dist/Brisklow-<version>-win64.zip.sha256  its SHA-256, as sha256sum writes it
# The zip's entries are dated SOURCE_DATE_EPOCH (seconds since 1970, UTC) when it is set, else the
# time of the commit checked out.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

version=$(bash scripts/release-version.sh)
if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
  SOURCE_DATE_EPOCH=$(git log -1 --format=%ct 2>/dev/null) ||
    { echo "make-dist: not a git checkout: set SOURCE_DATE_EPOCH to the release's time" >&2; exit 1; }
fi
export SOURCE_DATE_EPOCH

cmake --preset windows-release
cmake --build --preset windows-release

name=Brisklow-$version-win64
dist=build/dist
stage=$dist/stage
rm -rf "$stage" "$dist/$name.zip" "$dist/$name.zip.sha256"
mkdir -p "$stage"
cp build/windows-release/Brisklow.exe README.md LICENSE "$stage/"
# What the zip keeps of each file, the same wherever it is made: its mode and its date.
chmod 0755 "$stage/Brisklow.exe"
chmod 0644 "$stage/README.md" "$stage/LICENSE"
touch -d "@$SOURCE_DATE_EPOCH" "$stage"/*
# -X: no owner or extra time stamps; the entries' dates as UTC, not this machine's time zone.
(cd "$stage" && TZ=UTC zip -X -D -q -9 "../$name.zip" Brisklow.exe README.md LICENSE)
rm -rf "$stage"
(cd "$dist" && sha256sum "$name.zip" >"$name.zip.sha256")
echo "$dist/$name.zip"
cat "$dist/$name.zip.sha256"
