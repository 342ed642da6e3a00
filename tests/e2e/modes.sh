#!/usr/bin/env bash
# The command-line modes and the single-instance rule.
source "$(dirname "$0")/lib.sh"
start_xvfb 800x600

"$BIN" /a >"$WORK/a.out" 2>"$WORK/a.err"; status=$?
check "/a ends with status 0" test "$status" = 0
check "/a says on stderr that there is no password to change" grep -qi password "$WORK/a.err"
check "/a starts no saver (writes no settings)" test ! -e "$SETTINGS"

timeout 5 "$BIN" /x; status=$?
check "/x ends at once with status 0" test "$status" = 0
timeout 5 "$BIN" /p 12345; status=$?
check "/p with a number that is no window ends at once with status 0" test "$status" = 0

# Preview: the picture fills the host window (given in decimal) and ends with it.
"${DRIFTMERE_HOSTWIN:?}" 306 230 50 50 >"$WORK/host.id" &
host=$!
PIDS+=("$host")
for _ in $(seq 50); do [ -s "$WORK/host.id" ] && break; sleep 0.1; done
start_program /p "$(( $(cat "$WORK/host.id") ))"
preview=$PROG_PID
sleep 2
shot preview
check "/p shows the picture inside the host window" test "$(mean_level preview 300x220+53+53)" -gt 40
check "/p leaves the rest of the screen alone" test "$(mean_level preview 800x40+0+300)" -lt 5
kill "$host"
check "/p ends when its host window goes" wait_exit "$preview" 3

# Single instance: a second /s ends at once while the first runs...
start_program /s
first=$PROG_PID
sleep 1.5
timeout 5 "$BIN" /s; status=$?
check "a second /s ends at once with status 0" test "$status" = 0
check "the first saver still runs" kill -0 "$first"

# ... unless the Control Box is open; then it runs beside it.
start_program /c
box=$PROG_PID
check "/c shows the Driftmere Control Box" wait_window "Driftmere Control Box" 10
start_program /s
second=$PROG_PID
sleep 1.5
check "/s runs beside another copy while the Control Box is open" kill -0 "$second"
kill "$first" "$second" "$box"
check "SIGTERM ends every copy" wait_exit "$first" 3
finish
