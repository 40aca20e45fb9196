#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# What the main display shows is so, in demonstration mode: a single reading
# that gets no trigger shows dashes and NO TRIGGER rather than a zero; a
# settings reset from DUTY A leaves FREQ A lit alone with its unit; MATH
# lights while the module's math is on. Each fact is checked on the screen.
source "$(dirname "$0")/lib.sh"
e2e_init reading_truth

# Regions of MAIN (width x height + left + top) and points to click, as the
# resource file lays the panel out; the system and math panels open at the
# screen's top left.
READING=430x70+590+15
ANNUNCIATORS=330x24+375+98
UNIT=110x50+990+25
FREQ_A_LED="31 221"
DUTY_A_LED="268 355"
LEVEL_1_AT="680 419"
SINGLE_AT="1225 79"
DUTY_A_AT="268 355"
SYSTEM_AT="44 668"
MATH_AT="112 668"
RESET_AT="419 83"     # on the system panel
SYSTEM_CLOSE_AT="495 274"
MATH_ON_OFF_AT="66 111" # on the math panel
MATH_CLOSE_AT="335 180"
QUIT_AT="1199 668"
AWAY_AT="700 680"

e2e_start_demo
main=$E2E_MAIN
click() {
    xdotool mousemove --sync "$@" click 1
    xdotool mousemove --sync --window "$main" $AWAY_AT
}

xdotool mousemove --sync --window "$main" $AWAY_AT
wait_region "$READING" "" changed "the reading display is not drawn"
annunciators=$(region_sum "$ANNUNCIATORS")
e2e_wait_lit "$main" $FREQ_A_LED on "FREQ A is not lit at the start"
unit=$(region_sum "$UNIT")

# Trigger level 4 V on the 3 V demonstration signal, then SINGLE: after the
# module's timeout the display holds dashes and says NO TRIGGER.
reading=$(region_sum "$READING")
xdotool mousemove --sync --window "$main" $LEVEL_1_AT click --repeat 2 1
e2e_keys "$main" ctrl+a 4 Return
click --window "$main" $SINGLE_AT
wait_region "$ANNUNCIATORS" "$annunciators" changed "no annunciator after a single reading without trigger"
wait_region "$READING" "$reading" changed "the failed single reading left the display as it was"
e2e_shot single_no_trigger
xdotool mousemove --sync --window "$main" $LEVEL_1_AT click --repeat 2 1
e2e_keys "$main" ctrl+a 0 Return
click --window "$main" $SINGLE_AT
wait_region "$ANNUNCIATORS" "$annunciators" same "NO TRIGGER stayed after a good reading"

# DUTY A, then SYSTEM > RESET: FREQ A alone is lit again, with Hz.
click --window "$main" $DUTY_A_AT
wait_region "$UNIT" "$unit" changed "the unit did not follow DUTY A"
e2e_wait_lit "$main" $DUTY_A_LED on "DUTY A is not lit once chosen"
e2e_shot duty_a
click --window "$main" $SYSTEM_AT
system=$(e2e_wait_window '^ZORa 3917 System Configuration$')
click --window "$system" $RESET_AT
click --window "$system" $SYSTEM_CLOSE_AT
e2e_wait_gone "$system"
e2e_wait_lit "$main" $DUTY_A_LED off "DUTY A stayed lit after the reset"
e2e_wait_lit "$main" $FREQ_A_LED on "FREQ A is not lit after the reset"
wait_region "$UNIT" "$unit" same "the unit did not go back to Hz after the reset"
e2e_shot reset_from_duty_a

# MATH panel, ON / OFF: MATH lights on the main display.
click --window "$main" $MATH_AT
deadline=$((SECONDS + E2E_TIMEOUT))
math=
while [ -z "$math" ] && [ $SECONDS -lt $deadline ]; do
    math=$(xdotool search --onlyvisible --name '^ZORa 3917 Universal Counter Timer' | grep -vx "$main" | tail -n 1 || true)
done
[ -n "$math" ] || e2e_fail "no math panel"
click --window "$math" $MATH_ON_OFF_AT
click --window "$math" $MATH_CLOSE_AT
e2e_wait_gone "$math"
wait_region "$ANNUNCIATORS" "$annunciators" changed "MATH did not light with the module's math on"
e2e_shot math_annunciator

# The focus sits in the level field, so QUIT by the mouse.
e2e_click "$main" $QUIT_AT
e2e_wait_exit 0
echo "PASS reading_truth"
