#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Helpers of the end-to-end scripts: run the real program on an X display
# (Xvfb, started by the caller through scripts/with-xvfb.sh), answer its windows with
# xdotool as a user would, and save a screenshot of every step.
#
# A step script sources this file, calls e2e_init, then e2e_start, and waits
# for every window it expects with e2e_wait_window (polling with a deadline;
# no fixed pauses decide anything). Failures print what was on screen.
#
# Environment: UCT_BUILD_DIR (build folder; bin/uct-sfp and simkit/ inside),
# DISPLAY (set by scripts/with-xvfb.sh).

set -euo pipefail

E2E_TIMEOUT=${E2E_TIMEOUT:-15} # seconds any one window may take to appear
E2E_POLL=0.05

# e2e_init NAME: screenshots go to <build>/screenshots/e2e/NAME-<step>.png and
# the simulated system's call log to <build>/e2e/NAME.log.
e2e_init() {
    E2E_NAME=$1
    : "${UCT_BUILD_DIR:?UCT_BUILD_DIR must name the build folder}"
    : "${DISPLAY:?no X display: run under scripts/with-xvfb.sh}"
    E2E_SHOTS="$UCT_BUILD_DIR/screenshots/e2e"
    E2E_WORK="$UCT_BUILD_DIR/e2e/$E2E_NAME"
    E2E_LOG="$E2E_WORK/simkit.log"
    E2E_STEP=0
    E2E_PID=
    mkdir -p "$E2E_SHOTS" "$E2E_WORK"
    rm -f "$E2E_LOG" "$E2E_SHOTS/$E2E_NAME"-*.png
    trap e2e_cleanup EXIT
}

e2e_cleanup() {
    if [ -n "${E2E_PID:-}" ] && kill -0 "$E2E_PID" 2>/dev/null; then
        kill "$E2E_PID" 2>/dev/null || true
    fi
}

e2e_fail() {
    echo "FAIL ($E2E_NAME): $*" >&2
    echo "windows on screen:" >&2
    xdotool search --onlyvisible --name '.' 2>/dev/null | while read -r w; do
        echo "  $w '$(xdotool getwindowname "$w" 2>/dev/null)'" >&2
    done
    e2e_shot failure || true
    [ -f "$E2E_LOG" ] && { echo "call log:" >&2; sed 's/^/  /' "$E2E_LOG" >&2; }
    exit 1
}

# e2e_start [VAR=value ...]: starts the program (E2E_PROGRAM, by default the
# build's) from the work folder with the given environment (for example
# UCT_SIMKIT_CHASSIS=...), the simulated PXI system on the library path when
# E2E_SIMKIT=1.
e2e_start() {
    local libs=""
    if [ "${E2E_SIMKIT:-0}" = 1 ]; then
        libs="$UCT_BUILD_DIR/simkit"
    fi
    # Preferences go to the script's own folder: never the user's, never
    # another script's running at the same time.
    (cd "$E2E_WORK" && exec env QT_QPA_PLATFORM=xcb LD_LIBRARY_PATH="$libs" UCT_SIMKIT_LOG="$E2E_LOG" \
        XDG_CONFIG_HOME="$E2E_WORK/config" "$@" \
        "${E2E_PROGRAM:-$UCT_BUILD_DIR/bin/uct-sfp}") &
    E2E_PID=$!
}

# e2e_wait_window TITLE: prints the id of the visible window whose title
# matches TITLE (an extended regular expression) once it is there.
e2e_wait_window() {
    local title=$1 deadline=$((SECONDS + E2E_TIMEOUT)) ids
    while [ $SECONDS -lt $deadline ]; do
        ids=$(xdotool search --onlyvisible --name "$title" 2>/dev/null || true)
        if [ -n "$ids" ]; then
            echo "$ids" | tail -n 1
            return 0
        fi
        kill -0 "$E2E_PID" 2>/dev/null || e2e_fail "the program ended while waiting for '$title'"
        sleep $E2E_POLL
    done
    e2e_fail "no window '$title' within ${E2E_TIMEOUT}s"
}

# e2e_wait_gone WINDOW: waits until the window is no longer shown.
e2e_wait_gone() {
    local deadline=$((SECONDS + E2E_TIMEOUT))
    while [ $SECONDS -lt $deadline ]; do
        xdotool search --onlyvisible --name '.' 2>/dev/null | grep -qx "$1" || return 0
        sleep $E2E_POLL
    done
    e2e_fail "window $1 stayed"
}

# e2e_shot STEP: screenshot of the whole screen for this step.
e2e_shot() {
    E2E_STEP=$((E2E_STEP + 1))
    import -window root "$E2E_SHOTS/$(printf '%s-%02d-%s' "$E2E_NAME" "$E2E_STEP" "$1").png"
}

# e2e_keys WINDOW KEY...: gives the window the keyboard focus and types.
e2e_keys() {
    local window=$1
    shift
    xdotool windowfocus --sync "$window"
    xdotool key --delay 30 "$@"
}

# e2e_answer TITLE KEY...: waits for a window, shoots it, types the keys and
# waits for the window to go.
e2e_answer() {
    local title=$1 window
    shift
    window=$(e2e_wait_window "$title")
    e2e_shot "$(echo "$title" | tr -c 'A-Za-z0-9\n' '_')"
    e2e_keys "$window" "$@"
    e2e_wait_gone "$window"
}

