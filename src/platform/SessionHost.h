#pragma once
// What the saver session asks of the program around it: the pointer, a message box, the song
// watcher timer, the locale's time text, and the end of the event loop.
#include <string>

namespace driftmere {

class SessionHost {
  public:
    virtual ~SessionHost() = default;
    // Hides the mouse pointer over the saver window (true) or shows it again (false).
    virtual void SetPointerHidden(bool hidden) = 0;
    // A modal box with one OK button; returns when the user has closed it.
    virtual void ShowMessage(const std::string& text, const std::string& title) = 0;
    // Switches the one-second song watcher on (its second starts anew) or off.
    virtual void SetSongWatcherEnabled(bool enabled) = 0;
    // The time of day (seconds since midnight) in the locale's format with hours, minutes and
    // seconds, and no date.
    virtual std::string TimeText(double secondsOfDay) = 0;
    // Ends the event loop with this exit status; no event of the session runs after it.
    virtual void RequestQuit(int status) = 0;
};

}  // namespace driftmere
