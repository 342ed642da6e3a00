#!/usr/bin/env bash
# A settings file of binary garbage, then one deleted while the saver runs. On garbage the saver
# runs on first-run values, keeps every byte it does not change, and a music key still writes its
# value where it can be read back; deleted (file or folder), the music keys write it anew.
source "$(dirname "$0")/lib.sh"

start_xvfb 800x600
mkdir -p "$(dirname "$SETTINGS")"
# Deterministic garbage: the program's own bytes (NULs, control bytes, no line structure),
# then a megabyte-long line.
head -c 200000 "$BIN" >"$SETTINGS"
head -c 1000000 /dev/zero | tr '\0' 'x' >>"$SETTINGS"
cp "$SETTINGS" "$WORK/garbage"

start_program /s
check "it draws the scene over garbage settings" wait_for 30 shot_brighter screen 800x600+0+0 20
xdotool key q
check "Q writes SoundOn=False into the damaged file" wait_for 10 setting_is music SoundOn False
check "the garbage before it is kept byte for byte" cmp -s -n 1200000 "$SETTINGS" "$WORK/garbage"

rm -f "$SETTINGS"
xdotool key s
check "S writes a new settings file holding SoundOn=True" wait_for 10 setting_is music SoundOn True
rm -rf "$(dirname "$SETTINGS")"
xdotool key q
check "Q writes it again after its folder is gone too" wait_for 10 setting_is music SoundOn False
check "the saver still runs" kill -0 "$PROG_PID"
check "nothing was refused" test "$(lines_matching "$WORK/err.log" 'cannot save')" = 0
xdotool key Escape
check "Escape ends it" wait_exit "$PROG_PID" 10
check "with status 0" test "$(exit_status "$PROG_PID")" = 0
finish
