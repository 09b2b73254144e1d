#!/usr/bin/env bash
# Makes the Debian package from a finished build folder, unpacks it into a scratch root and checks
# it: the file list, the desktop entry and the metainfo validators, lintian's errors, and that
# nubrix-scan runs from the unpacked tree.
#   bash scripts/check-package.sh BUILD_DIR
set -euo pipefail
cd "$(dirname "$0")/.."
build=$1
(cd "$build" && cpack -G DEB >/dev/null)
deb=$(ls "$build"/nubrix_*_amd64.deb)
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
dpkg -x "$deb" "$root"
expected=(usr/bin/nubrix usr/bin/nubrix-scan usr/bin/nubrix-clean
          usr/share/nubrix/help/nubrix.qhc usr/share/nubrix/help/nubrix.qch usr/share/nubrix/Nubrix.tpl
          usr/share/applications/io.github.nubrix.Nubrix.desktop
          usr/share/metainfo/io.github.nubrix.Nubrix.metainfo.xml
          usr/share/icons/hicolor/scalable/apps/io.github.nubrix.Nubrix.svg
          usr/share/icons/hicolor/48x48/apps/io.github.nubrix.Nubrix.png
          usr/share/man/man1/nubrix.1.gz usr/share/man/man1/nubrix-scan.1.gz
          usr/share/man/man1/nubrix-clean.1.gz
          usr/share/doc/nubrix/copyright usr/share/doc/nubrix/changelog.gz)
for file in "${expected[@]}"; do
  [ -e "$root/$file" ] || { echo "package: $file is missing"; exit 1; }
done
echo "package: $(find "$root" -type f | wc -l) files, every expected one present"
desktop-file-validate "$root/usr/share/applications/io.github.nubrix.Nubrix.desktop"
appstreamcli validate --no-net --pedantic "$root/usr/share/metainfo/io.github.nubrix.Nubrix.metainfo.xml" \
  | grep -E '^E:' && { echo "package: metainfo errors"; exit 1; }
appstreamcli validate --no-net "$root/usr/share/metainfo/io.github.nubrix.Nubrix.metainfo.xml" >/dev/null
dpkg-deb -f "$deb" Depends | grep -q 'libqt6widgets6' || { echo "package: dependencies not computed"; exit 1; }
lintian --tag-display-limit 0 "$deb" >"$root/lintian.log" 2>&1 || true
if grep -E '^E:' "$root/lintian.log"; then
  echo "package: lintian reports errors"
  exit 1
fi
echo "package: lintian: no error; warnings: $(grep -E '^W:' "$root/lintian.log" | tr '\n' ';' || true)"
tree=$(mktemp -d)
mkdir -p "$tree/a" && head -c 2048 /dev/zero > "$tree/a/f"
"$root/usr/bin/nubrix-scan" --list "$tree" | grep -q "$tree/a" || { echo "package: nubrix-scan failed"; exit 1; }
rm -rf "$tree"
echo "package: $(basename "$deb") checked"
