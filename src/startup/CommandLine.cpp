#include "startup/CommandLine.h"

#include <cstdlib>

#include "settings/Conversions.h"

namespace driftmere {
namespace {

std::string NormaliseCommandLine(const std::vector<std::string>& args) {
    std::string joined;
    for (const auto& a : args) {
        if (!joined.empty()) joined += ' ';
        joined += a;
    }
    std::size_t begin = joined.find_first_not_of(" \t");
    if (begin == std::string::npos) return {};
    std::size_t end = joined.find_last_not_of(" \t");
    std::string text = joined.substr(begin, end - begin + 1);
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
    return text;
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
        if (value > (UINT64_MAX - digit) / base) return std::nullopt;
        value = value * base + digit;
    }
    return value;
}

std::optional<std::int32_t> PreviewHandle(std::string_view commandLine) {
    for (std::size_t n = commandLine.size(); n >= 1; --n) {
        std::string_view tail = commandLine.substr(commandLine.size() - n);
        if (ParseNumber(tail)) return ToInt32(tail);  // a number too large for 32 bits: none
    }
    return std::nullopt;
}

StartRequest ParseStart(const std::vector<std::string>& args, const char* xscreensaverWindow) {
    StartRequest req;
    std::vector<std::string> rest;
    bool root = false;
    std::optional<std::uint64_t> windowId;
    for (std::size_t i = 0; i < args.size(); ++i) {
        auto opt = HackOption(args[i]);
        if (opt == "root") {
            root = true;
        } else if (opt == "window-id" && i + 1 < args.size()) {
            windowId = ParseWindowId(args[++i]);
            if (!windowId) windowId = 0;
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
            req.music = false;  // a settings program's preview pane stays silent
        } else if (xscreensaverWindow && *xscreensaverWindow) {
            req.hostWindow = ParseWindowId(xscreensaverWindow).value_or(0);
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
        req.previewParent = PreviewHandle(req.commandLine).value_or(0);
    } else if (req.modeText == "/c") {
        req.mode = StartMode::Configure;
    } else if (req.modeText == "/a") {
        req.mode = StartMode::Password;
    }
    return req;
}

bool EndsForSingleInstance(std::string_view modeText, bool controlBoxOpen,
                           bool anotherCopyRunning) {
    return modeText == "/s" && !controlBoxOpen && anotherCopyRunning;
}

}  // namespace driftmere
