#!/usr/bin/env bash
# A read-only settings folder without a file: first-run values in memory, said once that it
# cannot save. Run as nobody, since root writes through any folder mode.
source "$(dirname "$0")/lib.sh"
if [ "$(id -u)" -ne 0 ]; then
    echo "skip - switching to the user nobody needs root"
    exit 0
fi
start_xvfb 800x600 -ac  # any local user may connect
chmod 711 "$WORK"
HOME_N=$WORK/nobody
mkdir -p "$HOME_N/config/DriftmereVT" "$HOME_N/run"
chown -R nobody:nogroup "$HOME_N"
chmod 700 "$HOME_N/run"
chmod 555 "$HOME_N/config/DriftmereVT"
as_nobody() {
    setpriv --reuid=nobody --regid=nogroup --clear-groups \
        env HOME="$HOME_N" XDG_CONFIG_HOME="$HOME_N/config" XDG_RUNTIME_DIR="$HOME_N/run" \
        DISPLAY="$DISPLAY" DRIFTMERE_AUDIO=none "$@"
}
start_named saver as_nobody "$BIN" /s
check "balloons fly over a backdrop (not a black screen)" wait_for 30 shot_brighter screen 800x600+0+0 20
check "the saver runs" kill -0 "$PROG_PID"
xdotool key q
check "it says that it cannot save" wait_for 10 lines_at_least "$WORK/saver.err" 'cannot save settings' 1
xdotool key s key n
check "it still runs after the music keys" kill -0 "$PROG_PID"
xdotool key Escape
check "Escape ends it" wait_exit "$PROG_PID" 10
check "with status 0" test "$(exit_status "$PROG_PID")" = 0
# Counted once it has ended, so that every key before the Escape has been handled.
check "it said so once" test "$(lines_matching "$WORK/saver.err" 'cannot save settings')" = 1
check "the folder is still empty" test -z "$(ls -A "$HOME_N/config/DriftmereVT")"
[ "$FAILS" -ne 0 ] && cat "$WORK/saver.err"
finish
