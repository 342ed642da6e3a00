#!/usr/bin/env bash
# Two savers pressing Q and S and the Control Box getting typed input write settings at once: the
# file stays whole, loses no key, and ends with each writer's last value.
source "$(dirname "$0")/lib.sh"
start_xvfb 800x600
write_settings <"$DRIFTMERE_SOURCE_DIR/fuzz/seeds/settings/first-run.ini"
keys_before=$(grep -c '=' "$SETTINGS")

start_named box "$BIN" /c
box=$PROG_PID
check "the Control Box is open" wait_window "Driftmere Control Box" 30
start_named saver1 "$BIN" /s
saver1=$PROG_PID
start_named saver2 "$BIN" /s
saver2=$PROG_PID
check "both savers show their windows beside the Control Box" \
    wait_for 30 eval 'has_window "$saver1" && has_window "$saver2"'
w1=$(xdotool search --pid "$saver1" 2>/dev/null | tail -1)
w2=$(xdotool search --pid "$saver2" 2>/dev/null | tail -1)
wb=$(xdotool search --name '^Driftmere Control Box$' | head -1)
check "each saver has a window" test -n "$w1" -a -n "$w2"

# The savers press Q and S in turn while the dialog gets Tab and typed text, all at once.
( for i in $(seq 12); do xdotool key --window "$w1" q; sleep 0.05; xdotool key --window "$w1" s; done ) &
k1=$!
( for i in $(seq 12); do xdotool key --window "$w2" s; sleep 0.05; xdotool key --window "$w2" q; done ) &
k2=$!
( xdotool windowfocus --sync "$wb" 2>/dev/null || true
  for i in $(seq 12); do xdotool key --window "$wb" Tab; xdotool type --window "$wb" --delay 10 "7$i"; done ) &
k3=$!
wait "$k1" "$k2" "$k3"
# The last word: saver 1 turns the music off, then saver 2 on.
xdotool key --window "$w1" q
check "saver 1's last Q is in the file" wait_for 10 setting_is music SoundOn False
xdotool key --window "$w2" s
check "saver 2's later S is in the file" wait_for 10 setting_is music SoundOn True
# changed_keys: how many lines other than SoundOn differ from the first-run file.
changed_keys() {
    diff <(grep -v SoundOn "$DRIFTMERE_SOURCE_DIR/fuzz/seeds/settings/first-run.ini" | sort) \
        <(grep -v SoundOn "$SETTINGS" | sort) | grep -c '^>' || true
}
box_wrote() { [ "$(changed_keys)" -ge 1 ]; }
check "the Control Box's writes are there too" wait_for 10 box_wrote

check "every line is a section header or a key line" \
    test "$(grep -cvE '^(\[[A-Za-z]+\]|[A-Za-z0-9]+=.*|)$' "$SETTINGS")" = 0
check "each section appears once" \
    test "$(grep -ciE '^\[(music|settings|system)\]$' "$SETTINGS")" = 3
keys_after=$(grep -c '=' "$SETTINGS")
check "no key was lost ($keys_before before, $keys_after after)" test "$keys_after" -ge "$keys_before"
check "every program still runs" kill -0 "$saver1" "$saver2" "$box"
check "nothing was refused" test "$(cat "$WORK"/*.err | grep -c 'cannot save' || true)" = 0
kill "$saver1" "$saver2" "$box"
check "SIGTERM ends them" wait_for 10 none_running "$saver1" "$saver2" "$box"
[ "$FAILS" -ne 0 ] && cat "$SETTINGS"
finish
