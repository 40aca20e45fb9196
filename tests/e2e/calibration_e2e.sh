#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# FTIC calibration on a module of the simulated PXI system: SYSTEM, then
# FTIC CALIBRATION; input 1's measurement shows readings on the panel while
# the main panel's reading stands still; a DAC code pushed far off lights the
# out-of-tolerance LED and the default code puts it out again; the close box
# ends the calibration and the main panel measures again.
source "$(dirname "$0")/lib.sh"
e2e_init calibration

# Regions (width x height + left + top, window pixels) and buttons, as the
# resource file lays the panels out (FTIC with its menu bar on top).
MAIN_READING=430x70+590+15
CONTINUOUS_AT="1225 45"
SYSTEM_AT="43 669"
AWAY_AT="700 600"
CALIBRATE_AT="420 115"
FTIC_AT="700 660" # where the FTIC window is moved, clear of the main reading
IN1_MEASURE_AT="83 250"
IN1_DAC5_AT="230 161"
IN1_READING=180x24+142+238
IN1_OUT_OF_TOL=22x22+137+265

press_at() {
    e2e_click "$1" $2
    xdotool mousemove --sync --window "$main" $AWAY_AT
}

# type_code WINDOW "X Y" CODE: replaces a numeric field's value and commits it.
type_code() {
    e2e_click "$1" $2
    xdotool key --delay 30 ctrl+a
    xdotool type --delay 30 "$3"
    xdotool key --delay 30 Return
    xdotool mousemove --sync --window "$main" $AWAY_AT
}

E2E_SIMKIT=1 e2e_start UCT_SIMKIT_CHASSIS='PXI0::7-0.0::INSTR,slot=7'
e2e_answer '^Module Init$' Escape
main=$(e2e_wait_window '^ZORa 3917 Universal Counter Timer \[PXI0::7-0\.0::INSTR\]$')
xdotool mousemove --sync --window "$main" $AWAY_AT
e2e_wait_region "$main" "$MAIN_READING" "" changed "the reading display is not drawn"
reading=$(e2e_region_sum "$main" "$MAIN_READING")
press_at "$main" "$CONTINUOUS_AT"
e2e_wait_region "$main" "$MAIN_READING" "$reading" changed "the main panel does not measure"

press_at "$main" "$SYSTEM_AT"
sys=$(e2e_wait_window '^ZORa 3917 System Configuration')
press_at "$sys" "$CALIBRATE_AT"
ftic=$(e2e_wait_window '^ZORa 3917 Universal Counter Timer - Calibrate \[PXI0::7-0\.0::INSTR\]$')
xdotool windowmove --sync "$ftic" $FTIC_AT
e2e_wait_region "$ftic" "$IN1_READING" "" changed "the calibration panel is not drawn"
e2e_shot calibration_panel
idle_reading=$(e2e_region_sum "$ftic" "$IN1_READING")
led_dark=$(e2e_region_sum "$ftic" "$IN1_OUT_OF_TOL")

# Input 1's calibration measurement: readings move on the panel, the main
# reading stands still, and at the default codes the LED stays dark.
press_at "$ftic" "$IN1_MEASURE_AT"
e2e_wait_region "$ftic" "$IN1_READING" "$idle_reading" changed "no calibration reading on input 1"
main_still=$(e2e_region_sum "$main" "$MAIN_READING")
for _ in 1 2 3; do
    before=$(e2e_region_sum "$ftic" "$IN1_READING")
    e2e_wait_region "$ftic" "$IN1_READING" "$before" changed "the calibration reading stopped"
done
[ "$(e2e_region_sum "$main" "$MAIN_READING")" = "$main_still" ] || e2e_fail "the main panel measured during calibration"
[ "$(e2e_region_sum "$ftic" "$IN1_OUT_OF_TOL")" = "$led_dark" ] || e2e_fail "out of tolerance at the default codes"
e2e_shot in1_reading_in_band
e2e_log_has '^kq3917e_confMeasurement\([0-9]+\) = 0$'
e2e_log_has '^kq3917e_read\([0-9]+\) = 0$'

# DAC 5 at 0 moves the reading out of the band; back at 2048 it returns.
type_code "$ftic" "$IN1_DAC5_AT" 0
e2e_wait_region "$ftic" "$IN1_OUT_OF_TOL" "$led_dark" changed "DAC 5 at 0 did not light the LED"
e2e_shot in1_out_of_tolerance
type_code "$ftic" "$IN1_DAC5_AT" 2048
e2e_wait_region "$ftic" "$IN1_OUT_OF_TOL" "$led_dark" same "DAC 5 back at 2048 did not put the LED out"

# The close box ends the calibration: the main panel measures again.
e2e_close_box "$ftic"
e2e_wait_gone "$ftic"
main_still=$(e2e_region_sum "$main" "$MAIN_READING")
e2e_wait_region "$main" "$MAIN_READING" "$main_still" changed "the main panel does not measure again"
e2e_shot main_measuring_again
e2e_quit "$main"
echo "PASS calibration"
