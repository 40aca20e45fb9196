#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# A computer without VISA: the program explains itself, offers the
# demonstration, and runs it with the simulated module in slot 7.
source "$(dirname "$0")/lib.sh"
e2e_init startup_no_visa

E2E_SIMKIT=0 e2e_start
e2e_answer '^VISA ERROR$' Return
e2e_answer "^No ZORa 3917's Found$" Return
main=$(e2e_wait_window '^ZORa 3917 Universal Counter Timer')
e2e_shot main_panel_demo_slot_7
# No VISA library was loaded, so nothing reached the simulated PXI system.
[ ! -s "$E2E_LOG" ] || e2e_fail "a VISA or driver library was used"
e2e_quit "$main"
echo "PASS startup_no_visa"
