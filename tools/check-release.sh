#!/usr/bin/env bash
# Checks what tools/release.sh made in dist/, as a user would take it: the checksums match; the
# zip holds a 32-bit console VELATR.EXE that sorts a file under Wine where 32-bit Wine runs
# (else its header is checked); lintian finds nothing wrong with the package, it installs, its
# velatr sorts a file and man finds its page; the tarball holds the program, the page and the
# licence.
set -euo pipefail
cd "$(dirname "$0")/../dist"

sha256sum --quiet -c SHA256SUMS
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
printf 'pear\r\nApple\r\nbanana\r\n' >"$work/in.txt"
printf 'Apple\r\nbanana\r\npear\r\n' >"$work/expected.txt"

unzip -q velatr-*-windows-x86.zip -d "$work/zip"
[[ -f $work/zip/README.txt && -f $work/zip/LICENSE.txt ]]
# Each output is taken whole before it is searched (a search that stops early would cut the
# writer off, and pipefail would count that as a failure).
file "$work/zip/VELATR.EXE" >"$work/file.txt"
grep -q 'PE32 executable (console) Intel 80386' "$work/file.txt"
i686-w64-mingw32-objdump -p "$work/zip/VELATR.EXE" >"$work/header.txt"
grep -q 'large address aware' "$work/header.txt"
# Notepad's text: CR LF line ends, UTF-8 marked as such.
head -c 3 "$work/zip/README.txt" | cmp -s - <(printf '\xef\xbb\xbf')
[[ $(grep -c $'\r$' "$work/zip/README.txt") -eq $(wc -l <"$work/zip/README.txt") ]]
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" WINEPREFIX=$work/wine
if (cd "$work" && timeout 300 wine zip/VELATR.EXE in.txt zip-out.txt /X >/dev/null 2>&1); then
  cmp "$work/zip-out.txt" "$work/expected.txt"
  echo "the zip's VELATR.EXE sorted a file under 32-bit Wine"
else
  echo "no 32-bit Wine here: the zip's VELATR.EXE was checked as a PE32 console program"
fi
wineserver -k 2>/dev/null || true

# Debian's own checks of a package: errors and warnings fail.
if ! report=$(lintian --fail-on error,warning velatr_*.deb 2>&1); then
  echo "$report" >&2
  exit 1
fi
dpkg -i velatr_*.deb >/dev/null
(cd "$work" && velatr in.txt deb-out.txt /X 2>/dev/null)
cmp "$work/deb-out.txt" "$work/expected.txt"
[[ $(man -w velatr) == /usr/share/man/man1/velatr.1.gz ]]
MANWIDTH=80 man velatr >"$work/page.txt" 2>/dev/null
grep -q 'velatr - sort the lines of a text file' "$work/page.txt"
[[ -f /usr/share/doc/velatr/copyright ]]
dpkg -r velatr >/dev/null

tar -xzf velatr-*-linux-*.tar.gz -C "$work"
for part in bin/velatr share/man/man1/velatr.1.gz share/doc/velatr/copyright; do
  [[ -f $(echo "$work"/velatr-*-linux-*/"$part") ]]
done
echo "release checked: checksums, the zip, the package (installed, sorted, man page), the tarball"
