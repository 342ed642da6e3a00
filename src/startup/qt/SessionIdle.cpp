#include "startup/qt/SessionIdle.h"

#include <QSocketNotifier>

#include "platform/wayland/WaylandIdleSource.h"
#include "platform/x11/X11IdleSource.h"
#include "startup/qt/MutterIdleSource.h"

namespace driftmere {
namespace {

// What every source answers alike.
template <class Source>
class Forwarding : public SessionIdleSource {
  public:
    std::uint64_t IdleMs() override { return source_->IdleMs(); }
    void WatchIdle(std::uint64_t ms) override { source_->WatchIdle(ms); }
    void WatchActivity() override { source_->WatchActivity(); }
    bool HeldOffBySession() override { return source_->HeldOffBySession(); }
    void AlsoHeldOffBy(std::function<bool()> held) override {
        source_->AlsoHeldOffBy(std::move(held));
    }
    void ResetIdle() override { source_->ResetIdle(); }

  protected:
    std::unique_ptr<Source> source_;
};

class X11Idle : public Forwarding<X11IdleSource> {
  public:
    bool Open(std::string& problem) {
        source_ = std::make_unique<X11IdleSource>();
        return source_->Open(problem);
    }
    IdleSourceKind kind() const override { return IdleSourceKind::XServer; }
    // The X server going away ends the program from inside Xlib, with its own line.
    void SetCallbacks(std::function<void()> idleReached, std::function<void()> activity,
                      std::function<void(const std::string&)>) override {
        source_->SetCallbacks(std::move(idleReached), std::move(activity));
    }
    std::string SaverHostRunning() override { return source_->SaverHostRunning(); }
};

class WaylandIdle : public Forwarding<wayland::WaylandIdleSource> {
  public:
    explicit WaylandIdle(std::unique_ptr<wayland::WaylandIdleSource> source) {
        source_ = std::move(source);
        source_->Start();
        notifier_ = std::make_unique<QSocketNotifier>(source_->fd(), QSocketNotifier::Read);
        QObject::connect(notifier_.get(), &QSocketNotifier::activated, [this] {
            if (source_->Dispatch()) return;
            notifier_->setEnabled(false);
            if (gone_) gone_("the Wayland compositor");
        });
    }
    IdleSourceKind kind() const override {
        return source_->protocol() == wayland::IdleProtocol::ExtIdleNotify
                   ? IdleSourceKind::ExtIdleNotify
                   : IdleSourceKind::KdeIdle;
    }
    void SetCallbacks(std::function<void()> idleReached, std::function<void()> activity,
                      std::function<void(const std::string&)> gone) override {
        source_->SetCallbacks(std::move(idleReached), std::move(activity));
        gone_ = std::move(gone);
    }
    // xscreensaver may run on XWayland; without an X display there is nothing to ask.
    std::string SaverHostRunning() override { return SaverHostOnXDisplay(); }

  private:
    std::unique_ptr<QSocketNotifier> notifier_;
    std::function<void(const std::string&)> gone_;
};

class MutterIdle : public Forwarding<MutterIdleSource> {
  public:
    bool Open(QDBusConnection bus, std::string& problem) {
        source_ = std::make_unique<MutterIdleSource>(bus);
        return source_->Open(problem);
    }
    IdleSourceKind kind() const override { return IdleSourceKind::MutterIdleMonitor; }
    void SetCallbacks(std::function<void()> idleReached, std::function<void()> activity,
                      std::function<void(const std::string&)> gone) override {
        source_->SetCallbacks(std::move(idleReached), std::move(activity), [gone] {
            if (gone) gone("GNOME's idle monitor");
        });
    }
    std::string SaverHostRunning() override { return SaverHostOnXDisplay(); }
};

}  // namespace

std::unique_ptr<SessionIdleSource> X11SessionIdle(std::string& problem) {
    auto idle = std::make_unique<X11Idle>();
    if (!idle->Open(problem)) return nullptr;
    return idle;
}

std::unique_ptr<SessionIdleSource> WaylandSessionIdle(
    std::unique_ptr<wayland::WaylandIdleSource> source) {
    return std::make_unique<WaylandIdle>(std::move(source));
}

std::unique_ptr<SessionIdleSource> MutterSessionIdle(QDBusConnection bus, std::string& problem) {
    auto idle = std::make_unique<MutterIdle>();
    if (!idle->Open(bus, problem)) return nullptr;
    return idle;
}

}  // namespace driftmere
