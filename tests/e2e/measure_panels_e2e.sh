#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The measurement panels in demonstration mode: a 50-sample histogram saved
# through the real file dialog and checked line by line, then the strip chart
# following the continuous reading.
source "$(dirname "$0")/lib.sh"
e2e_init measure_panels

# Points of MAIN, HISTO and STRIPCHART (window pixels), as the resource file
# lays the panels out.
CONTINUOUS_AT="1225 45"
HISTOGRAM_AT="194 669"
STRIPCHART_AT="299 669"
SAMPLES_AT="770 52"
START_AT="746 140"
SAVE_AT="727 445"
CLOSE_AT="835 445"
SAVE_BUTTON=100x24+679+433
TAKEN=180x22+690+70
CHART=740x360+20+40

E2E_SIMKIT=0 e2e_start
e2e_answer '^VISA ERROR$' Return
e2e_answer "^No ZORa 3917's Found$" Return
main=$(e2e_wait_window '^ZORa 3917 Universal Counter Timer')

# ---- histogram: 50 samples, saved through the file dialog
e2e_click "$main" $HISTOGRAM_AT
histo=$(e2e_wait_window '^ZORa 3917 Histogram$')
save_dimmed=$(e2e_region_sum "$histo" "$SAVE_BUTTON")
taken=$(e2e_region_sum "$histo" "$TAKEN")
e2e_click "$histo" $SAMPLES_AT
# The size is typed and Start clicked at once, without Enter: Start takes the
# focus, which finishes the entry.
e2e_keys "$histo" ctrl+a 5 0
e2e_click "$histo" $START_AT
e2e_wait_region "$histo" "$TAKEN" "$taken" changed "no sample was taken"
e2e_wait_region "$histo" "$SAVE_BUTTON" "$save_dimmed" changed "Save Data did not come back after 50 samples"
e2e_shot histogram_50_samples

csv="$E2E_WORK/histogram.csv"
rm -f "$csv"
e2e_click "$histo" $SAVE_AT
dialog=$(e2e_wait_window '^Save Data$')
e2e_shot save_dialog
# The dialog opens in the program's working folder: the name alone is typed,
# so the name field's completer has nothing to offer.
xdotool windowfocus --sync "$dialog"
xdotool type --delay 20 histogram.csv
xdotool key Return
e2e_wait_gone "$dialog"
# The program writes the file once the dialog has gone: wait for the block.
deadline=$((SECONDS + E2E_TIMEOUT))
until [ -f "$csv" ] && [ "$(wc -l <"$csv")" -ge 51 ]; do
    [ $SECONDS -lt $deadline ] || e2e_fail "no complete block in $csv"
    sleep $E2E_POLL
done
number='-?[0-9]\.[0-9]{12}e[-+][0-9]{2,3}'
[ "$(sed -n 1p "$csv")" = "Data,Min,Mean,Max,StdDev,Mode" ] || e2e_fail "header line: $(sed -n 1p "$csv")"
sed -n 2p "$csv" | grep -Eqx -e "$number(,$number){5}" || e2e_fail "statistics line: $(sed -n 2p "$csv")"
[ "$(sed -n '3,$p' "$csv" | grep -Ecx -e "$number")" = 49 ] || e2e_fail "not 49 further samples"
[ "$(wc -l <"$csv")" = 51 ] || e2e_fail "$(wc -l <"$csv") lines instead of 51"
e2e_click "$histo" $CLOSE_AT
e2e_wait_gone "$histo"

# ---- strip chart in continuous mode
e2e_click "$main" $CONTINUOUS_AT
e2e_click "$main" $STRIPCHART_AT
strip=$(e2e_wait_window '^ZORa 3917 Strip Chart$')
chart=$(e2e_region_sum "$strip" "$CHART")
e2e_wait_region "$strip" "$CHART" "$chart" changed "the strip chart does not move"
chart=$(e2e_region_sum "$strip" "$CHART")
e2e_wait_region "$strip" "$CHART" "$chart" changed "the strip chart stopped moving"
e2e_shot strip_chart_continuous

e2e_quit "$main"
echo "PASS measure_panels"
