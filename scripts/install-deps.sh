#!/usr/bin/env bash
# Installs the Debian 12 packages the build and the tests need, only those that are missing.
set -euo pipefail

packages=(g++ cmake ninja-build pkg-config libgtest-dev libgmock-dev libbenchmark-dev libglib2.0-dev
          qt6-base-dev qt6-svg-dev libgl-dev fonts-liberation2 fonts-dejavu-core
          emf2svg libwmf-bin fonts-urw-base35
          qt6-tools-dev qt6-tools-dev-tools libqt6help6 libqt6sql6-sqlite libsqlite3-dev
          libjpeg62-turbo-dev libxxhash-dev desktop-file-utils appstream lintian file
          clang libclang-rt-14-dev clang-format clang-tidy ncdu gdu rapidjson-dev libzstd-dev
          xvfb xauth openbox xdotool wmctrl x11-utils)

missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo_cmd=()
[ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
echo "Installing: ${missing[*]}"
"${sudo_cmd[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
