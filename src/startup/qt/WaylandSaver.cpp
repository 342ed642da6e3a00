#include "startup/qt/WaylandSaver.h"

#include <iostream>

namespace driftmere {

int RunWaylandSaver(const StartRequest&) {
    std::cerr << "driftmere: the saver cannot run as a Wayland client yet\n";
    return 1;
}

}  // namespace driftmere
