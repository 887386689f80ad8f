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
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="

# Makes the Wine prefix of a build (with the given Wine loader) and runs the build's tests.
test_under_wine() {
  local preset=$1 loader=$2
  export WINEPREFIX="$PWD/build/$preset/wine-prefix"
  if [[ ! -f "$WINEPREFIX/system.reg" ]]; then
    "$loader" wineboot --init >/dev/null 2>&1 || true
    wineserver -w
  fi
  ctest --preset "$preset"
  wineserver -k 2>/dev/null || true
}

if wine --version >/dev/null 2>&1; then
  test_under_wine windows wine
else
  # Some virtual machines run no 32-bit programs at all, 32-bit Wine among them. The 32-bit
  # build above still has to compile cleanly; the same code is tested as a 64-bit program.
  echo "== this machine cannot run 32-bit programs: testing a 64-bit Windows build instead"
  cmake --preset windows64 >/dev/null
  cmake --build --preset windows64
  test_under_wine windows64 /usr/lib/wine/wine64
fi
