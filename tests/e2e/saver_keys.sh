#!/usr/bin/env bash
# The backdrop fills the screen, music keys keep the saver and Q and S write SoundOn; without
# backdrops, black, with the clock and message where they belong.
source "$(dirname "$0")/lib.sh"
start_xvfb 800x600

# First run: the backdrop fills the screen.
start_program /s
check "first run writes the first-run settings" wait_for 30 setting_is System SetReg 2
check "the backdrop fills the screen (not black in the middle)" \
    wait_for 30 shot_brighter first 600x400+100+100 20
# Keys are handled in order: once the Q after N and P has written its value, they were handled.
xdotool key n key p key q
check "N and P keep the saver running" wait_for 10 setting_is music SoundOn False
check "... still running" kill -0 "$PROG_PID"
xdotool key x
check "a key other than N, P, Q, S ends the saver" wait_exit "$PROG_PID" 10

# Layouts put on while the saver runs. Dvorak is taken at its word; under a Cyrillic layout the
# keys of N, P, Q and S type Cyrillic letters and still work the music; any other letter ends it.
start_program /s
check "the saver shows its window" wait_mapped "$PROG_PID" 30
xdotool key s
check "S writes SoundOn=True under the US layout" wait_for 10 setting_is music SoundOn True
setxkbmap us dvorak
xdotool key q
check "Q under Dvorak (on the key of X) writes SoundOn=False" wait_for 10 setting_is music SoundOn False
setxkbmap ru
check "under ru the key of N (57) types Cyrillic_te" test "$(xmodmap -pke | awk '$4 == "Cyrillic_te" { print $2 }')" = 57
xdotool key Cyrillic_yeru
check "the key of S under ru writes SoundOn=True" wait_for 10 setting_is music SoundOn True
xdotool key Cyrillic_te key Cyrillic_ze key Cyrillic_shorti
check "the keys of N and P under ru keep the saver, Q's writes False" wait_for 10 setting_is music SoundOn False
xdotool key Cyrillic_ef
check "another Cyrillic letter (the key of A) ends the saver" wait_exit "$PROG_PID" 10
check "... with status 0" test "$(exit_status "$PROG_PID")" = 0
setxkbmap us

# No backdrop, clock and message on.
sed -i -e 's/^ShowBkGrnd=.*/ShowBkGrnd=0/' -e 's/^ShowMessage=.*/ShowMessage=1/' -e 's/^Clock=.*/Clock=1/' "$SETTINGS"
start_program /s
yellow_clock() { shot black && [ "$(count_colour black 200x40+0+0 255 255 0 20)" -gt 30 ]; }
check "yellow clock text at the top left" wait_for 30 yellow_clock
check "without a backdrop the frame is black below the text" test "$(mean_level black 500x300+150+250)" -lt 20
check "yellow message text at the top from the middle" test "$(count_colour black 380x40+400+0 255 255 0 20)" -gt 30
check "no yellow text in the top middle-left gap" test "$(count_colour black 100x40+280+0 255 255 0 20)" -lt 5
xdotool mousemove 10 10 click 1
check "a click ends the saver" wait_exit "$PROG_PID" 10
finish
