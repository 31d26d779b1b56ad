#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing Brisklow need, when any is missing.
set -euo pipefail
# The clang packages are the unversioned ones, which the archive points at its release's own clang
# (14 on Debian 12, 19 on Debian 13); nothing else names a version.
packages=(cmake ninja-build g++ make googletest libgtest-dev libgmock-dev
          mingw-w64 g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix
          wine wine64 xvfb x11-utils xdotool imagemagick nlohmann-json3-dev util-linux
          locales-all zip unzip
          clang clang-tools llvm libclang-rt-dev lld jq yq git shellcheck)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
# Node.js and npm run the workflow linter and the formatter. Asked for by command, not by package:
# a machine whose node comes from another package that carries npm along needs neither of Debian's.
command -v node >/dev/null && command -v npm >/dev/null || missing+=(nodejs npm)
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update
  apt-get install -y --no-install-recommends "${missing[@]}"
fi
