# Shared helpers for the end-to-end tests: a private Xvfb, a private settings folder, the built
# program, screenshots and their pixels. Source it; it cleans up after itself on exit.
set -euo pipefail

BIN=${DRIFTMERE_BIN:?DRIFTMERE_BIN is not set}
WORK=$(mktemp -d /tmp/driftmere-e2e.XXXXXX)
export XDG_CONFIG_HOME=$WORK/config
export XDG_RUNTIME_DIR=$WORK/run
mkdir -p "$XDG_CONFIG_HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
unset QT_QPA_PLATFORM
export DRIFTMERE_AUDIO=none
SETTINGS=$XDG_CONFIG_HOME/DriftmereVT/settings.ini
XVFB_PID=""
PIDS=()
FAILS=0

cleanup() {
    for p in "${PIDS[@]:-}"; do [ -n "$p" ] && kill -9 "$p" 2>/dev/null || true; done
    [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null || true
    rm -rf "$WORK"
}
trap cleanup EXIT

# start_xvfb WIDTHxHEIGHT [XVFB OPTIONS...]: a private X server on the first free display number.
start_xvfb() {
    local size=${1:-800x600}
    shift || true
    local n=50
    while [ -e /tmp/.X$n-lock ] || [ -e /tmp/.X11-unix/X$n ]; do n=$((n + 1)); done
    Xvfb :$n -screen 0 "${size}x24" -nolisten tcp "$@" >/dev/null 2>&1 &
    XVFB_PID=$!
    export DISPLAY=:$n
    for _ in $(seq 100); do
        xdpyinfo >/dev/null 2>&1 && return 0
        sleep 0.05
    done
    echo "Xvfb did not start" >&2
    exit 1
}

# start_program ARGS...: runs the program in the background; its pid is in $PROG_PID.
start_program() {
    "$BIN" "$@" >"$WORK/out.log" 2>"$WORK/err.log" &
    PROG_PID=$!
    PIDS+=("$PROG_PID")
}

# wait_exit PID SECONDS: true when the process ended within the time.
wait_exit() {
    local pid=$1 limit=$2
    local steps=$((limit * 20))
    for _ in $(seq "$steps"); do
        kill -0 "$pid" 2>/dev/null || return 0
        sleep 0.05
    done
    return 1
}

# wait_window TITLE SECONDS: waits for a mapped window with this name.
wait_window() {
    for _ in $(seq $(($2 * 10))); do
        xdotool search --name "^$1\$" >/dev/null 2>&1 && return 0
        sleep 0.1
    done
    return 1
}

shot() { import -window root "$WORK/$1.png"; }

# pixel NAME X Y -> "R G B" (0..255)
pixel() {
    convert "$WORK/$1.png" -format '%[fx:int(255*p{'"$2,$3"'}.r)] %[fx:int(255*p{'"$2,$3"'}.g)] %[fx:int(255*p{'"$2,$3"'}.b)]' info:
}

# count_colour NAME GEOMETRY R G B FUZZ% -> pixels in the region within FUZZ of the colour
count_colour() {
    convert "$WORK/$1.png" -crop "$2" +repage -fuzz "$6%" -fill white -opaque "rgb($3,$4,$5)" \
        -fill black +opaque white -format '%[fx:int(mean*w*h)]' info:
}

# the mean brightness (0..255) of a region
mean_level() { convert "$WORK/$1.png" -crop "$2" +repage -colorspace gray -format '%[fx:int(255*mean)]' info:; }

setting() {  # setting SECTION KEY -> value from the settings file ("" when absent)
    awk -v s="[$1]" -v k="$2" 'BEGIN{IGNORECASE=1} /^\[/{cur=tolower($0)} tolower(cur)==tolower(s) && index($0,k"=")==1 {print substr($0,length(k)+2)}' "$SETTINGS" 2>/dev/null | tail -n1
}

write_settings() {  # write_settings < ini text
    mkdir -p "$(dirname "$SETTINGS")"
    cat >"$SETTINGS"
}

check() {  # check DESCRIPTION COMMAND...
    local what=$1; shift
    if "$@"; then echo "ok   - $what"; else echo "FAIL - $what"; FAILS=$((FAILS + 1)); fi
}

finish() {
    if [ "$FAILS" -ne 0 ]; then
        echo "--- program stderr:"; cat "$WORK/err.log" 2>/dev/null || true
        exit 1
    fi
}

# --- helpers for the fault tests ---

# start_xvfb_open WIDTHxHEIGHT: like start_xvfb, but any local user may connect (-ac), so a
# program run as another user can use it.
start_xvfb_open() { start_xvfb "${1:-800x600}" -ac; }

# start_named NAME PROGRAM ARGS...: runs PROGRAM in the background with its output in
# $WORK/NAME.out and $WORK/NAME.err; its pid is in $PROG_PID.
start_named() {
    local name=$1; shift
    "$@" >"$WORK/$name.out" 2>"$WORK/$name.err" &
    PROG_PID=$!
    PIDS+=("$PROG_PID")
}

# program_copy FOLDER: a copy of the program in FOLDER/bin with an empty data folder beside it
# (FOLDER/share/driftmere); prints the copy's path.
program_copy() {
    mkdir -p "$1/bin" "$1/share/driftmere"
    cp "$BIN" "$1/bin/driftmere"
    echo "$1/bin/driftmere"
}

# lines_matching FILE PATTERN -> how many lines of FILE match the extended regex PATTERN
lines_matching() { grep -cE "$2" "$1" 2>/dev/null || true; }

# exit_status PID: waits for a background child and prints its exit status.
exit_status() { local s=0; wait "$1" || s=$?; echo "$s"; }

# windows_of PID: the ids of the mapped windows a process owns, one a line.
windows_of() { xdotool search --onlyvisible --pid "$1" 2>/dev/null || true; }
