#!/usr/bin/env bash
# Under the xscreensaver daemon (run as nobody, it refuses root): `driftmere
# --add-to-xscreensaver` puts Driftmere at the end of the system's whole list in the user's
# file, the daemon runs it from there and the scene shows; deactivating leaves no Driftmere
# process behind; --remove-from-xscreensaver takes it out again.
source "$(dirname "$0")/lib.sh"
command -v xscreensaver >/dev/null || { echo "xscreensaver is not installed"; exit 1; }

start_xvfb 800x600 -ac  # any local user may connect

home=$WORK/home
mkdir -p "$home"
BIN=$(program_copy "$WORK/inst" data)  # the build tree may lie where nobody cannot read it
# The user's own settings, with no list of modes yet: the system's applies.
cat >"$home/.xscreensaver" <<XSS
mode:           one
fade:           False
unfade:         False
lock:           False
splash:         False
timeout:        0:30:00
cycle:          0:00:00
XSS
chmod 755 "$WORK"
chown -R nobody:nogroup "$home"

# The entry runs plain "driftmere", found on the daemon's PATH as after an install.
as_nobody() {
    setpriv --reuid=nobody --regid=nogroup --clear-groups \
        env -i HOME="$home" DISPLAY="$DISPLAY" PATH="$(dirname "$BIN"):$PATH" \
        XDG_CONFIG_HOME="$home/.config" DRIFTMERE_AUDIO=none "$@"
}

check "--add-to-xscreensaver adds the entry" as_nobody driftmere --add-to-xscreensaver
# Every entry ends in "\n"; ours is the last, after every stock mode.
modes=$(grep -c '\\n\\\?$' "$home/.xscreensaver")
stock=$(sed -n '/^\*programs:/,/[^\\]$/p' /etc/X11/app-defaults/XScreenSaver | grep -c '\\n\\\?$')
check "the system's $stock modes stay listed before it" test "$modes" = $((stock + 1))

as_nobody xscreensaver --no-splash >"$WORK/xss.log" 2>&1 &
xss=$!
PIDS+=("$xss")
daemon_answers() { as_nobody xscreensaver-command -version >/dev/null 2>&1; }
hack_running() { pgrep -u nobody -f "driftmere --root" >/dev/null; }
no_hack_running() { ! hack_running; }
check "the xscreensaver daemon answers" wait_for 30 daemon_answers

as_nobody xscreensaver-command -select "$modes" >/dev/null 2>&1
check "xscreensaver starts Driftmere as mode $modes" wait_for 30 hack_running
check "the scene is on screen" wait_for 30 shot_brighter hosted 600x400+100+100 30
check "Driftmere wrote its first-run settings in the user's folder" test -s "$home/.config/DriftmereVT/settings.ini"

as_nobody xscreensaver-command -deactivate >/dev/null 2>&1
check "deactivating leaves no Driftmere process" wait_for 10 no_hack_running
as_nobody xscreensaver-command -exit >/dev/null 2>&1 || true
wait_exit "$xss" 10 || true

check "--remove-from-xscreensaver takes it out" as_nobody driftmere --remove-from-xscreensaver
check "and leaves the stock modes" test "$(grep -c '\\n\\\?$' "$home/.xscreensaver")" = "$stock"
if [ "$FAILS" -ne 0 ]; then echo "--- xscreensaver log:"; cat "$WORK/xss.log"; fi
finish
