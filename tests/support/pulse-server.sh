# A private PulseAudio server playing into a null sink, for the tests that ask who is heard. Source
# it after lib.sh, then start_pulse; its stream list tells which programs play.
unset DRIFTMERE_AUDIO PULSE_SERVER PULSE_RUNTIME_PATH

# start_pulse: the server and its clients meet at $XDG_RUNTIME_DIR/pulse/native, in the test's
# own folder. Ends the script if the server does not answer.
start_pulse() {
    cat >"$WORK/pa.conf" <<'CONF'
load-module module-null-sink sink_name=capture
set-default-sink capture
load-module module-native-protocol-unix auth-anonymous=1
CONF
    env -u DISPLAY pulseaudio -n -F "$WORK/pa.conf" --exit-idle-time=-1 --daemonize=no \
        --use-pid-file=no >"$WORK/pa.log" 2>&1 &
    PIDS+=("$!")
    wait_for 30 pactl info >/dev/null 2>&1 || { echo "no sound server:"; cat "$WORK/pa.log"; exit 1; }
}

streams() { pactl list short sink-inputs 2>/dev/null | grep -c . || true; }
# The pids of the programs that have a stream, one a line.
players() { pactl list sink-inputs 2>/dev/null | sed -n 's/.*application.process.id = "\([0-9]*\)".*/\1/p'; }
some_stream() { [ "$(streams)" -ge 1 ]; }
playing() { [ "$(players)" = "$1" ]; }
