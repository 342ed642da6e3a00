#!/usr/bin/env bash
# A copy of the program whose data folder is empty: the saver runs over black, warns once per
# missing picture and song rather than on every frame, and ends on a key as usual.
source "$(dirname "$0")/lib.sh"
start_xvfb 800x600
COPY=$(program_copy "$WORK/x")
start_named saver "$COPY" /s
check "the saver shows its window" wait_for 30 has_window "$PROG_PID"
# Once Q has written its value the scene's load is over (keys are handled only after it).
xdotool key q
check "the saver takes keys" wait_for 30 setting_is music SoundOn False
check "the saver runs" kill -0 "$PROG_PID"
pictures=$(lines_matching "$WORK/saver.err" 'picture')
check "a warning about the missing pictures ($pictures lines)" test "$pictures" -ge 1
check "... at most one a picture" test "$pictures" -le 20
before=$(wc -l <"$WORK/saver.err")
sleep 3
after=$(wc -l <"$WORK/saver.err")
check "no flood: stderr has $before lines, then $after three seconds on" test "$after" -le $((before + 8))
check "at most one line a picture and a song in all" test "$after" -le 30
shot screen
check "the screen is black" test "$(mean_level screen 800x600+0+0)" -lt 5
xdotool key x
check "a key ends it" wait_exit "$PROG_PID" 10
check "with status 0" test "$(exit_status "$PROG_PID")" = 0
[ "$FAILS" -ne 0 ] && cat "$WORK/saver.err"
finish
