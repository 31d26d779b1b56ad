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

out="$state/figures.txt"
# BRISKLOW_BENCH_TABLE_ONLY=1 prints the table of the last run's figures again, measuring nothing.
if [ "${BRISKLOW_BENCH_TABLE_ONLY:-0}" != 1 ]; then
  # The display and the prefix's server end however the run ends; the server before the display.
  cleanup() {
    WINEPREFIX="$state/wineprefix" wineserver -k 2>/dev/null || true
    "$root/tests/e2e/xvfb.sh" stop "$state"
  }
  trap cleanup EXIT
  "$root/tests/e2e/xvfb.sh" start "$state" >/dev/null
  # The stand-in is registered in the bench's own prefix (registering twice keeps the first copy).
  "$root/wmi_standin/register.sh" "$build" bench/run-bench.sh >/dev/null

  : >"$out"
  for mode in scan list start; do
    echo "running: $mode" >&2
    "$runner" "$bench" "$mode" "$repeats" | tr -d '\r' | tee -a "$out" >&2
  done

  # The soak: the reliability suite's soak test, driven from outside Brisklow.exe, at the bench's
  # length (BRISKLOW_BENCH_SOAK_SCANS, default 1,000 scans; 0 leaves it out). It asserts that
  # handles and private memory after the last scan stay within 1 % (or 1 MB) of after scan 10.
  soak_scans=${BRISKLOW_BENCH_SOAK_SCANS:-1000}
  reliability="$build/tests/e2e/brisklow_reliability_tests.exe"
  if [ "$soak_scans" -gt 0 ]; then
    [ -e "$reliability" ] || { echo "run.sh: no $reliability (make bench builds it)" >&2; exit 1; }
    echo "running: soak of $soak_scans scans" >&2
    # A copy runs, so that a rebuild of the tests meanwhile does not pull the file from under it;
    # it finds Brisklow.exe two folders up, as the original does.
    mkdir -p "$build/bench/soak"
    cp "$reliability" "$build/bench/soak/"
    started=$(date +%s)
    soak_status=passed
    BRISKLOW_SOAK_SCANS=$soak_scans "$runner" "$build/bench/soak/$(basename "$reliability")" \
      --gtest_filter='*Soak*' \
      >"$state/soak.txt" 2>&1 || soak_status=FAILED
    tr -d '\r' <"$state/soak.txt" | sed -n 's/^after scan \([0-9]*\): \([0-9]*\) handles.*committed private regions \([0-9]*\)$/soak-at \1 \2 \3/p' |
      tee -a "$out" >&2
    echo "soak $soak_scans $soak_status $(( $(date +%s) - started ))" | tee -a "$out" >&2
  fi
fi

# Size and imports of the program.
size=$(stat -c %s "$exe")
imports=$(x86_64-w64-mingw32-objdump -p "$exe" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr -d '\r' |
          sort -f | paste -sd ' ')
# Only the system's DLLs: no MinGW runtime and nothing of the program's own.
non_system=$(echo "$imports" | tr ' ' '\n' | grep -viE \
  '^(kernel32|user32|gdi32|comctl32|comdlg32|shell32|shlwapi|ole32|oleaut32|advapi32|msvcrt|ucrtbase|ws2_32|version|api-ms-win-[a-z0-9-]+)\.dll$' || true)

# The short fuzz run that make bench makes before this script, when its output is there.
fuzz_log=${BRISKLOW_BENCH_FUZZ_LOG:-$root/build/fuzz/fuzz-run.txt}

python3 - "$out" "$size" "$imports" "$non_system" "$fuzz_log" <<'PY'
import os, re, sys, datetime
lines = [l.split() for l in open(sys.argv[1]) if l.strip()]
size, imports, non_system = int(sys.argv[2]), sys.argv[3], sys.argv[4].strip()
fuzz_runs = {}
if os.path.exists(sys.argv[5]):
    target = None
    for line in open(sys.argv[5], errors="replace"):
        if line.startswith("== "):
            target = line[3:].strip()
        m = re.match(r"stat::number_of_executed_units:\s*(\d+)", line)
        if m and target:
            fuzz_runs[target] = int(m.group(1))
