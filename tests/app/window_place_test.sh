#!/usr/bin/env bash
# The window as a window manager shows it: started twice under Xvfb with openbox, it opens where
# it was closed, and its settings keep the same place (no creeping up by the title bar).
set -u
nubrix=$1
for tool in Xvfb openbox xdotool wmctrl xwininfo; do
  command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }
done
work=$(mktemp -d)
cleanup() {
  [ -n "${wm:-}" ] && kill "$wm" 2>/dev/null
  [ -n "${server:-}" ] && kill "$server" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
# A portable copy: its settings live in its own AppData, never in the user's.
mkdir -p "$work/app/AppData" "$work/home"
cp "$nubrix" "$work/app/nubrix"
printf '[Bounds]\ntop=50\nleft=60\nwidth=700\nheight=500\n' >"$work/app/AppData/Nubrix.ini"
exec 3<> >(:)
Xvfb -displayfd 3 -screen 0 1280x1024x24 >/dev/null 2>&1 &
server=$!
read -r -t 10 display <&3 || { echo "FAIL: Xvfb did not start"; exit 1; }
export DISPLAY=":$display" HOME="$work/home" XDG_CONFIG_HOME="$work/home/config"
openbox >/dev/null 2>&1 &
wm=$!
sleep 1

# Starts the window, prints its inside's place as X shows it, closes it as a user would.
run_once() {
  "$work/app/nubrix" >/dev/null 2>&1 &
  local pid=$! id=""
  for _ in $(seq 100); do
    id=$(xdotool search --name "^Nubrix lite$" 2>/dev/null | head -n 1)
    [ -n "$id" ] && break
    sleep 0.1
  done
  [ -z "$id" ] && { echo "no window"; kill "$pid"; return; }
  sleep 1
  xwininfo -id "$id" | awk '/Absolute upper-left X/ {x=$4} /Absolute upper-left Y/ {y=$4} END {print x "," y}'
  wmctrl -c "Nubrix lite"
  wait "$pid"
}
saved() { grep -E "^(left|top)=" "$work/app/AppData/Nubrix.ini" | tr '\n' ' '; }

first=$(run_once)
after_first=$(saved)
second=$(run_once)
after_second=$(saved)
status=0
[ "$first" = "60,50" ] || { echo "FAIL: first start at $first, not 60,50"; status=1; }
[ "$second" = "$first" ] || { echo "FAIL: second start at $second, first at $first"; status=1; }
[ "$after_first" = "$after_second" ] || { echo "FAIL: kept $after_first, then $after_second"; status=1; }
[ "$after_first" = "top=50 left=60 " ] || [ "$after_first" = "left=60 top=50 " ] ||
  { echo "FAIL: kept $after_first"; status=1; }
[ $status -eq 0 ] && echo "ok: the window opens where it was closed ($first)"
exit $status
