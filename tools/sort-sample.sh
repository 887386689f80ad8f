#!/usr/bin/env bash
# Builds velatr and sorts the sample file shipped in samples/ into build/sample-sorted.txt, then
# shows the result (the file stays Shift-JIS; the terminal is shown it as UTF-8).
set -euo pipefail
cd "$(dirname "$0")/.."

bash tools/setup.sh
cmake --preset default >/dev/null
cmake --build --preset default --target velatr
./build/default/src/velatr samples/sample.txt build/sample-sorted.txt /L
echo "sorted samples/sample.txt into build/sample-sorted.txt (Shift-JIS, shown here as UTF-8):"
iconv -f CP932 -t UTF-8 build/sample-sorted.txt | tr -d '\r'
