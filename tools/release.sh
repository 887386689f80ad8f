#!/usr/bin/env bash
# Makes the release in dist/: the Windows zip (VELATR.EXE, README.txt, LICENSE.txt), the Debian
# package, the Linux tarball and SHA256SUMS. Reproducible: the same commit gives the same bytes
# from any folder at any time (every time is the last commit's, no build path is kept, entries
# are in name order).
set -euo pipefail
cd "$(dirname "$0")/.."

bash tools/setup.sh --release
export SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct)}
export TZ=UTC LC_ALL=C

# Release builds of the program alone: no tests, no benchmarks.
configure() {
  local dir=$1
  shift
  cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVELATR_WERROR=ON \
    -DVELATR_TESTS=OFF -DVELATR_BENCH=OFF "$@" >/dev/null
  cmake --build "$dir" >/dev/null
}
configure build/release-linux
configure build/release-windows --toolchain cmake/i686-w64-mingw32.cmake
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build/release-linux/CMakeCache.txt)
arch=$(dpkg --print-architecture)

rm -rf dist build/release-stage
mkdir -p dist build/release-stage

# Files staged as they will be packed, every one (folders too) of the release's time.
stage() {
  local build=$1 folder=$2
  cmake --install "$build" --prefix "$folder" --strip >/dev/null
  find "$folder" -exec touch -h -d "@$SOURCE_DATE_EPOCH" {} +
}

# The Debian package, by CPack (dpkg-shlibdeps computes its dependencies).
(cd build/release-linux && rm -f ./*.deb && cpack -G DEB >/dev/null)
cp "build/release-linux/velatr_${version}_${arch}.deb" dist/

linux=velatr-$version-linux-$(uname -m)
stage build/release-linux "build/release-stage/$linux"
tar -C build/release-stage --sort=name --mtime="@$SOURCE_DATE_EPOCH" --owner=0 --group=0 \
  --numeric-owner --format=gnu -cf - "$linux" | gzip -9 -n >"dist/$linux.tar.gz"

windows=velatr-$version-windows-x86
stage build/release-windows "build/release-stage/$windows"
(cd "build/release-stage/$windows" && find . -type f | sed 's|^\./||' | sort |
  zip -X -q -9 "../../../dist/$windows.zip" -@)

(cd dist && sha256sum -- *.zip *.deb *.tar.gz >SHA256SUMS)
echo "release $version in dist/:"
cat dist/SHA256SUMS
