#!/usr/bin/env bash
# The modes in Wayland sessions with no X server: the Control Box is a Wayland window (sway,
# mutter, KWin), the X11-only modes and a bad DRIFTMERE_PLATFORM say so in one line, and nothing
# on the Wayland path tries an X server even where DISPLAY names one (strace).
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/../support/wayland-session.sh"
trap 'stop_session; cleanup' EXIT
start_sway 800x600
PROG=$(session_copy_program "$BIN")

# STATUS | what stderr's one line says | the run (VAR=value first to add to its environment)
while IFS='|' read -r want pattern run; do
    read -ra words <<<"$run"
    status=0
    as_session env "${words[@]}" >"$WORK/out" 2>&1 || status=$?
    check "${run//$PROG/driftmere}: status $want, one line" test "$status $(wc -l <"$WORK/out")" = "$want 1"
    check "  saying so" grep -qE "$pattern" "$WORK/out"
done <<EOF
1|another program's X11 window, and this session has no X display|$PROG /p 12345
1|another program's X11 window|XSCREENSAVER_WINDOW=0x200001 $PROG --root
1|another program's X11 window|$PROG --window-id 0x200001
1|no X display.*DISPLAY is not set|DRIFTMERE_PLATFORM=x11 $PROG /c
2|DRIFTMERE_PLATFORM is "bogus"|DRIFTMERE_PLATFORM=bogus $PROG /c
1|DISPLAY is not set, and WAYLAND_DISPLAY "wayland-9" names no compositor|WAYLAND_DISPLAY=wayland-9 $PROG /s
EOF

# traced NAME ARGS...: the program with DISPLAY naming no server, its connections in NAME.trace.
traced() { (session_exec env DISPLAY=:77 strace -f -e trace=connect -o "$SESSION_DIR/$1.trace" "$PROG" "${@:2}"); }
no_x() { ! grep -E 'X11-unix|sin_port=htons\(60[0-9][0-9]\)' "$SESSION_DIR/$1.trace"; }

traced setup /c >/dev/null 2>&1 &
setup=$!
PIDS+=("$setup")
shown() { sway_msg -t get_tree | grep -q '"name": "Driftmere Control Box"'; }
check "sway shows the Control Box" wait_for 30 shown
sway_msg '[title="^Driftmere Control Box$"] kill' >/dev/null
check "closing it ends /c with status 0" eval 'wait_for 15 none_running $setup && [ "$(exit_status $setup)" = 0 ]'
check "  and /c tried no X server" no_x setup

# /s beside a running saver (the instance lock held) ends at once, without looking for the
# Control Box on an X server.
LOCK=$SESSION_DIR/run/driftmere.lock
as_session touch "$LOCK"
python3 -c 'import fcntl, sys, time; f = open(sys.argv[1]); fcntl.flock(f, fcntl.LOCK_SH); time.sleep(600)' \
    "$LOCK" </dev/null >/dev/null 2>&1 &
holder=$!
PIDS+=("$holder")
wait_for 10 eval '! flock -n -x "$LOCK" true'
check "/s beside a running saver ends with status 0" traced beside /s
check "  without trying an X server" no_x beside
kill "$holder"

# /s: the scene (far from sway's bare grey, lighter or darker), ended by a key.
session_shot HEADLESS-1 "$WORK/bare.png"
bare=$(mean_level bare 800x600+0+0)
traced saver /s >/dev/null 2>&1 &
saver=$!
PIDS+=("$saver")
scene() {
    session_shot HEADLESS-1 "$WORK/scene.png" || return 1
    local change=$(($(mean_level scene 800x600+0+0) - bare))
    [ "${change#-}" -gt 20 ]
}
check "/s shows the scene" wait_for 30 scene
as_session wtype -s 300 x
check "a key ends it with status 0" eval 'wait_for 15 none_running $saver && [ "$(exit_status $saver)" = 0 ]'
check "/s tried no X server" no_x saver

# mutter, headless and drawing into an X window (where it can be photographed): the Control Box
# shows (light grey over the dark desktop), and Escape from mutter's remote desktop closes it.
for start in start_mutter start_mutter_nested; do
    "$start" 800x600
    PROG=$(session_copy_program "$BIN")
    session_exec "$PROG" /c >/dev/null 2>&1 &
    setup=$!
    PIDS+=("$setup")
    box() { session_shot 1 "$WORK/box.png" && [ "$(mean_level box 400x300+0+0)" -gt 150 ]; }
    [ "$start" = start_mutter ] || check "$start: a screenshot shows the Control Box" wait_for 60 box
    escape_closes() { mutter_key Escape && wait_for 2 none_running "$setup"; }
    check "$start: Escape closes it, status 0" eval 'wait_for 60 escape_closes && [ "$(exit_status $setup)" = 0 ]'
done

# KWin: the Control Box opens there with the keyboard.
start_kwin 800x600
PROG=$(session_copy_program "$BIN")
session_exec env WAYLAND_DEBUG=1 "$PROG" /c >"$WORK/kwin.err" 2>&1 &
setup=$!
PIDS+=("$setup")
check "start_kwin: the Control Box opens with the keyboard" \
    wait_for 60 grep -qE 'wl_keyboard@[0-9]+\.enter' "$WORK/kwin.err"
end_quietly "$setup"
finish
