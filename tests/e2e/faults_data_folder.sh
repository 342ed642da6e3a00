#!/usr/bin/env bash
# A damaged data folder. Empty: black, a warning per missing file (not per frame), a key ends it.
# First song not MIDI, second missing: one warning each, on to the third, no more warnings after.
# Songs that would cost too much (100,000 notes at one moment; 15 MB): skipped with a warning
# each, the keys still answer and SIGTERM still ends the saver.
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
# Round the playlist with N: the bad songs come up again but are not warned about twice.
for _ in $(seq 8); do xdotool key n; sleep 0.2; done
check "the saver still runs" kill -0 "$PROG_PID"
xdotool key Escape
check "Escape ends it" wait_exit "$PROG_PID" 10
# Counted once it has ended, so that every N before the Escape has been handled.
check "one warning each, even after going round" \
    test "$(lines_matching "$WORK/saver.err" 'Tranquil.mid|Ambiant.mid')" = 2

# crowded_song NOTES: a MIDI file striking NOTES notes at its first moment.
crowded_song() {
    local length=$((4 + 3 * ($1 - 1) + 4))
    printf 'MThd\0\0\0\6\0\0\0\1\1\xe0MTrk'
    printf "$(printf '\\x%02x' $((length >> 24)) $((length >> 16 & 255)) $((length >> 8 & 255)) $((length & 255)))"
    printf '\0\x90\x3c\x40'
    printf '\0\x3c\x40%.0s' $(seq $(($1 - 1)))
    printf '\0\xff\x2f\0'
}
rm -f "$SETTINGS"
program_copy "$WORK/x" data >/dev/null
crowded_song 100000 >"$WORK/x/share/driftmere/Tranquil.mid"
{ crowded_song 2; head -c 15000000 /dev/zero; } >"$WORK/x/share/driftmere/Ambiant.mid"
start_named costly "$COPY" /s
check "the crowded song is skipped with a warning" \
    wait_for 30 lines_at_least "$WORK/costly.err" 'Tranquil.mid" asks too much' 1
check "the 15 MB song is skipped with a warning" \
    wait_for 30 lines_at_least "$WORK/costly.err" 'Ambiant.mid" is too large' 1
xdotool key n key p key q
check "the keys still answer (Q stored its value)" wait_for 30 setting_is music SoundOn False
kill -TERM "$PROG_PID"
check "SIGTERM ends it" wait_exit "$PROG_PID" 10
check "one warning each" test "$(lines_matching "$WORK/costly.err" 'Tranquil.mid|Ambiant.mid')" = 2
[ "$FAILS" -ne 0 ] && cat "$WORK/empty.err" "$WORK/saver.err" "$WORK/costly.err"
finish
