#!/usr/bin/env bash
# driftmere --idle 0.1: nothing while the user is active, the scene once six seconds pass without
# input, a key ends it and it comes back; one watcher per user; neither SIGKILL nor SIGTERM leaves
# a saver behind; an inhibitor on the session bus holds it off until released or its holder leaves, and so does a
# desktop's own service and the X server's saver turned off; xscreensaver turns it away; and "/s"
# turns the X server's own blank off.
source "$(dirname "$0")/lib.sh"
start_xvfb 800x600

# A session bus of our own, with nobody providing org.freedesktop.ScreenSaver on it.
dbus-daemon --session --nofork --print-address=3 3>"$WORK/bus" 2>/dev/null &
PIDS+=("$!")
wait_for 30 test -s "$WORK/bus"
DBUS_SESSION_BUS_ADDRESS=$(head -n1 "$WORK/bus")
export DBUS_SESSION_BUS_ADDRESS

saver_of() { pgrep -P "$1" 2>/dev/null | head -n1; }  # the watcher's child, if any
saver_started() { SAVER=$(saver_of "$1") && [ -n "$SAVER" ]; }
scene_shows() { shot_brighter idle 600x400+100+100 20; }
black() { shot dark && [ "$(mean_level dark 600x400+100+100)" -lt 10 ]; }

start_program --idle 0.1
WATCHER=$PROG_PID
# Input every second for longer than the idle time keeps the saver away.
active_holds_it_off() {
    for i in $(seq 8); do
        xdotool mousemove $((100 + i * 10)) 100
        sleep 1
        [ -z "$(saver_of "$WATCHER")" ] || return 1
    done
}
check "no saver while the user is active" active_holds_it_off
second_ends() { "$BIN" --idle 0.1 2>"$WORK/second.err" && grep -q "already runs" "$WORK/second.err"; }
check "a second --idle of the same user ends at once, saying why" second_ends
check "the saver starts after six idle seconds" wait_for 30 saver_started "$WATCHER"
check "... and shows the scene" wait_for 30 scene_shows
FIRST=$SAVER
wait_mapped "$FIRST" 20 || true
xdotool key x
check "a key ends the saver" wait_exit "$FIRST" 10
check "the watcher keeps running" kill -0 "$WATCHER"
comes_back() { saver_started "$WATCHER" && [ "$SAVER" != "$FIRST" ]; }
check "it comes back after the next idle time" wait_for 30 comes_back
# SIGKILL gives the watcher no say: the kernel ends its saver.
kill -KILL "$WATCHER"
check "a saver outlives no SIGKILLed watcher" wait_exit "$SAVER" 5

# An inhibitor held on the session bus: none while held, released by UnInhibit or by leaving.
# Input first: the inhibitor comes well within the idle time.
xdotool mousemove 300 300
start_program --idle 0.1
WATCHER=$PROG_PID
inhibit() {
    coproc PLAYER { "${DRIFTMERE_INHIBITOR:?}" 2>&1; }
    IFS= read -r -t 20 -u "${PLAYER[0]}" COOKIE
}
owned() { gdbus call --session -d org.freedesktop.DBus -o /org/freedesktop/DBus \
    -m org.freedesktop.DBus.NameHasOwner org.freedesktop.ScreenSaver | grep -q true; }
check "the watcher provides org.freedesktop.ScreenSaver" wait_for 20 owned
check "an inhibitor gets a cookie" inhibit
check "... a number" test "${COOKIE:-x}" -gt 0 2>/dev/null
# Somebody else's UnInhibit with that cookie lets nothing go: only its holder's does.
gdbus call --session -d org.freedesktop.ScreenSaver -o /ScreenSaver \
    -m org.freedesktop.ScreenSaver.UnInhibit "${COOKIE:-0}" >/dev/null 2>&1 || true
