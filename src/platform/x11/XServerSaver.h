#pragma once

namespace driftmere {

// When the X server's own screen saver is on (a blank started by `xset s activate` or an idle
// hook that ran us), turn it off so the scene shows at once. Nothing happens when it is off.
void EndXServerSaver();

}  // namespace driftmere
