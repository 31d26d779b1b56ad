#!/usr/bin/env bash
# The project's one clang-format: the version scripts/formatter/package-lock.json pins, run as
# WebAssembly under node, so that every machine gives the same layout whatever clang its system
# carries. Installed into build/formatter on first use (again when the lock file changes); the
# arguments are clang-format's own.
#   scripts/clang-format.sh [clang-format arguments...]
set -euo pipefail
formatter=$(cd "$(dirname "$0")/formatter" && pwd)
scratch=$(cd "$(dirname "$0")/.." && pwd)/build/formatter
program=$scratch/node_modules/@wasm-fmt/clang-format/clang-format-cli.cjs

if ! cmp -s "$formatter/package-lock.json" "$scratch/package-lock.json" || [ ! -f "$program" ]; then
  rm -rf "$scratch"
  mkdir -p "$scratch"
  cp "$formatter/package.json" "$formatter/package-lock.json" "$scratch/"
  (cd "$scratch" && npm ci --no-audit --no-fund --ignore-scripts --loglevel=error) >&2 ||
    { echo "clang-format.sh: npm could not install the formatter" >&2; rm -rf "$scratch"; exit 1; }
fi
exec node "$program" "$@"
