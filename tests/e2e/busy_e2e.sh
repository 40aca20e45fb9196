#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# A reading without a trigger in demonstration mode: input 1's level goes
# above the signal, Continuous waits for a trigger that never comes, the
# busy annunciator says so while the window stays alive, and ABORT moves the
# run mark to Single at once.
source "$(dirname "$0")/lib.sh"
e2e_init busy

# Regions of MAIN (width x height + left + top, window pixels) and the points
# clicked, as the resource file lays the panel out.
ANNUNCIATOR=300x20+550+100
SINGLE_MARK=120x30+1165+64
CONTINUOUS_AT="1225 45"
ABORT_AT="1175 113"
LEVEL_1_AT="670 420"
QUIT_AT="1200 669"
AWAY_AT="700 680"

E2E_SIMKIT=0 e2e_start
e2e_answer '^VISA ERROR$' Return
e2e_answer "^No ZORa 3917's Found$" Return
main=$(e2e_wait_window '^ZORa 3917 Universal Counter Timer')
xdotool mousemove --sync --window "$main" $AWAY_AT
e2e_wait_region "$main" "$SINGLE_MARK" "" changed "the run buttons are not drawn"
idle=$(e2e_region_sum "$main" "$ANNUNCIATOR")
unmarked_single=$(e2e_region_sum "$main" "$SINGLE_MARK")

# 5 V on input 1: above its 3 V swing, so no reading ever triggers.
e2e_click "$main" $LEVEL_1_AT
e2e_keys "$main" ctrl+a 5 Return
e2e_click "$main" $CONTINUOUS_AT
xdotool mousemove --sync --window "$main" $AWAY_AT
e2e_wait_region "$main" "$ANNUNCIATOR" "$idle" changed "no busy annunciator while the fetch waits"
e2e_shot waiting_for_trigger

e2e_click "$main" $ABORT_AT
xdotool mousemove --sync --window "$main" $AWAY_AT
e2e_wait_region "$main" "$SINGLE_MARK" "$unmarked_single" changed "ABORT did not end continuous mode"
e2e_shot aborted
e2e_wait_region "$main" "$ANNUNCIATOR" "$idle" same "the annunciator did not clear"
e2e_shot idle_again

# The level field keeps the keyboard focus: QUIT by mouse.
e2e_click "$main" $QUIT_AT
e2e_wait_exit 0
echo "PASS busy"
