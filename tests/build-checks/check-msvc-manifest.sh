#!/usr/bin/env bash
# Configures the tree as a Visual Studio build would be (MSVC's tools played by clang-cl, lld-link
# and llvm-rc; configure only) and checks that every executable or DLL whose link takes the
# program's resources, whose manifest is resource RT_MANIFEST 1, keeps the linker's own manifest
# out (/MANIFEST:NO): an MSVC link with both stops at two manifests (CVT1100, LNK1123).
#   check-msvc-manifest.sh <scratch-dir>
set -euo pipefail
[ $# -eq 1 ] || { echo "usage: $0 <scratch-dir>" >&2; exit 2; }
source_dir=$(cd "$(dirname "$0")/../.." && pwd)
scratch=$1
rm -rf "$scratch"
mkdir -p "$scratch"

cmake -S "$source_dir" -B "$scratch/as-msvc" -G Ninja \
  --toolchain "$source_dir/tests/build-checks/clang-cl-as-msvc.cmake" -DCMAKE_CROSSCOMPILING=OFF \
  -DCMAKE_BUILD_TYPE=Release >"$scratch/configure.log" 2>&1 ||
  { cat "$scratch/configure.log" >&2; exit 1; }
grep -qs 'set(CMAKE_CXX_SIMULATE_ID "MSVC")' "$scratch"/as-msvc/CMakeFiles/*/CMakeCXXCompiler.cmake ||
  { echo "the build was not configured as MSVC" >&2; exit 1; }

# Each link statement of build.ninja: its outputs and inputs, then its LINK_FLAGS line.
awk '
  function finish() {
    if (target != "" && takes) {
      carriers = carriers " " target
      if (!keepsOut) offences = offences " " target
    }
    target = ""; takes = 0; keepsOut = 0
  }
  /^build / {
    finish()
    if ($0 ~ /_LINKER__/) {
      target = $2
      sub(/:$/, "", target)
      takes = ($0 ~ /brisklow_resources\.dir\/[^ ]*\.res/)
    }
    next
  }
  target != "" && /^  LINK_FLAGS = / { keepsOut = ($0 ~ /\/MANIFEST:NO/) }
  END {
    finish()
    if (carriers == "") { print "no link takes the program'"'"'s resources: nothing to check"; exit 1 }
    if (offences != "") { print "linked by MSVC with two manifests:" offences; exit 1 }
    print "under MSVC every link that takes the manifest keeps the linker'"'"'s own out:" carriers
  }
' "$scratch/as-msvc/build.ninja"
