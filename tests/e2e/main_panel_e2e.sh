#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The main panel in demonstration mode: Continuous makes the reading move,
# the function buttons move the unit and the dimming, Single moves the run
# mark back. Each fact is checked on the screen: a region of the panel must
# change (or come back) between screenshots, polled with a deadline.
source "$(dirname "$0")/lib.sh"
e2e_init main_panel

# Regions of MAIN (width x height + left + top, window pixels) and the
# buttons pressed, as the resource file lays the panel out.
READING=430x70+590+15
UNIT=80x40+1030+30
IN1_ATTEN=60x24+667+344
IN2_ATTEN=60x24+963+344
CONTINUOUS_MARK=120x30+1165+30
SINGLE_MARK=120x30+1165+64
CONTINUOUS_AT="1225 45"
SINGLE_AT="1225 79"
FUNCTION_UP_AT="172 421"
AWAY_AT="700 680" # a spot without controls, so that no hover colours a region

e2e_start_demo
main=$E2E_MAIN

press_at() {
    e2e_click "$main" $1
    xdotool mousemove --sync --window "$main" $AWAY_AT
}

xdotool mousemove --sync --window "$main" $AWAY_AT
wait_region "$READING" "" changed "the reading display is not drawn"
e2e_shot demo_start
reading=$(region_sum "$READING")
unmarked_continuous=$(region_sum "$CONTINUOUS_MARK")
in1_atten=$(region_sum "$IN1_ATTEN")
in2_atten=$(region_sum "$IN2_ATTEN")
unit=$(region_sum "$UNIT")

press_at "$CONTINUOUS_AT"
wait_region "$CONTINUOUS_MARK" "$unmarked_continuous" changed "Continuous did not take the run mark"
marked_continuous=$(region_sum "$CONTINUOUS_MARK")
unmarked_single=$(region_sum "$SINGLE_MARK")
wait_region "$READING" "$reading" changed "the reading did not change in continuous mode"
e2e_shot continuous_reading
reading=$(region_sum "$READING")
wait_region "$READING" "$reading" changed "the reading stopped moving in continuous mode"
e2e_shot continuous_reading_moves

# Function 0 to 1 (FREQ A to FREQ B): input 1's attenuation dims, input 2's
# undims; the unit stays Hz.
press_at "$FUNCTION_UP_AT"
wait_region "$IN1_ATTEN" "$in1_atten" changed "input 1's attenuation did not dim for function 1"
wait_region "$IN2_ATTEN" "$in2_atten" changed "input 2's attenuation did not undim for function 1"
e2e_shot function_1_dimming
# Function 1 to 2 (PERIOD A): the unit becomes sec and the dimming returns.
press_at "$FUNCTION_UP_AT"
wait_region "$UNIT" "$unit" changed "the unit did not follow function 2"
wait_region "$IN1_ATTEN" "$in1_atten" same "input 1's attenuation did not come back for function 2"
wait_region "$IN2_ATTEN" "$in2_atten" same "input 2's attenuation did not dim again for function 2"
e2e_shot function_2_unit_sec

press_at "$SINGLE_AT"
wait_region "$CONTINUOUS_MARK" "$marked_continuous" changed "Single did not take the run mark from Continuous"
wait_region "$SINGLE_MARK" "$unmarked_single" changed "Single did not take the run mark"
e2e_shot single_reading

e2e_quit "$main"
echo "PASS main_panel"
