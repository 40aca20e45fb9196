#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The resource file is checked against the program: a stray, older file in
# the working folder is passed over for the program's own copy, and one that
# UCT_SFP_RESOURCE_FILE names but that differs ends the program with -1.
source "$(dirname "$0")/lib.sh"
e2e_init startup_resource_check

older="$E2E_WORK/ZORa-3917 UCT Control Panel.uir"
sed 's/name="MAIN_READING"/name="main_reading"/' "$UCT_BUILD_DIR/bin/ZORa-3917 UCT Control Panel.uir" >"$older"

E2E_SIMKIT=0 e2e_start UCT_SFP_RESOURCE_FILE="$older"
e2e_answer '^Resource file error$' Return
e2e_wait_exit 255

E2E_SIMKIT=0 e2e_start
e2e_answer '^VISA ERROR$' Return
e2e_answer "^No ZORa 3917's Found$" Return
main=$(e2e_wait_window '^ZORa 3917 Universal Counter Timer')
e2e_quit "$main"
echo "PASS startup_resource_check"
