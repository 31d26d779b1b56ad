#!/usr/bin/env bash
# Installs the npm packages that a folder's package-lock.json pins (npm ci) into a scratch folder,
# unless that folder holds them already: installed from a lock file the same as the folder's. The
# node tools of make test (the workflow linter, the formatter) are installed this way.
#   npm-ci-pinned.sh <package-folder> <scratch-dir>
set -euo pipefail
[ $# -eq 2 ] || { echo "usage: $0 <package-folder> <scratch-dir>" >&2; exit 2; }
source=$1
scratch=$2
cmp -s "$source/package-lock.json" "$scratch/installed-from.lock" && exit 0
mkdir -p "$scratch"
rm -rf "$scratch/node_modules" "$scratch/installed-from.lock"
cp "$source/package.json" "$source/package-lock.json" "$scratch/"
(cd "$scratch" && npm ci --no-audit --no-fund --ignore-scripts --loglevel=error) >&2 ||
  { echo "npm-ci-pinned: npm could not install the packages of $source" >&2; exit 1; }
cp "$source/package-lock.json" "$scratch/installed-from.lock"
