#!/usr/bin/env bash
# Checks that every MSBuild binary log a GitHub workflow asks for lands where its job keeps logs.
# A step's /bl:<path> (or -bl, /binaryLogger) is resolved as MSBuild resolves it: from the folder
# it runs in, which for cmake --build is the build folder (the preset's binaryDir, or the folder
# named), else the step's working-directory or the workspace. The path must then match a path of
# an actions/upload-artifact step of the same job, with that step's glob rules: * and ? stay
# inside one folder, ** spans folders, a path starting with ! leaves out what it matches.
# Each log must also be one MSBuild run's: Visual Studio's generator runs MSBuild once for each
# target of `cmake --build --target A B`, each with the same /bl:, and two logs at one place in a
# job overwrite each other.
# Prints where each log lands and which path keeps it; exits 1 when one is kept by none, or is
# written by more than one MSBuild run.
#   check-workflow-logs.sh [workflow.yml...]   (default: every workflow of .github/workflows)
set -euo pipefail
source_dir=$(cd "$(dirname "$0")/../.." && pwd)
cd "$source_dir"
if [ $# -eq 0 ]; then
  mapfile -t workflows < <(find .github/workflows -name '*.yml' -o -name '*.yaml' | sort)
else
  workflows=("$@")
fi

# One line per log asked for: workflow, job, the path asked for, where it lands, the upload path
# that keeps it (empty: none), the number of targets its cmake --build names. A jq program: its
# $names are jq's.
# shellcheck disable=SC2016
program='
def build_dir($name):
  ($presets[0].buildPresets[] | select(.name == $name) | .configurePreset) as $configure
  | $presets[0].configurePresets[] | select(.name == $configure) | .binaryDir
  | sub("^\\$\\{sourceDir\\}/?"; "");
# ${{ github.workspace }}, the folder the upload paths start from, as one word.
def workspace_word: gsub("\\$\\{\\{ *github\\.workspace *\\}\\}"; "@workspace@");
def in_workspace: startswith("@workspace@");
def from_workspace: workspace_word | sub("^@workspace@[/\\\\]*"; "");
def normalize:
  gsub("\\\\"; "/") | split("/")
  | reduce .[] as $s ([]; if $s == "" or $s == "." then . elif $s == ".." then .[:-1]
                          else . + [$s] end)
  | join("/");
def glob_regex:
  "^" + (split("/") | map(if . == "**" then "@@" else
           gsub("(?<c>[.+^$(){}|])"; "\\\(.c)") | gsub("\\*"; "[^/]*") | gsub("\\?"; "[^/]") end)
         | join("/") | gsub("@@/"; "([^/]+/)*") | gsub("@@"; ".*")) + "$";
.jobs | to_entries[] | .key as $job | (.value.steps // []) as $steps
| [$steps[] | select((.uses // "") | startswith("actions/upload-artifact@")) | .with.path // ""
   | split("\n")[] | gsub("^\\s+|\\s+$"; "") | select(. != "") | from_workspace] as $kept
| $steps[] | select(.run) | . as $step | .run | workspace_word
| ([scan("--target((?:\\s+[^-\\s]\\S*)+)")[0] | [splits("\\s+")] | map(select(. != "")) | length]
   | max // 1) as $targets
| (if test("cmake\\s+--build\\s+--preset[= ]") then
     build_dir(capture("cmake\\s+--build\\s+--preset[= ](?<p>\\S+)").p)
   elif test("cmake\\s+--build\\s+[^-\\s]") then capture("cmake\\s+--build\\s+(?<d>\\S+)").d
   else $step["working-directory"] // "." end | from_workspace) as $base
| [scan("(?:^|\\s)[/-](?:bl|binaryLogger)(?::(?:LogFile=)?(\\S+))?")][]
| (.[0] // "msbuild.binlog" | gsub("\""; "")) as $asked
| (if ($asked | in_workspace) then ($asked | from_workspace) else "\($base)/\($asked)" end
   | normalize) as $lands
| ([$kept[] | select(startswith("!") | not) | select(. as $p | $lands | test($p | glob_regex))]
   | first // "") as $keeper
| (any($kept[] | select(startswith("!")) | .[1:]; . as $p | $lands | test($p | glob_regex))) as $left
| [$workflow, $job, ($asked | sub("@workspace@"; "${{ github.workspace }}")), $lands,
   (if $left then "" else $keeper end), $targets] | map(tostring) | join("\t")'

failed=0
logs=0
declare -A written
while IFS=$'\t' read -r workflow job asked lands keeper targets; do
  logs=$((logs + 1))
  if [ "$targets" -gt 1 ]; then
    echo "$workflow, job $job: $asked is written by $targets MSBuild runs, one for each target" >&2
    failed=1
  fi
  if [ -n "${written["$workflow $job $lands"]:-}" ]; then
    echo "$workflow, job $job: $lands is asked for by two steps, the second overwrites the first" >&2
    failed=1
  fi
  written["$workflow $job $lands"]=1
  if [ -n "$keeper" ]; then
    echo "$workflow, job $job: $asked lands at $lands, kept by $keeper"
  else
    echo "$workflow, job $job: $asked lands at $lands, which no upload path of the job keeps" >&2
    failed=1
  fi
done < <(for workflow in "${workflows[@]}"; do
           yq -r --arg workflow "$workflow" --slurpfile presets CMakePresets.json "$program" \
             "$workflow"
         done)
echo "check-workflow-logs: ${#workflows[@]} workflow file(s), $logs binary log(s) asked for"
exit "$failed"
