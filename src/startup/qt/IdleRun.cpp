#include "startup/qt/IdleRun.h"

#include <fcntl.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QSocketNotifier>
#include <csignal>
#include <cstdlib>
#include <iostream>
#include <memory>

#include "platform/linux/ExclusiveLock.h"
#include "startup/IdleWatcher.h"
#include "startup/qt/InhibitService.h"
#include "startup/qt/RealAdapters.h"

namespace driftmere {
namespace {

constexpr const char* kWatcherLockName = "driftmere-idle.lock";
constexpr int kSaverEndMs = 1500;  // what SIGTERM gives a running saver before it is killed
// A saver that fails within this of its start could not run at all (no display it can draw on).
constexpr qint64 kFailsAtOnceMs = 3000;

int g_signalPipe[2] = {-1, -1};
void OnSignal(int) {
    const int saved = errno;
    char c = 1;
    [[maybe_unused]] ssize_t n = write(g_signalPipe[1], &c, 1);
    errno = saved;
}

// The saver as `driftmere /s` runs it, as a child that the kernel ends (SIGTERM) should the
// watcher die first, however it dies.
class ChildSaver : public SaverStarter {
  public:
    std::function<bool()> mayStart;

    // `ended` hears whether the saver failed at once rather than ran.
    explicit ChildSaver(std::function<void(bool)> ended) {
        process_.setProgram(QCoreApplication::applicationFilePath());
        process_.setArguments({QStringLiteral("/s")});
        process_.setProcessChannelMode(QProcess::ForwardedChannels);
        process_.setStandardInputFile(QProcess::nullDevice());
        const pid_t watcher = getpid();
        process_.setChildProcessModifier([watcher] {
            prctl(PR_SET_PDEATHSIG, SIGTERM);
            if (getppid() != watcher) _exit(0);  // the watcher died before the line above
        });
        QObject::connect(&process_, &QProcess::finished,
                         [this, ended](int code, QProcess::ExitStatus status) {
                             const bool failed = status != QProcess::NormalExit || code != 0;
                             ended(failed && !ran_.hasExpired(kFailsAtOnceMs));
                         });
    }

    bool StartSaver() override {
        if (mayStart && !mayStart()) return false;
        process_.start();
        ran_.start();
        if (process_.waitForStarted(5000)) return true;
        std::cerr << "driftmere: could not start the saver ("
                  << process_.errorString().toStdString() << ")\n";
        return false;
    }

    void End() {
        if (process_.state() == QProcess::NotRunning) return;
        process_.terminate();
        if (!process_.waitForFinished(kSaverEndMs)) {
            process_.kill();
            process_.waitForFinished(500);
        }
    }

  private:
    QProcess process_;
    QElapsedTimer ran_;
};

}  // namespace

std::optional<int> RunIdleWatcher(int argc, char** argv, const std::vector<std::string>& args) {
    const auto req = ParseIdleRequest(args);
    if (!req) return std::nullopt;
    if (!req->refusal.empty()) {
        std::cerr << "driftmere: " << req->refusal << '\n';
        return 2;
    }

    // One watcher per user: the lock is the kernel's, dropped however the holder ends.
    ExclusiveLock oneWatcher(kWatcherLockName, [](const std::string& problem) {
        std::cerr << "driftmere: no single-watcher lock (" << problem
                  << "); running as if no other watcher were running\n";
    });
    if (!oneWatcher.TryTake()) {
        std::cerr << "driftmere: --idle already runs for this user\n";
        return 0;
    }

    QCoreApplication app(argc, argv);
    QDBusConnection bus = QDBusConnection::sessionBus();
    std::string problem;
    const std::unique_ptr<SessionIdleSource> source = OpenSessionIdleSource(bus, problem);
    if (!source) {
        std::cerr << "driftmere: --idle cannot learn the user's idle time: " << problem << '\n';
        return 1;
    }
    SessionIdleSource& idle = *source;
    if (const std::string host = idle.SaverHostRunning(); !host.empty()) {
        std::cerr << "driftmere: " << host
                  << " runs on this display and starts screen savers itself; --idle ends\n";
        return 0;
    }

    IdleWatcher* watcherRef = nullptr;
    InhibitService* serviceRef = nullptr;
    ChildSaver saver([&](bool failedAtOnce) {
        if (serviceRef) serviceRef->SetActive(false);
        if (!watcherRef) return;
        if (failedAtOnce) {
            std::cerr << "driftmere: the saver failed as it started; --idle tries again once "
                         "the user has been back and idle again\n";
            watcherRef->SaverFailed();
        } else {
            watcherRef->SaverEnded();
        }
    });
    IdleWatcher watcher(idle, saver, req->idleMs);
    watcherRef = &watcher;
    idle.SetCallbacks([&] { watcher.OnIdleReached(); }, [&] { watcher.OnActivity(); },
                      [](const std::string& server) {
                          std::cerr << "driftmere: " << server << " went away; --idle ends\n";
                          QCoreApplication::exit(1);
                      });

    // The inhibitors: ours when nobody provides the service, else asked of the desktop.
    InhibitService service(bus);
    const bool ownService = service.Register();
    serviceRef = &service;
    QObject::connect(&service, &InhibitService::inhibitorsChanged,
                     [&](int count) { watcher.SetInhibitors(static_cast<std::size_t>(count)); });
    QObject::connect(&service, &InhibitService::userActivity, [&] { idle.ResetIdle(); });
    if (!ownService) idle.AlsoHeldOffBy([&bus] { return DesktopHoldsSaversOff(bus); });
    saver.mayStart = [&] {
        if (const std::string host = idle.SaverHostRunning(); !host.empty()) {
            std::cerr << "driftmere: " << host
                      << " now runs on this display and starts screen savers itself; --idle "
                         "ends\n";
            QCoreApplication::exit(0);
            return false;
        }
        service.SetActive(true);
        return true;
    };

    // SIGTERM, SIGINT, SIGHUP: the saver goes with the watcher.
    if (pipe2(g_signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) return 1;
    struct sigaction sa {};
    sa.sa_handler = OnSignal;
    sigemptyset(&sa.sa_mask);
    for (int sig : {SIGTERM, SIGINT, SIGHUP}) sigaction(sig, &sa, nullptr);
    QSocketNotifier signals_(g_signalPipe[0], QSocketNotifier::Read);
    QObject::connect(&signals_, &QSocketNotifier::activated, [] { QCoreApplication::exit(0); });

    watcher.Start();
    const int status = QCoreApplication::exec();
    watcherRef = nullptr;
    serviceRef = nullptr;
    saver.End();
    return status;
}

}  // namespace driftmere
