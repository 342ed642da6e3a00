#pragma once
// Raises a frame when one is due, and only then: at a tick of the millisecond clock the saver
// reads (CLOCK_MONOTONIC in whole milliseconds), a quarter of a millisecond into that tick, so
// the frame reads the tick it was set for even when it fires a little late. A balloon moves when
// 20 ms have passed since the tick read after its last move: woken for exactly that tick it keeps
// its 50 moves a second, and between moves the program sleeps.
//
// Each wake is set anew after every frame (or when something asks for a frame sooner); a wake
// that is not set again is the last.
#include <QObject>
#include <QSocketNotifier>
#include <QTimer>
#include <cstdint>
#include <memory>
#include <optional>

#include "display/DisplayControl.h"

namespace driftmere {

class FramePacer : public QObject {
    Q_OBJECT
  public:
    explicit FramePacer(QObject* parent = nullptr);
    ~FramePacer() override;

    // Now on CLOCK_MONOTONIC, in nanoseconds.
    static std::int64_t NowNs();
    // The wake for the millisecond tick `tick` (the clock's milliseconds as a wrapping 32-bit
    // count), taken as the one nearest to `nowNs`: a quarter of a millisecond into it.
    static std::int64_t TickToNs(std::uint32_t tick, std::int64_t nowNs);

    // One frame at `atNs` (at once when that is past), replacing any wake already set.
    void WakeAt(std::int64_t atNs);
    // One frame at the next multiple of `intervalMs`, a quarter of a millisecond in.
    void WakeOnGrid(int intervalMs);
    // No frame until a wake is set again.
    void Stop();
    // The wake for when the owner says its next frame is due: steadily on the 10 ms grid, at its
    // tick, or none until asked.
    void WakeWhenDue(FrameDue due);
    // A frame within `ms` milliseconds: now, unless one is set that soon already.
    void WakeWithin(int ms);
    // When the frame set is due; empty when none is.
    std::optional<std::int64_t> wakeAt() const { return wakeAt_; }

  signals:
    void frame();

  private:
    void Fire();

    int fd_ = -1;
    std::unique_ptr<QSocketNotifier> notifier_;
    QTimer fallback_;  // where the kernel offers no timerfd
    std::optional<std::int64_t> wakeAt_;
};

}  // namespace driftmere
