#pragma once
#include <string>

namespace driftmere {

// Keeps the X server's own blanking off (XScreenSaverSuspend) for as long as the object lives,
// where the desktop offers no screen-saver inhibit on the session bus.
class PowerInhibit {
  public:
    // warn receives one line when the server offers no way to.
    explicit PowerInhibit(void (*warn)(const std::string&));
    ~PowerInhibit();
    PowerInhibit(const PowerInhibit&) = delete;
    PowerInhibit& operator=(const PowerInhibit&) = delete;
    bool Active() const { return xDisplay_ != nullptr; }

  private:
    void* xDisplay_ = nullptr;  // the X connection whose suspension lasts while it is open
};

}  // namespace driftmere
