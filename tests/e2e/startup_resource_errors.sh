#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# A resource file that cannot be used is said first, before any question of
# start-up: the popup and standard error name the path in use and why, and
# the program ends with -1. The big files are made here.
source "$(dirname "$0")/lib.sh"
e2e_init startup_resource_errors

source_file="$UCT_BUILD_DIR/bin/ZORa-3917 UCT Control Panel.uir"
rm -f "$E2E_WORK/fifo.uir" "$E2E_WORK/loop.uir"
mkfifo "$E2E_WORK/fifo.uir"
ln -s "$E2E_WORK/loop.uir" "$E2E_WORK/loop.uir"
sed 's/<string>setCtrMainEvent</<string>gone</' "$source_file" >"$E2E_WORK/callback.uir"
python3 - "$E2E_WORK" <<'PY'
import sys
work = sys.argv[1]
page = '<widget class="QWidget" name="MAIN"><property name="geometry"><rect><width>40</width><height>30</height></rect></property>%s</widget>'
doc = '<ui version="4.0"><widget class="QTabWidget" name="resource">%s</widget></ui>'
open(work + '/labels.uir', 'w').write(doc % (page % ('<widget class="QLabel" name="l"/>' * 30000)))
title = '<property name="panelTitle" stdset="0"><string>%s</string></property>'
open(work + '/title.uir', 'w').write(doc % (page % (title % ('T' * 40000))))
open(work + '/huge.uir', 'w').write(doc % (page % (title % ('T' * 20000000))))
PY

cases=(
    "$E2E_WORK/fifo.uir|a FIFO (named pipe), not a regular file"
    "$E2E_WORK|a folder, not a file"
    "$E2E_WORK/loop.uir|the path runs in a loop of symbolic links"
    "/dev/zero|a device, not a regular file"
    "$E2E_WORK/missing.uir|there is no such file"
    "$E2E_WORK/callback.uir|control MAIN_CONTINUOUS names the callback gone, which this program does not have"
    "$E2E_WORK/labels.uir|panel MAIN holds more than 1000 widgets"
    "$E2E_WORK/title.uir|line 1: a text longer than 32768 characters"
    "$E2E_WORK/huge.uir|the file is larger than 2097152 bytes"
)
for case in "${cases[@]}"; do
    path=${case%%|*} reason=${case#*|}
    E2E_SIMKIT=0 e2e_start UCT_SFP_RESOURCE_FILE="$path" 2>"$E2E_WORK/stderr"
    # A program that ended before its popup said why on standard error.
    window=$(e2e_wait_window '^Resource file error$') || e2e_fail "$(cat "$E2E_WORK/stderr")"
    e2e_shot Resource_file_error
    e2e_keys "$window" Return
    e2e_wait_exit 255
    grep -qxF "uct-sfp: The panel resource file cannot be used: $path: $reason" "$E2E_WORK/stderr" ||
        e2e_fail "standard error for $path: $(cat "$E2E_WORK/stderr")"
done
echo "PASS startup_resource_errors"
