#pragma once
// The saver as a client of the Wayland compositor, with no X connection: a surface on every
// output above everything else, the same scene, music and keys as on X11.
#include "startup/CommandLine.h"

namespace driftmere {

// Runs "/s" in the Wayland session named by WAYLAND_DISPLAY until the user ends it; the exit
// status (1 when the compositor could not be reached or offers no way to cover an output).
int RunWaylandSaver(const StartRequest& req);

}  // namespace driftmere
