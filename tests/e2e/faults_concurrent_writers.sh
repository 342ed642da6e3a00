#!/usr/bin/env bash
# Three programs write settings at once: two savers (the second may run while the Control Box is
# open) turning the music off and on with Q and S, and the Control Box getting typed input. The
# file must stay whole, lose no key, and end with the last value each writer gave.
source "$(dirname "$0")/lib.sh"
start_xvfb 800x600
write_settings <"$DRIFTMERE_SOURCE_DIR/fuzz/seeds/settings/first-run.ini"
keys_before=$(grep -c '=' "$SETTINGS")

start_named box "$BIN" /c
box=$PROG_PID
check "the Control Box is open" wait_window "Driftmere Control Box" 10
start_named saver1 "$BIN" /s
saver1=$PROG_PID
start_named saver2 "$BIN" /s
saver2=$PROG_PID
sleep 3
check "both savers run beside the Control Box" kill -0 "$saver1" "$saver2"
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
sleep 1
# The last word: saver 1 turns the music off, then saver 2 on.
xdotool key --window "$w1" q
sleep 0.5
check "saver 1's last Q is in the file" test "$(setting music SoundOn)" = False
xdotool key --window "$w2" s
sleep 0.5
check "saver 2's later S is in the file" test "$(setting music SoundOn)" = True

check "every line is a section header or a key line" \
    test "$(grep -cvE '^(\[[A-Za-z]+\]|[A-Za-z0-9]+=.*|)$' "$SETTINGS")" = 0
check "each section appears once" \
    test "$(grep -ciE '^\[(music|settings|system)\]$' "$SETTINGS")" = 3
keys_after=$(grep -c '=' "$SETTINGS")
check "no key was lost ($keys_before before, $keys_after after)" test "$keys_after" -ge "$keys_before"
changed=$(diff <(grep -v SoundOn "$DRIFTMERE_SOURCE_DIR/fuzz/seeds/settings/first-run.ini" | sort) \
               <(grep -v SoundOn "$SETTINGS" | sort) | grep -c '^>' || true)
check "the Control Box's writes are there too ($changed keys changed)" test "$changed" -ge 1
check "every program still runs" kill -0 "$saver1" "$saver2" "$box"
check "nothing was refused" test "$(cat "$WORK"/*.err | grep -c 'cannot save' || true)" = 0
kill "$saver1" "$saver2" "$box"
check "SIGTERM ends them" wait_exit "$saver1" 3
[ "$FAILS" -ne 0 ] && cat "$SETTINGS"
finish
