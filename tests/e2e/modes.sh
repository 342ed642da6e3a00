#!/usr/bin/env bash
# The command-line modes and the single-instance rule.
source "$(dirname "$0")/lib.sh"
start_xvfb 800x600

"$BIN" /a >"$WORK/a.out" 2>"$WORK/a.err"; status=$?
check "/a ends with status 0" test "$status" = 0
check "/a says on stderr that there is no password to change" grep -qi password "$WORK/a.err"
check "/a starts no saver (writes no settings)" test ! -e "$SETTINGS"

timeout 20 "$BIN" /x; status=$?
check "/x ends at once with status 0" test "$status" = 0
timeout 20 "$BIN" /p 12345; status=$?
check "/p with a number that is no window ends at once with status 0" test "$status" = 0

# Preview: the picture fills the host window (given in decimal) and ends with it. The host is
# black, so that only the picture makes it bright.
"${DRIFTMERE_HOSTWIN:?}" 306 230 50 50 --colour 000000 >"$WORK/host.id" &
host=$!
PIDS+=("$host")
wait_for 30 test -s "$WORK/host.id"
start_program /p "$(( $(cat "$WORK/host.id") ))"
preview=$PROG_PID
check "/p shows the picture inside the host window" wait_for 30 shot_brighter preview 300x220+53+53 40
check "/p leaves the rest of the screen alone" test "$(mean_level preview 800x40+0+300)" -lt 5
kill "$host"
check "/p ends when its host window goes" wait_exit "$preview" 10

# Single instance: a second /s ends at once while the first runs...
start_program /s
first=$PROG_PID
check "the first saver shows its window" wait_for 30 has_window "$first"
timeout 20 "$BIN" /s; status=$?
check "a second /s ends at once with status 0" test "$status" = 0
check "the first saver still runs" kill -0 "$first"

# ... unless the Control Box is open; then it runs beside it.
start_program /c
box=$PROG_PID
check "/c shows the Driftmere Control Box" wait_window "Driftmere Control Box" 30
start_program /s
second=$PROG_PID
check "/s runs beside another copy while the Control Box is open" wait_for 30 has_window "$second"
kill "$first" "$second" "$box"
check "SIGTERM ends every copy" wait_for 10 none_running "$first" "$second" "$box"
finish
