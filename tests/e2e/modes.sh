#!/usr/bin/env bash
# The command-line modes, a host's window (a preview pane, a settings program's pane) and the
# single-instance rule: only savers count as running, never a preview or the Control Box.
source "$(dirname "$0")/lib.sh"
start_xvfb 800x600

# no_saver_counted: no copy holds the saver's instance lock, so a /s would run.
no_saver_counted() { flock -n -x "$XDG_RUNTIME_DIR/driftmere.lock" true; }
saver_counted() { ! no_saver_counted; }
# saver_runs_beside: a /s started now shows its window; it is ended again.
saver_runs_beside() {
    start_named beside "$BIN" /s
    local ok=0
    wait_mapped "$PROG_PID" 30 || ok=1
    end_quietly "$PROG_PID"
    return "$ok"
}

check "/a ends with status 0" "$BIN" /a 2>"$WORK/a.err"
check "/a says on stderr that there is no password to change" grep -qi password "$WORK/a.err"
check "/a starts no saver (writes no settings)" test ! -e "$SETTINGS"

check "/x ends at once with status 0" timeout 20 "$BIN" /x
check "/p with a number that is no window ends at once with status 0" timeout 20 "$BIN" /p 12345

# Preview: the picture fills the black host window (id in decimal) and ends with it.
start_host 306 230 50 50 --colour 000000
start_program /p "$((HOST_ID))"
preview=$PROG_PID
check "/p shows the picture inside the host window" wait_for 30 shot_brighter preview 300x220+53+53 40
check "/p leaves the rest of the screen alone" test "$(mean_level preview 800x40+0+300)" -lt 5
check "a preview does not count as a running saver" no_saver_counted
check "/s runs while a preview is shown" saver_runs_beside
kill "$HOST_PID"
check "/p ends when its host window goes" wait_exit "$preview" 10

# Hosted by id: a 400 x 200 host at (100, 300) shows the scene at 267 x 200 between black bars
# (opened after the preview's host has gone, out of that check's sight).
start_host 400 200 100 300
host=$HOST_PID
children_of() { xwininfo -children -id "$HOST_ID" | sed -n 's/^ *\([0-9]*\) child.*/\1/p'; }
host_holds() { [ "$(children_of)" = "$1" ]; }
start_program --root --window-id "$HOST_ID"
letterboxed() {
    shot pane && [ "$(mean_level pane 50x180+105+310)" -lt 5 ] &&
        [ "$(mean_level pane 200x180+200+310)" -gt 30 ]
}
check "the scene is drawn letterboxed inside the host window" wait_for 30 letterboxed
check "nothing drawn outside the host window" test "$(mean_level pane 800x280+0+0)" -lt 5
first=$PROG_PID
check "a copy in a host window smaller than a monitor is a preview: it is not counted" \
    no_saver_counted
check "/s runs beside it" saver_runs_beside
start_program --root --window-id "$HOST_ID"
check "the single-instance rule does not apply under a host: a second one draws there too" \
    wait_for 30 host_holds 2
kill -TERM "$first" "$PROG_PID"
check "SIGTERM ends both" wait_for 10 none_running "$first" "$PROG_PID"
ended_by_term() { local a=0 b=0; wait "$first" || a=$?; wait "$PROG_PID" || b=$?; [ "$a $b" = "143 143" ]; }
check "each by SIGTERM" ended_by_term
start_program -window-id "$HOST_ID"
check "a third one draws in the host window" wait_for 30 host_holds 1
kill "$host"
check "the host window's end ends the saver" wait_exit "$PROG_PID" 10

# A host's window as large as the monitor is the saver's screen, not a preview: it counts, and a
# /s started beside it ends at once.
start_host 800 600 0 0
export XSCREENSAVER_WINDOW=$HOST_ID
start_program --root
unset XSCREENSAVER_WINDOW
hosted=$PROG_PID
check "a copy in a monitor-sized host window draws there" wait_for 30 host_holds 1
check "it counts as a running saver" wait_for 10 saver_counted
check "a /s beside it ends at once with status 0" timeout 20 "$BIN" /s
end_quietly "$hosted" "$HOST_PID"

# The Control Box is no running saver either, from its start on.
start_program /c
box=$PROG_PID
check "/c shows the Driftmere Control Box" wait_window "Driftmere Control Box" 30
check "the Control Box does not count as a running saver" no_saver_counted
end_quietly "$box"

# Single instance: a second /s ends at once while the first runs...
start_program /s
first=$PROG_PID
check "the first saver shows its window" wait_for 30 has_window "$first"
check "a second /s ends at once with status 0" timeout 20 "$BIN" /s
check "the first saver still runs" kill -0 "$first"

# ... unless the Control Box is open; then it runs beside it.
start_program /c
box=$PROG_PID
check "/c shows the Driftmere Control Box again" wait_window "Driftmere Control Box" 30
start_program /s
second=$PROG_PID
check "/s runs beside another copy while the Control Box is open" wait_for 30 has_window "$second"
kill "$first" "$second" "$box"
check "SIGTERM ends every copy" wait_for 10 none_running "$first" "$second" "$box"
finish
