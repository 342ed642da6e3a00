#!/usr/bin/env bash
# A careless or hostile host: window ids that are garbage or too wide, a host window that grows
# huge, and a DISPLAY with no server behind it.
source "$(dirname "$0")/lib.sh"

start_xvfb 800x600

start_host 400 300 200 150
host=$HOST_ID

# refused NAME ARGS...: the program ends at once with status 2 and one line on stderr.
refused() {
    local status=0
    timeout 10 "${@:2}" >/dev/null 2>"$WORK/$1.err" || status=$?
    [ "$status" = 2 ] && [ "$(wc -l <"$WORK/$1.err")" = 1 ]
}

# An id wider than 29 bits whose low bits name the host must not be cut down to it.
wide=$(printf '0x1%08x' "$host")
check "--window-id $wide is refused" refused wide "$BIN" --root --window-id "$wide"
# The parser's cases are unit-tested; here each source of an id once, through the program's exit.
check "XSCREENSAVER_WINDOW='-1' is refused" refused env-id env XSCREENSAVER_WINDOW=-1 "$BIN" --root
check "/p with text that is no number is refused" refused preview "$BIN" /p garbage
check "the refusal quotes what was wrong" grep -q '"/p garbage"' "$WORK/preview.err"


# DISPLAY names a server that is not there.
n=190
while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
DISPLAY=:$n "$BIN" /s 2>"$WORK/nodisplay.err" && status=0 || status=$?
check "without a server on DISPLAY the saver ends with status 1" test "$status" = 1
check "naming the display" grep -q "cannot open the X display \":$n\"" "$WORK/nodisplay.err"

# A host that grows huge: memory stays bounded.
# The most memory the process has held since it started.
peak_mb() { awk '/^VmHWM/ {print int($2 / 1024)}' "/proc/$1/status"; }
# child_size: the size of the host's child window, the scene's.
child_size() { xwininfo -children -id "$host" | awk '/^ +0x/ {print $(NF-1); exit}'; }
(ulimit -v 3000000; exec "$BIN" --root --window-id "$host") 2>"$WORK/huge.err" &
saver=$!
PIDS+=("$saver")
child_size_is() { [ "$(child_size)" = "$1" ]; }
wait_for 10 eval '[ -n "$(child_size)" ]' || true
for size in 10000 32767; do
    before=$(child_size)
    xdotool windowsize "$host" "$size" "$size"
    check "the saver follows the host to ${size}x$size" wait_for 10 eval '! child_size_is "$before"'
done
xdotool windowsize "$host" 400 300
check "and back to the host's size when it shrinks" wait_for 10 child_size_is 400x300+0+0
# Once it shows the scene at the small size again, it has drawn at each size on the way.
scene_shown() { shot back && [ "$(mean_level back 400x300+200+150)" -gt 20 ]; }
check "showing the scene again" wait_for 30 scene_shown
check "it never held 250 MB ($(peak_mb "$saver") MB at most)" test "$(peak_mb "$saver")" -lt 250
kill -TERM "$saver"
check "SIGTERM ends it" wait_exit "$saver" 5
finish
