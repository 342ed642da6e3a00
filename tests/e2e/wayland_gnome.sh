#!/usr/bin/env bash
# The saver where there is no layer shell: under mutter (GNOME's compositor), a fullscreen window
# on each of two monitors, its keys through mutter's remote desktop, and the power setting asked
# of the desktop over D-Bus, since mutter has no idle inhibitor. Then under KWin, on the layer
# shell's overlay of both virtual outputs, seen in the saver's own protocol log; KWin offers no
# virtual keyboard there (wtype says so), so no keys are tried.
#
# Mutter photographed: it draws its monitors into a window of a private X server, and can make
# them only of one size, so both are 800x600.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/../support/wayland-session.sh"
trap 'stop_session; cleanup' EXIT

power_setting_on() {
    mkdir -p "$SESSION_DIR/config/DriftmereVT"
    printf '[Settings]\nPwrSave=1\n' >"$SESSION_DIR/config/DriftmereVT/settings.ini"
    [ "$(id -u)" -ne 0 ] || chown -R "$SESSION_USER" "$SESSION_DIR/config"
}
start_saver() {  # start_saver NAME [VARIABLE=VALUE...]: the saver, its output in $WORK/NAME.*
    session_exec env "${@:2}" "$SAVER" /s >"$WORK/$1.out" 2>"$WORK/$1.err" &
    SAVER_PID=$!
    PIDS+=("$SAVER_PID")
}
KEEP_ON_LINE='cannot keep the monitor on'

start_mutter_nested 800x600 2
SAVER=$(session_copy_program "$BIN")
power_setting_on
# Headless mutter's bus has no org.freedesktop.ScreenSaver: nobody to ask. The protocol log
# (lines in brackets) shows the keys that arrived.
start_saver mutter WAYLAND_DEBUG=client
said() { grep -v '^\[' "$WORK/$1.err" || true; }
check "mutter: the first monitor shows the scene" wait_for 60 sky 1 800x40+0+0
check "mutter: the second monitor shows the scene" wait_for 30 sky 2 800x40+0+0
check "with nobody to keep the screen on, one line on stderr says so" \
    eval 'said mutter | grep -q "$KEEP_ON_LINE" && [ "$(said mutter | wc -l)" = 1 ]'
mutter_key n
check "N (evdev 49) arrives" wait_for 10 grep -qE 'wl_keyboard@[0-9]+\.key\([0-9]+, [0-9]+, 49, 1\)' "$WORK/mutter.err"
check "  and is a music key: the saver goes on" kill -0 "$SAVER_PID"
mutter_key x
check "another key ends it" wait_exit "$SAVER_PID" 20
check "with status 0" test "$(exit_status "$SAVER_PID")" -eq 0

# A desktop that provides the service (the stand-in serves it at /ScreenSaver only, as some
# desktops do): the saver holds its inhibitor while it runs.
session_exec dbus-monitor "interface='org.freedesktop.ScreenSaver'" >"$WORK/bus.log" 2>&1 &
PIDS+=("$!")
wait_for 10 grep -q NameAcquired "$WORK/bus.log" || true
coproc DESKTOP { session_exec "${DRIFTMERE_INHIBITOR:?}" --desktop 2>&1; }
PIDS+=("$DESKTOP_PID")
IFS= read -r -t 20 -u "${DESKTOP[0]}" _ || true  # "ready": it owns the service
start_saver asked
check "with the desktop's service: the saver asks it to keep the screen on" \
    wait_for 30 grep -q 'member=Inhibit$' "$WORK/bus.log"
wait_for 30 sky 1 800x40+0+0 && mutter_key x
check "  and lets go when a key ends it" \
    eval 'wait_exit $SAVER_PID 20 && wait_for 5 grep -q "member=UnInhibit\$" "$WORK/bus.log"'
check "  saying nothing" test ! -s "$WORK/asked.err"

# KWin: each surface asks the layer shell for the overlay (layer 3) of an output of its own.
start_kwin 640x480
SAVER=$(session_copy_program "$BIN")
power_setting_on
start_saver kwin WAYLAND_DEBUG=client
overlay_requests() {  # "wl_surface@S, wl_output@O" for each overlay asked for
    grep -oE 'get_layer_surface\(new id [^,]+, wl_surface@[0-9]+, wl_output@[0-9]+, 3,' "$WORK/kwin.err" |
        grep -oE 'wl_surface@[0-9]+, wl_output@[0-9]+'
}
overlays() { overlay_requests | grep -oE 'wl_output@[0-9]+' | sort -u | wc -l; }
drawn() {  # overlay surfaces given a buffer
    local surface n=0
    for surface in $(overlay_requests | grep -oE 'wl_surface@[0-9]+' | sort -u); do
        grep -q "$surface\.attach(wl_buffer@" "$WORK/kwin.err" && n=$((n + 1))
    done
    echo "$n"
}
check "KWin: the saver takes the overlay layer on both outputs" wait_for 60 eval '[ "$(overlays)" -ge 2 ]'
check "  and draws on both" wait_for 30 eval '[ "$(drawn)" -ge 2 ]'
check "  with KWin's idle inhibitor, nothing said" \
    eval 'grep -q "zwp_idle_inhibit_manager_v1@[0-9]*\.create_inhibitor" "$WORK/kwin.err" && ! grep -q "$KEEP_ON_LINE" "$WORK/kwin.err"'
end_quietly "$SAVER_PID"
finish
