#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Recording and stability in demonstration mode: 10 s of continuous readings
# recorded through the real file dialog, the file checked, STABILITY opened
# on that recording and its plot shot; the command-line tool over the same
# file gives the white-frequency-noise slope.
source "$(dirname "$0")/lib.sh"
e2e_init stability

# Points of MAIN, STRIPCHART and STABILITY (window pixels), as the resource
# file lays the panels out.
CONTINUOUS_AT="1225 45"
STRIPCHART_AT="299 669"
STABILITY_AT="397 669"
RECORD_AT="64 445"
LOAD_AT="302 24"
CLOSE_AT="1155 635"
PLOT=560x480+24+60

E2E_SIMKIT=0 e2e_start
e2e_answer '^VISA ERROR$' Return
e2e_answer "^No ZORa 3917's Found$" Return
main=$(e2e_wait_window '^ZORa 3917 Universal Counter Timer')

# ---- 10 s of continuous readings into recording.csv
e2e_click "$main" $CONTINUOUS_AT
e2e_click "$main" $STRIPCHART_AT
strip=$(e2e_wait_window '^ZORa 3917 Strip Chart$')
csv="$E2E_WORK/recording.csv"
rm -f "$csv"
e2e_click "$strip" $RECORD_AT
dialog=$(e2e_wait_window '^Record$')
xdotool windowfocus --sync "$dialog"
xdotool type --delay 20 recording.csv
xdotool key Return
e2e_wait_gone "$dialog"
# Rows arrive as they are measured: wait for one stamped 10 s or later.
deadline=$((SECONDS + 40))
until [ -f "$csv" ] && LC_ALL=C awk -F, '/^[0-9]/ && $1 >= 10 { found = 1 } END { exit !found }' "$csv"; do
    [ $SECONDS -lt $deadline ] || e2e_fail "no reading 10 s into the recording"
    sleep 0.2
done
e2e_shot recording
e2e_click "$strip" $RECORD_AT
grep -qx '# module: demonstration' "$csv" || e2e_fail "header: $(head -3 "$csv")"
grep -qx '# data: frequency' "$csv" || e2e_fail "no data kind in the header"
grep -qx 'time_s,value' "$csv" || e2e_fail "no column line"
rows=$(grep -Ec '^[0-9.e+-]+,[0-9.e+-]+$' "$csv")
[ "$rows" -ge 100 ] || e2e_fail "only $rows rows in 10 s"

# ---- STABILITY on that recording
e2e_click "$main" $STABILITY_AT
stab=$(e2e_wait_window '^ZORa 3917 Frequency Stability$')
plot=$(e2e_region_sum "$stab" "$PLOT")
e2e_click "$stab" $LOAD_AT
e2e_wait_region "$stab" "$PLOT" "$plot" changed "no plot after LOAD"
e2e_shot stability_plot
e2e_click "$stab" $CLOSE_AT
e2e_wait_gone "$stab"

# ---- the command-line tool over the same recording: white frequency noise,
# ADEV falling as tau^-1/2 (a factor 4 from m = 1 to m = 16, within 30 %).
"$UCT_BUILD_DIR/bin/uct-stability" --taus 1,16 "$csv" >"$E2E_WORK/table.csv" 2>"$E2E_WORK/warnings.txt" ||
    e2e_fail "uct-stability failed: $(cat "$E2E_WORK/warnings.txt")"
LC_ALL=C awk -F, 'NR == 2 { a = $4; alpha = $3 } NR == 3 { b = $4 }
         END { r = a / b; exit !(alpha == 0 && r > 4 / 1.3 && r < 4 * 1.3) }' "$E2E_WORK/table.csv" ||
    e2e_fail "not white FM falling as tau^-1/2: $(cat "$E2E_WORK/table.csv")"

e2e_quit "$main"
echo "PASS stability"
