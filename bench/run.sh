#!/usr/bin/env bash
# One command for the scan benchmark: builds nubrix-scan, installs the peers, generates the
# tree (once; about 1,000,000 sparse entries) and prints the table.
#   bash bench/run.sh [TREE_DIR] [--rounds N] [--cold] [--threads-sweep 1,2,4,8]
# --cold drops the page cache before every run (as root; skipped otherwise).
set -euo pipefail
cd "$(dirname "$0")/.."
tree=/var/tmp/nubrix-bench-tree
if [ $# -gt 0 ] && [ "${1#--}" = "$1" ]; then
  tree=$1
  shift
fi
bash scripts/install-deps.sh
missing=()
for tool in ncdu gdu python3 /usr/bin/time; do command -v "$tool" >/dev/null || missing+=("$(basename "$tool")"); done
if [ ${#missing[@]} -gt 0 ]; then
  sudo_cmd=(); [ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
  "${sudo_cmd[@]}" apt-get install -y -qq "${missing[@]}"
fi
cmake --preset default -DNUBRIX_BUILD_TESTS=OFF >/dev/null
cmake --build --preset default
python3 bench/gen_tree.py "$tree"
python3 bench/scan_bench.py build/default/src/cli/nubrix-scan "$tree" /usr "$@"
