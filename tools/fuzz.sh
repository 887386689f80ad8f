#!/usr/bin/env bash
# Builds the libFuzzer targets and runs each for a bounded time (FUZZ_SECONDS, default 45) from
# the seed corpora in fuzz/corpus; fails on any finding, whose input lands in build/fuzz-findings.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${FUZZ_SECONDS:-45}
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz
mkdir -p build/fuzz-findings
for target in ansi_write sjis sort switches; do
  work=$(mktemp -d)
  echo "== fuzzing $target for ${seconds}s"
  status=0
  ./build/fuzz/fuzz/fuzz_$target -max_total_time="$seconds" -rss_limit_mb=4096 \
    -artifact_prefix=build/fuzz-findings/"$target"- -print_final_stats=1 \
    "$work" "fuzz/corpus/$target" >"$work.log" 2>&1 || status=$?
  grep -E "stat::number_of_executed_units|ERROR|SUMMARY|Done" "$work.log" || true
  if [[ $status -ne 0 ]]; then
    tail -n 40 "$work.log" >&2
  fi
  rm -f "$work.log"
  rm -rf "$work"
  if [[ $status -ne 0 ]]; then
    echo "fuzz_$target found a fault (exit $status); see build/fuzz-findings" >&2
    exit 1
  fi
done
