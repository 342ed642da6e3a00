#pragma once
#include <cstdint>
#include <memory>
#include <string>

namespace driftmere {

// Keeps the screen on while the saver runs by itself with "PwrSave" 1: the desktop's idle
// blanking through org.freedesktop.ScreenSaver on the session bus when there is one, else the
// X server's own blanking (XScreenSaverSuspend). Released when the object goes.
class PowerInhibit {
  public:
    // warn receives at most one line when neither way is available.
    explicit PowerInhibit(void (*warn)(const std::string&));
    ~PowerInhibit();
    PowerInhibit(const PowerInhibit&) = delete;
    PowerInhibit& operator=(const PowerInhibit&) = delete;
    bool Active() const { return viaBus_ || viaX_; }

  private:
    std::uint32_t cookie_ = 0;
    bool viaBus_ = false;
    bool viaX_ = false;
    void* xDisplay_ = nullptr;  // the X connection whose suspension lasts while it is open
};

}  // namespace driftmere
