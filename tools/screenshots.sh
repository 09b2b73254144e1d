#!/usr/bin/env bash
# Pictures of the main window under a virtual X server: before a scan, during it, the bar and
# the pie page after it, and the whole screen as X shows it.
#   bash tools/screenshots.sh [OUTDIR] [FOLDER]
set -euo pipefail
cd "$(dirname "$0")/.."
out=${1:-build/shots}
folder=${2:-/usr/share}
for tool in xvfb-run import; do
  command -v "$tool" >/dev/null || { sudo_cmd=(); [ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo);
    "${sudo_cmd[@]}" apt-get install -y -qq xvfb xauth imagemagick; break; }
done
cmake --preset default >/dev/null
cmake --build --preset default --target nubrix-window-shots nubrix
mkdir -p "$out"
xvfb-run -a -s "-screen 0 1024x768x24" build/default/tools/nubrix-window-shots "$out" "$folder"
# The real program on the X screen, as a person would see it at start.
xvfb-run -a -s "-screen 0 1024x768x24" bash -c \
  "build/default/src/app/nubrix & pid=\$!; sleep 2; import -window root '$out/screen-start.png'; kill \$pid"
echo "pictures in $out"
