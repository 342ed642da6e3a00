#!/usr/bin/env bash
# The install layout: the program, the xscreensaver link, the data, the description, the
# desktop entry, the man page and the package's documents, and the installed program runs from
# its installed files. MATE's theme, the icon and the AppStream listing are the package test's.
source "$(dirname "$0")/lib.sh"
BUILD=${DRIFTMERE_BUILD_DIR:?}
prefix=$WORK/prefix
cmake --install "$BUILD" --prefix "$prefix" >/dev/null

check "program in bin" test -x "$prefix/bin/driftmere"
check "xscreensaver finds it in libexec/xscreensaver" test -x "$prefix/libexec/xscreensaver/driftmere"
check "the link points at the one program" test "$(readlink -f "$prefix/libexec/xscreensaver/driftmere")" = "$(readlink -f "$prefix/bin/driftmere")"
for f in mtn01.bmp beach03.bmp balloon15.bmp preview.bmp Tranquil.mid OrinocoFlow.mid manual.html; do
    check "data file $f" test -s "$prefix/share/driftmere/$f"
done
check "xscreensaver description" grep -q 'arg="--root"' "$prefix/share/xscreensaver/config/driftmere.xml"
check "desktop entry opens the Control Box" grep -qx 'Exec=driftmere /c' "$prefix/share/applications/driftmere.desktop"
check "the systemd user unit runs the installed program's --idle" \
    grep -qx "ExecStart=$prefix/bin/driftmere --idle" "$prefix/lib/systemd/user/driftmere-idle.service"
check "man page, compressed" bash -c "gzip -dc '$prefix/share/man/man6/driftmere.6.gz' | grep -q '^.TH DRIFTMERE 6'"
for f in copyright changelog.gz; do
    check "share/doc/driftmere/$f" test -s "$prefix/share/doc/driftmere/$f"
done

start_xvfb 800x600
start_named program "$prefix/libexec/xscreensaver/driftmere" /s
check "the installed program shows the scene (data found through the link)" \
    wait_for 30 shot_brighter installed 600x400+100+100 20
check "no warning about missing pictures" bash -c "! grep -qi 'bmp' '$WORK/program.err'"
xdotool key x
check "and ends on a key" wait_exit "$PROG_PID" 10
finish