scan = {int(l[1]): (float(l[2]), float(l[3])) for l in lines if l[0] == "scan"}
fill = {int(l[1]): float(l[2]) for l in lines if l[0] == "fill"}
fill_program = {int(l[1]): float(l[2]) for l in lines if l[0] == "fill-program"}
sort = {(int(l[1]), int(l[2])): tuple(float(v) for v in l[3:9]) for l in lines if l[0] == "sort"}
start = next(l for l in lines if l[0] == "start")
soak_at = {int(l[1]): (int(l[2]), int(l[3])) for l in lines if l[0] == "soak-at"}
soak = next((l for l in lines if l[0] == "soak"), None)

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
for n in sorted(fill_program):
    ref = fill.get(n)
    rows.append((f"2. fill list as in the program* (balloon tool + list procedure), {n:,} rows",
                 f"{fill_program[n] / 1000:.2f} us/row",
                 f"{ref / 1000:.2f} us/row (bare)" if ref else "",
                 f"{fill_program[n] / ref:.1f}" if ref else "", ""))
names = {0: "text col 0", 2: "number col 2", 5: "CPU col 5"}
for n in (10000, 100000):
    for c in (0, 2, 5):
        if (n, c) not in sort:
            continue
        l, f, own, calls, floor_calls, replay = sort[(n, c)]
        rows.append((f"3. sort*, {n:,} rows, {names[c]}", f"{l:.1f} ms", f"{f:.1f} ms",
                     f"{l / f:.2f}", f"target <= 3: {verdict(l / f <= 3)}" if n == 10000 else ""))
        # The program's share: the list's comparisons made again outside it, against the floor;
        # and the list's own work: the same sort with a comparison that costs next to nothing.
        rows.append((f"3. of which the program's comparisons, {n:,} rows, {names[c]}",
                     f"{replay:.1f} ms ({calls:,.0f} calls)",
                     f"{f:.1f} ms ({floor_calls:,.0f} calls)", f"{replay / f:.2f}",
                     f"<= 3: {verdict(replay / f <= 3)}" if n == 10000 else ""))
        rows.append((f"3. the list's own work*, {n:,} rows, {names[c]} (free comparison)",
                     f"{own:.1f} ms", "", "", ""))
for c in (0, 2, 5):
    if (10000, c) in sort and (100000, c) in sort:
        a, b = sort[(10000, c)], sort[(100000, c)]
        rows.append((f"3. sort scaling* 100,000 / 10,000, {names[c]}", f"{b[0] / a[0]:.1f}x",
                     f"{b[1] / a[1]:.1f}x", "", f"target <= 14: {verdict(b[0] / a[0] <= 14)}"))
        rows.append((f"3. scaling of the program's comparisons, {names[c]}",
                     f"{b[5] / a[5]:.1f}x", f"{b[1] / a[1]:.1f}x", "",
                     f"<= 14: {verdict(b[5] / a[5] <= 14)}"))
        rows.append((f"3. scaling of the list's own work*, {names[c]}", f"{b[2] / a[2]:.1f}x",
                     "", "", ""))
rows.append(("4. Brisklow.exe size", f"{size / 1024:.0f} KB", "", "",
             f"target < 1 MB: {verdict(size < 1024 * 1024)}"))
rows.append(("4. imported DLLs", imports, "", "",
             "system DLLs only" if not non_system else "NOT SYSTEM: " + non_system))
b, t = float(start[1]), float(start[2])
rows.append((f"4. start to first scan done* (\"{' '.join(start[3:])}\") vs taskmgr window*",
             f"{b:.0f} ms", f"{t:.0f} ms", f"{b / t:.2f}", ""))
if soak:
    scans, status, seconds = int(soak[1]), soak[2], int(soak[3])
    if 10 in soak_at and scans in soak_at:
        (h0, m0), (h1, m1) = soak_at[10], soak_at[scans]
        rows.append((f"5. soak, {scans:,} scans of 1,000 processes: handles",
                     f"{h1} after scan {scans:,}", f"{h0} after scan 10", "", status))
        rows.append((f"5. soak: committed private memory",
                     f"{m1:,} bytes after scan {scans:,}", f"{m0:,} bytes after scan 10",
                     f"{m1 / m0:.4f}", f"within 1 % or 1 MB: {verdict(abs(m1 - m0) <= max(m0 / 100, 1 << 20))}"))
    rows.append((f"5. soak: time", f"{seconds} s ({seconds / scans:.2f} s a scan, driven from outside)",
                 "", "", status))
for target, runs in fuzz_runs.items():
    rows.append((f"6. fuzzing (libFuzzer, native), {target}", f"{runs:,} runs", "", "",
                 "no crash"))

print(f"Brisklow benchmarks, {datetime.date.today().isoformat()}, under Wine and Xvfb "
      "(* = Wine's common controls / Wine's window system)")
print()
print("| measure | Brisklow | floor / reference | ratio | target |")
print("|---|---|---|---|---|")
for r in rows:
    print("| " + " | ".join(r) + " |")
PY
