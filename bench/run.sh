#!/usr/bin/env bash
# Times velatr against GNU sort (one thread, and both cores), against `cat in > out` and against
# a copy through user memory (`dd`, as cat copies inside the kernel where it can), on
# deterministic corpora, with hyperfine in one run; prints the ratios and each command's peak
# memory. Usage: bash bench/run.sh [CASE...]   (cases: R P D S V E J R/N R/L R/R R/+5 P/N ...)
# BENCH_RUNS (default 3) sets the runs per command; BENCH_DIR where the corpora are kept.
set -euo pipefail
cd "$(dirname "$0")/.."

runs=${BENCH_RUNS:-3}
data=${BENCH_DIR:-$PWD/build/bench-data}
cmake --preset default >/dev/null
cmake --build --preset default >/dev/null
velatr=$PWD/build/default/src/velatr
corpus=$PWD/build/default/bench/velatr_corpus
mkdir -p "$data"

cases=("$@")
if ((${#cases[@]} == 0)); then
  cases=(R P D S V E J R/N R/L R/R R/+5 P/N P/L P/R P/+5)
fi

# The GNU sort options that order as a velatr switch does.
gnu_options() {
  case "$1" in
    "") ;;
    /N | /L) echo "-f" ;;
    /R) echo "-r" ;;
    /+5) echo "-t "$'\x01'" -k1.5" ;;  # the whole line as one field, from its 5th byte
  esac
}

peak_kb() {
  /usr/bin/time -f %M sh -c "$1" 2>&1 >/dev/null | tail -n 1
}

results=$(mktemp)
printf '%-6s %9s %9s %9s %9s %9s %7s %7s %7s %7s %7s %9s %9s\n' case velatr gnu-1 gnu-2 cat \
  copy "/gnu-1" "/gnu-2" "/cat" "/copy" "best/g1" "MB-velatr" "MB-gnu-1" >"$results"
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
    --prepare "rm -f $out.velatr $out.gnu1 $out.gnu2 $out.cat $out.copy" \
    -n velatr "$velatr $input $out.velatr /X $switch" \
    -n gnu-1 "env LC_ALL=C sort --parallel=1 -S 4G $gnu -o $out.gnu1 $input" \
    -n gnu-2 "env LC_ALL=C sort -S 4G $gnu -o $out.gnu2 $input" \
    -n cat "sh -c 'cat $input > $out.cat'" \
    -n copy "dd if=$input of=$out.copy bs=1M status=none" >/dev/null
  rm -f "$out".velatr "$out".gnu1 "$out".gnu2 "$out".cat "$out".copy
  mem_velatr=$(peak_kb "$velatr $input $out.velatr /X $switch")
  rm -f "$out.velatr"
  mem_gnu=$(peak_kb "env LC_ALL=C sort --parallel=1 -S 4G $gnu -o $out.gnu1 $input")
  rm -f "$out.gnu1"
  python3 - "$json" "$c" "$mem_velatr" "$mem_gnu" <<'PY' | tee -a "$results"
import json, sys
runs = {r["command"]: r for r in json.load(open(sys.argv[1]))["results"]}
median = {k: r["median"] for k, r in runs.items()}
best = {k: min(r["times"]) for k, r in runs.items()}
v, g1, g2, c = median["velatr"], median["gnu-1"], median["gnu-2"], median["cat"]
d = median["copy"]
print("%-6s %8.3fs %8.3fs %8.3fs %8.3fs %8.3fs %7.3f %7.3f %7.2f %7.2f %7.3f %9.0f %9.0f" % (
    sys.argv[2], v, g1, g2, c, d, v / g1, v / g2, v / c, v / d, best["velatr"] / best["gnu-1"],
    int(sys.argv[3]) / 1024, int(sys.argv[4]) / 1024))
PY
  rm -f "$json"
done
echo "median seconds of $runs runs each; ratios are velatr's median over the other's, and"
echo "best/g1 the ratio of the best runs; MB: peak resident memory"
cat "$results"
rm -f "$results"
