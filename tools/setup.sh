#!/usr/bin/env bash
# Installs what building and testing need on a fresh Debian machine (run as root, or with sudo),
# in tiers: what the native build needs, then (with --all) the Windows cross build with 64-bit
# Wine and the 32-bit Linux cross build with its emulator, which must all install; then 32-bit
# Wine and the 32-bit C library's code page converters, which are optional: a mirror caught
# mid-sync often fails the i386 index, and the run goes on without them. With --release or
# --bench: the native tier and the release's or the benchmark's tools.
set -euo pipefail

native=(cmake ninja-build g++ googletest libgtest-dev tmux locales git)
cross=(mingw-w64 g++-mingw-w64-i686 g++-mingw-w64-x86-64 wine wine64 g++-i686-linux-gnu qemu-user
       hyperfine clang libclang-rt-14-dev clang-format)
# Where the 32-bit Linux tests find the code page 932 converter (GCONV_PATH).
i386_gconv=/usr/local/lib/velatr-i386/gconv

sudo_cmd=()
if [[ $(id -u) -ne 0 ]]; then
  sudo_cmd=(sudo)
fi

missing_of() {
  local package
  for package in "$@"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
      echo "$package"
    fi
  done
}

updated=false
update_lists() {
  if $updated; then
    return
  fi
  updated=true
  # A mirror caught mid-sync fails one index; the others are still fresh enough to install from.
  "${sudo_cmd[@]}" apt-get update -qq || "${sudo_cmd[@]}" apt-get update -qq ||
    echo "setup: apt-get update failed in part; installing from the package lists there are" >&2
}

# Installs the packages named that are missing; returns apt-get's status.
install_missing() {
  local missing
  mapfile -t missing < <(missing_of "$@")
  if ((${#missing[@]} == 0)); then
    return 0
  fi
  update_lists
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq \
    --no-install-recommends "${missing[@]}" >/dev/null
}

install_missing "${native[@]}"

# Wine takes the system code page from the locale: Japanese for code page 932 (console 932),
# French for 1252 (console 850), American English for 1252 (console 437).
for locale_name in ja_JP fr_FR en_US; do
  if ! locale -a 2>/dev/null | grep -qi "^$locale_name\.utf-\?8$"; then
    "${sudo_cmd[@]}" localedef -i "$locale_name" -f UTF-8 "$locale_name.UTF-8"
  fi
done

# The release's tools: the 32-bit Windows compiler, CPack's Debian helpers, the archivers, and
# what checks the package (lintian, man).
if [[ "${1:-}" == "--release" ]]; then
  install_missing g++-mingw-w64-i686 dpkg-dev file zip unzip lintian man-db mandoc
  exit 0
fi

# The benchmark's tools: hyperfine, gnuplot for its chart, the 32-bit build's compiler.
if [[ "${1:-}" == "--bench" ]]; then
  install_missing hyperfine gnuplot-nox g++-i686-linux-gnu time python3
  exit 0
fi

if [[ "${1:-}" != "--all" ]]; then
  exit 0
fi

install_missing "${cross[@]}"

# Optional from here on.
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  "${sudo_cmd[@]}" dpkg --add-architecture i386
  updated=false
fi
if ! install_missing wine32:i386 2>/dev/null; then
  echo "setup: 32-bit Wine (wine32:i386) could not be installed; going on without it"
fi
if [[ ! -f $i386_gconv/CP932.so ]]; then
  update_lists
  work=$(mktemp -d)
  if (cd "$work" && apt-get download -qq libc6:i386 >/dev/null 2>&1) &&
    dpkg -x "$work"/libc6_*_i386.deb "$work/root"; then
    "${sudo_cmd[@]}" mkdir -p "$i386_gconv"
    "${sudo_cmd[@]}" cp -r "$work"/root/usr/lib/i386-linux-gnu/gconv/. "$i386_gconv"/
  else
    echo "setup: the 32-bit code page converters (libc6:i386) could not be had; going on" \
      "without them"
  fi
  rm -rf "$work"
fi
