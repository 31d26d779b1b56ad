#!/usr/bin/env bash
# The source checks of make test, run before the suites:
#  - the program, the stand-in and their build files keep out of tests/: no C++ file outside
#    tests/, bench/ and fuzz/ includes a header from tests/, and no CMake file outside tests/ and
#    bench/ adds a tests/ folder, configures or compiles a file of it (the root's own
#    add_subdirectory(tests) aside);
#  - every C++ file is as the repository's .clang-format lays it out, by the project's one
#    clang-format (scripts/clang-format.sh);
#  - every shell script (*.sh, *.sh.in, or a file whose #! names sh or bash) passes shellcheck,
#    following the files it sources.
# Lists each offence and exits 1 when there is one.
#   scripts/check-sources.sh [repository]      (default: the one holding this script)
set -euo pipefail
scripts=$(cd "$(dirname "$0")" && pwd)
root=$(cd "${1:-$scripts/..}" && pwd)
cd "$root"

# The repository's files, committed or not, without the ignored ones (build folders).
if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
  mapfile -t files < <(git ls-files --cached --others --exclude-standard | sort -u |
                       while IFS= read -r f; do [ -f "$f" ] && printf '%s\n' "$f"; done)
else
  mapfile -t files < <(find . -path ./build -prune -o -path './build-*' -prune -o -type f -print |
                       sed 's#^\./##' | sort)
fi

failed=0
offence() {
  echo "check-sources: $*" >&2
  failed=1
}

cpp=()
cmake=()
shell=()
for f in "${files[@]}"; do
  case "$f" in
    *.cpp | *.h | *.hpp | *.cc) cpp+=("$f") ;;
    CMakeLists.txt | */CMakeLists.txt | *.cmake) cmake+=("$f") ;;
    *.sh | *.sh.in) shell+=("$f") ;;
    *)
      first=
      IFS= read -r first <"$f" || true
      if [[ $first =~ ^\#!.*[/\ ](ba)?sh([[:space:]]|$) ]]; then shell+=("$f"); fi ;;
  esac
done

# 1. Includes of tests/ headers outside the test code (also <tests/...> and ../tests/...).
for f in "${cpp[@]}"; do
  case "$f" in tests/* | bench/* | fuzz/*) continue ;; esac
  while IFS= read -r hit; do
    offence "$f:$hit: includes a header from tests/"
  done < <(grep -nE '^[[:space:]]*#[[:space:]]*include[[:space:]]*[<"](\.\./)*tests/' "$f" |
           cut -d: -f1 || true)
done

# 2. CMake files outside tests/ and bench/ that reach into tests/. Comments are left out.
for f in "${cmake[@]}"; do
  case "$f" in tests/* | bench/*) continue ;; esac
  while IFS= read -r hit; do
    line=${hit%%:*}
    text=${hit#*:}
    if [ "$f" = CMakeLists.txt ] && [[ "$text" =~ ^[[:space:]]*add_subdirectory\(tests\)[[:space:]]*$ ]]; then
      continue
    fi
    offence "$f:$line: reaches into tests/: ${text#"${text%%[![:space:]]*}"}"
  done < <(sed 's/#.*//' "$f" | grep -nE '(^|[^[:alnum:]_.-])tests(/|[[:space:]]*\)|"[[:space:]]*\))' || true)
done

# 3. Formatting: the project's pinned clang-format reports each line it would change.
if [ ${#cpp[@]} -gt 0 ] &&
   ! bash "$scripts/clang-format.sh" --dry-run -Werror "${cpp[@]}"; then
  offence "C++ files above are not formatted: make format (scripts/clang-format.sh -i <file>)"
fi

# 4. Shell: shellcheck (Debian's) reports each finding.
if ! command -v shellcheck >/dev/null; then
  offence "shellcheck is missing (scripts/install-deps.sh installs it)"
elif [ ${#shell[@]} -gt 0 ] && ! shellcheck -x --source-path=SCRIPTDIR "${shell[@]}"; then
  offence "shell scripts above have shellcheck findings"
fi

if [ "$failed" -ne 0 ]; then
  exit 1
fi
echo "check-sources: ${#cpp[@]} C++ files, ${#cmake[@]} CMake files and ${#shell[@]} shell scripts checked"
