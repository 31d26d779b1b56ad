#!/usr/bin/env bash
# The project's one clang-format: the version scripts/formatter/package-lock.json pins, run as
# WebAssembly under node, so that every machine gives the same layout whatever clang its system
# carries. Installed into build/formatter on first use (again when the lock file changes); the
# arguments are clang-format's own.
#   scripts/clang-format.sh [clang-format arguments...]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
scratch=$root/build/formatter
bash "$root/scripts/npm-ci-pinned.sh" "$root/scripts/formatter" "$scratch"
exec node "$scratch/node_modules/@wasm-fmt/clang-format/clang-format-cli.cjs" "$@"
