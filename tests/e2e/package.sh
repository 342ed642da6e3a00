#!/usr/bin/env bash
# The Debian package as a user gets it: built with CPack from this build, then checked the way
# Debian checks packages: lintian with no error or warning, both desktop entries valid, the
# AppStream listing valid (offline), the icon in the hicolor theme's sizes.
source "$(dirname "$0")/lib.sh"
BUILD=${DRIFTMERE_BUILD_DIR:?}
for tool in cpack lintian desktop-file-validate appstreamcli dpkg-deb; do
    command -v "$tool" >/dev/null || { echo "$tool is not installed (make test-deps)"; exit 1; }
done

cpack --config "$BUILD/CPackConfig.cmake" -B "$WORK/pkg" >"$WORK/cpack.log" 2>&1 ||
    { cat "$WORK/cpack.log"; exit 1; }
deb=$(ls "$WORK"/pkg/driftmere_*.deb)
dpkg-deb -x "$deb" "$WORK/root"
root=$WORK/root/usr

status=0
lintian --fail-on error,warning --tag-display-limit 0 "$deb" >"$WORK/lintian.log" 2>&1 || status=$?
check "lintian finds no error or warning" test "$status" -eq 0
sed 's/^/    lintian: /' "$WORK/lintian.log"

check "the Control Box's entry is valid" desktop-file-validate "$root/share/applications/driftmere.desktop"
theme=$root/share/applications/screensavers/driftmere.desktop
check "MATE's screen saver theme is valid" desktop-file-validate "$theme"
for line in 'Exec=driftmere --root' 'TryExec=driftmere' 'Categories=Screensaver;' 'OnlyShowIn=MATE;'; do
    check "the theme has $line" grep -qxF "$line" "$theme"
done
metainfo=$(ls "$root"/share/metainfo/*.metainfo.xml)
check "the AppStream listing is valid" appstreamcli validate --no-net "$metainfo"
check "it lists the Control Box's entry" grep -q '<launchable type="desktop-id">driftmere.desktop<' "$metainfo"
for size in 48 128 256; do
    icon=$root/share/icons/hicolor/${size}x${size}/apps/driftmere.png
    check "the ${size}x$size icon is a picture of that size" \
        test "$(identify -format '%wx%h' "$icon" 2>/dev/null)" = "${size}x$size"
done
for entry in "$root/share/applications/driftmere.desktop" "$theme"; do
    check "$(basename "$(dirname "$entry")")/driftmere.desktop shows that icon" grep -qx 'Icon=driftmere' "$entry"
done
check "the screenshot is made by the build" test "$(identify -format '%wx%h' "$BUILD/driftmere-screenshot.png")" = 1024x768
finish
