# Several monitors: an Xvfb big enough to hold them and in it a nested Xephyr with one Xinerama
# head per monitor, side by side from the left (Xvfb alone puts every head at 0,0). Source
# xserver.sh first, then start_nested 1280x800 1024x768 (DISPLAY names the Xephyr) and, from the
# same shell, stop_nested.

NESTED_HOST_PID="" NESTED_HOST_DIR=""

start_nested() {
    local width=0 height=0 size heads=()
    for size in "$@"; do
        width=$((width + ${size%x*}))
        [ "${size#*x}" -gt "$height" ] && height=${size#*x}
        heads+=(-screen "$size")
    done
    stop_nested
    start_xserver Xvfb -screen 0 "${width}x${height}x24" -br
    # The host server is ours to stop now; start_xserver would otherwise end it first.
    NESTED_HOST_PID=$XSERVER_PID NESTED_HOST_DIR=$XSERVER_DIR XSERVER_PID="" XSERVER_DIR=""
    start_xserver Xephyr +xinerama "${heads[@]}" -br
}

stop_nested() {
    stop_xserver
    end_xserver "$NESTED_HOST_PID" "$NESTED_HOST_DIR"
    NESTED_HOST_PID="" NESTED_HOST_DIR=""
}
