#!/usr/bin/env bash
# What the command line says before anything starts (help, version, no display, a window number
# that names no window), a saver whose stderr nobody reads any more, and the end by a signal.
source "$(dirname "$0")/lib.sh"

# ends_with STATUS PID: waits for the background child (in this shell, where a status from a
# signal reads as 128 + its number) and compares its exit status.
ends_with() {
    local s=0
    wait "$2" || s=$?
    [ "$s" = "$1" ] || { echo "     (ended with $s)"; return 1; }
}

# prints PATTERN COMMAND...: the command ends with 0, saying on stdout what matches, and nothing
# on stderr.
prints() {
    local want=$1
    shift
    "$@" >"$WORK/said.out" 2>"$WORK/said.err" && grep -qE -- "$want" "$WORK/said.out" &&
        [ ! -s "$WORK/said.err" ]
}
check "--help lists the modes and options" prints "--remove-from-xscreensaver" "$BIN" --help
check "--version names the program and its version" prints "^Driftmere [0-9]+\.[0-9]+" \
    "$BIN" --version

# without_display PATTERN ENV...: /s in that environment ends with 1 and one plain line.
without_display() {
    local want=$1 status=0
    shift
    env "$@" "$BIN" /s >/dev/null 2>"$WORK/nodisplay.err" || status=$?
    [ "$status" = 1 ] && [ "$(wc -l <"$WORK/nodisplay.err")" = 1 ] &&
        grep -q -- "$want" "$WORK/nodisplay.err" && ! grep -q "Direct Draw" "$WORK/nodisplay.err"
}
check "with no display, one plain line says so" \
    without_display "DISPLAY is not set" -u DISPLAY -u WAYLAND_DISPLAY

quietly() { timeout 20 "$@" 2>"$WORK/quiet.err" && [ ! -s "$WORK/quiet.err" ]; }
check "/p 0 has nothing to show, display or not: it ends quietly" quietly env -u DISPLAY "$BIN" /p 0

start_xvfb 800x600

# A host's log that has gone: stderr is a pipe whose reader has ended, and settings that cannot
# be saved (the config folder is a file) make the first warning at once.
exec {dead}> >(exit 0)
reader=$!
wait_exit "$reader" 10
: >"$WORK/not-a-folder"
XDG_CONFIG_HOME=$WORK/not-a-folder "$BIN" /s >/dev/null 2>&"$dead" &
PROG_PID=$!
PIDS+=("$PROG_PID")
exec {dead}>&-
check "with stderr a closed pipe, the saver shows its window after a warning" \
    wait_mapped "$PROG_PID" 30
xdotool key x
check "and a key ends it with status 0" ends_with 0 "$PROG_PID"

# Told to end by a signal, each kind of copy tidies up and ends by that signal, as a host that
# sent it expects (128 + the signal's number in the shell).
for sig in TERM INT HUP; do
    start_program /s
    check "the saver shows its window (for SIG$sig)" wait_mapped "$PROG_PID" 30
    kill -s "$sig" "$PROG_PID"
    check "the saver ends by SIG$sig" ends_with $((128 + $(kill -l "$sig"))) "$PROG_PID"
done
start_program /c
check "the Control Box opens" wait_window "Driftmere Control Box" 30
kill -TERM "$PROG_PID"
check "the Control Box ends by SIGTERM" ends_with 143 "$PROG_PID"
check "within the deadline, not by the forced end" \
    test "$(lines_matching "$WORK/program.err" 'still busy')" = 0
finish
