#!/usr/bin/env bash
# The command line as scripts use it: exit codes, standard streams, the exact listing.
set -u
scan=$1
work=$(mktemp -d)
trap 'chmod -R u+rwx "$work" 2>/dev/null; rm -rf "$work"' EXIT
failures=0
passes=0
check() { if [ "$2" = "$3" ]; then echo "ok: $1"; passes=$((passes+1)); else echo "FAIL: $1"; echo "  want: $(printf %q "$3")"; echo "  got:  $(printf %q "$2")"; failures=$((failures+1)); fi; }

mkdir -p "$work/t/a b" "$work/t/.git" "$work/t/c"
truncate -s 1048576 "$work/t/a b/f"
truncate -s 53 "$work/t/top"
truncate -s 999 "$work/t/.git/x"
ln -s / "$work/t/c/root-link"

out=$("$scan" --list "$work/t" 2>"$work/err"); rc=$?
check "--list exit status" "$rc" "0"
check "--list stderr" "$(cat "$work/err")" ""
want_a=$(printf '10000\t0\t%s' "$work/t/a b")
want_c=$(printf '0\t0\t%s' "$work/t/c")
check "--list root line" "$(printf '%s\n' "$out" | head -n 1)" "$(printf '1\t10000\t%s/' "$work/t")"
check "--list child lines" "$(printf '%s\n' "$out" | tail -n +2 | sort)" "$(printf '%s\n%s\n' "$want_a" "$want_c" | sort)"

out=$("$scan" "$work/t"); rc=$?
check "summary exit status" "$rc" "0"
check "summary largest child first" "$(printf '%s\n' "$out" | sed -n 3p | sed 's/^ *//')" "1.0000 MB  a b"
check "summary folder count" "$(printf '%s\n' "$out" | tail -n 1 | cut -d' ' -f1-2)" "2 folders,"

out=$("$scan" --list "$work/missing" 2>"$work/err"); rc=$?
check "missing folder exit status" "$rc" "2"
check "missing folder stdout" "$out" ""
grep -q "$work/missing" "$work/err" && check "missing folder named on stderr" yes yes || check "missing folder named on stderr" no yes

out=$("$scan" --list "$work/t/top" 2>"$work/err"); rc=$?
check "file instead of folder exit status" "$rc" "2"
check "file instead of folder stdout" "$out" ""

if [ "$(id -u)" -ne 0 ]; then  # root reads every folder
  mkdir -p "$work/u/locked/inner"
  chmod 000 "$work/u/locked"
  out=$("$scan" --list "$work/u" 2>"$work/err"); rc=$?
  chmod 755 "$work/u/locked"
  check "unreadable folder exit status" "$rc" "0"
  check "unreadable folder counted on stderr" "$(cat "$work/err")" "nubrix-scan: 1 folder could not be read; the sizes above it are too small"
fi

out=$("$scan" --top x "$work/t" 2>"$work/err"); rc=$?
check "bad option exit status" "$rc" "2"

# Growth since the last scan, kept in a database of the test's own (and in the test's own
# settings folder when none is named).
g=$(realpath "$work")/g
mkdir -p "$g/grows" "$g/same" "$g/$(printf 'odd\377')"
truncate -s 1048576 "$g/same/f"
db="$work/scans.db"
out=$("$scan" --compare --database "$db" "$g" 2>"$work/err"); rc=$?
check "first --compare exit status" "$rc" "3"
check "first --compare stdout" "$out" ""
grep -q "no earlier scan" "$work/err" && check "first --compare says why" yes yes || check "first --compare says why" no yes
truncate -s 2097152 "$g/grows/f"
truncate -s 524288 "$g/$(printf 'odd\377')/f"
rmdir "$g/same" 2>/dev/null || rm -r "$g/same"
out=$("$scan" --compare --database "$db" "$g" 2>"$work/err"); rc=$?
check "second --compare exit status" "$rc" "0"
want=$(printf '20000\t20000\t%s/grows\n15000\t25000\t%s/\n5000\t5000\t%s/odd\377\n-10000\t0\t%s/same' "$g" "$g" "$g" "$g")
check "second --compare lines, largest growth first, raw bytes" "$out" "$want"
out=$("$scan" --compare --database "$db" "$g" 2>"$work/err"); rc=$?
check "unchanged --compare prints nothing" "$rc:$out" "0:"
out=$("$scan" --record --database "$db" "$g" 2>"$work/err"); rc=$?
check "--record prints the summary" "$rc:$(printf '%s\n' "$out" | head -n 1 | sed 's/^ *//')" "0:2.5000 MB  $g/"
out=$("$scan" --record --compare --database "$db" "$g" 2>"$work/err"); rc=$?
check "--record with --compare is refused" "$rc" "2"
mkdir -p "$work/config"
out=$(XDG_CONFIG_HOME="$work/config" "$scan" --record "$g" 2>"$work/err"); rc=$?
check "--record without --database keeps the scan in the settings folder" "$rc:$(test -s "$work/config/Nubrix/AppData/Nubrix.db" && echo kept)" "0:kept"

