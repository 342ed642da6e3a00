#pragma once
// Which backdrop is shown: the chosen ones in turn, changing every ScrollSec seconds.
#include <array>
#include <cstdint>

#include "display/DisplayControl.h"

namespace driftmere {

class BackdropRotation {
  public:
    // chosen[i] for backdrop index i = 1..7 (element 0 unused). Called once at load; the
    // rotation starts at the first chosen backdrop in table order.
    void ChooseBackdrops(const std::array<bool, 8>& chosen);
    // The change interval as the stored number of seconds (held as a number; a value the
    // counter never equals means the backdrop never changes).
    void SetScrollSeconds(double seconds) { scrollSec_ = seconds; }
    void SetSurface(int index, SurfaceId surface) { surface_[index] = surface; }

    // One BackdropAndLaunchTick tick: counts a second and moves on by one index when the time has
    // come.
    void AdvanceBackdrop();
    // Every frame while backdrops are shown: skips unchosen backdrops and gives the surface
    // to draw. With none chosen the index stays 0, which draws backdrop 1.
    SurfaceId CurrentBackdrop();

    std::int16_t Index() const { return index_; }
    std::int16_t Count() const { return count_; }
    std::int32_t Seconds() const { return seconds_; }

  private:
    std::array<bool, 8> chosen_{};
    std::array<SurfaceId, 8> surface_{};
    std::int16_t count_ = 0;
    std::int16_t index_ = 0;
    std::int32_t seconds_ = 0;
    double scrollSec_ = 0;
};

}  // namespace driftmere
