#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Saves a picture of every panel of the resource file, as the program shows
# it, into BUILD_DIR/screenshots/PANEL.png, and as on a 200 % screen
# (QT_SCALE_FACTOR=2) into BUILD_DIR/screenshots/x2/PANEL.png. Builds nothing: it runs the
# uct-panel-preview program of an existing build under a virtual X display.
#   scripts/screenshots.sh BUILD_DIR
set -euo pipefail

if [ $# -ne 1 ]; then
  echo "usage: $0 BUILD_DIR" >&2
  exit 2
fi
build="$(cd "$1" && pwd)"
preview="$build/bin/uct-panel-preview"
if [ ! -x "$preview" ]; then
  echo "$preview not found: build the uct-panel-preview target first" >&2
  exit 1
fi
out="$build/screenshots"
mkdir -p "$out" "$out/x2"

panels=(MAIN CHOOSE VERSION ABOUT CONFIGSYS MATH HISTO STRIPCHART FTIC NVM STABILITY LIMIT)

# One X server for all panels; the preview must use it, not a headless platform.
env -u QT_QPA_PLATFORM xvfb-run -a -s "-screen 0 2600x1700x24" \
  bash -c 'preview="$1"; out="$2"; shift 2
           status=0
           for panel in "$@"; do
             for scale in 1 2; do
               shot="$out/$panel.png"
               [ "$scale" = 1 ] || shot="$out/x$scale/$panel.png"
               if QT_SCALE_FACTOR=$scale "$preview" "$panel" "$shot"; then
                 echo "$shot"
               else
                 echo "failed: $panel at scale $scale" >&2
                 status=1
               fi
             done
           done
           exit $status' screenshots "$preview" "$out" "${panels[@]}"
