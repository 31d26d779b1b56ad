#!/usr/bin/env bash
# Runs the benchmarks under Wine on a virtual display of their own and prints one table.
#   bench/run.sh [build-dir] [repeats]      (default build/windows, 5)
# The build folder must hold Brisklow.exe, the WMI stand-in and bench/bin/brisklow_bench.exe
# (make bench builds them). Figures are ratios within this run: the machine is shared and noisy.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/.." && pwd)
build=$(cd "${1:-$root/build/windows}" && pwd)
repeats=${2:-5}
state="$build/bench-state"
runner="$build/bench/run-bench.sh"
bench="$build/bench/bin/brisklow_bench.exe"
exe="$build/Brisklow.exe"
for needed in "$runner" "$bench" "$exe"; do
  [ -e "$needed" ] || { echo "run.sh: no $needed (make bench builds it)" >&2; exit 1; }
done

# The display and the prefix's server end however the run ends; the server before the display.
cleanup() {
  WINEPREFIX="$state/wineprefix" wineserver -k 2>/dev/null || true
  "$root/tests/e2e/xvfb.sh" stop "$state"
}
trap cleanup EXIT
"$root/tests/e2e/xvfb.sh" start "$state" >/dev/null
# The stand-in is registered in the bench's own prefix (registering twice keeps the first copy).
"$root/wmi_standin/register.sh" "$build" bench/run-bench.sh >/dev/null

out="$state/figures.txt"
: >"$out"
for mode in scan list start; do
  echo "running: $mode" >&2
  "$runner" "$bench" "$mode" "$repeats" | tr -d '\r' | tee -a "$out" >&2
done

# Size and imports of the program.
size=$(stat -c %s "$exe")
imports=$(x86_64-w64-mingw32-objdump -p "$exe" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr -d '\r' |
          sort -f | paste -sd ' ')
# Only the system's DLLs: no MinGW runtime and nothing of the program's own.
non_system=$(echo "$imports" | tr ' ' '\n' | grep -viE \
  '^(kernel32|user32|gdi32|comctl32|comdlg32|shell32|shlwapi|ole32|oleaut32|advapi32|msvcrt|ucrtbase|ws2_32|version|api-ms-win-[a-z0-9-]+)\.dll$' || true)

python3 - "$out" "$size" "$imports" "$non_system" <<'PY'
import sys, datetime
lines = [l.split() for l in open(sys.argv[1]) if l.strip()]
size, imports, non_system = int(sys.argv[2]), sys.argv[3], sys.argv[4].strip()
scan = {int(l[1]): (float(l[2]), float(l[3])) for l in lines if l[0] == "scan"}
fill = {int(l[1]): float(l[2]) for l in lines if l[0] == "fill"}
sort = {(int(l[1]), int(l[2])): (float(l[3]), float(l[4])) for l in lines if l[0] == "sort"}
start = next(l for l in lines if l[0] == "start")

def verdict(ok):
    return "met" if ok else "MISSED"

rows = []
for n in sorted(scan):
    s, f = scan[n]
    note = f"target <= 1.10: {verdict(s / f <= 1.10)}" if n == 10000 else ""
    rows.append((f"1. scan, {n:,} processes", f"{s / 1000:.2f} us/process",
                 f"{f / 1000:.2f} us/process", f"{s / f:.3f}", note))
for n in sorted(fill):
    rows.append((f"2. fill list*, {n:,} rows", f"{fill[n] / 1000:.2f} us/row", "", "", ""))
if 10000 in fill and 100000 in fill:
    r = fill[100000] * 100000 / (fill[10000] * 10000)
    rows.append(("2. fill scaling* 100,000 / 10,000", f"{r:.1f}x", "", "",
                 f"target <= 11: {verdict(r <= 11)}"))
names = {0: "text col 0", 2: "number col 2", 5: "CPU col 5"}
for c in (0, 2, 5):
    if (10000, c) in sort:
        l, f = sort[(10000, c)]
        rows.append((f"3. sort*, 10,000 rows, {names[c]}", f"{l:.1f} ms", f"{f:.1f} ms",
                     f"{l / f:.2f}", f"target <= 3: {verdict(l / f <= 3)}"))
for c in (0, 2, 5):
    if (10000, c) in sort and (100000, c) in sort:
        r = sort[(100000, c)][0] / sort[(10000, c)][0]
        rf = sort[(100000, c)][1] / sort[(10000, c)][1]
        rows.append((f"3. sort scaling* 100,000 / 10,000, {names[c]}", f"{r:.1f}x", f"{rf:.1f}x",
                     "", f"target <= 14: {verdict(r <= 14)}"))
rows.append(("4. Brisklow.exe size", f"{size / 1024:.0f} KB", "", "",
             f"target < 1 MB: {verdict(size < 1024 * 1024)}"))
rows.append(("4. imported DLLs", imports, "", "",
             "system DLLs only" if not non_system else "NOT SYSTEM: " + non_system))
b, t = float(start[1]), float(start[2])
rows.append((f"4. start to first scan done* (\"{' '.join(start[3:])}\") vs taskmgr window*",
             f"{b:.0f} ms", f"{t:.0f} ms", f"{b / t:.2f}", ""))

print(f"Brisklow benchmarks, {datetime.date.today().isoformat()}, under Wine and Xvfb "
      "(* = Wine's common controls / Wine's window system)")
print()
print("| measure | Brisklow | floor / reference | ratio | target |")
print("|---|---|---|---|---|")
for r in rows:
    print("| " + " | ".join(r) + " |")
PY
