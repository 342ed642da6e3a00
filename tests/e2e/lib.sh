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
DATA_DIR=${DRIFTMERE_DATA_DIR:-$(dirname "$BIN")/../share/driftmere}
PIDS=()
FAILS=0
source "$(dirname "${BASH_SOURCE[0]}")/../support/xserver.sh"

cleanup() {
    for p in "${PIDS[@]:-}"; do { kill -9 "$p"; wait "$p"; } 2>/dev/null || true; done
    stop_xserver
    rm -rf "$WORK"
}
trap cleanup EXIT

# start_xvfb WIDTHxHEIGHT [XVFB OPTIONS...]: a private X server with a black root window.
start_xvfb() { start_xserver Xvfb -screen 0 "$1x24" -br "${@:2}"; }

# wait_for SECONDS COMMAND...: runs COMMAND until it succeeds; false if not within SECONDS (a
# generous bound on how long a broken program holds a test up).
wait_for() {
    local limit=$1
    shift
    local end=$((SECONDS + limit))
    until "$@"; do
        [ "$SECONDS" -lt "$end" ] || return 1
        sleep 0.1
    done
}

# start_program ARGS...: runs the program in the background; its pid is in $PROG_PID.
start_program() { start_named program "$BIN" "$@"; }

wait_exit() { wait_for "$2" none_running "$1"; }  # wait_exit PID SECONDS
# end_quietly PID...: SIGTERM to each and a wait for their end, where that end is not checked.
end_quietly() { kill -TERM "$@" 2>/dev/null || true; wait_for 10 none_running "$@" || true; }

# none_running PID...: true when none of the processes runs any more.
none_running() {
    local p
    for p in "$@"; do kill -0 "$p" 2>/dev/null && return 1; done
    return 0
}

titled() { xdotool search --name "^$1\$" >/dev/null 2>&1; }
wait_window() { wait_for "$2" titled "$1"; }  # wait_window TITLE SECONDS

shot() { import -window root "$WORK/$1.png"; }

# count_colour NAME GEOMETRY R G B FUZZ% -> pixels in the region within FUZZ of the colour
count_colour() {
    convert "$WORK/$1.png" -crop "$2" +repage -fuzz "$6%" -fill white -opaque "rgb($3,$4,$5)" \
        -fill black +opaque white -format '%[fx:int(mean*w*h)]' info:
}

# the mean brightness (0..255) of a region
mean_level() { convert "$WORK/$1.png" -crop "$2" +repage -colorspace gray -format '%[fx:int(255*mean)]' info:; }

# shot_brighter NAME GEOMETRY LEVEL: takes screenshot NAME; true when the region is brighter.
shot_brighter() { shot "$1" && [ "$(mean_level "$1" "$2")" -gt "$3" ]; }

setting() {  # setting SECTION KEY -> value from the settings file ("" when absent)
    awk -v s="[$1]" -v k="$2" 'BEGIN{IGNORECASE=1} /^\[/{cur=tolower($0)} tolower(cur)==tolower(s) && index($0,k"=")==1 {print substr($0,length(k)+2)}' "$SETTINGS" 2>/dev/null | tail -n1
}

setting_is() { [ "$(setting "$1" "$2")" = "$3" ]; }  # setting_is SECTION KEY VALUE

write_settings() {  # write_settings < ini text
    mkdir -p "$(dirname "$SETTINGS")"
    cat >"$SETTINGS"
}

check() {  # check DESCRIPTION COMMAND...
    local what=$1; shift
    if "$@"; then echo "ok   - $what"; else echo "FAIL - $what"; FAILS=$((FAILS + 1)); fi
}

finish() {
    [ "$FAILS" -eq 0 ] || { echo "--- program stderr:"; cat "$WORK/program.err" 2>/dev/null; exit 1; }
}

# start_named NAME PROGRAM ARGS...: runs PROGRAM in the background, output in $WORK/NAME.out
# and .err, pid in $PROG_PID.
start_named() {
    local name=$1; shift
    "$@" >"$WORK/$name.out" 2>"$WORK/$name.err" &
    PROG_PID=$!
    PIDS+=("$PROG_PID")
}

# program_copy FOLDER [data]: prints the path of a copy of the program laid out as an install
# (bin/ beside share/driftmere/) that every user may read; its data folder is empty unless asked.
program_copy() {
    mkdir -p "$1/bin" "$1/share/driftmere"
    cp "$BIN" "$1/bin/driftmere"
    [ -z "${2:-}" ] || cp -r "$DATA_DIR/." "$1/share/driftmere/"
    chmod -R a+rX "$1"
    echo "$1/bin/driftmere"
}

# lines_matching FILE PATTERN -> how many lines of FILE match the extended regex PATTERN
lines_matching() { grep -cE "$2" "$1" 2>/dev/null || true; }

# exit_status PID: waits for a background child and prints its exit status.
exit_status() { local s=0; wait "$1" || s=$?; echo "$s"; }

# windows_of PID: the ids of the mapped windows a process owns, one a line.
windows_of() { xdotool search --onlyvisible --pid "$1" 2>/dev/null || true; }

# has_window PID: true when the process shows a window (a saver maps it once it takes keys).
has_window() { [ -n "$(windows_of "$1")" ]; }

# wait_mapped PID [SECONDS]: true once the process shows a window, false if it ends first.
wait_mapped() {
    local end=$((SECONDS + ${2:-20}))
    until has_window "$1"; do
        kill -0 "$1" 2>/dev/null && [ "$SECONDS" -lt "$end" ] || return 1
        sleep 0.05
    done
}

# start_host WIDTH HEIGHT [X Y] [--colour RRGGBB] [--override-redirect]: a stand-in host window
# (or any other program's), mapped, its id in $HOST_ID, its pid in $HOST_PID.
HOSTS=0
start_host() {
    HOSTS=$((HOSTS + 1))
    "${DRIFTMERE_HOSTWIN:?}" "$@" >"$WORK/host$HOSTS.id" &
    HOST_PID=$!
    PIDS+=("$HOST_PID")
    wait_for 30 test -s "$WORK/host$HOSTS.id" && HOST_ID=$(cat "$WORK/host$HOSTS.id")
}

# lines_at_least FILE PATTERN N: true when at least N lines of FILE match PATTERN.
lines_at_least() { [ "$(lines_matching "$1" "$2")" -ge "$3" ]; }
