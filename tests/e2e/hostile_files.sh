#!/usr/bin/env bash
# An unreadable balloon: a warning that says why, a key ends the saver at once. An audio device
# or X server that stops answering: a key or SIGTERM still ends it. Run as nobody under root, so
# that "Permission denied" can be seen at all.
source "$(dirname "$0")/lib.sh"

start_xvfb 800x600 -ac  # any local user may connect

chmod 755 "$WORK"
APP=$(program_copy "$WORK/inst" data)
DATA=$WORK/inst/share/driftmere
HOME_S=$WORK/home
mkdir -p "$HOME_S/config" "$HOME_S/run"
chmod 700 "$HOME_S/run"
if [ "$(id -u)" -eq 0 ]; then
    chown -R nobody:nogroup "$HOME_S"
    RUN=(setpriv --reuid=nobody --regid=nogroup --clear-groups)
else
    RUN=()
fi
# as_saver ARGS...: in a background job only; becomes the program (so $! is its pid).
as_saver() {
    exec "${RUN[@]}" env HOME="$HOME_S" XDG_CONFIG_HOME="$HOME_S/config" \
        XDG_RUNTIME_DIR="$HOME_S/run" "$APP" "$@"
}

# --- An unreadable picture ---
chmod 000 "$DATA/balloon02.bmp"
start_named saver as_saver /s
check "with a picture it cannot read, the saver still shows its window" wait_mapped "$PROG_PID"
err=$WORK/saver.err
if [ "${#RUN[@]}" -gt 0 ]; then
    check "the warning says 'Permission denied'" \
        wait_for 10 lines_at_least "$err" 'balloon02.bmp": Permission denied' 1
fi
xdotool key x
check "a key ends it" wait_exit "$PROG_PID" 5
check "at once, not by the two-second watch" test "$(lines_matching "$err" 'still busy')" = 0
rm -rf "$DATA"
program_copy "$WORK/inst" data >/dev/null

# --- The audio device never answers (a PulseAudio socket nobody serves) ---
perl -MIO::Socket::UNIX -e 'my $s = IO::Socket::UNIX->new(Type => SOCK_STREAM(),
    Local => $ARGV[0], Listen => 5) or die "$!"; sleep 600' "$WORK/pulse.sock" &
PIDS+=("$!")
wait_for 5 test -S "$WORK/pulse.sock" || true
chmod 777 "$WORK/pulse.sock"
export PULSE_SERVER=unix:$WORK/pulse.sock
unset DRIFTMERE_AUDIO
start_named music as_saver /s
check "with an audio device that never answers, the saver shows its window" wait_mapped "$PROG_PID"
sleep 0.5
xdotool key x
check "a key still ends it" wait_exit "$PROG_PID" 6
check "the audio device was tried (and hung)" \
    test "$(lines_matching "$WORK/music.err" 'still busy')" = 1
# Hosted in a window that is not there: the display fails after the X connection worked.
export XSCREENSAVER_WINDOW=0x1fffff0
start_named nowindow as_saver --root
unset XSCREENSAVER_WINDOW
check "a display that cannot open ends the program" wait_exit "$PROG_PID" 6
check "with a non-zero status" test "$(exit_status "$PROG_PID")" != 0
check "at once, without waiting for the audio device" \
    test "$(lines_matching "$WORK/nowindow.err" 'still busy')" = 0
check "saying so on stderr (no message box)" \
    test "$(lines_matching "$WORK/nowindow.err" 'Error opening Direct Draw')" = 1
check "and why" grep -q 'cannot be drawn in' "$WORK/nowindow.err"
export DRIFTMERE_AUDIO=none
unset PULSE_SERVER

# --- The X server stops answering ---
start_named stopped as_saver /s
check "the saver shows its window" wait_mapped "$PROG_PID"
kill -STOP "$XSERVER_PID"
sleep 1
kill -TERM "$PROG_PID" 2>/dev/null || true
check "with the X server stopped, SIGTERM still ends it" wait_exit "$PROG_PID" 6
kill -CONT "$XSERVER_PID"
finish
