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
