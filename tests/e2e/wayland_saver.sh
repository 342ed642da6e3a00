#!/usr/bin/env bash
# The saver in a headless sway with two outputs of different sizes and no X server: what it
# shows, a later output, its keys, the compositor's idle timeout held off while it runs, and the
# compositor going away.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/../support/wayland-session.sh"
trap 'stop_session; cleanup' EXIT

start_sway 1024x768 640x480
SAVER=$(session_copy_program "$BIN")
mkdir -p "$SESSION_DIR/config/DriftmereVT"
FIRST_RUN=$DRIFTMERE_SOURCE_DIR/fuzz/seeds/settings/first-run.ini
grep -qx PwrSave=1 "$FIRST_RUN" && cp "$FIRST_RUN" "$SESSION_DIR/config/DriftmereVT/settings.ini"
[ "$(id -u)" -ne 0 ] || chown -R "$SESSION_USER" "$SESSION_DIR/config"

session_exec "$SAVER" /s >"$WORK/program.out" 2>"$WORK/program.err" &
SAVER_PID=$!
PIDS+=("$SAVER_PID")
check "the first output shows the scene" wait_for 30 sky HEADLESS-1 1024x60+0+0
check "the second output shows the scene" wait_for 30 sky HEADLESS-2 640x40+0+0

# The compositor's idle timeout counts only while nobody holds it off.
session_exec swayidle -w timeout 2 "touch $SESSION_DIR/home/idle" >/dev/null 2>&1 &
IDLE_PID=$!
PIDS+=("$IDLE_PID")
idle_fired() { [ -e "$SESSION_DIR/home/idle" ]; }
# Three times the timeout: the only way to see that something does not happen.
fired=no
wait_for 6 idle_fired && fired=yes
check "the idle timeout does not fire while it runs with the power setting on" test $fired = no

sway_msg create_output >/dev/null
wait_for 10 eval 'sway_msg -t get_outputs | grep -q HEADLESS-3'
size=$(sway_msg -t get_outputs | grep -A30 '"HEADLESS-3"' | grep -m1 -oE '"width": [0-9]+' |
    grep -oE '[0-9]+')
check "an output made while it runs shows the scene" wait_for 30 sky HEADLESS-3 40x40+$((size / 2 - 20))+0
check "that output (${size} wide, headless sway's 16:9) is letterboxed" black HEADLESS-3 20x200+0+200

# Keys are read in order: once Q has written SoundOn=False, N before it has been read too.
as_session wtype -s 300 n
as_session wtype -s 300 q
saver_sound_on() { grep -qx "SoundOn=$1" "$SESSION_DIR/config/DriftmereVT/settings.ini"; }
check "N and Q are music keys: Q writes SoundOn=False" wait_for 10 saver_sound_on False
check "... and the saver goes on" kill -0 "$SAVER_PID"
as_session wtype -s 300 x
check "another key ends it" wait_exit "$SAVER_PID" 20
check "with status 0" test "$(exit_status "$SAVER_PID")" -eq 0
check "the idle timeout fires once it has ended" wait_for 20 idle_fired
check "nothing was said on stderr" test ! -s "$WORK/program.err"

session_exec "$SAVER" /s >/dev/null 2>&1 &
TERM_PID=$!
PIDS+=("$TERM_PID")
wait_for 30 sky HEADLESS-1 1024x60+0+0 && kill -TERM "$TERM_PID"
check "SIGTERM ends it" wait_exit "$TERM_PID" 5
check "by that signal, as a host that sent it expects" test "$(exit_status "$TERM_PID")" -eq 143

session_exec "$SAVER" /s >"$WORK/lost.out" 2>"$WORK/lost.err" &
LOST_PID=$!
PIDS+=("$LOST_PID")
wait_for 30 sky HEADLESS-1 1024x60+0+0 && kill -TERM "$SESSION_PID"
check "a compositor that goes away ends it" wait_exit "$LOST_PID" 20
check "with status 1 and one line on stderr" test "$(exit_status "$LOST_PID") $(wc -l <"$WORK/lost.err")" = "1 1"
finish
