#!/usr/bin/env bash
# The settings file is deleted while the saver runs: the music keys write it anew.
source "$(dirname "$0")/lib.sh"
start_xvfb 800x600
start_program /s
sleep 2
check "the saver wrote its first-run settings" test -f "$SETTINGS"
rm -f "$SETTINGS"
xdotool key q
sleep 0.5
check "Q writes a new settings file" test -f "$SETTINGS"
check "... holding SoundOn=False" test "$(setting music SoundOn)" = False
rm -rf "$(dirname "$SETTINGS")"
xdotool key s
sleep 0.5
check "S writes it again after its folder is gone too" test "$(setting music SoundOn)" = True
check "the saver still runs" kill -0 "$PROG_PID"
check "nothing was refused" test "$(lines_matching "$WORK/err.log" 'cannot save')" = 0
xdotool key Escape
check "Escape ends it" wait_exit "$PROG_PID" 2
check "with status 0" test "$(exit_status "$PROG_PID")" = 0
finish
