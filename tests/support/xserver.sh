# A private X server for a test or a measurement. Source it, then start_xserver Xvfb -screen 0
# 800x600x24 [OPTIONS...]; DISPLAY names the new server, XSERVER_PID is its pid; stop_xserver.
# -displayfd: the server picks a free number itself and writes it once it takes connections, so
# two scripts never pick the same one and no client meets a server still starting. -noreset: the
# server stays as it is when its last client leaves. Start and stop the server from the same
# shell (not inside $(...)): only its parent can wait for it, so no dying server is left behind.
XSERVER_PID="" XSERVER_DIR=""

# start_xserver PROGRAM [ARGS...]: waits up to 30 s for the display number, exports DISPLAY; ends
# the script with a message if the server does not come up.
start_xserver() {
    stop_xserver
    # The number and the server's messages go to a folder of our own, not to names in /tmp.
    XSERVER_DIR=$(mktemp -d "${TMPDIR:-/tmp}/driftmere-x.XXXXXX")
    : >"$XSERVER_DIR/display"  # made first, so the first read never meets a missing file
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
    [ -n "$n" ] || {
        echo "$1 did not start:" >&2; cat "$XSERVER_DIR/log" >&2 2>/dev/null; stop_xserver; exit 1
    }
    export DISPLAY=:$n
}

# stop_xserver: ends the server started by start_xserver and waits for it to exit.
stop_xserver() {
    end_xserver "$XSERVER_PID" "$XSERVER_DIR"
    XSERVER_PID="" XSERVER_DIR=""
}

# end_xserver PID DIR: ends a server that start_xserver started (either may be empty).
end_xserver() {
    [ -z "$1" ] || { kill -TERM "$1"; wait "$1"; } 2>/dev/null || true
    [ -z "$2" ] || rm -rf "$2"
}
