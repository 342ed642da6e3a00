# A private headless Wayland compositor for a test or a measurement. Source it, then
# start_sway, start_mutter or start_kwin [WIDTHxHEIGHT...] (one output per size); run programs
# in the session with as_session CMD... or in the background with session_exec CMD & (as its
# user, with only the session's variables: no X display); stop_session at the end. Keys: wtype
# under sway, mutter_key under mutter. Screenshots (session_shot): grim under sway; under mutter,
# start_mutter_nested instead, which draws into a window of a private X server; sky and black
# judge a part of one (the saver's scene, a letterbox bar).
#
# sway refuses to run as root, so a root caller runs the compositor and every client as a normal
# user made for the tests ("driftmere-test"); clients started as root could not reach its socket.
# That user may not be able to enter the folder the build lives in (/root is 0700), so
# session_copy_program puts a copy of the program and its data where it can.
SESSION_PID="" SESSION_BUS_PID="" SESSION_DIR="" SESSION_USER="" SESSION_KIND="" SESSION_ENV=()
SESSION_XSERVER_PID="" SESSION_XSERVER_DIR="" SESSION_XDISPLAY="" SESSION_OUTPUT_SIZE=""
declare -F start_xserver >/dev/null || source "$(dirname "${BASH_SOURCE[0]}")/xserver.sh"

session_user() {
    if [ "$(id -u)" -ne 0 ]; then
        SESSION_USER=$(id -un)
        return
    fi
    SESSION_USER=driftmere-test
    id "$SESSION_USER" >/dev/null 2>&1 ||
        useradd --system --no-create-home --home-dir /nonexistent --shell /usr/sbin/nologin \
            "$SESSION_USER"
}

# as_session CMD...: runs CMD as the session's user with the session's environment.
as_session() { (session_exec "$@"); }

# session_exec CMD...: the same in place of the current shell. `session_exec CMD &` runs it in
# the background with $! its own pid (setpriv and env exec the command itself).
session_exec() {
    if [ "$(id -u)" -eq 0 ]; then
        exec setpriv --reuid="$SESSION_USER" --regid="$SESSION_USER" --clear-groups -- \
            env -i "${SESSION_ENV[@]}" "$@"
    fi
    exec env -i "${SESSION_ENV[@]}" "$@"
}

# A folder of the session's own, owned by its user: runtime folder, home, config, logs.
make_session_dir() {
    session_user
    SESSION_DIR=$(mktemp -d "${TMPDIR:-/tmp}/driftmere-wl.XXXXXX")
    mkdir -p "$SESSION_DIR/run" "$SESSION_DIR/home" "$SESSION_DIR/config"
    chmod 700 "$SESSION_DIR/run"
    chmod 755 "$SESSION_DIR"
    [ "$(id -u)" -ne 0 ] || chown -R "$SESSION_USER" "$SESSION_DIR"
    SESSION_ENV=(PATH=/usr/local/bin:/usr/bin:/bin HOME="$SESSION_DIR/home"
        XDG_RUNTIME_DIR="$SESSION_DIR/run" XDG_CONFIG_HOME="$SESSION_DIR/config"
        LANG="${LANG:-C.UTF-8}" DRIFTMERE_AUDIO="${DRIFTMERE_AUDIO:-none}")
}

# wait_socket SECONDS: waits for the compositor's socket and adds WAYLAND_DISPLAY to the session.
wait_socket() {
    local end=$((SECONDS + $1)) sock
    while [ "$SECONDS" -lt "$end" ]; do
        sock=$(find "$SESSION_DIR/run" -maxdepth 1 -name 'wayland-[0-9]*' -type s -printf '%f\n' |
            head -n1)
        if [ -n "$sock" ]; then
            SESSION_ENV+=(WAYLAND_DISPLAY="$sock")
            export SESSION_WAYLAND_DISPLAY=$sock
            return 0
        fi
        kill -0 "$SESSION_PID" 2>/dev/null || break
        sleep 0.1
    done
    echo "the $SESSION_KIND session did not start:" >&2
    cat "$SESSION_DIR/log" >&2 2>/dev/null
    return 1
}

