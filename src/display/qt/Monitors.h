#pragma once
// The monitors the saver covers, as the X server reports them.
//
// Qt's screens come from RandR. Where RandR does not describe the monitors (an X server that
// joins several screens with Xinerama, a nested or virtual server), Qt sees the first monitor
// alone or one screen spanning all of them, and a saver that trusted it would leave a monitor
// showing the desktop. The Xinerama heads are right there too, and on a desktop with RandR they
// are the same rectangles as Qt's screens. So on X11 the heads are taken whenever Xinerama is
// active, unless Qt scales the desktop (its coordinates are then not the server's pixels).
// Elsewhere (no X11, no Xinerama) Qt's screens are the monitors.
#include <QRect>
#include <QScreen>
#include <vector>

#include "display/MonitorWindows.h"

namespace driftmere {

// Each with an id made from its rectangle: a monitor that keeps its place keeps its window, and
// the list may come from either source without a window changing hands.
std::vector<MonitorArea> CurrentMonitors();

// The Qt screen that holds the middle of `area`; the primary screen when none does.
QScreen* ScreenFor(const QRect& area);

}  // namespace driftmere
