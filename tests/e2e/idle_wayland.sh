#!/usr/bin/env bash
# driftmere --idle 0.1 in Wayland sessions, with no X server: in a headless sway (which offers
# org_kde_kwin_idle) with two outputs, nothing while the user types, the saver's scene on both
# after six idle seconds, a key ends it and it comes back after the next idle time; SIGTERM leaves
# no process, and a compositor that goes away ends the watcher with one line. Under headless
# mutter it watches through GNOME's org.gnome.Mutter.IdleMonitor and starts the saver from there.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/../support/wayland-session.sh"
trap 'stop_session; cleanup' EXIT

saver() { pgrep -P "$WATCHER" 2>/dev/null || true; }  # the watcher's running saver, if any
started() { [ -n "$(saver)" ]; }
# The watcher says this when its saver ends at once with a failure: no start of a real saver.
none_failed() { [ "$(lines_matching "$WORK/watcher.err" 'the saver failed as it started')" -eq 0 ]; }
# Tests running side by side share the session's user: only this session's copy counts.
left_behind() { pgrep -f "^$PROG( |\$)" >/dev/null; }
start_watcher() {  # start_watcher [VARIABLE=VALUE...]
    session_exec env "$@" "$PROG" --idle 0.1 >"$WORK/watcher.out" 2>"$WORK/watcher.err" &
    WATCHER=$!
    PIDS+=("$WATCHER")
}
key() { as_session wtype -s 300 x; }
on_both() { sky HEADLESS-1 800x40+0+0 && sky HEADLESS-2 640x40+0+0; }

start_sway 800x600 640x480
PROG=$(session_copy_program "$BIN")
start_watcher
# Keys for longer than the idle time keep the saver away.
typing_holds_it_off() {
    for _ in $(seq 8); do
        key
        sleep 0.7
        ! started && none_failed || return 1
    done
}
check "no saver while the user types" typing_holds_it_off
check "after six idle seconds the scene shows on both outputs" wait_for 30 on_both
FIRST=$(saver)
key
check "a key ends the saver" eval '[ -n "$FIRST" ] && wait_exit "$FIRST" 10'
check "the watcher keeps running" kill -0 "$WATCHER"
back() { started && [ "$(saver)" != "$FIRST" ] && on_both; }
check "after the next idle time a new saver shows on both outputs" wait_for 30 back
kill -TERM "$WATCHER"
check "SIGTERM ends the watcher" wait_exit "$WATCHER" 3
check "... and its saver: no process left" wait_for 3 eval '! left_behind'

# The protocol log shows when the watcher has made its watches on its connection.
start_watcher WAYLAND_DEBUG=client
check "a new watcher watches through org_kde_kwin_idle" \
    wait_for 10 grep -q 'org_kde_kwin_idle@[0-9]*.get_idle_timeout' "$WORK/watcher.err"
kill -TERM "$SESSION_PID"
check "a compositor that goes away ends the watcher" wait_exit "$WATCHER" 10
check "... with one line saying so" test "$(lines_matching "$WORK/watcher.err" 'went away')" -eq 1

# GNOME: no Wayland idle protocol; the idle monitor on the session bus tells.
start_mutter 800x600
PROG=$(session_copy_program "$BIN")
session_exec dbus-monitor "interface='org.gnome.Mutter.IdleMonitor'" >"$WORK/bus.log" 2>&1 &
PIDS+=("$!")
wait_for 10 grep -q NameAcquired "$WORK/bus.log" || true
start_watcher WAYLAND_DEBUG=client  # the saver's protocol log, too, comes to watcher.err
watch_added() { grep -A1 'member=AddIdleWatch' "$WORK/bus.log" | grep -q 'uint64 6000'; }
check "the watcher adds a six-second idle watch to GNOME's idle monitor" wait_for 20 watch_added
check "the saver is started from it" wait_for 30 started
check "  and puts up its fullscreen windows" \
    wait_for 30 grep -qE 'xdg_toplevel@[0-9]+\.set_fullscreen' "$WORK/watcher.err"
owned() { as_session gdbus call --session -d org.freedesktop.DBus -o /org/freedesktop/DBus \
    -m org.freedesktop.DBus.NameHasOwner org.freedesktop.ScreenSaver | grep -q true; }
check "the watcher provides org.freedesktop.ScreenSaver on GNOME's bus" owned
kill -TERM "$WATCHER"
check "SIGTERM ends that watcher too" wait_exit "$WATCHER" 3
[ "$FAILS" -eq 0 ] || { echo "--- the last watcher's stderr:"; grep -v '^\[' "$WORK/watcher.err"; }
finish
