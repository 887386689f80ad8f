#!/usr/bin/env bash
# Installs what building and testing need on a fresh Debian machine (run as root, or with sudo).
set -euo pipefail

packages=(cmake ninja-build g++ googletest libgtest-dev tmux locales git)
if [[ "${1:-}" == "--all" ]]; then
  packages+=(mingw-w64 g++-mingw-w64-i686 wine wine64 wine32:i386 hyperfine clang
             libclang-rt-14-dev clang-format)
fi

sudo_cmd=()
if [[ $(id -u) -ne 0 ]]; then
  sudo_cmd=(sudo)
fi

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$package")
  fi
done

if ((${#missing[@]} > 0)); then
  if printf '%s\n' "${missing[@]}" | grep -q ':i386$'; then
    "${sudo_cmd[@]}" dpkg --add-architecture i386
  fi
  # A mirror caught mid-sync fails one index; the others are still fresh enough to install from.
  "${sudo_cmd[@]}" apt-get update -qq || "${sudo_cmd[@]}" apt-get update -qq ||
    echo "setup: apt-get update failed in part; installing from the package lists there are" >&2
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends \
    "${missing[@]}" >/dev/null
fi

# Wine shows code page 932 text only under a Japanese locale.
if ! locale -a 2>/dev/null | grep -qi '^ja_JP\.utf-\?8$'; then
  "${sudo_cmd[@]}" localedef -i ja_JP -f UTF-8 ja_JP.UTF-8
fi
