#!/usr/bin/env bash
# Checks the release: builds it twice, from two copies of the sources in different folders
# at different times, and fails on any difference, naming the file; then checks what is in
# it (lintian on the .deb, the zip's three files, the Windows version resource), and, as
# root, installs the .deb, reads the man page and removes the package again.
# Needs what scripts/release.sh needs, plus lintian and unzip.
# QUINTREL_NO_INSTALL=1 leaves out installing the .deb.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
# shellcheck source=windows.sh
. "$root/scripts/windows.sh"

if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
  SOURCE_DATE_EPOCH=$(git -C "$root" log -1 --format=%ct)
fi
export SOURCE_DATE_EPOCH

scratch=$(mktemp -d "${TMPDIR:-/tmp}/quintrel-release-check.XXXXXX")
trap 'rm -rf "$scratch"' EXIT

# A second copy of the sources, at another path of another length.
copy="$scratch/another/place/for/the/sources"
mkdir -p "$copy"
if git -C "$root" rev-parse --is-inside-work-tree > /dev/null 2>&1; then
  (cd "$root" && git ls-files -z --cached --others --exclude-standard | xargs -0 cp --parents -t "$copy")
else
  tar -C "$root" --exclude='./build*' --exclude=./dist -cf - . | tar -C "$copy" -xf -
fi

echo "-- first build, in $root"
"$root/scripts/release.sh" > /dev/null
sleep 2  # a later time, so that a clock that leaks into the files shows
echo "-- second build, in $copy"
"$copy/scripts/release.sh" > /dev/null

# Names every file that differs between two folders of release files, and inside each
# archive the members that differ.
differences=0
extract() {
  local file=$1 into=$2
  mkdir -p "$into"
  case "$file" in
    *.deb) dpkg-deb -R "$file" "$into" ;;
    *.tar.gz) tar -C "$into" -xzf "$file" ;;
    *.zip) unzip -q "$file" -d "$into" ;;
  esac
}
for first in "$root/dist/"* "$root/build-release/linux/Quintrel" "$root/build-release/win32/Quintrel.exe"; do
  second=$copy/${first#"$root"/}
  if cmp -s "$first" "$second"; then continue; fi
  echo "not reproducible: ${first#"$root"/}"
  differences=$((differences + 1))
  case "$first" in
    *.deb | *.tar.gz | *.zip)
      extract "$first" "$scratch/a/$(basename "$first")"
      extract "$second" "$scratch/b/$(basename "$first")"
      diff -rq "$scratch/a/$(basename "$first")" "$scratch/b/$(basename "$first")" | sed 's/^/    /' || true ;;
  esac
done
[ "$differences" -eq 0 ] || exit 1
echo "Both builds gave the same bytes:"
sed 's/^/    /' "$root/dist/SHA256SUMS"
(cd "$root/dist" && sha256sum --quiet -c SHA256SUMS)

version=$(sed -n 's/^project(Quintrel VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")
deb=$root/dist/quintrel_${version}_amd64.deb
zip=$root/dist/Quintrel-${version}-win32.zip
tarball=$root/dist/Quintrel-${version}-Linux-x86_64.tar.gz
for file in "$deb" "$zip" "$tarball"; do
  [ -f "$file" ] || { echo "missing: $file"; exit 1; }
done

echo "-- lintian"
lintian --fail-on error "$deb"

echo "-- the zip: Quintrel.exe, README.txt and LICENSE.txt alone, texts with CR LF"
members=$(unzip -Z1 "$zip" | sort | tr '\n' ' ')
[ "$members" = "LICENSE.txt Quintrel.exe README.txt " ] || { echo "the zip holds: $members"; exit 1; }
for text in README.txt LICENSE.txt; do
  if unzip -p "$zip" "$text" | grep -qv $'\r$'; then echo "$text has a line without CR LF"; exit 1; fi
done
unzip -q -o "$zip" Quintrel.exe -d "$scratch/zip"
check_windows_program "$scratch/zip/Quintrel.exe" "PE32 executable (console) Intel 80386" i686-w64-mingw32-objdump
# The version resource's strings are UTF-16 in the resource section.
resource=$(i686-w64-mingw32-strings -el "$scratch/zip/Quintrel.exe")
for expected in Quintrel Quintrel.exe "$version" "Copyright (c) 2026 The Quintrel developers. MIT License."; do
  grep -qxF -- "$expected" <<< "$resource" || { echo "the version resource lacks \"$expected\""; exit 1; }
done

if [ "$(id -u)" -eq 0 ] && [ "${QUINTREL_NO_INSTALL:-}" != 1 ]; then
  echo "-- dpkg -i, man Quintrel, dpkg -r"
  dpkg -i "$deb" > /dev/null
  status=0
  man -w Quintrel || status=1
  MANPAGER=cat MANWIDTH=80 man Quintrel 2> /dev/null | grep -q "convert a batch of WAV files" || { echo "man Quintrel shows no page"; status=1; }
  output=$(/usr/bin/Quintrel) || status=1
  [ "${output%%$'\r'*}" = "Shell for Relic AIFR encoder (WAV PCM => Homeworld II AIFR) [enc.exe]" ] || status=1
  dpkg -r quintrel > /dev/null
  [ "$status" -eq 0 ] || { echo "the installed package does not work"; exit 1; }
else
  echo "Not installing the .deb: that needs root (and QUINTREL_NO_INSTALL unset)."
fi
echo "Release checked."
