#pragma once
// Start-up: what the command line asks for, the single-instance rule, and the monitor
// power-down decision. Pure functions; the Linux program around them does the rest.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/QuotedForMessage.h"
#include "setup/ControlBoxTitle.h"

namespace driftmere {

enum class StartMode { Saver, Preview, Configure, Password, Help, Version, None };

struct StartRequest {
    StartMode mode = StartMode::None;
    std::string commandLine;         // the arguments joined with blanks, trimmed and lower-cased
    std::string modeText;            // its first two characters
    std::int32_t previewParent = 0;  // preview mode: the host window's number
    // Not empty when the command line names a window that cannot be one (garbage, or an id wider
    // than X allows): the one line that says so. The program then starts nothing.
    std::string refusal;

    // Under a screen-saver host (-root, -window-id): draw into hostWindow (0: the whole
    // screen), take no input, hide no pointer, inhibit nothing, skip the single-instance rule.
    bool hosted = false;
    std::uint64_t hostWindow = 0;
    bool music = true;  // a hosted copy is heard only when its window covers a monitor
    bool showFps = false;
};

// args are the program's arguments without its own path; xscreensaverWindow is the value of
// $XSCREENSAVER_WINDOW, or null.
StartRequest ParseStart(const std::vector<std::string>& args, const char* xscreensaverWindow);

// The longest tail of `text` that reads as a number (blanks around it allowed, see
// ParseNumber), found in one pass over the text; empty when no tail does. "/p 1234" -> " 1234".
std::string_view NumericTail(std::string_view text);

// The host window of preview mode: that tail of the command line as a 32-bit integer
// ("/p 1234" -> 1234); nullopt when no tail is a number or it does not fit 32 bits.
std::optional<std::int32_t> PreviewHandle(std::string_view commandLine);

// X resource ids have 29 bits; 0 is no window at all.
inline constexpr std::uint64_t kLargestWindowId = 0x1fffffff;

// A window id as xscreensaver writes it: "0x1c00007" or decimal. Nullopt for anything else,
// and for ids that no X window can have (0, or wider than 29 bits).
std::optional<std::uint64_t> ParseWindowId(std::string_view text);

// "/s" ends at once when another saver runs, unless the Control Box is open (the window a user
// tries the saver from). No other mode is ever refused. controlBoxOpen is asked only when its
// answer matters, since asking means reading every top-level window's title.
bool EndsForSingleInstance(std::string_view modeText, bool anotherSaverRunning,
                           const std::function<bool()>& controlBoxOpen);

// Whether this copy is a running saver that a later "/s" gives way to: one on the whole screen,
// or in a host's window that covers a monitor. A preview (/p, a settings program's pane smaller
// than a monitor), the Control Box, /a and the help never count.
bool CountsAsRunningSaver(const StartRequest& req, bool hostWindowCoversAMonitor);

// What --help and --version print.
std::string HelpText();
std::string VersionText();

}  // namespace driftmere
