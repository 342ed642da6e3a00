#pragma once
// The Control Box's window title. A second saver looks for a window with this title to learn
// whether the user is trying the saver from the Control Box.
#include <string_view>

namespace driftmere {

inline constexpr std::string_view kControlBoxTitle = "Driftmere Control Box";

}  // namespace driftmere
