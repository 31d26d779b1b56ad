#!/usr/bin/env bash
# make dist-tests: the test programs that check a release's Brisklow.exe on Windows, without
# building anything there. They are the windows preset's (mingw-w64, statically linked), the same
# programs make test runs under Wine:
#   build/dist-tests/brisklow_window_tests.exe   the window suite: --gtest_filter=BrisklowWindow.*
#   build/dist-tests/brisklow_headless_run.exe   the first scan: --require-count
# Each starts the Brisklow.exe that the variable BRISKLOW_PROGRAM names (a Windows path) and
# prints "Program under test: <that path>" before the first start. Unset, they start the build's
# own exe, at a path of this machine.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

cmake --preset windows
cmake --build --preset windows --target brisklow_window_tests brisklow_headless_run

out=build/dist-tests
rm -rf "$out"
mkdir -p "$out"
cp build/windows/tests/e2e/brisklow_window_tests.exe build/windows/tests/e2e/brisklow_headless_run.exe \
  "$out/"
ls -l "$out"
