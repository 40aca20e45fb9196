#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Start-up time of uct-sfp on a computer without VISA, from its start to its
# main panel on screen in demonstration mode (the two start-up popups are
# answered at once by a watcher, and their handling time is included), as a
# ratio to a bare Qt Widgets window (bin/bench_bare_window) started the same
# way in the same run: the ratio, unlike the seconds, hardly depends on the
# machine. Runs alternate between the two; medians are compared.
# Usage: startup_time.sh <build folder> [runs]
# Runs itself under xvfb-run when no display is set; -noreset keeps the X
# server up when the last client of a run leaves.
set -euo pipefail
build=$(cd "${1:?build folder}" && pwd)
runs=${2:-7}
if [ -z "${DISPLAY:-}" ]; then
    exec xvfb-run -a -s "-screen 0 1600x1000x24 -noreset" bash "$0" "$build" "$runs"
fi

now() { date +%s.%N; }
# Waits until a visible window's title matches $1; prints its id.
await() {
    local w
    until w=$(xdotool search --onlyvisible --name "$1" 2>/dev/null); do sleep 0.005; done
    echo "$w" | tail -n 1
}
# Answers the window whose title matches $1 with Return as soon as it shows.
answer() {
    xdotool windowfocus --sync "$(await "$1")" key Return
}
median() {
    printf '%s\n' "$@" | sort -g | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'
}
# One start of $1 (program, bare) until its window is up; prints the seconds.
start_once() {
    local start end pid
    start=$(now)
    QT_QPA_PLATFORM=xcb LD_LIBRARY_PATH= "$build/bin/$2" &
    pid=$!
    if [ "$1" = program ]; then
        answer '^VISA ERROR$'
        answer "^No ZORa 3917's Found$"
        await '^ZORa 3917 Universal Counter Timer' >/dev/null
    else
        await '^bare Qt Widgets window$' >/dev/null
    fi
    end=$(now)
    kill "$pid"
    wait "$pid" 2>/dev/null || true
    awk -v a="$start" -v b="$end" 'BEGIN { print b - a }'
}

program=()
bare=()
for _ in $(seq "$runs"); do
    bare+=("$(start_once bare bench_bare_window)")
    program+=("$(start_once program uct-sfp)")
done
p=$(median "${program[@]}")
b=$(median "${bare[@]}")
printf 'startup to main panel (demonstration, no VISA), median of %d runs: %.3f s\n' "$runs" "$p"
printf 'bare Qt Widgets window started the same way, median of %d runs: %.3f s\n' "$runs" "$b"
awk -v p="$p" -v b="$b" 'BEGIN { printf "ratio program / bare window: %.2f\n", p / b }'
