#!/usr/bin/env bash
# Builds velatr and sorts the sample file shipped in samples/ into build/sample-sorted.txt.
set -euo pipefail
cd "$(dirname "$0")/.."

bash tools/setup.sh
cmake --preset default >/dev/null
cmake --build --preset default
./build/default/src/velatr samples/sample.txt build/sample-sorted.txt /L
echo "sorted samples/sample.txt into build/sample-sorted.txt:"
cat build/sample-sorted.txt
