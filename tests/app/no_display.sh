#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Started without a display, the program ends with -1 (status 255) and one
# line on standard error that says why, not with Qt's abort.
# Usage: no_display.sh <uct-sfp>
set -uo pipefail
err=$(mktemp)
trap 'rm -f "$err"' EXIT
env -u DISPLAY -u WAYLAND_DISPLAY -u XDG_RUNTIME_DIR QT_QPA_PLATFORM=xcb LD_LIBRARY_PATH= "$1" 2>"$err" </dev/null
status=$?
lines=$(wc -l <"$err")
echo "status $status, standard error:"
cat "$err"
[ "$status" -eq 255 ] || { echo "FAIL: status $status, expected 255"; exit 1; }
[ "$lines" -eq 1 ] || { echo "FAIL: $lines lines on standard error, expected 1"; exit 1; }
grep -q '^uct-sfp: cannot start the user interface: could not connect to display' "$err" ||
    { echo "FAIL: the line does not say why"; exit 1; }
