#!/usr/bin/env bash
# Under the xscreensaver daemon (run as nobody, it refuses root): activating shows the scene,
# deactivating leaves no Driftmere process behind.
source "$(dirname "$0")/lib.sh"
command -v xscreensaver >/dev/null || { echo "xscreensaver is not installed"; exit 1; }

start_xvfb 800x600 -ac  # any local user may connect

home=$WORK/home
mkdir -p "$home"
BIN=$(program_copy "$WORK/inst" data)  # the build tree may lie where nobody cannot read it
cat >"$home/.xscreensaver" <<XSS
mode:           one
selected:       0
fade:           False
unfade:         False
lock:           False
splash:         False
timeout:        0:30:00
cycle:          0:00:00
programs:                                                         \\
                "Driftmere"  $BIN --root                          \\n\\
XSS
chmod 755 "$WORK"
chown -R nobody:nogroup "$home"

as_nobody() {
    setpriv --reuid=nobody --regid=nogroup --clear-groups \
        env -i HOME="$home" DISPLAY="$DISPLAY" PATH="$PATH" XDG_CONFIG_HOME="$home/.config" \
        DRIFTMERE_AUDIO=none "$@"
}

as_nobody xscreensaver --no-splash >"$WORK/xss.log" 2>&1 &
xss=$!
PIDS+=("$xss")
daemon_answers() { as_nobody xscreensaver-command -version >/dev/null 2>&1; }
hack_running() { pgrep -u nobody -f "$BIN --root" >/dev/null; }
no_hack_running() { ! hack_running; }
check "the xscreensaver daemon answers" wait_for 30 daemon_answers

as_nobody xscreensaver-command -select 1 >/dev/null 2>&1
check "xscreensaver starts Driftmere" wait_for 30 hack_running
check "the scene is on screen" wait_for 30 shot_brighter hosted 600x400+100+100 30
check "Driftmere wrote its first-run settings in the user's folder" test -s "$home/.config/DriftmereVT/settings.ini"

as_nobody xscreensaver-command -deactivate >/dev/null 2>&1
check "deactivating leaves no Driftmere process" wait_for 10 no_hack_running
as_nobody xscreensaver-command -exit >/dev/null 2>&1 || true
wait_exit "$xss" 10 || true
if [ "$FAILS" -ne 0 ]; then echo "--- xscreensaver log:"; cat "$WORK/xss.log"; fi
finish
