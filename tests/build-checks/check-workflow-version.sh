#!/usr/bin/env bash
# Runs the workflow's version step (the one step with id version) as GitHub Actions runs a run:
# step without shell: -- its lines in a file, under bash -e, from the repository's root, with
# GITHUB_REF and GITHUB_OUTPUT set -- for a branch, the tag that names the release and tags that
# do not, and checks what it did: on a branch, exit 0 with the zip's name and release=false; on
# v<version>, exit 0 with the name and release=true; on any other tag that starts with v or V, a
# failed step. Prints each case; exits 1 when one is wrong.
#   check-workflow-version.sh [workflow.yml]   (default: .github/workflows/ci.yml)
set -euo pipefail
source_dir=$(cd "$(dirname "$0")/../.." && pwd)
workflow=$(realpath "${1:-$source_dir/.github/workflows/ci.yml}")
cd "$source_dir"
version=$(bash scripts/release-version.sh)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

# The step's lines as Actions writes them to its script; a shell of its own or an expression would
# make this run differ from the runner's.
yq -r '[.jobs[].steps[]? | select(.id == "version")]
       | if length != 1 then error("\(length) steps with id version")
         elif .[0].shell or (.[0].run | test("\\$\\{\\{")) then
           error("the version step sets a shell or holds an expression")
         else .[0].run end' "$workflow" >"$scratch/step.sh"

# Whether the step did what $expected says: "fails", or the release output it must write.
as_expected() {
  if [ "$expected" = fails ]; then
    [ "$status" -ne 0 ]
  else
    [ "$status" -eq 0 ] && grep -qx "name=Brisklow-$version-win64" "$scratch/output" &&
      grep -qx "release=$expected" "$scratch/output"
  fi
}

failed=0
while read -r ref expected; do
  : >"$scratch/output"
  status=0
  GITHUB_REF=$ref GITHUB_OUTPUT=$scratch/output bash -e "$scratch/step.sh" \
    >"$scratch/log" 2>&1 || status=$?
  outputs=$(paste -sd ' ' "$scratch/output")
  if as_expected; then
    echo "$ref: exit $status, outputs: ${outputs:-none} (as it must)"
  else
    must="write name=Brisklow-$version-win64 and release=$expected"
    if [ "$expected" = fails ]; then must=fail; fi
    echo "$ref: exit $status, outputs: ${outputs:-none}; the step must $must" >&2
    sed 's/^/  /' "$scratch/log" >&2
    failed=1
  fi
done <<EOF
refs/heads/main false
refs/tags/v$version true
refs/tags/v$version.1 fails
refs/tags/V$version fails
refs/tags/vnext fails
EOF
echo "check-workflow-version: the version step of ${workflow#"$source_dir"/}, 5 refs"
exit "$failed"
