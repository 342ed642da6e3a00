#!/usr/bin/env bash
# Another window taking the keyboard focus from the saver does not cut the song: the playlist
# stays on its first song until a music key moves it on. The second song is missing from the
# data folder, so the moment the playlist reaches it shows as a warning on stderr.
source "$(dirname "$0")/lib.sh"

# A private X server that picks its own display number.
Xvfb -displayfd 3 -noreset -screen 0 800x600x24 -nolisten tcp 3>"$WORK/display" >/dev/null 2>&1 &
XVFB_PID=$!
for _ in $(seq 200); do
    grep -q '^[0-9][0-9]*$' "$WORK/display" 2>/dev/null && break
    sleep 0.05
done
export DISPLAY=:$(cat "$WORK/display")
xdpyinfo >/dev/null 2>&1 || { echo "Xvfb did not start" >&2; exit 1; }

COPY=$(program_copy "$WORK/x")
DATA=${DRIFTMERE_DATA_DIR:-$(dirname "$BIN")/../share/driftmere}
cp "$DATA"/*.bmp "$DATA"/*.mid "$WORK/x/share/driftmere/"
rm "$WORK/x/share/driftmere/Ambiant.mid"

# wait_for SECONDS COMMAND...: polls until the command succeeds.
wait_for() {
    local limit=$1; shift
    for _ in $(seq $((limit * 20))); do
        "$@" && return 0
        sleep 0.05
    done
    return 1
}
saver_window() { windows_of "$PROG_PID" | head -n1; }
saver_shown() { test -n "$(saver_window)"; }
warned_ambiant() { test "$(lines_matching "$WORK/saver.err" 'Ambiant.mid')" -ge 1; }
has_focus() { test "$(xdotool getwindowfocus 2>/dev/null)" = "$(($1))"; }

start_named saver "$COPY" /s
check "the saver shows its window" wait_for 10 saver_shown
SAVER=$(saver_window)
xdotool windowfocus --sync "$SAVER" 2>/dev/null || true
check "the saver has the focus" wait_for 5 has_focus "$SAVER"

"$DRIFTMERE_HOSTWIN" 200 100 10 10 >"$WORK/other.id" &
PIDS+=("$!")
wait_for 5 test -s "$WORK/other.id" || true
OTHER=$(cat "$WORK/other.id")
xdotool windowfocus --sync "$OTHER" 2>/dev/null || true
check "another window took the focus" wait_for 5 has_focus "$OTHER"
# The song watcher ticks every second: give it three.
sleep 3
check "the first song still plays (the playlist did not move on)" \
    test "$(lines_matching "$WORK/saver.err" 'Ambiant.mid')" = 0
check "the saver still runs" kill -0 "$PROG_PID"

# The way to observe a move of the playlist works: N moves it on to the missing song.
xdotool windowfocus --sync "$SAVER" 2>/dev/null || true
wait_for 5 has_focus "$SAVER" || true
xdotool key n
check "N moves on to the second song" wait_for 5 warned_ambiant
xdotool key Escape
check "Escape ends it" wait_exit "$PROG_PID" 2
finish