# e2e_close_box WINDOW: what a window manager sends when the user clicks the
# window's close box (Xvfb runs none): a WM_DELETE_WINDOW client message.
e2e_close_box() {
    python3 - "$1" <<'PY'
import ctypes, sys
x = ctypes.cdll.LoadLibrary("libX11.so.6")
x.XOpenDisplay.restype = ctypes.c_void_p
x.XOpenDisplay.argtypes = [ctypes.c_char_p]
x.XInternAtom.restype = ctypes.c_ulong
x.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
class ClientMessage(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                ("display", ctypes.c_void_p), ("window", ctypes.c_ulong), ("message_type", ctypes.c_ulong),
                ("format", ctypes.c_int), ("data", ctypes.c_long * 5)]
class Event(ctypes.Union):
    _fields_ = [("xclient", ClientMessage), ("pad", ctypes.c_long * 24)]
x.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long, ctypes.POINTER(Event)]
x.XFlush.argtypes = [ctypes.c_void_p]
x.XCloseDisplay.argtypes = [ctypes.c_void_p]
display = x.XOpenDisplay(None)
window = int(sys.argv[1])
event = Event()
event.xclient.type = 33  # ClientMessage
event.xclient.window = window
event.xclient.message_type = x.XInternAtom(display, b"WM_PROTOCOLS", 0)
event.xclient.format = 32
event.xclient.data[0] = x.XInternAtom(display, b"WM_DELETE_WINDOW", 0)
x.XSendEvent(display, window, 0, 0, ctypes.byref(event))
x.XFlush(display)
x.XCloseDisplay(display)
PY
}

# e2e_wait_exit STATUS: waits for the program to end with that exit status.
e2e_wait_exit() {
    local expected=$1 deadline=$((SECONDS + E2E_TIMEOUT)) status
    while kill -0 "$E2E_PID" 2>/dev/null; do
        [ $SECONDS -lt $deadline ] || e2e_fail "the program did not end"
        sleep $E2E_POLL
    done
    status=0
    wait "$E2E_PID" || status=$?
    E2E_PID=
    [ "$status" = "$expected" ] || e2e_fail "exit status $status, expected $expected"
}

# e2e_log_has PATTERN: the simulated system's call log has a matching line.
e2e_log_has() {
    grep -Eq "$1" "$E2E_LOG" || e2e_fail "no call '$1' in the log"
}

# e2e_region_sum WINDOW GEOMETRY: checksum of that region of the window as
# shown (GEOMETRY is WIDTHxHEIGHT+LEFT+TOP in window pixels).
e2e_region_sum() {
    import -window "$1" -crop "$2" +repage png:- | md5sum | cut -d' ' -f1
}

# e2e_wait_region WINDOW GEOMETRY BEFORE changed|same WHAT: polls until the
# region differs from (or equals) the checksum BEFORE; fails saying WHAT.
e2e_wait_region() {
    local window=$1 geometry=$2 before=$3 want=$4 what=$5 deadline=$((SECONDS + E2E_TIMEOUT)) now
    while [ $SECONDS -lt $deadline ]; do
        now=$(e2e_region_sum "$window" "$geometry")
        if { [ "$want" = changed ] && [ "$now" != "$before" ]; } ||
            { [ "$want" = same ] && [ "$now" = "$before" ]; }; then
            return 0
        fi
        sleep $E2E_POLL
    done
    e2e_fail "$what"
}

# e2e_wait_lit WINDOW X Y on|off WHAT: polls until the LED centred at X Y
# (window pixels) is lit or dark; fails saying WHAT. Only the LED's middle is
# read, so a focus frame, a hover or a panel not drawn yet cannot pass for it.
e2e_wait_lit() {
    local window=$1 x=$2 y=$3 want=$4 what=$5 deadline=$((SECONDS + E2E_TIMEOUT)) lit
    while [ $SECONDS -lt $deadline ]; do
        lit=$(import -window "$window" -crop "4x4+$((x - 2))+$((y - 2))" +repage png:- |
            convert png:- -format '%[fx:mean > 0.5 ? 1 : 0]' info:)
        if { [ "$want" = on ] && [ "$lit" = 1 ]; } || { [ "$want" = off ] && [ "$lit" = 0 ]; }; then
            return 0
        fi
        sleep $E2E_POLL
    done
    e2e_fail "$what"
}

# e2e_start_demo: the program without VISA, the demonstration accepted;
# E2E_MAIN is then the main window. region_sum GEOMETRY and wait_region
# GEOMETRY BEFORE changed|same WHAT act on its regions.
e2e_start_demo() {
    E2E_SIMKIT=0 e2e_start
    e2e_answer '^VISA ERROR$' Return
    e2e_answer "^No ZORa 3917's Found$" Return
    E2E_MAIN=$(e2e_wait_window '^ZORa 3917 Universal Counter Timer')
}
region_sum() {
    e2e_region_sum "$E2E_MAIN" "$1"
}
wait_region() {
    e2e_wait_region "$E2E_MAIN" "$@"
}

# e2e_click WINDOW X Y: left click at a point of the window (pixels from its
# top-left corner).
e2e_click() {
    xdotool mousemove --sync --window "$1" "$2" "$3" click 1
}

# e2e_quit MAIN_WINDOW: presses QUIT from the keyboard (backwards from the
# panel's first control, the focus wraps to QUIT, the last one) and expects
# exit status 0.
e2e_quit() {
    e2e_keys "$1" shift+Tab space
    e2e_wait_exit 0
}
