#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs every Debian package that building, running and testing need.
# Does nothing when all of them are present. Run as root (or with sudo).
set -euo pipefail

packages=(
  # build
  cmake ninja-build g++ pkg-config
  # toolkit: Qt 6 Widgets, UiTools, PrintSupport, and the plotting widget
  qt6-base-dev qt6-tools-dev libqt6uitools6 libqt6opengl6-dev libqcustomplot-dev libgl-dev
  # tests and benchmarks
  libgtest-dev libgmock-dev libbenchmark-dev
  # headless display, input and screenshots for the end-to-end tests
  xvfb xauth xdotool imagemagick x11-utils fonts-dejavu-core
  # 32-bit Windows cross compiler: checks the library calling convention
  g++-mingw-w64-i686-win32
  # a window's close box without a window manager (ctypes over libX11)
  python3
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "Installing: ${missing[*]}"
sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
  sudo_cmd=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -q
"${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
