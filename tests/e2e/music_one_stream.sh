#!/usr/bin/env bash
# Two copies under a host, one per monitor (two Xinerama heads side by side), with music on:
# exactly one is heard. Killing it at once (SIGKILL) lets the other take over with the next song,
# again as the only stream.
# A private PulseAudio server plays into a null sink; its stream list shows who is heard.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/../support/pulse-server.sh"
source "$(dirname "$0")/../support/nested-x.sh"
trap 'cleanup; stop_nested' EXIT
export HOME=$WORK/home
mkdir -p "$HOME"
start_pulse

stays_one() {  # stays_one SECONDS: exactly one stream at every look for that long
    local end=$((SECONDS + $1))
    while [ "$SECONDS" -lt "$end" ]; do [ "$(streams)" = 1 ] && sleep 0.2 || return 1; done
}
# heard: a second recorded from the sink is not silence.
heard() {
    timeout 20 parec -d capture.monitor --raw --format=s16le --rate=44100 --channels=2 2>/dev/null |
        head -c 176400 >"$WORK/heard.raw" || true
    local rms
    rms=$(sox -t raw -r 44100 -e signed -b 16 -c 2 "$WORK/heard.raw" -n stat 2>&1 |
        awk '/RMS +amplitude/ {print $3}')
    awk -v r="${rms:-0}" 'BEGIN {exit !(r > 0.0005)}'
}

start_nested 400x600 400x600
write_settings <"$DRIFTMERE_SOURCE_DIR/fuzz/seeds/settings/first-run.ini"  # music on

start_host 400 600 0 0
XSCREENSAVER_WINDOW=$HOST_ID start_named left "$BIN" --root
left=$PROG_PID
start_host 400 600 400 0
XSCREENSAVER_WINDOW=$HOST_ID start_named right "$BIN" --root
right=$PROG_PID

check "a copy is heard" wait_for 60 some_stream
check "only one stream, for four seconds" stays_one 4
first=$(players)
other=$left
[ "$first" = "$left" ] && other=$right
check "the stream is one of the two copies" test "$first" = "$left" -o "$first" = "$right"
[ "$FAILS" = 0 ] || finish

kill -9 "$first"
check "the other copy takes over" wait_for 30 playing "$other"
check "... as the only stream, for two seconds" stays_one 2
check "... and is heard" heard

kill -TERM "$other"
check "SIGTERM ends it" wait_exit "$other" 3
check "no stream is left" wait_for 10 test "$(streams)" = 0
finish
