#!/usr/bin/env bash
# The modes in a Wayland session with no X server (headless sway, DISPLAY unset): the Control Box
# opens as a Wayland window, the X11-only ways of showing the saver say so, DRIFTMERE_PLATFORM is
# obeyed, and nothing on the Wayland path tries to reach an X server even where DISPLAY is set.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/../support/wayland-session.sh"
trap 'stop_session; cleanup' EXIT
start_sway 800x600
PROG=$(session_copy_program "$BIN")
OUT=$SESSION_DIR/out

# ends_with STATUS PATTERN ARGS...: the program, run in the session with ARGS (VAR=value first
# to add to its environment), ends with STATUS and one line on stderr that matches PATTERN.
ends_with() {
    local want=$1 pattern=$2 status=0 vars=()
    shift 2
    while [[ ${1:-} == *=* ]]; do vars+=("$1"); shift; done
    as_session env "${vars[@]}" "$PROG" "$@" >"$OUT" 2>&1 || status=$?
    [ "$status" = "$want" ] && [ "$(wc -l <"$OUT")" = 1 ] && grep -qE "$pattern" "$OUT" ||
        { echo "  ended with $status: $(cat "$OUT")"; return 1; }
}
XONLY="another program's X11 window"
check "/p 12345 says a preview needs X, status 1" ends_with 1 "$XONLY" /p 12345
check "--root (with XSCREENSAVER_WINDOW) says so too" \
    ends_with 1 "$XONLY" XSCREENSAVER_WINDOW=0x200001 --root
check "--window-id too" ends_with 1 "$XONLY" --window-id 0x200001
check "DRIFTMERE_PLATFORM=x11 without DISPLAY: no display, status 1" \
    ends_with 1 "no X display.*DISPLAY is not set" DRIFTMERE_PLATFORM=x11 /c
check "DRIFTMERE_PLATFORM=bogus is refused, status 2" \
    ends_with 2 'DRIFTMERE_PLATFORM is "bogus"' DRIFTMERE_PLATFORM=bogus /c
check "a WAYLAND_DISPLAY nobody answers on, and no DISPLAY: no display, naming both" \
    ends_with 1 "DISPLAY is not set, and WAYLAND_DISPLAY \"wayland-9\" names no compositor" \
    WAYLAND_DISPLAY=wayland-9 /s

# The X connections a run attempts, with DISPLAY naming a server that is not there (strace).
x_connections() { grep -E 'X11-unix|sin_port=htons\(60[0-9][0-9]\)' "$1" || true; }
traced() { (session_exec env DISPLAY=:77 strace -f -e trace=connect -o "$SESSION_DIR/$1.trace" "${@:2}"); }

# /c: Qt's own Wayland window, shown by sway; swaymsg kill ends it with status 0.
traced setup "$PROG" /c >"$SESSION_DIR/setup.err" 2>&1 &
setup=$!
PIDS+=("$setup")
control_box_shown() { sway_msg -t get_tree | grep -q '"name": "Driftmere Control Box"'; }
check "/c opens the Control Box as a Wayland window" wait_for 30 control_box_shown
sway_msg '[title="^Driftmere Control Box$"] kill' >/dev/null
check "closing it ends /c with status 0" wait_for 15 none_running "$setup"
check "  (status)" test "$(exit_status "$setup")" = 0
check "/c tried no X server, although DISPLAY was set" test -z "$(x_connections "$SESSION_DIR/setup.trace")"

# /s while another saver holds the instance lock ends at once (status 0); the Control Box is not
# looked for on an X server to let it run.
LOCK=$SESSION_DIR/run/driftmere.lock
as_session touch "$LOCK"
python3 -c 'import fcntl, sys, time; f = open(sys.argv[1]); fcntl.flock(f, fcntl.LOCK_SH); time.sleep(600)' \
    "$LOCK" </dev/null >/dev/null 2>&1 &
holder=$!
PIDS+=("$holder")
lock_held() { ! flock -n -x "$LOCK" true; }
wait_for 10 lock_held
check "/s beside a running saver ends with status 0" traced beside "$PROG" /s
check "  without trying an X server for the Control Box" \
    test -z "$(x_connections "$SESSION_DIR/beside.trace")"
kill "$holder"
wait_for 10 none_running "$holder"

# /s on its own: the Wayland saver. Until it draws, its line and status 1; once it does, the
# scene on the output with no X connection, ended by a key with status 0.
traced saver "$PROG" /s >"$SESSION_DIR/saver.err" 2>&1 &
saver=$!
PIDS+=("$saver")
session_shot HEADLESS-1 "$WORK/bare.png"
BARE=$(mean_level bare 800x600+0+0)
scene_shown() {
    session_shot HEADLESS-1 "$WORK/scene.png" &&
        [ "$(mean_level scene 800x600+0+0)" -gt $((BARE + 30)) ]
}
ended_or_shown() { none_running "$saver" || scene_shown; }
wait_for 30 ended_or_shown
if ! scene_shown && wait_for 10 none_running "$saver" &&
    grep -q "cannot run as a Wayland client yet" "$SESSION_DIR/saver.err"; then
    check "/s without the Wayland saver says so with status 1" test "$(exit_status "$saver")" = 1
else
    check "/s shows the scene" scene_shown
    as_session wtype -s 300 x
    check "a key ends /s" wait_for 15 none_running "$saver"
    check "  with status 0" test "$(exit_status "$saver")" = 0
fi
check "/s tried no X server" test -z "$(x_connections "$SESSION_DIR/saver.trace")"

# GNOME's compositor: the Control Box is a Wayland window there too, and a key from mutter's
# remote desktop reaches it (Escape closes it, status 0).
start_mutter 800x600
PROG=$(session_copy_program "$BIN")
session_exec "$PROG" /c >"$SESSION_DIR/setup.err" 2>&1 &
setup=$!
PIDS+=("$setup")
escape_closes() { mutter_key Escape && wait_for 2 none_running "$setup"; }
check "under mutter, Escape from mutter_key closes the Control Box" wait_for 60 escape_closes
check "  (status 0)" test "$(exit_status "$setup")" = 0

# The same under mutter drawing into an X window, where it can be photographed: the Control Box's
# light grey over the dark desktop.
start_mutter_nested 800x600
PROG=$(session_copy_program "$BIN")
session_exec "$PROG" /c >"$SESSION_DIR/setup.err" 2>&1 &
setup=$!
PIDS+=("$setup")
box_shown() {
    session_shot 1 "$WORK/box.png" && [ "$(mean_level box 400x300+0+0)" -gt 150 ]
}
check "under nested mutter, a screenshot shows the Control Box" wait_for 60 box_shown
check "  and Escape closes it" wait_for 60 escape_closes

# KDE's compositor: the Control Box opens there and KWin gives it the keyboard.
start_kwin 800x600
PROG=$(session_copy_program "$BIN")
session_exec env WAYLAND_DEBUG=1 "$PROG" /c >"$SESSION_DIR/setup.err" 2>&1 &
setup=$!
PIDS+=("$setup")
has_keyboard() { grep -qE 'wl_keyboard@[0-9]+\.enter' "$SESSION_DIR/setup.err"; }
check "under KWin, the Control Box opens with the keyboard" wait_for 60 has_keyboard
end_quietly "$setup"
finish
