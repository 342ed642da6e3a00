#!/usr/bin/env bash
# Without XDG_RUNTIME_DIR and with no home to use, user daemon's saver keeps its locks in a
# folder under $TMPDIR: there, a folder squatted or a link planted by user nobody (the shared
# name in /tmp too) leaves the saver running and creates nothing through the link.
source "$(dirname "$0")/lib.sh"
if [ "$(id -u)" -ne 0 ]; then
    echo "skip - playing two users needs root"
    exit 0
fi

start_xvfb 800x600 -ac  # any local user may connect

chmod 755 "$WORK"
APP=$(program_copy "$WORK/inst" data)
mkdir -p "$WORK/victim" "$WORK/tmp"
chown daemon:daemon "$WORK/victim"
chmod 1777 "$WORK/tmp"
VICTIM_UID=$(id -u daemon)
SHARED_LOCK=/tmp/driftmere-$VICTIM_UID.lock
OWN_FOLDER=$WORK/tmp/driftmere-$VICTIM_UID
clear_squats() { rm -rf "$SHARED_LOCK" "$OWN_FOLDER"; }
trap 'clear_squats; cleanup' EXIT
clear_squats

# as_victim PROGRAM ARGS...: in a background job only; becomes the program (so $! is its pid).
as_victim() {
    exec setpriv --reuid=daemon --regid=daemon --clear-groups \
        env -i PATH="$PATH" HOME="$VICTIM_HOME" XDG_CONFIG_HOME="$WORK/victim/config" \
        TMPDIR="$WORK/tmp" DISPLAY="$DISPLAY" DRIFTMERE_AUDIO=none "$@"
}
as_nobody() { setpriv --reuid=nobody --regid=nogroup --clear-groups env -i PATH="$PATH" "$@"; }
# hold_lock FILE: the attacker keeps a shared lock on FILE, as a running copy would.
hold_lock() {
    (exec setpriv --reuid=nobody --regid=nogroup --clear-groups flock -s -F "$1" sleep 600 \
        >/dev/null 2>&1) &
    PIDS+=("$!")
    wait_for 5 grep -q ":$(stat -c %i "$1") " /proc/locks || true
}
# saver_runs NAME: the victim's /s maps its window (true), or ends first (false).
saver_runs() { start_named "$1" as_victim "$APP" /s && wait_mapped "$PROG_PID" 15; }
# end_all: ends the saver and every lock holder, and clears the squats.
end_all() { end_quietly "$PROG_PID" "${PIDS[@]}"; clear_squats; }

# No home to keep the locks in.
VICTIM_HOME=/nonexistent

# Squatted: a world-writable lock file and a world-open folder, each locked by the attacker.
as_nobody sh -c "umask 0; : >'$SHARED_LOCK'"
hold_lock "$SHARED_LOCK"
as_nobody sh -c "umask 0; mkdir -m 777 '$OWN_FOLDER' && : >'$OWN_FOLDER/driftmere.lock'"
hold_lock "$OWN_FOLDER/driftmere.lock"
check "a lock squatted by another user does not stop the saver" saver_runs squatted
check "the saver says why it has no lock" \
    test "$(lines_matching "$WORK/squatted.err" 'no single-instance lock.*another user')" = 1
end_all

# Planted: links from the lock's places to files the victim does not have yet.
as_nobody ln -s "$WORK/victim/made-through-shared-link" "$SHARED_LOCK"
as_nobody ln -s "$WORK/victim/made-through-own-link" "$OWN_FOLDER"
check "with links planted where the lock goes, the saver runs" saver_runs planted
check "nothing is created through the links" \
    test ! -e "$WORK/victim/made-through-shared-link" -a ! -e "$WORK/victim/made-through-own-link"
check "the saver names the link" \
    test "$(lines_matching "$WORK/planted.err" 'no single-instance lock.*symbolic link')" = 1
end_all

# Nobody interfering: the lock is taken without a word.
check "alone, the saver runs" saver_runs first
check "and says nothing about the lock" test "$(lines_matching "$WORK/first.err" 'lock')" = 0
end_all
finish
