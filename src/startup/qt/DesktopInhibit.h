#pragma once
// The desktop's screen-saver inhibit on the session bus (org.freedesktop.ScreenSaver): while it
// is held, the desktop neither blanks nor locks the screen. Only D-Bus, no display server: the
// saver uses it on X11 and in a Wayland session alike.
#include <cstdint>

namespace driftmere {

class DesktopInhibit {
  public:
    // Asks the desktop at once; Active() says whether it agreed.
    DesktopInhibit();
    ~DesktopInhibit();
    DesktopInhibit(const DesktopInhibit&) = delete;
    DesktopInhibit& operator=(const DesktopInhibit&) = delete;
    bool Active() const { return path_ != nullptr; }

  private:
    std::uint32_t cookie_ = 0;
    const char* path_ = nullptr;  // the object that holds the inhibitor, none when not held
};

}  // namespace driftmere
