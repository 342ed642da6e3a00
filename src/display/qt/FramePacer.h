#pragma once
// Raises a frame every 10 ms on a grid tied to the millisecond tick the saver reads: each frame
// comes a quarter of a millisecond after a tick that is a multiple of 10. A balloon moves when
// 20 ms have passed since the tick read after its last move; frames anchored this way read
// ticks exactly 10 ms apart, so a frame that fires a little late still reads 20 ticks after the
// one two frames before, not 19, and the balloon keeps its 50 moves a second (a free-running
// 10 ms timer drifts against the tick and costs about one move in eight).
#include <QObject>
#include <QSocketNotifier>
#include <QTimer>
#include <memory>

namespace driftmere {

class FramePacer : public QObject {
    Q_OBJECT
  public:
    explicit FramePacer(int intervalMs, QObject* parent = nullptr);
    ~FramePacer() override;
    void start();
    void stop();

  signals:
    void frame();

  private:
    void OnTimerFd();

    int intervalMs_;
    int fd_ = -1;
    std::unique_ptr<QSocketNotifier> notifier_;
    QTimer fallback_;  // where the kernel offers no timerfd
};

}  // namespace driftmere
