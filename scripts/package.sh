#!/usr/bin/env bash
# Builds the Debian package nubrix_<version>_amd64.deb in build/package (a release build without
# the tests); its dependencies are computed by dpkg-shlibdeps.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build/package -G Ninja -DCMAKE_BUILD_TYPE=Release -DNUBRIX_BUILD_TESTS=OFF >/dev/null
cmake --build build/package
(cd build/package && cpack -G DEB >/dev/null)
ls build/package/nubrix_*_amd64.deb
