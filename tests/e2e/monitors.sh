#!/usr/bin/env bash
# The saver on two monitors side by side (Xinerama heads of a nested X server): a 1280x800 one
# (16:10, so the scene gets bars at its sides) and a 1024x768 one (4:3, no bars). The scene hides
# the windows on both, keeps a window that opens later on the second one covered, and a key
# typed with the pointer on the second monitor reaches the saver and ends it.
# Its balloons move on both monitors: one scene, composed once, shown on each.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/../support/nested-x.sh"
trap 'cleanup; stop_nested' EXIT
start_nested 1280x800 1024x768

heads() { xdpyinfo -ext XINERAMA | grep -c '^ *head #'; }
check "the X server has two monitors" test "$(heads)" -eq 2

# Pixels of a colour in the middle of each window (a balloon has a few of that colour too).
magenta() { count_colour "$1" 200x100+150+150 255 0 255 5; }
cyan() { count_colour "$1" 200x100+1530+150 0 255 255 5; }
windows_show() { shot "$1" && [ "$(magenta "$1")" -gt 19000 ] && [ "$(cyan "$1")" -gt 19000 ]; }

check "a magenta window on the first monitor" start_host 500 300 100 100 --colour ff00ff
check "a cyan window on the second monitor" start_host 500 300 1380 100 --colour 00ffff
check "both windows show" wait_for 30 windows_show before

# The pointer rests on the second monitor from the start (moving it later would count as a
# mouse movement).
xdotool mousemove 1800 400
start_program /s
covers_both() {
    shot "$1" && [ "$(magenta "$1")" -lt 1000 ] && [ "$(cyan "$1")" -lt 1000 ] &&
        [ "$(mean_level "$1" 800x600+240+100)" -gt 20 ] && [ "$(mean_level "$1" 800x600+1380+100)" -gt 20 ]
}
check "the scene hides both windows" wait_for 30 covers_both scene
# 1280x800 shows the 800x600 scene 1067 pixels wide: 106 black columns each side.
check "first monitor: a bar each side" \
    test "$(mean_level scene 100x800+0+0)" -lt 3 -a "$(mean_level scene 100x800+1180+0)" -lt 3
check "second monitor: the scene reaches both edges" \
    test "$(mean_level scene 20x400+1280+0)" -gt 20 -a "$(mean_level scene 20x400+2284+0)" -gt 20

# The second monitor shows every frame, not only the first: the balloons move there.
convert "$WORK/scene.png" -crop 1024x768+1280+0 +repage "$WORK/second-before.png"
second_moves() {
    shot "$1" && convert "$WORK/$1.png" -crop 1024x768+1280+0 +repage "$WORK/second-now.png" &&
        [ "$(compare -metric AE "$WORK/second-before.png" "$WORK/second-now.png" null: 2>&1)" -gt 200 ]
}
check "the scene on the second monitor moves" wait_for 30 second_moves moving

# Another window opening over the second monitor is covered again.
yellow() { count_colour "$1" 200x100+1780+350 255 255 0 5; }
check "a yellow window opens on the second monitor" start_host 400 300 1680 250 --colour ffff00
scene_over_late() { shot "$1" && [ "$(yellow "$1")" -lt 1000 ]; }
check "the scene covers it" wait_for 30 scene_over_late late

# Q is a music key: it keeps the saver running and writes SoundOn, so the key surely reached it.
xdotool key q
check "a key with the pointer on the second monitor reaches the saver" \
    wait_for 10 setting_is music SoundOn False
xdotool key x
check "and another key ends it" wait_exit "$PROG_PID" 10
finish
