#!/usr/bin/env bash
# A damaged data folder. Empty: black, a warning per missing file (not per frame), a key ends it.
# First song not MIDI, second missing: one warning each, on to the third. The player's own test
# covers songs that cost too much and the warnings staying one a song however often it is asked.
source "$(dirname "$0")/lib.sh"
start_xvfb 800x600
COPY=$(program_copy "$WORK/x")
start_named empty "$COPY" /s
check "the saver shows its window" wait_for 30 has_window "$PROG_PID"
# Once Q has written its value the scene's load is over (keys are handled only after it).
xdotool key q
check "the saver takes keys" wait_for 30 setting_is music SoundOn False
pictures=$(lines_matching "$WORK/empty.err" 'picture')
check "a warning about the missing pictures ($pictures lines)" test "$pictures" -ge 1
check "... at most one a picture" test "$pictures" -le 20
shot screen
check "the screen is black" test "$(mean_level screen 800x600+0+0)" -lt 5
# S and then N ask the sound thread for two missing songs; each answer, a warning, comes after the
# synthesiser has loaded and the saver has drawn frames all the while.
xdotool key s
check "S asks for the missing first song" wait_for 30 lines_at_least "$WORK/empty.err" 'Tranquil.mid' 1
xdotool key n
check "N asks for the missing second song" wait_for 30 lines_at_least "$WORK/empty.err" 'Ambiant.mid' 1
xdotool key x
check "a key ends it" wait_exit "$PROG_PID" 10
check "with status 0" test "$(exit_status "$PROG_PID")" = 0
# Counted once it has ended: a warning given every frame, or every second, would repeat.
repeated=$(sort "$WORK/empty.err" | uniq -d | wc -l)
check "no flood: no line said twice ($repeated were)" test "$repeated" = 0
check "at most one line a picture and a song in all" test "$(wc -l <"$WORK/empty.err")" -le 30

rm -f "$SETTINGS"  # Q turned the music off
program_copy "$WORK/x" data >/dev/null
head -c 5000 "$BIN" >"$WORK/x/share/driftmere/Tranquil.mid"
rm "$WORK/x/share/driftmere/Ambiant.mid"
start_named saver "$COPY" /s
check "the saver shows its window" wait_for 30 has_window "$PROG_PID"
check "a warning that Tranquil.mid is not MIDI" wait_for 30 lines_at_least "$WORK/saver.err" 'Tranquil.mid' 1
check "the playlist moved on to Ambiant.mid (missing: a warning)" \
    wait_for 30 lines_at_least "$WORK/saver.err" 'Ambiant.mid' 1
check "and on to colrkymt.mid, which plays without a word" \
    test "$(lines_matching "$WORK/saver.err" 'colrkymt')" = 0
xdotool key Escape
check "Escape ends it" wait_exit "$PROG_PID" 10
check "one warning each" test "$(lines_matching "$WORK/saver.err" 'Tranquil.mid|Ambiant.mid')" = 2

[ "$FAILS" -ne 0 ] && cat "$WORK/empty.err" "$WORK/saver.err"
finish
