#pragma once
// The real adapters, chosen here and nowhere else: what the program asks of the desktop session
// (is there a display, how large is a host's window, is the Control Box open) and what the saver
// runs with (the sound control, the screen kept on, the server's own blank ended, the idle time
// for --idle). Today every answer comes from X11 (Qt draws there too); a Wayland client goes in
// beside it, chosen here.
#include <QWindow>
#include <memory>
#include <optional>
#include <string>

#include "music/SoundControl.h"
#include "startup/qt/SessionIdle.h"

namespace driftmere {

// On X11 (see PlatformChoice): empty when the X server DISPLAY names answers; otherwise why
// not, as one plain line for a terminal.
std::string DisplayProblem();

// Whether a host's window holds a whole monitor (a saver's screen), rather than a settings
// program's preview pane. Needs the application object.
bool CoversAMonitor(WId window);

// The size of another program's window, or nullopt when `window` names none.
std::optional<QSize> ForeignWindowSize(WId window);

// Whether the Control Box is open on this display (in this copy or another).
bool ControlBoxOpen();

// The saver's sound: silent when `music` is off, else a synthesiser in the one copy that holds
// the user's music lock.
std::unique_ptr<SoundControl> MakeSound(bool music);

// Ends the display server's own blank, which would hide the scene until the first input.
void EndServerBlank();

// Keeps the screen on for as long as the handle lives; `warn` hears at most one line when
// there is no way to.
std::shared_ptr<void> KeepScreenOn(void (*warn)(const std::string&));
// The same with no X server: only the desktop's inhibit on the session bus (a Wayland compositor
// without an idle inhibitor, as GNOME's).
std::shared_ptr<void> KeepScreenOnWithoutX(void (*warn)(const std::string&));

// The user's idle time for `driftmere --idle`, from what the session offers: in a Wayland
// session the compositor's idle protocol, else GNOME's idle monitor on `bus`; elsewhere the X
// server. nullptr with `problem` set when there is none.
std::unique_ptr<SessionIdleSource> OpenSessionIdleSource(QDBusConnection bus, std::string& problem);

}  // namespace driftmere
