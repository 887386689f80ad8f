#!/usr/bin/env bash
# Times velatr against GNU sort (one thread, the same ordering options) and `cat in > out` on
# deterministic corpora, with hyperfine in one run: warm (after a run of the same command) and
# cold (right after a helper touched and freed 1 GiB, as after any other work on a machine that
# hands freed memory back), writing fresh names and, for velatr, replacing an existing output.
# Prints the ratios, each command's peak memory against velatr's budget (input + 24 bytes a
# line + 16 MB), and flags a case whose sort phase costs more than 3x R's a line.
# Usage: bash bench/run.sh [CASE...]   (cases: R P D S V E J L C H F/+12 M/N M/L R/N ... P/R)
# BENCH_RUNS (default 5) sets the runs per command; BENCH_DIR where the corpora are kept.
set -euo pipefail
cd "$(dirname "$0")/.."

runs=${BENCH_RUNS:-5}
data=${BENCH_DIR:-$PWD/build/bench-data}
cmake --preset default >/dev/null
cmake --build --preset default >/dev/null
velatr=$PWD/build/default/src/velatr
corpus=$PWD/build/default/bench/velatr_corpus
phases=$PWD/build/default/bench/velatr_phase_times
mkdir -p "$data"
# Touches 1 GiB and frees it: what the next command finds is memory the host must hand back.
chill='python3 -c "bytearray(1) * (1 << 30)"'

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
printf '%-7s %8s %8s %8s %8s %8s %8s %7s %7s %7s %6s %6s %6s %6s %5s %s %s\n' case warm cold \
  replace gnu-warm gnu-cold cat /gnu-w /gnu-c /cat MB MB-gnu MB-max ns/ln x-R fits flag \
  >"$results"
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
  hyperfine -N --warmup 1 --runs "$runs" --export-json "$json" \
    --prepare "sh -c 'rm -f $out.velatr; sync'" \
    --prepare "sh -c 'rm -f $out.velatr; sync; $chill'" \
    --prepare "sh -c 'cp $input $out.replace; sync'" \
    --prepare "sh -c 'rm -f $out.gnu; sync'" \
    --prepare "sh -c 'rm -f $out.gnu; sync; $chill'" \
    --prepare "sh -c 'rm -f $out.cat; sync'" \
    -n warm "$velatr $input $out.velatr /X $switch" \
    -n cold "$velatr $input $out.velatr /X $switch" \
    -n replace "$velatr $input $out.replace /X $switch" \
    -n gnu-warm "env LC_ALL=C sort --parallel=1 -S 4G $gnu -o $out.gnu $input" \
    -n gnu-cold "env LC_ALL=C sort --parallel=1 -S 4G $gnu -o $out.gnu $input" \
    -n cat "sh -c 'cat $input > $out.cat'" >/dev/null
  rm -f "$out".velatr "$out".replace "$out".gnu "$out".cat
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
    <<'PY' | tee -a "$results"
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
print("%-7s %7.3fs %7.3fs %7.3fs %7.3fs %7.3fs %7.3fs %7.3f %7.3f %7.2f %6.0f %6.0f %6.0f %6.0f %5.1f %s %s" % (
    sys.argv[2], m["warm"], m["cold"], m["replace"], m["gnu-warm"], m["gnu-cold"], m["cat"],
    m["warm"] / m["gnu-warm"], m["cold"] / m["gnu-cold"], m["warm"] / m["cat"], mb, mb_gnu,
    budget, ns, ns / r_ns, "yes" if mb <= budget else "NO", flag))
PY
  if [[ "$c" == R ]]; then
    r_ns=$(awk '$1 == "R" {print $14}' "$results")
  fi
  rm -f "$json"
done
echo "median seconds of $runs runs each. warm: after a run of the same command; cold: after 1 GiB"
echo "was touched and freed; replace: velatr over an existing output (warm). /gnu-w, /gnu-c:"
echo "velatr's median over GNU sort's (one thread), warm and cold; /cat: warm over cat in > out."
echo "MB: peak resident memory; MB-max: input + 24 B/line + 16 MB; ns/ln: velatr's sort phase a"
echo "line (best of three), x-R: that over R's; flag: more than 3x R's"
cat "$results"
rm -f "$results"
