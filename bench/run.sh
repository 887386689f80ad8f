#!/usr/bin/env bash
# Times velatr against the floor of any whole-file sort (velatr_floor: the corpus read, split
# and written back without sorting, through the program's own functions), GNU sort (one thread
# and every core, the same ordering options) and `cat in > out` on deterministic corpora, with
# hyperfine in one run: warm (after a run of the same command) and cold (right after a helper
# touched and freed 1 GiB, as after any other work on a machine that hands freed memory back),
# writing fresh names and, for velatr, replacing an existing output. Where this machine runs
# 32-bit programs (tried by running one), the 32-bit build (i686 with SSE2, the code of
# VELATR.EXE) is timed beside the 64-bit one. Prints the ratios, each command's peak memory
# against velatr's budget (input + 24 bytes a line + 16 MB), flags a case whose sort phase costs
# more than 3x R's a line, and draws the chart bench/chart.png (gnuplot).
# Usage: bash bench/run.sh [CASE...]   (cases: R P D S V E J L C H F/+12 M/N M/L R/N ... P/R)
# BENCH_RUNS (default 5) sets the runs per command; BENCH_DIR where the corpora are kept.
set -euo pipefail
cd "$(dirname "$0")/.."

bash tools/setup.sh --bench
runs=${BENCH_RUNS:-5}
data=${BENCH_DIR:-$PWD/build/bench-data}
cmake --preset default >/dev/null
cmake --build --preset default >/dev/null
velatr=$PWD/build/default/src/velatr
corpus=$PWD/build/default/bench/velatr_corpus
phases=$PWD/build/default/bench/velatr_phase_times
floor=$PWD/build/default/bench/velatr_floor
cores=$(nproc)
mkdir -p "$data"
# Touches 1 GiB and frees it: what the next command finds is memory the host must hand back.
chill='python3 -c "bytearray(1) * (1 << 30)"'

# The 32-bit program, where this machine runs it: decided by running it, not by asking.
velatr32=""
if cmake --preset linux32 >/dev/null 2>&1 &&
  cmake --build --preset linux32 --target velatr >/dev/null 2>&1; then
  # Status 1 is its usage text: it ran. "Exec format error" gives 126, a missing loader 127.
  status=0
  "$PWD/build/linux32/src/velatr" >/dev/null 2>&1 </dev/null || status=$?
  if ((status <= 1)); then
    velatr32=$PWD/build/linux32/src/velatr
  fi
fi
if [[ -z "$velatr32" ]]; then
  echo "this machine runs no 32-bit programs: the 32-bit build is not timed" >&2
fi

cases=("$@")
if ((${#cases[@]} == 0)); then
  cases=(R P D S V E J L C H F/+12 M/N M/L R/N R/L R/R R/+5 P/N P/L P/R P/+5)
fi

# The GNU sort options that order as a velatr switch does.
gnu_options() {
  case "$1" in
    "") ;;
    /N | /L) echo "-f" ;;
    /R) echo "-r" ;;
    /+*) echo "-t "$'\x01'" -k1.${1#/+}" ;;  # the whole line as one field, from that byte
  esac
}

peak_kb() {
  /usr/bin/time -f %M sh -c "$1" 2>&1 >/dev/null | tail -n 1
}

results=$(mktemp)
chart_data=$(mktemp)
printf '%-7s %7s %7s %7s %7s %7s %7s %7s %7s %7s %6s %6s %6s %6s %6s %6s %6s %6s %6s %5s %s %s\n' \
  case warm cold replace floor flr-c 32-bit gnu-w gnu-c gnu-all /floor /flr-c /gnu-w /gnu-c \
  32/64 MB MB-gnu MB-max ns/ln x-R fits flag >"$results"
