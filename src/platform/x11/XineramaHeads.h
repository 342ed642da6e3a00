#pragma once
// The monitors an X server joins into one screen, as Xinerama reports them. Where RandR does not
// describe the monitors (a server started with Xinerama, a nested or virtual one), these are
// the only true list.
#include <xcb/xcb.h>

#include <QRect>
#include <vector>

namespace driftmere {

// Empty when `connection` is null, Xinerama is missing or inactive, or the question fails.
std::vector<QRect> XineramaHeads(xcb_connection_t* connection);

}  // namespace driftmere