held_off() { for _ in $(seq 8); do sleep 1; [ -z "$(saver_of "$WATCHER")" ] || return 1; done; }
check "no saver while it is held, whoever else calls UnInhibit" held_off
echo release >&"${PLAYER[1]}"
IFS= read -r -t 20 -u "${PLAYER[0]}" answer || true
check "UnInhibit is answered" test "${answer:-}" = released
check "releasing it lets the saver start" wait_for 30 saver_started "$WATCHER"
# bash forgets a coprocess's pid once it has ended and been reaped.
exec {PLAYER[1]}>&-
wait "${PLAYER_PID:-}" 2>/dev/null || true
wait_mapped "$SAVER" 20 || true
xdotool key x
check "a key ends that saver too" wait_exit "$SAVER" 10
inhibit
# While held, input and idle come and go; a holder that leaves the bus lets go.
check "held again after the saver" held_off
HOLDER=$PLAYER_PID
exec {PLAYER[1]}>&-
wait "$HOLDER" 2>/dev/null || true
check "a holder that leaves the bus lets the saver start" wait_for 30 saver_started "$WATCHER"
kill -TERM "$WATCHER"
check "SIGTERM ends the watcher" wait_exit "$WATCHER" 3
check "... and the saver it ran" wait_exit "$SAVER" 3

# A desktop that provides org.freedesktop.ScreenSaver itself is asked (here its power manager's
# HasInhibit) before the saver starts.
coproc DESKTOP { "${DRIFTMERE_INHIBITOR:?}" --desktop 2>&1; }
desktop_says() { IFS= read -r -t 20 -u "${DESKTOP[0]}" line && [ "$line" = "$1" ]; }
check "the stand-in desktop owns the service" desktop_says ready
echo hold >&"${DESKTOP[1]}"
desktop_says hold || true
xdotool mousemove 250 250
start_program --idle 0.1
WATCHER=$PROG_PID
check "no saver while the desktop holds savers off" held_off
echo release >&"${DESKTOP[1]}"
check "the saver starts once the desktop lets go" wait_for 30 saver_started "$WATCHER"
end_quietly "$WATCHER"
DESKTOP_HOLDER=$DESKTOP_PID
exec {DESKTOP[1]}>&-
wait "$DESKTOP_HOLDER" 2>/dev/null || true

# xdg-screensaver suspend on a plain X desktop turns the X server's saver off: no start while so.
xdotool mousemove 200 200
start_program --idle 0.1
WATCHER=$PROG_PID
wait_for 20 owned || true  # the watcher is up and has seen the saver on
xset s off
check "no saver while the X server's saver is turned off" held_off
xset s 600
check "the saver starts once it is on again" wait_for 30 saver_started "$WATCHER"
end_quietly "$WATCHER"

# xscreensaver running on the display (its window carries its version): --idle leaves it be.
start_host 10 10
xprop -id "$HOST_ID" -f _SCREENSAVER_VERSION 8s -set _SCREENSAVER_VERSION 6.06
host_refused() { "$BIN" --idle 0.1 2>"$WORK/host.err" && grep -q xscreensaver "$WORK/host.err"; }
check "--idle ends at once, saying so, where xscreensaver runs" host_refused
kill "$HOST_PID"
# In a Wayland session the compositor counts, never XWayland: one it cannot reach ends it.
wayland_unreachable() {
    local s=0
    WAYLAND_DISPLAY=wayland-0 "$BIN" --idle 0.1 2>"$WORK/wayland.err" || s=$?
    [ "$s" -eq 1 ] && grep -q "no Wayland compositor at wayland-0" "$WORK/wayland.err"
}
check "in a Wayland session it asks the compositor, and says so when it cannot" wayland_unreachable

# The X server's own saver on (an idle hook ran first): "/s" takes it off and shows the scene.
xset s activate
check "the X server's saver blanks the screen" wait_for 10 black
start_program /s
check "/s turns it off and the scene shows" wait_for 30 scene_shows
end_quietly "$PROG_PID"
finish
