#!/usr/bin/env bash
# Sets up, builds and runs every test: the normal build, then the sanitizer build.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
jobs=$(nproc)
for preset in default asan; do
  echo "== build and test: $preset"
  cmake --preset "$preset" -DNUBRIX_BUILD_TESTS=ON >/dev/null
  cmake --build --preset "$preset" -j "$jobs"
  ctest --preset "$preset" -j "$jobs"
done