r_ns=""
for c in "${cases[@]}"; do
  kind=${c%%/*}
  switch=""
  [[ "$c" == */* ]] && switch="/${c#*/}"
  input="$data/$kind.txt"
  [[ -f "$input" ]] || "$corpus" "$kind" "$input"
  out="$data/out-$$"
  gnu=$(gnu_options "$switch")
  json=$(mktemp)
  commands=(
    --prepare "sh -c 'rm -f $out.velatr; sync'" -n warm "$velatr $input $out.velatr /X $switch"
    --prepare "sh -c 'rm -f $out.velatr; sync; $chill'" -n cold "$velatr $input $out.velatr /X $switch"
    --prepare "sh -c 'cp $input $out.replace; sync'" -n replace "$velatr $input $out.replace /X $switch"
    --prepare "sh -c 'rm -f $out.floor; sync'" -n floor "$floor $input $out.floor"
    --prepare "sh -c 'rm -f $out.floor; sync; $chill'" -n floor-cold "$floor $input $out.floor"
    --prepare "sh -c 'rm -f $out.gnu; sync'" -n gnu-warm "env LC_ALL=C sort --parallel=1 -S 4G $gnu -o $out.gnu $input"
    --prepare "sh -c 'rm -f $out.gnu; sync; $chill'" -n gnu-cold "env LC_ALL=C sort --parallel=1 -S 4G $gnu -o $out.gnu $input"
    --prepare "sh -c 'rm -f $out.gnu; sync'" -n gnu-all "env LC_ALL=C sort --parallel=$cores -S 4G $gnu -o $out.gnu $input"
    --prepare "sh -c 'rm -f $out.cat; sync'" -n cat "sh -c 'cat $input > $out.cat'"
  )
  if [[ -n "$velatr32" ]]; then
    commands+=(--prepare "sh -c 'rm -f $out.velatr; sync'" -n 32-bit "$velatr32 $input $out.velatr /X $switch")
  fi
  hyperfine -N --warmup 1 --runs "$runs" --export-json "$json" "${commands[@]}" >/dev/null
  rm -f "$out".velatr "$out".replace "$out".gnu "$out".cat "$out".floor
  mem_velatr=$(peak_kb "$velatr $input $out.velatr /X $switch")
  rm -f "$out.velatr"
  mem_gnu=$(peak_kb "env LC_ALL=C sort --parallel=1 -S 4G $gnu -o $out.gnu $input")
  rm -f "$out.gnu"
  phase_line=$("$phases" "$input" $switch)
  for _ in 1 2; do
    again=$("$phases" "$input" $switch)
    phase_line=$(printf '%s\n%s\n' "$phase_line" "$again")
  done
  python3 - "$json" "$c" "$mem_velatr" "$mem_gnu" "$input" "$phase_line" "${r_ns:-0}" \
    "$chart_data" <<'PY' | tee -a "$results"
import json, os, re, sys
runs = {r["command"]: r for r in json.load(open(sys.argv[1]))["results"]}
m = {k: r["median"] for k, r in runs.items()}
size = os.path.getsize(sys.argv[5])
sorts, lines = [], 0
for row in sys.argv[6].splitlines():
    t = dict((k, int(v)) for k, v in re.findall(r"([a-z]+) (\d+)", row))
    sorts.append(t["sort"])  # the phase timer gives each phase's own milliseconds
    lines = int(re.search(r"\((\d+) lines\)", row).group(1))
ns = min(sorts) * 1e6 / lines
r_ns = float(sys.argv[7]) or ns
budget = (size + 24 * lines) / 1048576 + 16
mb, mb_gnu = int(sys.argv[3]) / 1024, int(sys.argv[4]) / 1024
flag = "SLOW-SORT" if ns > 3 * r_ns else ""
bits32 = m.get("32-bit")
print("%-7s %6.3fs %6.3fs %6.3fs %6.3fs %6.3fs %7s %6.3fs %6.3fs %6.3fs %6.2f %6.2f %6.3f %6.3f %6s %6.0f %6.0f %6.0f %6.0f %5.1f %s %s" % (
    sys.argv[2], m["warm"], m["cold"], m["replace"], m["floor"], m["floor-cold"],
    "%.3fs" % bits32 if bits32 else "-", m["gnu-warm"], m["gnu-cold"], m["gnu-all"],
    m["warm"] / m["floor"], m["cold"] / m["floor-cold"], m["warm"] / m["gnu-warm"],
    m["cold"] / m["gnu-cold"], "%.2f" % (bits32 / m["warm"]) if bits32 else "-", mb, mb_gnu,
    budget, ns, ns / r_ns, "yes" if mb <= budget else "NO", flag))
with open(sys.argv[8], "a") as chart:
    chart.write("%s %.4f %s %.4f %.4f %.4f\n" % (sys.argv[2], m["warm"],
                "%.4f" % bits32 if bits32 else "NaN", m["gnu-warm"], m["gnu-all"], m["floor"]))
PY
  if [[ "$c" == R ]]; then
    r_ns=$(awk '$1 == "R" {print $19}' "$results")
  fi
  rm -f "$json"
done
echo "median seconds of $runs runs each. warm: after a run of the same command; cold: after 1 GiB"
echo "was touched and freed; replace: velatr over an existing output (warm); floor, flr-c: the"
echo "corpus read, split and written back unsorted, warm and cold; 32-bit: the i686 build, warm;"
echo "gnu-w, gnu-c: GNU sort with one thread, gnu-all with $cores. /floor, /flr-c: velatr over the"
echo "floor, warm and cold; /gnu-w, /gnu-c: over GNU sort's one thread; 32/64: the 32-bit build"
echo "over the 64-bit one. MB: peak resident memory; MB-max: input + 24 B/line + 16 MB; ns/ln:"
echo "velatr's sort phase a line (best of three), x-R: that over R's; flag: more than 3x R's"
cat "$results"
if command -v gnuplot >/dev/null; then
  gnuplot -e "data='$chart_data'; out='bench/chart.png'; has32=$([[ -n $velatr32 ]] && echo 1 || echo 0)" \
    bench/chart.gp
  echo "chart: bench/chart.png"
fi
rm -f "$results" "$chart_data"
