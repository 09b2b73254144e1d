#!/usr/bin/env bash
# Sets up, builds and runs every test: the format check, the normal build (warnings are errors)
# with its tests and clang-tidy over src/, the sanitizer build, then the fuzz targets of the
# file readers (shortcuts, hives, registry scripts, scroller markup) for a fixed time each (FUZZ_SECONDS, default 60).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
jobs=$(nproc)

echo "== format"
find src tests bench tools fuzz \( -name '*.cpp' -o -name '*.h' \) -print0 | xargs -0 clang-format --dry-run -Werror

echo "== layers: what each folder may include"
python3 scripts/check-includes.py .

for preset in default asan; do
  echo "== build and test: $preset"
  cmake --preset "$preset" -DNUBRIX_BUILD_TESTS=ON >/dev/null
  cmake --build --preset "$preset" -j "$jobs"
  ctest --preset "$preset" -j "$jobs"
  if [ "$preset" = default ]; then
    echo "== lint: clang-tidy over src/"
    run-clang-tidy -quiet -j "$jobs" -p build/default "$(pwd)/src/.*\.cpp" >build/default/clang-tidy.log 2>&1 || {
      grep -E "warning:|error:" build/default/clang-tidy.log | head -n 40
      echo "clang-tidy: FAILED"
      exit 1
    }
    echo "clang-tidy: clean"
    echo "== package: build, unpack and check the Debian package"
    bash scripts/check-package.sh build/default
  fi
done

echo "== fuzz: the .lnk, .desktop, hive, .reg, scroller markup, trash info and scan file readers, ${FUZZ_SECONDS:-60} s each"
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j "$jobs" --target nubrix-fuzz-lnk nubrix-fuzz-desktop nubrix-fuzz-hive \
  nubrix-fuzz-regimport nubrix-fuzz-markup nubrix-fuzz-trashinfo nubrix-fuzz-scanfile
for reader in lnk desktop hive regimport markup trashinfo scanfile; do
  corpus=$(mktemp -d)
  cp tests/corpus/"$reader"/* "$corpus"/
  log=$(mktemp)
  if ! build/fuzz/fuzz/nubrix-fuzz-"$reader" -max_total_time="${FUZZ_SECONDS:-60}" -rss_limit_mb=2048 \
      -print_final_stats=1 "$corpus" >"$log" 2>&1; then
    tail -n 40 "$log"
    echo "fuzz $reader: FAILED"
    exit 1
  fi
  echo "fuzz $reader: $(grep -E '^Done' "$log")"
  rm -rf "$corpus" "$log"
done
