#!/usr/bin/env bash
# driftmere --idle 0.1 in Wayland sessions, with no X server: in a headless sway (which offers
# org_kde_kwin_idle) nothing while the user types, the saver started after six idle seconds, a key
# makes the user active again and it is started again after the next idle time; SIGTERM leaves no
# process, and a compositor that goes away ends the watcher with one line. Under headless mutter
# it watches through GNOME's org.gnome.Mutter.IdleMonitor and starts the saver from there.
#
# Until the saver draws as a Wayland client, "/s" there ends at once with a failure; the watcher
# says so and tries again only once the user has been back. A start is either a live child or
# that line.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/../support/wayland-session.sh"
trap 'stop_session; cleanup' EXIT

FAILED_LINE='the saver failed as it started'
children() { pgrep -P "$WATCHER" 2>/dev/null || true; }
starts() { echo $(($(lines_matching "$WORK/watcher.err" "$FAILED_LINE") + $(children | wc -l))); }
started() { [ "$(starts)" -ge "$1" ]; }
left_behind() { pgrep -u "$SESSION_USER" -x driftmere >/dev/null; }
start_watcher() {  # start_watcher [VARIABLE=VALUE...]
    session_exec env "$@" "$PROG" --idle 0.1 >"$WORK/watcher.out" 2>"$WORK/watcher.err" &
    WATCHER=$!
    PIDS+=("$WATCHER")
}
key() { as_session wtype -s 300 x; }

start_sway 800x600 640x480
PROG=$(session_copy_program "$BIN")
start_watcher
# Keys for longer than the idle time keep the saver away.
typing_holds_it_off() {
    for _ in $(seq 8); do
        key
        sleep 0.7
        [ "$(starts)" -eq 0 ] || return 1
    done
}
check "no saver while the user types" typing_holds_it_off
check "the saver is started after six idle seconds" wait_for 30 started 1
FIRST=$(children)
key
[ -z "$FIRST" ] || check "a key ends the saver" wait_exit "$FIRST" 10
check "the watcher keeps running" kill -0 "$WATCHER"
check "it is started again after the next idle time" wait_for 30 started 2
kill -TERM "$WATCHER"
check "SIGTERM ends the watcher" wait_exit "$WATCHER" 3
check "... and leaves no process" wait_for 3 eval '! left_behind'

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
start_watcher
watch_added() { grep -A1 'member=AddIdleWatch' "$WORK/bus.log" | grep -q 'uint64 6000'; }
check "the watcher adds a six-second idle watch to GNOME's idle monitor" wait_for 20 watch_added
check "the saver is started from it" wait_for 30 started 1
owned() { as_session gdbus call --session -d org.freedesktop.DBus -o /org/freedesktop/DBus \
    -m org.freedesktop.DBus.NameHasOwner org.freedesktop.ScreenSaver | grep -q true; }
check "the watcher provides org.freedesktop.ScreenSaver on GNOME's bus" owned
kill -TERM "$WATCHER"
check "SIGTERM ends that watcher too" wait_exit "$WATCHER" 3
[ "$FAILS" -eq 0 ] || { echo "--- the last watcher's stderr:"; cat "$WORK/watcher.err"; }
finish
