#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# with-xvfb.sh COMMAND...: runs COMMAND with DISPLAY set to an X server of its
# own, stopped afterwards. Xvfb picks a free display number itself
# (-displayfd), so parallel runs never pick the same one, and -noreset keeps
# it up when its last client leaves, so a program started again at that
# moment finds it.
set -euo pipefail
fifo=$(mktemp -u "${TMPDIR:-/tmp}/with-xvfb.XXXXXX")
mkfifo "$fifo"
Xvfb -displayfd 3 -screen 0 1600x1000x24 -noreset -nolisten tcp 3>"$fifo" 2>/dev/null &
server=$!
trap 'kill "$server" 2>/dev/null || true; wait "$server" 2>/dev/null || true; rm -f "$fifo"' EXIT
display=
read -r -t 30 display <"$fifo" || true
rm -f "$fifo"
if [ -z "$display" ]; then
    echo "with-xvfb.sh: the X server did not start" >&2
    exit 1
fi
DISPLAY=":$display" "$@"
