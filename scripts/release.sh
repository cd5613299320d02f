#!/usr/bin/env bash
# Builds the release files into dist/ and writes dist/SHA256SUMS:
#   quintrel_<version>_amd64.deb and Quintrel-<version>-Linux-x86_64.tar.gz (native build),
#   Quintrel-<version>-win32.zip (32-bit Windows cross build).
# The same commit gives the same bytes wherever and whenever it is built: time stamps come
# from the last commit (SOURCE_DATE_EPOCH, when not set already).
# Needs cmake, g++, dpkg-dev (dpkg-shlibdeps) and g++-mingw-w64-i686.
# QUINTREL_RELEASE_BUILD_DIR and QUINTREL_DIST_DIR name other folders for the build and the files.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${QUINTREL_RELEASE_BUILD_DIR:-$root/build-release}
dist=${QUINTREL_DIST_DIR:-$root/dist}
jobs=$(nproc 2>/dev/null || echo 2)

for tool in cmake cpack g++ dpkg-shlibdeps i686-w64-mingw32-g++-posix gzip; do
  command -v "$tool" > /dev/null || { echo "release.sh: $tool is missing (Debian: cmake g++ dpkg-dev g++-mingw-w64-i686)" >&2; exit 1; }
done
if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
  SOURCE_DATE_EPOCH=$(git -C "$root" log -1 --format=%ct 2> /dev/null) ||
    { echo "release.sh: not a git checkout; set SOURCE_DATE_EPOCH to the time of the sources" >&2; exit 1; }
fi
export SOURCE_DATE_EPOCH TZ=UTC LC_ALL=C
umask 022

rm -rf "$build" "$dist"
mkdir -p "$dist"

# Builds what one configuration installs and packs it with CPack; the packages land in dist/.
package() {
  local name=$1 targets=$2
  shift 2
  cmake -S "$root" -B "$build/$name" -DCMAKE_BUILD_TYPE=Release -DQUINTREL_TESTS=OFF \
    -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON "$@" > /dev/null
  cmake --build "$build/$name" -j"$jobs" --target $targets > /dev/null
  (cd "$build/$name" && cpack -B "$build/$name/packages" > cpack.log 2>&1) || { cat "$build/$name/cpack.log"; exit 1; }
  find "$build/$name/packages" -maxdepth 1 -type f \( -name '*.deb' -o -name '*.tar.gz' -o -name '*.zip' \) \
    -exec cp {} "$dist/" \;
}

package linux "Quintrel compressed_documents"
package win32 Quintrel -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-i686.cmake"

(cd "$dist" && sha256sum -- * > SHA256SUMS)
echo "Release files in $dist:"
(cd "$dist" && ls -l -- *)
