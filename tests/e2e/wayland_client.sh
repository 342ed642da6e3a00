# What the saver's own test cannot see of the Wayland client, in a headless sway with two outputs
# of different sizes, then in a headless mutter (no layer shell): the probe program covers every
# output with one colour and a moving square, and prints what the client reports.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/../support/wayland-session.sh"
PROBE_BIN=${DRIFTMERE_WLCLIENT_PROBE:?}
COLOUR_WINDOW_BIN=${DRIFTMERE_COLOUR_WINDOW:?}
VIRTUAL_POINTER_BIN=${DRIFTMERE_VIRTUAL_POINTER:?}
trap 'stop_session; cleanup' EXIT

# The probe's colour (20c040) and the window's that must stay below it (ff00ff).
GREEN="32 192 64"
MAGENTA="255 0 255"

# session_copy BIN NAME: a copy of a test program the session's user can run.
session_copy() {
    cp "$1" "$SESSION_DIR/$2"
    [ "$(id -u)" -ne 0 ] || chown "$SESSION_USER" "$SESSION_DIR/$2"
}

# start_probe ARGS...: the probe in the session; its lines in $WORK/probe.out, pid in $PROBE_PID.
start_probe() {
    session_copy "$PROBE_BIN" probe
    session_exec "$SESSION_DIR/probe" "$@" >"$WORK/probe.out" 2>"$WORK/probe.err" &
    PROBE_PID=$!
    PIDS+=("$PROBE_PID")
}

said() { lines_at_least "$WORK/probe.out" "$1" "${2:-1}"; }  # said PATTERN [TIMES]
not_said() { [ "$(lines_matching "$WORK/probe.out" "$1")" -eq 0 ]; }

# covered OUTPUT WIDTH HEIGHT R G B: the output shows the colour everywhere below the probe's
# moving square (its top 32 rows).
covered() {
    session_shot "$1" "$WORK/$1.png" || return 1
    [ "$(count_colour "$1" "${2}x$(($3 - 40))+0+40" $4 $5 $6 3)" -eq $(($2 * ($3 - 40))) ]
}

# one_square OUTPUT WIDTH: the probe's top rows hold its moving white square once, no trail of
# its earlier places (each buffer redraws what changed while the others were shown).
one_square() {
    session_shot "$1" "$WORK/$1.png" || return 1
    [ "$(count_colour "$1" "${2}x40+0+0" 255 255 255 3)" -eq $((32 * 32)) ]
}

# shows OUTPUT R G B: the colour is at the output's centre.
shows() {
    session_shot "$1" "$WORK/$1.png" || return 1
    local size
    size=$(identify -format '%w %h' "$WORK/$1.png")
    set -- "$1" "$2" "$3" "$4" $size
    [ "$(count_colour "$1" "20x20+$(($5 / 2 - 10))+$(($6 / 2 - 10))" "$2" "$3" "$4" 3)" -eq 400 ]
}

# fullscreen_window_shown: sway shows the colour window, fullscreen (it has drawn into it).
fullscreen_window_shown() {
    local window
    window=$(sway_msg -t get_tree | grep -A60 '"name": "colour window"') || return 1
    grep -q '"fullscreen_mode": 1' <<<"$window" && grep -q '"visible": true' <<<"$window"
}

echo "# sway: the overlay layer"
start_sway 800x600 640x480
start_probe --animate
check "both outputs get a surface of their size" \
    wait_for 20 said '^ready [0-9]+ (800x600|640x480) scale 1$' 2
check "the first output is covered" wait_for 20 covered HEADLESS-1 800 600 $GREEN
check "only what changed is redrawn, in every buffer" one_square HEADLESS-1 800

sway_msg output HEADLESS-2 scale 2 >/dev/null
check "an output scaled by 2 takes frames of its device size" \
    wait_for 20 said '^ready [0-9]+ 640x480 scale 2$'
check "announced once, not at the size before the scale came" not_said '320x240'
check "and stays covered" wait_for 20 covered HEADLESS-2 640 480 $GREEN

session_copy "$COLOUR_WINDOW_BIN" colour_window
session_exec QT_QPA_PLATFORM=wayland "$SESSION_DIR/colour_window" ff00ff >/dev/null 2>&1 &
PIDS+=($!)
check "a fullscreen window opens after the probe" wait_for 20 fullscreen_window_shown
check "and stays below it" shows HEADLESS-1 $GREEN

as_session wtype -s 300 n
check "N is read as 78" wait_for 20 said '^key 78$'
# Headless sway has no pointer: the test makes one. Each command is answered once sway has
# handled it, and the probe's events come in the order sway sent them.
session_copy "$VIRTUAL_POINTER_BIN" virtual_pointer
mkfifo "$SESSION_DIR/pointer.in"
session_exec "$SESSION_DIR/virtual_pointer" <"$SESSION_DIR/pointer.in" >"$WORK/pointer.out" 2>&1 &
PIDS+=($!)
exec 3>"$SESSION_DIR/pointer.in"
POINTER_COMMANDS=0
pointer() {
    echo "$1" >&3
    POINTER_COMMANDS=$((POINTER_COMMANDS + 1))
    wait_for 10 lines_at_least "$WORK/pointer.out" '^done$' "$POINTER_COMMANDS"
}
moves=0
until said '^moved$' || [ "$moves" -ge 10 ]; do
    pointer "move 10 10"
    moves=$((moves + 1))
    wait_for 1 said '^moved$' || true
done
check "the pointer moving is reported" said '^moved$'
check "but not where it first is on entering" [ "$moves" -ge 2 ]
pointer scroll
pointer click
check "a button is a click" wait_for 10 said '^click$'
check "a scroll before it is nothing" [ "$(lines_matching "$WORK/probe.out" '^moved$')" -eq 1 ]
exec 3>&-

as_session wtype -s 300 x
check "another key ends it" wait_exit "$PROBE_PID" 20
check "the fullscreen window shows once it has gone" wait_for 20 shows HEADLESS-1 $MAGENTA

# The same square drawn straight into the surface's buffers: sway keeps the buffer shown until
# the next is committed, so each frame goes into the other one, which must first get the
# previous frame's change (the probe checks each buffer it is given).
start_probe --animate-in-place
check "drawn in place, the first output is covered" wait_for 20 covered HEADLESS-1 800 600 $GREEN
check "and shows the square once, no trail" one_square HEADLESS-1 800
sleep 1
check "each buffer given held the frame before" not_said '^stale buffer$'
as_session wtype -s 300 x
check "a key ends it" wait_exit "$PROBE_PID" 20
stop_session

echo "# mutter: no layer shell"
start_mutter 800x600 1280x1024
start_probe
check "the surfaces are fullscreen toplevels" wait_for 30 said '^above 0$'
check "one on each monitor, of its size" \
    wait_for 30 said '^ready [0-9]+ (800x600|1280x1024) scale 1$' 2
stop_session

[ "$FAILS" -eq 0 ] || { echo "--- probe:"; cat "$WORK/probe.out" "$WORK/probe.err"; }
finish
