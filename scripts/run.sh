#!/usr/bin/env bash
# Sets up, builds and starts the program (the main window; it needs a display).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake --preset default -DNUBRIX_BUILD_TESTS=OFF >/dev/null
cmake --build --preset default
exec build/default/src/app/nubrix
