# Several monitors for a test or a measurement: an Xvfb big enough to hold them, and inside it a
# nested Xephyr with one Xinerama head per monitor, side by side from the left. (Xvfb alone puts
# every Xinerama head at 0,0.) Source tests/support/xserver.sh first, then
#
#   start_nested 1280x800 1024x768    ... DISPLAY names the Xephyr, XSERVER_PID is its pid ...
#   stop_nested
#
# Both servers are started with -displayfd and -noreset by start_xserver. Call stop_nested from
# the shell that started them.

NESTED_HOST_PID=""
NESTED_HOST_DIR=""

start_nested() {
    local width=0 height=0 size heads=()
    for size in "$@"; do
        width=$((width + ${size%x*}))
        [ "${size#*x}" -gt "$height" ] && height=${size#*x}
        heads+=(-screen "$size")
    done
    stop_nested
    start_xserver Xvfb -screen 0 "${width}x${height}x24" -br
    NESTED_HOST_PID=$XSERVER_PID
    NESTED_HOST_DIR=$XSERVER_DIR
    # The host server is ours to stop now; start_xserver would otherwise end it first.
    XSERVER_PID=""
    XSERVER_DIR=""
    start_xserver Xephyr +xinerama "${heads[@]}" -br
}

stop_nested() {
    stop_xserver
    end_xserver "$NESTED_HOST_PID" "$NESTED_HOST_DIR"
    NESTED_HOST_PID=""
    NESTED_HOST_DIR=""
}
