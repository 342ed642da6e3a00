# A private X server for a test or a measurement. Source it, then
#
#   start_xserver Xvfb -screen 0 800x600x24 [MORE SERVER OPTIONS...]
#   ... DISPLAY names the new server, XSERVER_PID is its pid ...
#   stop_xserver
#
# The server picks a free display number itself (-displayfd) and writes it once it takes
# connections, so two scripts started at once never pick the same number, and a client never
# meets a server that is still starting. -noreset keeps the server as it is when its last client
# leaves instead of resetting it under the next one. stop_xserver waits until the server is gone,
# so a finished script leaves no dying server behind. The server must be started from the shell
# that stops it (not inside $(...)), since only its parent can wait for it.

XSERVER_PID=""
XSERVER_DIR=""

# start_xserver PROGRAM [ARGS...]: starts the server, waits up to 30 s for its display number and
# exports DISPLAY. Ends the script with a message if the server does not come up.
start_xserver() {
    stop_xserver
    # The number and the server's messages go to a folder of our own, not to names in /tmp.
    XSERVER_DIR=$(mktemp -d "${TMPDIR:-/tmp}/driftmere-x.XXXXXX")
    # Made before the server starts, so the first read below never meets a missing file.
    : >"$XSERVER_DIR/display"
    "$@" -displayfd 3 -noreset -nolisten tcp 3>"$XSERVER_DIR/display" >"$XSERVER_DIR/log" 2>&1 &
    XSERVER_PID=$!
    local n=""
    for _ in $(seq 600); do
        # The number ends with a newline; without one the server is still writing it.
        if IFS= read -r n <"$XSERVER_DIR/display" && [[ $n =~ ^[0-9]+$ ]]; then break; fi
        n=""
        kill -0 "$XSERVER_PID" 2>/dev/null || break
        sleep 0.05
    done
    if [ -z "$n" ]; then
        echo "$1 did not start:" >&2
        cat "$XSERVER_DIR/log" >&2 2>/dev/null || true
        stop_xserver
        exit 1
    fi
    export DISPLAY=:$n
}

# stop_xserver: ends the server started by start_xserver and waits for it to exit.
stop_xserver() {
    end_xserver "$XSERVER_PID" "$XSERVER_DIR"
    XSERVER_PID=""
    XSERVER_DIR=""
}

# end_xserver PID DIR: ends a server that start_xserver started (either may be empty).
end_xserver() {
    if [ -n "$1" ]; then
        kill -TERM "$1" 2>/dev/null || true
        wait "$1" 2>/dev/null || true
    fi
    if [ -n "$2" ]; then rm -rf "$2"; fi
}
