#!/usr/bin/env bash
# Checks that the release can be rebuilt byte for byte: runs make dist twice, from two copies of
# this source tree in two different folders, with the commit's time as SOURCE_DATE_EPOCH, and
# compares Brisklow.exe, the zip and its checksum file; the exe must name neither folder.
#   check-reproducible-release.sh [scratch-dir]   (default: build/reproducible)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
scratch=${1:-$root/build/reproducible}
rm -rf "$scratch"
mkdir -p "$scratch"
scratch=$(cd "$scratch" && pwd)

epoch=$(git -C "$root" log -1 --format=%ct)
copies=("$scratch/first/brisklow" "$scratch/second-folder/elsewhere/src")
for copy in "${copies[@]}"; do
  mkdir -p "$copy"
  # The files of the tree, committed or not, without the ignored ones (build folders).
  # shellcheck disable=SC2016 # $1 is the inner shell's
  (cd "$root" && git ls-files -z --cached --others --exclude-standard |
     xargs -0 -I{} sh -c '[ -f "$1" ] && printf "%s\0" "$1"' _ {} |
     tar -c --null -T - -f -) | tar -x -C "$copy"
  echo "make dist in $copy"
  SOURCE_DATE_EPOCH=$epoch make -C "$copy" dist >"$copy.log" 2>&1 ||
    { cat "$copy.log" >&2; exit 1; }
done

first=${copies[0]} second=${copies[1]}
failed=0
for file in build/windows-release/Brisklow.exe build/dist/*.zip build/dist/*.zip.sha256; do
  # shellcheck disable=SC2086 # the pattern expands in the first copy
  name=$(cd "$first" && ls $file)
  if cmp "$first/$name" "$second/$name"; then
    echo "same: $name ($(sha256sum <"$first/$name" | cut -c1-16)...)"
  else
    echo "differs: $name" >&2
    failed=1
  fi
done
for copy in "${copies[@]}"; do
  if grep -aq -e "$copy" -e "$scratch" "$copy/build/windows-release/Brisklow.exe"; then
    echo "Brisklow.exe names the folder it was built in ($copy)" >&2
    failed=1
  fi
done
# The PE header's time stamp (at 8 bytes into the header that the offset at 0x3C points to).
exe=$first/build/windows-release/Brisklow.exe
header=$(od -An -tu4 -j 60 -N 4 "$exe" | tr -d ' ')
stamp=$(od -An -tu4 -j $((header + 8)) -N 4 "$exe" | tr -d ' ')
[ "$stamp" = 0 ] || { echo "Brisklow.exe carries a build time ($stamp) in its header" >&2; failed=1; }
(cd "$first/build/dist" && sha256sum -c --quiet ./*.zip.sha256) || failed=1
exit "$failed"