# The largest files and the types: largest first, ties in byte order of the path; "-" for none.
l="$work/l"
mkdir -p "$l/sub" "$l/.hid"
truncate -s 300 "$l/sub/b.TXT"; truncate -s 300 "$l/a.txt"; truncate -s 5000 "$l/sub/big.bin"
truncate -s 6 "$l/noext"; truncate -s 2 "$l/odd"$'\xff'".Bin"; truncate -s 9 "$l/.hid/x.bin"
out=$("$scan" --largest 3 "$l" 2>"$work/err"); rc=$?
check "--largest exit status" "$rc" "0"
check "--largest lines" "$out" "$(printf '5000\t%s\n300\t%s\n300\t%s' "$l/sub/big.bin" "$l/a.txt" "$l/sub/b.TXT")"
out=$("$scan" --types "$l"); rc=$?
check "--types lines" "$rc:$out" "0:$(printf '2\t5002\tbin\n2\t600\ttxt\n1\t6\t-')"
for bad in "--largest 0 $l" "--largest x $l" "--largest -1 $l" "--largest" "--types" "--types --largest 2 $l" "--types --list $l"; do
  out=$("$scan" $bad 2>"$work/err"); rc=$?
  check "refused: $bad" "$rc:$out:$(head -c 5 "$work/err")" "2::usage"
done

# The treemap as SVG: a rectangle per tile with its path and bytes, the own files as "/<files>",
# written whole or not at all.
out=$("$scan" --treemap "$work/map.svg" --size 300x200 "$l" 2>"$work/err"); rc=$?
check "--treemap exit status and output" "$rc:$out" "0:"
svg=$(cat "$work/map.svg")
check "--treemap root tile" "$(printf '%s\n' "$svg" | grep -c "<rect x=\"0.0\" y=\"0.0\" width=\"300.0\" height=\"200.0\" fill=\"#[0-9A-F]*\"><title>$l/.5608</title>")" "1"
check "--treemap own files and a subfolder" "$(printf '%s\n' "$svg" | grep -o "<title>[^<]*</title>" | LC_ALL=C sort | tr '\n' '|')" \
  "$(printf '<title>%s/\t5608</title>\n<title>%s/&lt;files&gt;\t308</title>\n<title>%s/sub\t5300</title>\n' "$l" "$l" "$l" | LC_ALL=C sort | tr '\n' '|')"
out=$("$scan" --treemap "$work/no/such/folder.svg" "$l" 2>"$work/err"); rc=$?
check "--treemap into a missing folder" "$rc:$(head -c 25 "$work/err")" "1:nubrix-scan: cannot write"
for bad in "--treemap $work/x.svg" "--treemap $work/x.svg --size 0x5 $l" "--treemap $work/x.svg --size 20x $l" "--size 20x20 $l" "--treemap $work/x.svg --list $l"; do
  out=$("$scan" $bad 2>"$work/err"); rc=$?
  check "refused: $bad" "$rc:$out:$(head -c 5 "$work/err")" "2::usage"
done

# Scan files: our export read back, and the exports of ncdu and gdu (when installed) of a tree
# without dot names, list as a scan of the disk does (sorted: each tool orders folders its own way).
x=$(cd "$work" && pwd -P)/x
mkdir -p "$x/a/b/c" "$x/e"
head -c 3000 /dev/urandom >"$x/a/f"
head -c 70000 /dev/urandom >"$x/a/b/g"
ln "$x/a/f" "$x/e/hard"
ln -s a "$x/sym"
printf 'q' >"$x/$(printf 'n\377"m')"
want=$("$scan" --list "$x" | LC_ALL=C sort)
out=$("$scan" --export - "$x" | "$scan" --import - --list | LC_ALL=C sort)
check "--export | --import lists as the scan" "$out" "$want"
for tool in "ncdu -x -o" "gdu -n -o"; do
  command -v "${tool%% *}" >/dev/null || { echo "skipped: ${tool%% *} is not installed"; continue; }
  $tool "$work/other.json" "$x" >/dev/null 2>&1
  out=$("$scan" --import "$work/other.json" --list | LC_ALL=C sort)
  check "${tool%% *}'s export lists as the scan" "$out" "$want"
done
if command -v gdu >/dev/null; then
  "$scan" --export "$work/ours.json" "$x"
  check "gdu reads our export" "$(gdu -n -s -a --no-prefix -f "$work/ours.json" | awk '{print $1}')" "$(du -sb "$x" | cut -f1)"
fi
# An export replaces its file in one step: a link there is replaced, never written through, and a
# write that fails (here a file size limit, as a full disk) leaves the previous file whole.
printf 'precious' >"$work/theirs"
ln -s "$work/theirs" "$work/planted.json"
"$scan" --export "$work/planted.json" "$x"
check "--export replaces a link instead of writing through it" "$(cat "$work/theirs"):$(test -L "$work/planted.json" || echo file)" "precious:file"
printf 'the previous scan' >"$work/previous.json"
out=$(ulimit -f 0; trap '' XFSZ; "$scan" --export "$work/previous.json" "$x" 2>"$work/err"); rc=$?
check "a failed --export keeps the previous file" "$rc:$(cat "$work/previous.json"):$(ls "$work" | grep -c 'previous.json.')" "1:the previous scan:0"
printf '[1,2,{},[{"name":"/r"},{"name":"f","asize":1}' >"$work/cut.json"
out=$("$scan" --import "$work/cut.json" --list 2>"$work/err"); rc=$?
check "a truncated scan file" "$rc:$out:$(cat "$work/err")" "2::nubrix-scan: $work/cut.json is not a scan file that can be read: at byte 45: the file ends before the scan does"
for bad in "--export $work/y.json" "--import $work/cut.json $x" "--export - --list $x" "--import $work/cut.json --list --types"; do
  out=$("$scan" $bad 2>"$work/err"); rc=$?
  check "refused: $bad" "$rc:$out:$(head -c 5 "$work/err")" "2::usage"
done

echo "cli: $passes passed, $failures failed"
[ "$failures" -eq 0 ]
