#!/usr/bin/env bash
# The music keys keep the saver running; Q and S write "SoundOn".
source "$(dirname "$0")/lib.sh"
start_xvfb 800x600
start_program /s
sleep 2
xdotool key q
sleep 0.5
check "Q writes SoundOn=False" test "$(setting music SoundOn)" = False
xdotool key s
sleep 0.5
check "S writes SoundOn=True" test "$(setting music SoundOn)" = True
xdotool key n key p
sleep 0.5
check "N and P keep the saver running" kill -0 "$PROG_PID"
xdotool key Escape
check "Escape ends it" wait_exit "$PROG_PID" 1
finish
