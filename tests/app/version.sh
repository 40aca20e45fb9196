#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# "--version" prints the build's version and ends with 0, without a display.
# Usage: version.sh <uct-sfp> <expected version>
set -uo pipefail
out=$(env -u DISPLAY -u WAYLAND_DISPLAY -u XDG_RUNTIME_DIR QT_QPA_PLATFORM=xcb "$1" --version 2>&1 </dev/null)
status=$?
echo "status $status, output: $out"
[ "$status" -eq 0 ] || { echo "FAIL: status $status, expected 0"; exit 1; }
[ "$out" = "uct-sfp $2" ] || { echo "FAIL: expected 'uct-sfp $2'"; exit 1; }
