#include "startup/qt/WaylandSaver.h"

#include <memory>

#include "display/wayland/WaylandDisplay.h"
#include "platform/wayland/WaylandClient.h"
#include "startup/qt/RealAdapters.h"
#include "startup/qt/SaverRun.h"

namespace driftmere {
namespace {

// The compositor's idle timers held off for as long as it lives.
class IdleInhibitHold {
  public:
    explicit IdleInhibitHold(WaylandDisplay& display) : display_(display) {}
    ~IdleInhibitHold() { display_.SetIdleInhibited(false); }
    IdleInhibitHold(const IdleInhibitHold&) = delete;
    IdleInhibitHold& operator=(const IdleInhibitHold&) = delete;

  private:
    WaylandDisplay& display_;
};

// The Wayland display and what differs with it: the client hides the pointer itself, there is
// no window of Qt's for a message box, no server blank to end, the compositor's idle inhibitor
// keeps the screen on (the desktop's, over D-Bus, where the compositor has none), and a
// compositor that goes away ends the run with status 1.
RunDisplay WaylandRunDisplay(bool showFps) {
    auto display = std::make_unique<WaylandDisplay>(&wayland::WaylandClient::Connect, showFps);
    WaylandDisplay* wl = display.get();
    return {
        .control = std::move(display),
        .host = {.setPointerHidden = {},
                 .requestFrameWithin = [wl](int ms) { wl->RequestFrameWithin(ms); }},
        .messageBoxes = false,
        .endServerBlank = {},
        .keepScreenOn = [wl](void (*warn)(const std::string&)) -> std::shared_ptr<void> {
            if (wl->SetIdleInhibited(true)) return std::make_shared<IdleInhibitHold>(*wl);
            return KeepScreenOnWithoutX(warn);
        },
        .watchLoss =
            [wl](std::function<void(int)> end) {
                wl->OnLost([end](const std::string&) { end(1); });
            },
    };
}

}  // namespace

std::unique_ptr<SaverRun> WaylandSaverRun(const StartRequest& req) {
    return std::make_unique<SaverRun>(
        SaverRunOptions{.showFps = req.showFps, .music = req.music, .dataFolder = DataFolder()},
        WaylandRunDisplay(req.showFps));
}

}  // namespace driftmere
