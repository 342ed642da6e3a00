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
for _ in $(seq 50); do [ -s "$WORK/host.id" ] && break; sleep 0.1; done
id=$(cat "$WORK/host.id")
start_program --root --window-id "$id"
sleep 3
shot pane
check "the scene is drawn inside the host window" test "$(mean_level pane 200x180+200+310)" -gt 30
check "letterbox bars at the host's left and right" test "$(mean_level pane 50x180+105+310)" -lt 5
check "nothing drawn outside the host window" test "$(mean_level pane 800x280+0+0)" -lt 5
first=$PROG_PID
start_program --root --window-id "$id"
sleep 1.5
check "the single-instance rule does not apply under a host: a second one runs too" kill -0 "$PROG_PID"
kill -TERM "$first" "$PROG_PID"
check "SIGTERM ends it within a second" wait_exit "$first" 1

# The host's window going away ends the saver too.
start_program -window-id "$id"
sleep 2
kill "$host_pid"
check "the host window's end ends the saver" wait_exit "$PROG_PID" 3
finish
