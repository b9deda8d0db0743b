#!/bin/sh
# Builds the Debian package of a configured build folder with CPack and prints its path.
#   tools/make-deb.sh BUILD_DIR [OUTPUT_DIR]     (OUTPUT_DIR defaults to BUILD_DIR/packages)
# Needs dpkg-dev (dpkg-shlibdeps works out the library packages) and file.
set -eu
build=$1
output=${2:-$build/packages}
cmake --build "$build" -j "$(nproc)" >&2
mkdir -p "$output"
cpack --config "$build/CPackConfig.cmake" -G DEB -B "$output" >&2
ls "$output"/lectorix_*.deb
