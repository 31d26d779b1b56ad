#!/usr/bin/env bash
# Configures the tests as a Windows build that is not cross-compiled would (the mingw-w64
# toolchain with cross-compiling off, configure only) and checks that CTest would define there
# none of the tests that need the WMI stand-in or a fact of Wine's, against the Wine build's list.
#   check-windows-test-list.sh <wine-build-dir> <scratch-dir>
set -euo pipefail
[ $# -eq 2 ] || { echo "usage: $0 <wine-build-dir> <scratch-dir>" >&2; exit 2; }
source_dir=$(cd "$(dirname "$0")/../.." && pwd)
wine_build=$(cd "$1" && pwd)
scratch=$2
rm -rf "$scratch"
mkdir -p "$scratch"
scratch=$(cd "$scratch" && pwd)

cmake -S "$source_dir" -B "$scratch/as-on-windows" -G Ninja \
  --toolchain "$source_dir/cmake/mingw-w64-posix.cmake" -DCMAKE_CROSSCOMPILING=OFF \
  -DCMAKE_BUILD_TYPE=MinSizeRel >"$scratch/configure.log" 2>&1 ||
  { cat "$scratch/configure.log" >&2; exit 1; }
grep -q 'CMAKE_CROSSCOMPILING:UNINITIALIZED=OFF' "$scratch/as-on-windows/CMakeCache.txt" ||
  { echo "the build was not configured as on Windows" >&2; exit 1; }

ctest --test-dir "$wine_build" --show-only=json-v1 >"$scratch/wine.json"
ctest --test-dir "$scratch/as-on-windows" --show-only=json-v1 >"$scratch/windows.json" 2>/dev/null
sources=$(printf '%s;' "$source_dir"/tests/e2e/*.cpp)
cmake -DWINE_TESTS="$scratch/wine.json" -DWINDOWS_TESTS="$scratch/windows.json" \
  "-DSOURCES=${sources%;}" -P "$source_dir/tests/build-checks/WindowsTestList.cmake"
