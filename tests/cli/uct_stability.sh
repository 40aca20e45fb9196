#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# uct-stability's exit statuses and messages: one case a line, the input on
# standard input, the status, and the one line expected on standard error.
set -u
tool=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failed=0
nbs14='892
809
823
798
671
644
883
903
677'

# check NAME STATUS STDERR INPUT ARGS...
check() {
    name=$1 status=$2 message=$3 input=$4
    shift 4
    printf '%s\n' "$input" | "$tool" "$@" >"$work/out" 2>"$work/err"
    got=$?
    err=$(cat "$work/err")
    if [ "$got" != "$status" ] || [ "$err" != "$message" ]; then
        echo "FAIL $name: status $got, stderr '$err' (wanted $status, '$message')"
        failed=1
    fi
    # Bad input leaves standard output empty.
    if [ "$status" = 2 ] && [ -s "$work/out" ]; then
        echo "FAIL $name: standard output not empty"
        failed=1
    fi
}

check unknown-option 2 "uct-stability: unknown option --bogus (see --help)" "$nbs14" --bogus -
check no-file 2 "uct-stability: no file given (see --help)" "$nbs14"
check missing-value 2 "uct-stability: option --tau0 needs a value" "$nbs14" - --tau0
check bad-tau0 2 "uct-stability: --tau0: not a positive number: 0" "$nbs14" --tau0 0 -
check bad-taus 2 "uct-stability: --taus: not octave, decade, all or up to 4096 factors M1,M2,...: 2,x" "$nbs14" --taus 2,x -
check not-numeric 2 "uct-stability: standard input: line 3: not a reading: 8x3" "892
809
8x3" -
check too-few 2 "uct-stability: standard input: fewer than 3 readings" "892
809" -
check unreadable 2 "uct-stability: $work/none.csv: cannot be opened" "" "$work/none.csv"
check published 0 "" "$nbs14" --nominal 1 --taus 1,2 -
check help 0 "" "" --help

# The published values reach standard output at full precision.
printf '%s\n' "$nbs14" | "$tool" --nominal 1 --taus 1,2 - >"$work/table"
head -1 "$work/table" | grep -q '^tau,m,alpha,adev,adev_lo,adev_hi,adev_n,oadev,' || { echo "FAIL header"; failed=1; }
grep -q '^1,1,0,91.2294497' "$work/table" || { echo "FAIL adev at tau 1"; failed=1; }
grep -q '^2,2,0,115.808210' "$work/table" || { echo "FAIL adev at tau 2"; failed=1; }
# A full device: status 1 with a message.
if [ -w /dev/full ]; then
    printf '%s\n' "$nbs14" | "$tool" - >/dev/full 2>"$work/err"
    [ $? = 1 ] && grep -q 'could not be written' "$work/err" || { echo "FAIL /dev/full"; failed=1; }
fi
exit $failed
