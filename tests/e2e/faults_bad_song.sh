#!/usr/bin/env bash
# A data folder whose first song is not MIDI and whose second is missing: one warning each, the
# playlist moves on to the third, and going round the playlist again warns no more.
source "$(dirname "$0")/lib.sh"
start_xvfb 800x600
COPY=$(program_copy "$WORK/x")
DATA=${DRIFTMERE_DATA_DIR:-$(dirname "$BIN")/../share/driftmere}
cp "$DATA"/*.bmp "$DATA"/*.mid "$WORK/x/share/driftmere/"
head -c 5000 "$BIN" >"$WORK/x/share/driftmere/Tranquil.mid"
rm "$WORK/x/share/driftmere/Ambiant.mid"
start_named saver "$COPY" /s
check "the saver shows its window" wait_for 30 has_window "$PROG_PID"
check "a warning that Tranquil.mid is not MIDI" wait_for 30 lines_at_least "$WORK/saver.err" 'Tranquil.mid' 1
check "the playlist moved on to Ambiant.mid (missing: a warning)" \
    wait_for 30 lines_at_least "$WORK/saver.err" 'Ambiant.mid' 1
check "and on to colrkymt.mid, which plays without a word" \
    test "$(lines_matching "$WORK/saver.err" 'colrkymt')" = 0
# Round the playlist with N: the bad songs come up again but are not warned about twice.
for _ in $(seq 8); do xdotool key n; sleep 0.2; done
check "the saver still runs" kill -0 "$PROG_PID"
xdotool key Escape
check "Escape ends it" wait_exit "$PROG_PID" 10
# Counted once it has ended, so that every N before the Escape has been handled.
check "one warning each, even after going round" \
    test "$(lines_matching "$WORK/saver.err" 'Tranquil.mid|Ambiant.mid')" = 2
[ "$FAILS" -ne 0 ] && cat "$WORK/saver.err"
finish
