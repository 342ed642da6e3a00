#pragma once
#include <optional>
#include <string>
#include <vector>

namespace driftmere {

// `driftmere --idle [MINUTES]`: nullopt when the arguments ask for something else; otherwise
// the watcher runs here and this is its exit status.
std::optional<int> RunIdleWatcher(int argc, char** argv, const std::vector<std::string>& args);

}  // namespace driftmere
