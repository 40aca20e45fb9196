#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs every Debian package that building, running and testing need.
# Does nothing when all of them are present. Also generates the German locale
# (de_DE.UTF-8) that one test run uses. Run as root (or with sudo).
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
  # a German locale, to run the tests under a decimal comma
  locales
  # fuzz targets (clang with libFuzzer)
  clang libclang-rt-14-dev
  # Debian package (dependencies computed by dpkg-shlibdeps) and desktop file checks
  dpkg-dev file desktop-file-utils appstream
)

sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
  sudo_cmd=(sudo)
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -ne 0 ]; then
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  "${sudo_cmd[@]}" apt-get update -q
  "${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

if ! locale -a 2>/dev/null | grep -qix 'de_DE\.utf-\?8'; then
  echo "Generating the de_DE.UTF-8 locale"
  "${sudo_cmd[@]}" sed -i 's/^# *\(de_DE\.UTF-8 UTF-8\)/\1/' /etc/locale.gen
  grep -qx 'de_DE.UTF-8 UTF-8' /etc/locale.gen || echo 'de_DE.UTF-8 UTF-8' | "${sudo_cmd[@]}" tee -a /etc/locale.gen >/dev/null
  "${sudo_cmd[@]}" locale-gen
fi
