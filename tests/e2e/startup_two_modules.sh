#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Two modules: the choice panel lists both with their slots, the user picks
# row 2 and declines the reset, and the main panel runs on that module.
source "$(dirname "$0")/lib.sh"
e2e_init startup_two_modules

E2E_SIMKIT=1 e2e_start UCT_SIMKIT_CHASSIS='PXI3::10::INSTR,slot=6;PXI4::12::INSTR,slot=9'
choose=$(e2e_wait_window '^Select ZORa 3917 Module$')
e2e_shot choice_panel
# Focus starts on row 1's button; Tab moves to row 2's.
e2e_keys "$choose" Tab space
# The choice panel stays up behind the reset question, then goes.
e2e_answer '^Module Init$' Escape
e2e_wait_gone "$choose"
main=$(e2e_wait_window '^ZORa 3917 Universal Counter Timer \[PXI4::12::INSTR\]$')
e2e_shot main_panel_slot_9
# Opened without reset, and the slot shown was read from that session.
e2e_log_has '^kq3917e_init\("PXI4::12::INSTR",1,0\) -> [1-9][0-9]* = 0$'
session=$(sed -nE 's/^kq3917e_init\("PXI4::12::INSTR",1,0\) -> ([0-9]+) = 0$/\1/p' "$E2E_LOG")
e2e_log_has "^viGetAttribute\($session,0x3FFF00E8\) = 0$"
e2e_quit "$main"
echo "PASS startup_two_modules"
