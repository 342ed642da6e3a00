#pragma once
// The saver as a client of the Wayland compositor, with no X connection: a surface on every
// output above everything else, the same scene, music and keys as on X11.
#include <memory>

#include "startup/CommandLine.h"
#include "startup/qt/SaverRun.h"

namespace driftmere {

// "/s" in the Wayland session named by WAYLAND_DISPLAY, to Start and Exec as on X11: Start fails
// when the compositor cannot be reached or offers no way to cover an output, and a compositor
// that goes away ends it with status 1.
std::unique_ptr<SaverRun> WaylandSaverRun(const StartRequest& req);

}  // namespace driftmere
