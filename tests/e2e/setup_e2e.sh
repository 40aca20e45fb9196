#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Setups in demonstration mode: SAVE SETUP through the real file dialog,
# another function chosen, RECALL SETUP of the saved file brings the first
# function back.
source "$(dirname "$0")/lib.sh"
e2e_init setup

# Points of MAIN (window pixels), as the resource file lays it out.
SAVE_SETUP_AT="976 669"
RECALL_SETUP_AT="1086 669"
PERIOD_A_AT="161 221"
FREQ_A_LED="31 221"

# type_file_name TITLE NAME: the name typed into the file dialog, then Enter.
type_file_name() {
    local dialog
    dialog=$(e2e_wait_window "$1")
    xdotool windowfocus --sync "$dialog"
    xdotool type --delay 20 "$2"
    xdotool key Return
    e2e_wait_gone "$dialog"
}

e2e_start_demo
e2e_wait_lit "$E2E_MAIN" $FREQ_A_LED on "FREQ A is not lit at the start"

setup="$E2E_WORK/bench.setup"
rm -f "$setup"
e2e_click "$E2E_MAIN" $SAVE_SETUP_AT
type_file_name '^Save Setup$' bench.setup
deadline=$((SECONDS + E2E_TIMEOUT))
until [ -f "$setup" ] && grep -q '^math_enable ' "$setup"; do
    [ $SECONDS -lt $deadline ] || e2e_fail "no complete setup in $setup"
    sleep $E2E_POLL
done
grep -qx 'uct-sfp setup 1' "$setup" || e2e_fail "no header in $setup"
grep -qx 'function 0' "$setup" || e2e_fail "the setup does not hold FREQ A"
e2e_shot saved

e2e_click "$E2E_MAIN" $PERIOD_A_AT
e2e_wait_lit "$E2E_MAIN" $FREQ_A_LED off "FREQ A stayed lit after PERIOD A was chosen"
e2e_wait_lit "$E2E_MAIN" $PERIOD_A_AT on "PERIOD A is not lit once chosen"
e2e_shot period_a

e2e_click "$E2E_MAIN" $RECALL_SETUP_AT
type_file_name '^Recall Setup$' bench.setup
e2e_wait_lit "$E2E_MAIN" $FREQ_A_LED on "FREQ A did not come back with the recalled setup"
e2e_wait_lit "$E2E_MAIN" $PERIOD_A_AT off "PERIOD A stayed lit after the recall"
e2e_shot recalled

e2e_quit "$E2E_MAIN"
