#!/usr/bin/env bash
# Builds and runs every test: the release build, the sanitizer build, and the Windows build
# under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."

bash tools/setup.sh --all

echo "== formatting"
git ls-files -z '*.cpp' '*.h' | xargs -0 clang-format --dry-run --Werror

echo "== fuzzing"
bash tools/fuzz.sh

echo "== release build"
cmake --preset default >/dev/null
cmake --build --preset default
ctest --preset default -j2

echo "== sanitizer build"
cmake --preset debug >/dev/null
cmake --build --preset debug
ctest --preset debug -j2

echo "== Windows build (32-bit), tested under Wine"
cmake --preset windows >/dev/null
cmake --build --preset windows
export WINEPREFIX="$PWD/build/windows/wine-prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
if [[ ! -f "$WINEPREFIX/system.reg" ]]; then
  wineboot --init >/dev/null 2>&1 || true
  wineserver -w
fi
ctest --preset windows
wineserver -k 2>/dev/null || true
