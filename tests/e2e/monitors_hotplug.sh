#!/usr/bin/env bash
# Monitors plugged in and out while the saver runs (RandR monitors of an Xvfb): the primary one,
# which holds the first window, goes and comes back. The saver follows without a restart: a
# window fewer, then one more showing the scene, and a key still ends it.
source "$(dirname "$0")/lib.sh"
SETMONITOR=${DRIFTMERE_SETMONITOR:?}
start_xvfb 2304x800
"$SETMONITOR" add LEFT 1280 800 0 0 --own-output
"$SETMONITOR" add RIGHT 1024 768 1280 0 --primary

# The saver's windows as WIDTHxHEIGHT+X+Y, in sorted order.
places() {
    local w
    for w in $(windows_of "$PROG_PID"); do
        xwininfo -id "$w" | awk '/Absolute upper-left X/ {x = $4} /Absolute upper-left Y/ {y = $4}
            /Width:/ {w = $2} /Height:/ {h = $2} END {print w "x" h "+" x "+" y}'
    done | sort | tr '\n' ' '
}
places_are() { [ "$(places)" = "$1" ]; }
both="1024x768+1280+0 1280x800+0+0 "

start_program /s
check "a window on each monitor" wait_for 30 places_are "$both"
"$SETMONITOR" del RIGHT
check "the primary monitor goes: its window closes, the other stays" \
    wait_for 30 places_are "1280x800+0+0 "
check "the saver runs on" kill -0 "$PROG_PID"
"$SETMONITOR" add RIGHT 1024 768 1280 0 --primary
check "it comes back: a window on it again" wait_for 30 places_are "$both"
check "showing the scene" wait_for 30 shot_brighter back 800x600+1380+100 20
xdotool key x
check "a key still ends the saver" wait_exit "$PROG_PID" 10
finish
