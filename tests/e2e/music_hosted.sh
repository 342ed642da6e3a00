#!/usr/bin/env bash
# A copy inside a host's window is heard only when that window covers a whole monitor. Preview
# panes smaller than the screen stay silent whichever way the host names them (MATE passes only
# XSCREENSAVER_WINDOW; a settings program may pass --window-id); a copy in a monitor-sized window
# plays, by either name.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/../support/pulse-server.sh"
export HOME=$WORK/home
mkdir -p "$HOME"
start_pulse

start_xvfb 800x600
write_settings <"$DRIFTMERE_SOURCE_DIR/fuzz/seeds/settings/first-run.ini"  # music on

# painted GEOMETRY: the scene covers the magenta host window there (a copy draws its first frame
# only once it has loaded, music included).
painted() { shot pane && [ "$(count_colour pane "$1" 255 0 255 5)" -lt 100 ]; }

start_host 300 200 20 20 --colour ff00ff
XSCREENSAVER_WINDOW=$HOST_ID start_named pane "$BIN" --root
pane=$PROG_PID
start_host 300 200 420 20 --colour ff00ff
start_named pane_id "$BIN" --root --window-id "$HOST_ID"
pane_id=$PROG_PID
check "the pane named by XSCREENSAVER_WINDOW shows the scene" wait_for 60 painted 300x200+20+20
check "the pane named by --window-id shows the scene" wait_for 60 painted 300x200+420+20

# Both panes have loaded and asked for their first song: had either taken the music, this copy
# could not have it.
start_host 800 600 0 0
XSCREENSAVER_WINDOW=$HOST_ID start_named whole "$BIN" --root
whole=$PROG_PID
check "the copy in the monitor-sized window is heard" wait_for 60 playing "$whole"
check "... and the panes are not" test "$(streams)" = 1
check "the panes still run" kill -0 "$pane" "$pane_id"

kill -TERM "$whole"
check "SIGTERM ends it" wait_exit "$whole" 10
start_named whole_id "$BIN" --root --window-id "$HOST_ID"
check "a --window-id copy in the monitor-sized window is heard" wait_for 60 playing "$PROG_PID"
finish