# start_sway [WIDTHxHEIGHT...]: headless sway with one output per size (800x600 when none), no
# Xwayland, no bar. SWAYSOCK is in the session; sway_msg talks to it.
start_sway() {
    stop_session
    SESSION_KIND=sway
    make_session_dir
    local sizes=("${@:-800x600}") i=1 size
    {
        echo "xwayland disable"
        echo "default_border none"
        for size in "${sizes[@]}"; do
            echo "output HEADLESS-$i mode $size position $(((i - 1) * 4000)) 0"
            i=$((i + 1))
        done
    } >"$SESSION_DIR/sway.conf"
    SESSION_ENV+=(SWAYSOCK="$SESSION_DIR/run/sway.sock")
    session_exec WLR_BACKENDS=headless WLR_LIBINPUT_NO_DEVICES=1 WLR_RENDERER=pixman \
        sway -c "$SESSION_DIR/sway.conf" >"$SESSION_DIR/log" 2>&1 &
    SESSION_PID=$!
    wait_socket 30 || return 1
    local want=${#sizes[@]}
    until [ "$(sway_msg -t get_outputs | grep -c '"name": "HEADLESS-')" -ge 1 ]; do sleep 0.1; done
    # Headless sway starts with one output; the others are made on request.
    for ((i = 2; i <= want; i++)); do sway_msg create_output >/dev/null; done
    local end=$((SECONDS + 10))
    until [ "$(sway_msg -t get_outputs | grep -c '"name": "HEADLESS-')" -ge "$want" ]; do
        [ "$SECONDS" -lt "$end" ] || { echo "sway made too few outputs" >&2; return 1; }
        sleep 0.1
    done
}

sway_msg() { as_session swaymsg -s "$SESSION_DIR/run/sway.sock" "$@"; }

# session_copy_program BIN: a copy of the program and its data folder the session's user can
# run; prints the copy's path.
session_copy_program() {
    local bin=$1 prefix=$SESSION_DIR/prefix
    mkdir -p "$prefix/bin" "$prefix/share"
    cp "$bin" "$prefix/bin/driftmere"
    cp -r "$(dirname "$bin")/../share/driftmere" "$prefix/share/"
    [ "$(id -u)" -ne 0 ] || chown -R "$SESSION_USER" "$prefix"
    echo "$prefix/bin/driftmere"
}

# session_shot OUTPUT FILE: a screenshot of one output: its name under sway (grim), its number
# (1, 2, ...) under start_mutter_nested.
session_shot() {
    if [ "$SESSION_KIND" = mutter-nested ]; then
        local w=${SESSION_OUTPUT_SIZE%x*} h=${SESSION_OUTPUT_SIZE#*x}
        DISPLAY=$SESSION_XDISPLAY import -window root -crop "${w}x${h}+$((($1 - 1) * w))+0" \
            +repage "$2"
        return
    fi
    as_session grim -o "$1" "$SESSION_DIR/shot.png" && cp "$SESSION_DIR/shot.png" "$2"
}

# output_rgb OUTPUT GEOMETRY: the mean colour of a part of a screenshot of the output, as "R G B".
output_rgb() {
    session_shot "$1" "$WORK/output-$1.png" &&
        convert "$WORK/output-$1.png" -crop "$2" +repage -scale '1x1!' \
            -format '%[fx:int(255*r)] %[fx:int(255*g)] %[fx:int(255*b)]\n' info:
}
# sky / black OUTPUT GEOMETRY: the part shows the scene's sky (blue well above red) / black (a
# letterbox bar).
sky() { local r g b; read -r r g b < <(output_rgb "$1" "$2") && [ "$b" -gt $((r + 40)) ]; }
black() { local r g b; read -r r g b < <(output_rgb "$1" "$2") && [ $((r + g + b)) -lt 6 ]; }

# stop_session: ends the compositor (and its clients) and removes the session's folder.
stop_session() {
    [ -z "$SESSION_PID" ] || { kill -TERM "$SESSION_PID"; wait "$SESSION_PID"; } 2>/dev/null || true
    [ -z "$SESSION_BUS_PID" ] || { kill -TERM "$SESSION_BUS_PID"; wait "$SESSION_BUS_PID"; } 2>/dev/null || true
    end_xserver "$SESSION_XSERVER_PID" "$SESSION_XSERVER_DIR"
    [ -z "$SESSION_DIR" ] || rm -rf "$SESSION_DIR"
    SESSION_PID="" SESSION_BUS_PID="" SESSION_DIR="" SESSION_ENV=()
    SESSION_XSERVER_PID="" SESSION_XSERVER_DIR="" SESSION_XDISPLAY=""
}

# start_session_bus: a session bus of the session's own, which as_session's programs share.
start_session_bus() {
    session_exec dbus-daemon --session --nofork --nopidfile \
        --address="unix:path=$SESSION_DIR/run/bus" >/dev/null 2>&1 &
    SESSION_BUS_PID=$!
    SESSION_ENV+=(DBUS_SESSION_BUS_ADDRESS="unix:path=$SESSION_DIR/run/bus")
}

# start_mutter [WIDTHxHEIGHT...]: headless mutter (GNOME's compositor: no layer shell) with one
# virtual monitor per size, on a session bus of its own.
start_mutter() {
    stop_session
    SESSION_KIND=mutter
    make_session_dir
    local sizes=("${@:-800x600}") size args=()
    for size in "${sizes[@]}"; do args+=(--virtual-monitor "$size"); done
    start_session_bus
    session_exec mutter --headless --wayland --no-x11 "${args[@]}" >"$SESSION_DIR/log" 2>&1 &
    SESSION_PID=$!
    wait_socket 60
}

# start_mutter_nested [WIDTHxHEIGHT [COUNT]]: mutter drawing its COUNT monitors (1 by default),
# all of one size and side by side, into a window of a private Xvfb, so that the screen can be
# photographed (headless mutter offers no screenshot without a PipeWire consumer). The session's
# own clients still see no X display; a server the caller started stays as it was.
start_mutter_nested() {
    stop_session
    SESSION_KIND=mutter-nested
    make_session_dir
    SESSION_OUTPUT_SIZE=${1:-800x600}
    local count=${2:-1} w=${SESSION_OUTPUT_SIZE%x*} h=${SESSION_OUTPUT_SIZE#*x}
    local callers=("$XSERVER_PID" "$XSERVER_DIR" "${DISPLAY-}") had_display=${DISPLAY+set}
    XSERVER_PID="" XSERVER_DIR=""
    start_xserver Xvfb -screen 0 "$((w * count))x${h}x24" -br
    SESSION_XSERVER_PID=$XSERVER_PID SESSION_XSERVER_DIR=$XSERVER_DIR SESSION_XDISPLAY=$DISPLAY
    XSERVER_PID=${callers[0]} XSERVER_DIR=${callers[1]}
    if [ -n "$had_display" ]; then export DISPLAY=${callers[2]}; else unset DISPLAY; fi
    start_session_bus
    session_exec env DISPLAY="$SESSION_XDISPLAY" MUTTER_DEBUG_NUM_DUMMY_MONITORS="$count" \
        MUTTER_DEBUG_DUMMY_MODE_SPECS="$SESSION_OUTPUT_SIZE" \
        mutter --nested --wayland --no-x11 >"$SESSION_DIR/log" 2>&1 &
    SESSION_PID=$!
    wait_socket 60
}

# mutter_key KEYSYM: presses and releases one key through mutter's remote-desktop interface, as
# a user at the keyboard would. KEYSYM is one character, a number (0xff1b) or one of the names
# below. Each call is a remote-desktop session of its own, which lives only as long as the
# program that asked for it, and makes its keyboard at its first key. Headless mutter has no
# other keyboard, so its clients learn of that one only then and miss that key: a Shift goes
# first there. Nested mutter has the X server's keyboard all along, and there the Shift would
# arrive (and end a saver).
mutter_key() {
    as_session python3 -c '
import sys, time, dbus
names = {"Escape": 0xff1b, "Return": 0xff0d, "space": 0x20, "Shift_L": 0xffe1}
k = sys.argv[1]
sym = names[k] if k in names else ord(k) if len(k) == 1 else int(k, 0)
bus = dbus.SessionBus()
rd = "org.gnome.Mutter.RemoteDesktop"
path = bus.get_object(rd, "/org/gnome/Mutter/RemoteDesktop").CreateSession(dbus_interface=rd)
session = dbus.Interface(bus.get_object(rd, path), rd + ".Session")
session.Start()
def tap(sym):
    session.NotifyKeyboardKeysym(dbus.UInt32(sym), True)
    session.NotifyKeyboardKeysym(dbus.UInt32(sym), False)
if sys.argv[2] == "mutter":
    tap(names["Shift_L"])
    time.sleep(0.3)
tap(sym)
time.sleep(0.3)  # the key is delivered before the session ends
session.Stop()
' "$1" "$SESSION_KIND"
}

# start_kwin [WIDTHxHEIGHT [COUNT]]: KWin (KDE's compositor) on COUNT virtual outputs (2), all of
# the one size (it gives every virtual output the same size), on a session bus of its own. The installed
# kwin_wayland carries a file capability that cannot be used here, so a copy without it runs,
# still named kwin_wayland (KWin looks at its own name).
start_kwin() {
    stop_session
    SESSION_KIND=kwin
    make_session_dir
    local size=${1:-800x600} count=${2:-2}
    mkdir -p "$SESSION_DIR/kwin"
    cp /usr/bin/kwin_wayland "$SESSION_DIR/kwin/kwin_wayland"  # cp leaves the capability behind
    start_session_bus
    session_exec "$SESSION_DIR/kwin/kwin_wayland" --virtual --output-count="$count" \
        --width "${size%x*}" --height "${size#*x}" --socket wayland-1 --no-lockscreen \
        --no-global-shortcuts --no-kactivities >"$SESSION_DIR/log" 2>&1 &
    SESSION_PID=$!
    wait_socket 60
}
