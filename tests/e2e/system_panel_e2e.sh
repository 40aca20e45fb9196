#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The system configuration panel on a simulated module: the self-test result,
# a reset, and a small firmware image loaded with the progress on screen
# while it goes out and gone when it is done.
source "$(dirname "$0")/lib.sh"
e2e_init system_panel

# Points and regions of MAIN and CONFIGSYS (window pixels), as the resource
# file lays the panels out.
SYSTEM_AT="44 668"
SELF_TEST_AT="420 53"
RESET_AT="420 84"
FIRMWARE_AT="420 177"
PROGRESS=220x24+310+196

E2E_SIMKIT=1 e2e_start UCT_SIMKIT_CHASSIS='PXI3::10::INSTR,slot=6'
e2e_answer '^Module Init$' Escape
main=$(e2e_wait_window '^ZORa 3917 Universal Counter Timer \[PXI3::10::INSTR\]$')
e2e_click "$main" $SYSTEM_AT
sys=$(e2e_wait_window '^ZORa 3917 System Configuration$')
e2e_shot system_panel
e2e_log_has '^kq3917e_readSystTimeout\([0-9]+\) = 0$'

e2e_click "$sys" $SELF_TEST_AT
e2e_answer '^Counter Test Result$' Return
e2e_log_has '^kq3917e_testCounter\([0-9]+\) = 0$'

# wait_log PATTERN COUNT: polls until the call log has COUNT matching lines.
wait_log() {
    local deadline=$((SECONDS + E2E_TIMEOUT))
    while [ "$(grep -Ec "$1" "$E2E_LOG" || true)" -lt "$2" ]; do
        [ $SECONDS -lt $deadline ] || e2e_fail "fewer than $2 calls '$1' in the log"
        sleep $E2E_POLL
    done
}

e2e_click "$sys" $RESET_AT
wait_log '^kq3917e_resetCounter\([0-9]+\) = 0$' 1
e2e_shot after_reset

# region_sum GEOMETRY: checksum of that region of CONFIGSYS as shown.
region_sum() {
    import -window "$sys" -crop "$1" +repage png:- | md5sum | cut -d' ' -f1
}
hidden=$(region_sum "$PROGRESS")

# Three blocks of 1024, 1024 and 952 bytes, two polls of 0.5 s each.
image="$E2E_WORK/image.bin"
head -c 3000 /dev/urandom >"$image"
e2e_click "$sys" $FIRMWARE_AT
dialog=$(e2e_wait_window '^Open$')
e2e_shot file_dialog
xdotool windowfocus --sync "$dialog"
xdotool type --delay 10 "$image"
xdotool key Return
e2e_answer '^Firmware Update$' Return # the confirmation: Yes
wait_log '^kq3917e_write_command_and_data\([0-9]+\) = 0$' 1
[ "$(region_sum "$PROGRESS")" != "$hidden" ] || e2e_fail "no progress shown during the transfer"
wait_log '^kq3917e_write_command_and_data\([0-9]+\) = 0$' 2
e2e_shot firmware_progress
wait_log '^kq3917e_write_command_and_data\([0-9]+\) = 0$' 3
deadline=$((SECONDS + E2E_TIMEOUT))
while [ "$(region_sum "$PROGRESS")" != "$hidden" ]; do
    [ $SECONDS -lt $deadline ] || e2e_fail "the progress stayed after the transfer"
    sleep $E2E_POLL
done
e2e_shot firmware_done
[ "$(grep -c '^viOut16(' "$E2E_LOG")" = 3006 ] || e2e_fail "not 3000 data, 3 block-number and 3 byte-count writes"
if xdotool search --onlyvisible --name '^Firmware Update$' >/dev/null 2>&1; then
    e2e_fail "a firmware message after a good transfer"
fi

e2e_quit "$main"
echo "PASS system_panel"
