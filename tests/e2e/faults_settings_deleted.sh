#!/usr/bin/env bash
# The settings file is deleted while the saver runs: the music keys write it anew.
source "$(dirname "$0")/lib.sh"
start_xvfb 800x600
start_program /s
check "the saver wrote its first-run settings" wait_for 30 setting_is System SetReg 2
check "the saver shows its window" wait_for 30 has_window "$PROG_PID"
rm -f "$SETTINGS"
xdotool key q
check "Q writes a new settings file holding SoundOn=False" wait_for 10 setting_is music SoundOn False
rm -rf "$(dirname "$SETTINGS")"
xdotool key s
check "S writes it again after its folder is gone too" wait_for 10 setting_is music SoundOn True
check "the saver still runs" kill -0 "$PROG_PID"
check "nothing was refused" test "$(lines_matching "$WORK/err.log" 'cannot save')" = 0
xdotool key Escape
check "Escape ends it" wait_exit "$PROG_PID" 10
check "with status 0" test "$(exit_status "$PROG_PID")" = 0
finish
