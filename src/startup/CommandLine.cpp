#include "startup/CommandLine.h"

#include <cstdlib>

#include "platform/AsciiText.h"
#include "settings/Conversions.h"

namespace driftmere {
namespace {

std::string NormaliseCommandLine(const std::vector<std::string>& args) {
    std::string joined;
    for (const auto& a : args) {
        if (!joined.empty()) joined += ' ';
        joined += a;
    }
    return AsciiLowered(TrimmedOf(joined, " \t"));
}

StartRequest Refused(std::string why) {
    StartRequest req;
    req.refusal = std::move(why);
    return req;
}

StartRequest Asked(StartMode mode) {
    StartRequest req;
    req.mode = mode;
    return req;
}

// "-root" and "--root" are the same option, as with every xscreensaver hack.
std::optional<std::string_view> HackOption(std::string_view arg) {
    if (arg.size() < 2 || arg[0] != '-') return std::nullopt;
    arg.remove_prefix(arg[1] == '-' ? 2 : 1);
    return arg;
}

}  // namespace

std::optional<std::uint64_t> ParseWindowId(std::string_view text) {
    if (text.empty()) return std::nullopt;
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        text.remove_prefix(2);
    }
    std::uint64_t value = 0;
    for (char c : text) {
        int digit;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (base == 16 && c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (base == 16 && c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else
            return std::nullopt;
        value = value * base + digit;
        // Checked at every digit, so a long run of digits can never wrap around into range.
        if (value > kLargestWindowId) return std::nullopt;
    }
    if (value == 0) return std::nullopt;
    return value;
}

std::string_view NumericTail(std::string_view text) {
    // The text is read backwards through the states of ParseNumber's syntax reversed; every
    // state that ends a valid number marks a tail that reads as one, and the earliest such mark
    // is the longest tail. Reading stops where no longer tail can be a number, so the whole
    // search is one pass, however long the text.
    enum class State {
        Start,
        Digits,
        Sign,
        ExponentMark,
        MantissaDigits,
        Point,
        PointDigits,
        Signed
    };
    auto isBlank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
    auto isSign = [](char c) { return c == '+' || c == '-'; };
    auto isExponent = [](char c) { return c == 'e' || c == 'E'; };

    std::size_t end = text.size();
    while (end > 0 && isBlank(text[end - 1])) --end;
    std::optional<std::size_t> longest;
    State state = State::Start;
    for (std::size_t i = end; i > 0; --i) {
        const char c = text[i - 1];
        std::optional<State> next;
        switch (state) {
            case State::Start:
                if (isDigit(c))
                    next = State::Digits;
                else if (c == '.')
                    next = State::Point;
                break;
            case State::Digits:  // the exponent's digits, or the mantissa's
                if (isDigit(c))
                    next = State::Digits;
                else if (c == '.')
                    next = State::PointDigits;
                else if (isSign(c))
                    next = State::Sign;
                else if (isExponent(c))
                    next = State::ExponentMark;
                break;
            case State::Sign:  // the mantissa's sign, or the exponent's
                if (isExponent(c)) next = State::ExponentMark;
                break;
            case State::ExponentMark:
                if (isDigit(c))
                    next = State::MantissaDigits;
                else if (c == '.')
                    next = State::Point;
                break;
            case State::MantissaDigits:
                if (isDigit(c))
                    next = State::MantissaDigits;
                else if (c == '.')
                    next = State::PointDigits;
                else if (isSign(c))
                    next = State::Signed;
                break;
            case State::Point:  // a point with no digit after it yet
                if (isDigit(c)) next = State::PointDigits;
                break;
            case State::PointDigits:
                if (isDigit(c))
                    next = State::PointDigits;
                else if (isSign(c))
                    next = State::Signed;
                break;
            case State::Signed:
                break;
        }
        if (!next) break;
        state = *next;
        if (state != State::Start && state != State::ExponentMark && state != State::Point)
            longest = i - 1;
    }
    if (!longest) return {};
    std::size_t begin = *longest;
    while (begin > 0 && isBlank(text[begin - 1])) --begin;
    return text.substr(begin);
}

std::optional<std::int32_t> PreviewHandle(std::string_view commandLine) {
    std::string_view tail = NumericTail(commandLine);
    if (tail.empty()) return std::nullopt;
    return ToInt32(tail);  // a number too large for 32 bits: none
}

StartRequest ParseStart(const std::vector<std::string>& args, const char* xscreensaverWindow) {
    StartRequest req;
    std::vector<std::string> rest;
    bool root = false;
    std::optional<std::uint64_t> windowId;
    for (std::size_t i = 0; i < args.size(); ++i) {
        auto opt = HackOption(args[i]);
        if (opt == "help" || opt == "h") {
            return Asked(StartMode::Help);
        } else if (opt == "version") {
            return Asked(StartMode::Version);
        } else if (opt == "root") {
            root = true;
        } else if (opt == "window-id") {
            if (i + 1 == args.size()) return Refused("--window-id needs a window id");
            windowId = ParseWindowId(args[++i]);
            // A wrong id must not fall back to the whole screen: the caller wanted a small pane.
            if (!windowId)
                return Refused("--window-id " + QuotedForMessage(args[i]) +
                               " is not an X window id");
        } else if (opt == "fps") {
            req.showFps = true;
        } else if (opt == "window") {
            // xscreensaver's "-window" asks for a window of the hack's own: the saver's
            // full-screen window is that window.
        } else {
            rest.push_back(args[i]);
        }
    }
    if (windowId || root) {
        req.mode = StartMode::Saver;
        req.hosted = true;
        if (windowId) {
            req.hostWindow = *windowId;
        } else if (xscreensaverWindow && *xscreensaverWindow) {
            auto fromHost = ParseWindowId(xscreensaverWindow);
            if (!fromHost)
                return Refused("XSCREENSAVER_WINDOW " + QuotedForMessage(xscreensaverWindow) +
                               " is not an X window id");
            req.hostWindow = *fromHost;
        }
        req.modeText = "/s";
        return req;
    }

    req.commandLine = NormaliseCommandLine(rest);
    req.modeText = req.commandLine.substr(0, 2);
    if (req.modeText.empty() || req.modeText == "/s") {
        req.mode = StartMode::Saver;
    } else if (req.modeText == "/p") {
        req.mode = StartMode::Preview;
        // "/p" alone names no host and shows nothing, and so does a number that no X window can
        // have (0, a negative one, one wider than 29 bits): the copy ends quietly, as it does
        // for a window that has gone. Only text that is no number at all is refused.
        std::string_view tail = NumericTail(req.commandLine);
        if (tail.empty() && req.commandLine.size() > 2)
            return Refused(QuotedForMessage(req.commandLine) +
                           " names no X window (/p takes a decimal id)");
        std::optional<std::int32_t> parent = tail.empty() ? std::nullopt : ToInt32(tail);
        if (parent && *parent >= 1 && static_cast<std::uint64_t>(*parent) <= kLargestWindowId)
            req.previewParent = *parent;
    } else if (req.modeText == "/c") {
        req.mode = StartMode::Configure;
    } else if (req.modeText == "/a") {
        req.mode = StartMode::Password;
    }
    return req;
}

bool EndsForSingleInstance(std::string_view modeText, bool anotherSaverRunning,
                           const std::function<bool()>& controlBoxOpen) {
    return modeText == "/s" && anotherSaverRunning && !controlBoxOpen();
}

bool CountsAsRunningSaver(const StartRequest& req, bool hostWindowCoversAMonitor) {
    if (req.mode != StartMode::Saver) return false;
    return !req.hosted || req.hostWindow == 0 || hostWindowCoversAMonitor;
}

std::string VersionText() { return std::string("Driftmere ") + DRIFTMERE_VERSION + '\n'; }

std::string HelpText() {
    return R"(Usage: driftmere [/s | /c | /p WINDOW | /a]
       driftmere --root [--window-id ID] [--fps]
       driftmere --idle [MINUTES]
       driftmere --add-to-xscreensaver | --remove-from-xscreensaver
       driftmere --help | --version

Hot-air balloons drifting over mountains and beaches.

Modes:
  /s, or nothing   the saver, full screen on every monitor; a second /s ends at
                   once while one runs, unless the Driftmere Control Box is open
  /c               the Driftmere Control Box, where every setting is made
  /p WINDOW        a still picture of the scene inside the X11 window with that
                   decimal id
  /a               says that Linux has no saver password, and ends

Options:
  --root           under a screen-saver host: draw into $XSCREENSAVER_WINDOW, or
                   the whole screen; the host owns input and blanking
  --window-id ID   draw into that X11 window (0x... or decimal); in one smaller
                   than a monitor (a preview pane) it stays silent
  --fps            with the saver: the frame rate and CPU use in a corner
  --idle [MINUTES] waits until the user has been idle that long (10 without a
                   number, fractions allowed), runs the saver, and waits again
  --add-to-xscreensaver
                   adds Driftmere to xscreensaver's list in ~/.xscreensaver
  --remove-from-xscreensaver
                   takes it out again
  -h, --help       this text
  --version        the name and version

Keys while the saver runs full screen:
  N next song, P previous song, Q music off, S music on; any other key, a mouse
  click or a few mouse movements within ten seconds end it.

Display: in a Wayland session (a compositor answers on WAYLAND_DISPLAY) the
saver and the Control Box are Wayland clients, elsewhere X11 clients (DISPLAY);
DRIFTMERE_PLATFORM=x11 or =wayland chooses. /p, --root and --window-id need X11.

Settings live in ${XDG_CONFIG_HOME:-~/.config}/DriftmereVT/settings.ini; the
Control Box writes them and the saver reads them when it starts. More in
driftmere(6) and the user manual (the Control Box's help button).
)";
}

}  // namespace driftmere
