#!/usr/bin/env bash
# Another window taking the focus does not move the playlist on; only a music key does (the
# second song is missing, so reaching it shows as a warning).
source "$(dirname "$0")/lib.sh"

start_xvfb 800x600

COPY=$(program_copy "$WORK/x" data)
rm "$WORK/x/share/driftmere/Ambiant.mid"

saver_window() { windows_of "$PROG_PID" | head -n1; }
saver_shown() { test -n "$(saver_window)"; }
warned_ambiant() { test "$(lines_matching "$WORK/saver.err" 'Ambiant.mid')" -ge 1; }
has_focus() { test "$(xdotool getwindowfocus 2>/dev/null)" = "$(($1))"; }

start_named saver "$COPY" /s
check "the saver shows its window" wait_for 10 saver_shown
SAVER=$(saver_window)
xdotool windowfocus --sync "$SAVER" 2>/dev/null || true
check "the saver has the focus" wait_for 5 has_focus "$SAVER"

start_host 200 100 10 10 || true
OTHER=$HOST_ID
# The saver takes the focus back at once, so the other window only holds it for a moment; each
# time the saver's window loses it all the same. Three times, each once the saver has it back.
for _ in 1 2 3; do
    xdotool windowfocus "$OTHER" 2>/dev/null || true
    check "the saver takes the focus back" wait_for 10 has_focus "$SAVER"
done
# A lost focus that stopped the song would show at the song watcher's next tick, within a second;
# nothing the saver does tells that a tick has passed, so three of them are waited out.
sleep 3
check "the first song still plays (the playlist did not move on)" \
    test "$(lines_matching "$WORK/saver.err" 'Ambiant.mid')" = 0
check "the saver still runs" kill -0 "$PROG_PID"

# The way to observe a move of the playlist works: N moves it on to the missing song.
xdotool windowfocus --sync "$SAVER" 2>/dev/null || true
wait_for 5 has_focus "$SAVER" || true
xdotool key n
check "N moves on to the second song" wait_for 30 warned_ambiant
xdotool key Escape
check "Escape ends it" wait_exit "$PROG_PID" 10
finish
