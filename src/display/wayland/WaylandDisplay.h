#pragma once
// The display control in a Wayland session: the scene composed by the same Compositor the Qt
// display uses, shown on every output through our own Wayland client (platform/wayland), with no
// window of Qt's and no X connection.
//
// Each output gets the 4:3 letterbox of its own device pixels (its size times its scale): one
// compositor per distinct frame size, so two outputs of one size share a frame and outputs of two
// densities get one each. A Flip sends each output only the rectangles that changed since what it
// last showed.
//
// Frames are due when the saver says (FrameDue, on the same timerfd pacer as on X11), but one is
// made only when some output can show it: after the compositor's frame callback for the last one
// presented there, or before anything was presented. An output the compositor does not draw (off,
// hidden) sends no callback and gets nothing; while no output wants a frame, none is made, and a
// frame that fell due meanwhile is made as soon as one asks.
//
// A frame is composed straight into a buffer of the first output of its size that wants it, so
// that it is not copied there afterwards; see LendBuffers.
#include <QObject>
#include <QRegion>
#include <QSize>
#include <QSocketNotifier>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "display/DisplayControl.h"
#include "display/qt/ComposingDisplay.h"
#include "display/qt/FramePacer.h"
#include "platform/wayland/WaylandClient.h"

namespace driftmere {

class WaylandDisplay : public QObject, public ComposingDisplay, private wayland::ClientEvents {
    Q_OBJECT
  public:
    // Makes the client (WaylandClient::Connect; tests pass a fake): null with *problem set when
    // there is no compositor to cover the outputs of.
    using Connector = std::function<std::unique_ptr<wayland::WaylandClient>(
        wayland::ClientEvents& events, std::string* problem)>;
    // `showFps`: the frame rate and CPU use in a corner (--fps).
    explicit WaylandDisplay(Connector connector, bool showFps = false);
    ~WaylandDisplay() override;

    // `lost` hears, from the event loop, the one line saying why the compositor went away while
    // the display was open (the line is on stderr already); nothing is shown after that.
    void OnLost(std::function<void(const std::string& why)> lost) { lost_ = std::move(lost); }

    // Something changed that the next frame shows: a frame is due within `ms` milliseconds,
    // sooner when one is due sooner anyway.
    void RequestFrameWithin(int ms);
    // Holds the compositor's idle timers off while true; false when it offers no way to.
    bool SetIdleInhibited(bool inhibited);

    // For tests and measurements.
    std::size_t outputCount() const { return outputs_.size(); }
    // Whether a frame is set to come (a due frame that waits for an output to want one is not).
    bool frameScheduled() const { return pacer_.wakeAt().has_value(); }
    const wayland::WaylandClient* client() const { return client_.get(); }

    void SetEventSink(DisplayEvents* sink) override;
    bool OpenDisplay(int sceneWidth, int sceneHeight) override;
    void Flip() override;

  private:
    struct Output {
        QSize frame;        // the letterbox of its device pixels: the frame it shows
        bool wants = true;  // may be sent a frame now
        bool whole = true;  // the next frame it is sent is sent whole
        QRegion unshown;    // changed in its frame since the last one it was sent
    };

    // wayland::ClientEvents
    void SurfaceReady(wayland::OutputId output, int width, int height, int scale) override;
    void SurfaceGone(wayland::OutputId output) override;
    void FrameWanted(wayland::OutputId output) override;
    void KeyDown(std::int16_t code) override;
    void Click() override;
    void PointerMoved() override;
    void Disconnected(const std::string& why) override;

    // Per compositor: the output whose buffer its frame is composed into this time, if any.
    struct Lent {
        wayland::OutputId output = 0;
        const std::uint8_t* pixels = nullptr;  // null: none
    };
    std::vector<Lent> LendBuffers();
    void Tick();
    void ScheduleNextFrame();
    void WatchConnection();
    bool SomeOutputWants() const;
    void ApplyDensity();
    void ReadConnection();
    void Lose(const std::string& why);

    Connector connect_;
    std::function<void(const std::string&)> lost_;
    std::unique_ptr<wayland::WaylandClient> client_;
    std::unique_ptr<QSocketNotifier> readable_;
    std::map<wayland::OutputId, Output> outputs_;
    DisplayEvents* sink_ = nullptr;
    FramePacer pacer_;
    bool showFps_ = false;
    bool open_ = false;
    bool gone_ = false;  // the compositor went away: nothing more is sent
    bool inFrame_ = false;
    bool frameOwed_ = false;  // a frame fell due while no output wanted one
};

}  // namespace driftmere
