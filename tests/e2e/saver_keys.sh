#!/usr/bin/env bash
# The music keys keep the saver running; Q and S write "SoundOn".
source "$(dirname "$0")/lib.sh"
start_xvfb 800x600
start_program /s
check "the saver shows its window" wait_for 30 has_window "$PROG_PID"
xdotool key q
check "Q writes SoundOn=False" wait_for 10 setting_is music SoundOn False
xdotool key s
check "S writes SoundOn=True" wait_for 10 setting_is music SoundOn True
# Keys are handled in order: once the Q after N and P has written its value, they were handled.
xdotool key n key p key q
check "N and P keep the saver running" wait_for 10 setting_is music SoundOn False
check "... still running" kill -0 "$PROG_PID"
xdotool key Escape
check "Escape ends it" wait_exit "$PROG_PID" 10
finish
