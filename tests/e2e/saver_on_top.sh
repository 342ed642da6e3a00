#!/usr/bin/env bash
# The saver stays above windows that open while it runs, managed or override-redirect, with and
# without a window manager; a key still ends it, and then the window shows.
source "$(dirname "$0")/lib.sh"
start_xvfb 800x600

# Magenta pixels in the window's middle (a frame may shift it; balloons have a few such pixels).
magenta() { count_colour "$1" 200x100+300+250 255 0 255 5; }
scene_over_window() {
    shot "$1" && [ "$(magenta "$1")" -lt 1000 ] && [ "$(mean_level "$1" 600x400+100+100)" -gt 20 ]
}
window_shows() { shot "$1" && [ "$(magenta "$1")" -gt 19000 ]; }

# over NAME [HOSTWIN OPTIONS...]: a 300 x 200 magenta window opens over a running saver.
over() {
    local name=$1
    shift
    start_program /s
    local saver=$PROG_PID
    check "$name: the saver draws its scene" wait_for 30 shot_brighter "$name-before" 600x400+100+100 20
    check "$name: the other window is mapped" start_host 300 200 250 200 --colour ff00ff "$@"
    local window=$HOST_PID
    check "$name: the scene covers it" wait_for 30 scene_over_window "$name-over"
    xdotool key x
    check "$name: a key still ends the saver" wait_exit "$saver" 10
    check "$name: then the window shows" wait_for 30 window_shows "$name-after"
    kill "$window"
    wait "$window" 2>/dev/null || true
}

over "no window manager"
over "no window manager, override-redirect" --override-redirect

HOME=$WORK/home XDG_CACHE_HOME=$WORK/cache openbox --sm-disable >"$WORK/openbox.log" 2>&1 &
PIDS+=("$!")
wm_running() { xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; }
check "openbox runs" wait_for 30 wm_running
over "openbox"
over "openbox, override-redirect" --override-redirect
[ "$FAILS" -ne 0 ] && cat "$WORK/openbox.log"
finish
