#pragma once
// Raises a frame every 10 ms on a grid tied to the millisecond tick the saver reads: each frame
// comes a quarter of a millisecond after a tick that is a multiple of 10. A balloon moves when
// 20 ms have passed since the tick read after its last move; frames anchored this way read
// ticks exactly 10 ms apart, so a frame that fires a little late no longer reads 19 and skips a
// move (a free-running 10 ms timer lost about one move in eight that way).
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
