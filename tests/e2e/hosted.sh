#!/usr/bin/env bash
# Hosted in another program's window, as a settings program's preview pane hosts a saver:
# the scene is drawn inside that window, letterboxed, and the saver ends on SIGTERM and when
# the window goes away.
source "$(dirname "$0")/lib.sh"
HOSTWIN=${DRIFTMERE_HOSTWIN:?}
start_xvfb 800x600

# A 400 x 200 host at (100, 300): an 800 x 600 scene scaled to 267 x 200, with bars left and right.
"$HOSTWIN" 400 200 100 300 >"$WORK/host.id" &
host_pid=$!
PIDS+=("$host_pid")
wait_for 30 test -s "$WORK/host.id"
id=$(cat "$WORK/host.id")
# children_of WINDOW: how many windows the window holds.
children_of() { xwininfo -children -id "$1" | sed -n 's/^ *\([0-9]*\) child.*/\1/p'; }
host_holds() { [ "$(children_of "$id")" = "$1" ]; }

start_program --root --window-id "$id"
# The host is grey: black bars beside a bright middle are the saver's own drawing.
letterboxed() {
    shot pane && [ "$(mean_level pane 50x180+105+310)" -lt 5 ] &&
        [ "$(mean_level pane 200x180+200+310)" -gt 30 ]
}
wait_for 30 letterboxed || true
check "the scene is drawn inside the host window" test "$(mean_level pane 200x180+200+310)" -gt 30
check "letterbox bars at the host's left and right" test "$(mean_level pane 50x180+105+310)" -lt 5
check "nothing drawn outside the host window" test "$(mean_level pane 800x280+0+0)" -lt 5
first=$PROG_PID
start_program --root --window-id "$id"
check "the single-instance rule does not apply under a host: a second one draws there too" \
    wait_for 30 host_holds 2
check "... and keeps running" kill -0 "$PROG_PID" "$first"
kill -TERM "$first" "$PROG_PID"
check "SIGTERM ends both" wait_for 10 none_running "$first" "$PROG_PID"

# The host's window going away ends the saver too.
start_program -window-id "$id"
check "a third one draws in the host window" wait_for 30 host_holds 1
kill "$host_pid"
check "the host window's end ends the saver" wait_exit "$PROG_PID" 10
finish
