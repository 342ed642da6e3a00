#include "startup/qt/Program.h"

#include <fcntl.h>
#include <pthread.h>
#include <semaphore.h>
#include <unistd.h>

#include <QApplication>
#include <QSocketNotifier>
#include <QTimer>
#include <QWindow>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <functional>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/linux/InstanceLock.h"
#include "settings/IniFileStore.h"
#include "setup/qt/PreviewForm.h"
#include "setup/qt/SetupDialog.h"
#include "startup/CommandLine.h"
#include "startup/PlatformChoice.h"
#include "startup/qt/IdleRun.h"
#include "startup/qt/RealAdapters.h"
#include "startup/qt/SaverRun.h"
#include "startup/qt/WarnOnceStore.h"
#include "startup/qt/WaylandSaver.h"
#include "startup/qt/XScreensaverFile.h"

namespace driftmere {
namespace {

// Once told to end, by a signal or by its own event loop ending, the program is gone within
// kEndDeadline whatever a thread is stuck in: an X server that no longer answers, an audio
// device, a library waiting for a reply. Screen-saver hosts and session managers rely on that.
// Nothing is lost by ending this way: settings are written whole or not at all, and the kernel
// drops the instance lock and the X and D-Bus connections (and with them any power inhibit).
constexpr timespec kEndDeadline{2, 0};
sem_t g_endWatch;
volatile sig_atomic_t g_endSignal = 0;
std::atomic<int> g_endStatus{0};
std::atomic<bool> g_endWatchRunning{false};

// After cleaning up, a copy told to end by a signal ends by that signal, as a host that sent it
// expects (a status of 0 would read as "exited abnormally").
void EndBySignalIfTold() {
    const int sig = g_endSignal;
    if (sig == 0) return;
    signal(sig, SIG_DFL);
    sigset_t one;
    sigemptyset(&one);
    sigaddset(&one, sig);
    pthread_sigmask(SIG_UNBLOCK, &one, nullptr);
    raise(sig);
}

void* EndWatch(void*) {
    // Signals belong to the main thread's handler, never to this one.
    sigset_t all;
    sigfillset(&all);
    pthread_sigmask(SIG_BLOCK, &all, nullptr);
    while (sem_wait(&g_endWatch) != 0) {
    }
    timespec left = kEndDeadline;
    while (nanosleep(&left, &left) != 0) {
    }
    const char line[] = "driftmere: still busy two seconds after being told to end; ending now\n";
    [[maybe_unused]] ssize_t n = write(STDERR_FILENO, line, sizeof line - 1);
    EndBySignalIfTold();  // so the parent sees what happened
    _exit(g_endStatus);
}

void StartEndWatch() {
    if (g_endWatchRunning) return;
    sem_init(&g_endWatch, 0, 0);
    // A small stack: the watch must start even where memory is short.
    pthread_attr_t attr;
    pthread_attr_init(&attr);
    pthread_attr_setstacksize(&attr, 64 * 1024);
    pthread_attr_setdetachstate(&attr, PTHREAD_CREATE_DETACHED);
    pthread_t thread;
    if (pthread_create(&thread, &attr, EndWatch, nullptr) == 0) {
        g_endWatchRunning = true;
    } else {
        // No thread to be had: the signal handler falls back on an alarm instead.
        signal(SIGALRM, SIG_DFL);
    }
    pthread_attr_destroy(&attr);
}

// After the event loop: whatever is left is tidying up, and it may not take longer than the
// deadline either.
void EndWithin(int status) {
    if (!g_endWatchRunning) return;
    g_endStatus = status;
    sem_post(&g_endWatch);
}

// SIGTERM, SIGINT and SIGHUP end the session the ordinary way (music stopped) from the event
// loop, not from inside the signal handler; the watch above makes sure they end it.
int g_signalPipe[2] = {-1, -1};
void OnSignal(int sig) {
    const int saved = errno;
    if (g_endSignal == 0) g_endSignal = sig;
    char c = 1;
    [[maybe_unused]] ssize_t n = write(g_signalPipe[1], &c, 1);
    if (g_endWatchRunning)
        sem_post(&g_endWatch);
    else
        alarm(static_cast<unsigned>(kEndDeadline.tv_sec));
    errno = saved;
}

std::unique_ptr<QSocketNotifier> WatchSignals(std::function<void()> onSignal) {
    if (pipe2(g_signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) return nullptr;
    StartEndWatch();
    struct sigaction sa {};
    sa.sa_handler = OnSignal;
    sigemptyset(&sa.sa_mask);
    for (int sig : {SIGTERM, SIGINT, SIGHUP}) sigaction(sig, &sa, nullptr);
    auto notifier = std::make_unique<QSocketNotifier>(g_signalPipe[0], QSocketNotifier::Read);
    QObject::connect(notifier.get(), &QSocketNotifier::activated, [onSignal] {
        char buf[16];
        while (read(g_signalPipe[0], buf, sizeof buf) > 0) {
        }
        onSignal();
    });
    return notifier;
}

// Runs the saver until it ends, by the user, by a signal (the session closed down the ordinary
// way, music stopped) or by losing its display; the exit status.
int RunUntilEnd(SaverRun& run) {
    auto signals_ = WatchSignals([&run] { run.session().CloseDown(); });
    if (!run.Start()) {
        EndWithin(1);
        return 1;
    }
    const int status = run.Exec();
    EndWithin(status);
    return status;
}

int RunSaver(const StartRequest& req, bool coversAMonitor) {
    // A copy in a host's window is heard only when that window covers a whole monitor.
    SaverRun run({.hostWindow = static_cast<WId>(req.hostWindow),
                  .showFps = req.showFps,
                  .hosted = req.hosted,
                  .music = req.music && (req.hostWindow == 0 || coversAMonitor),
                  .dataFolder = DataFolder()});
    return RunUntilEnd(run);
}

int RunPreview(const StartRequest& req) {
    // A number that names no window leaves nothing to show the picture in: end at once rather
    // than keep an invisible window alive forever.
    auto size = ForeignWindowSize(static_cast<WId>(req.previewParent));
    if (!size) return 0;
    PreviewForm form(QString::fromStdString(DataFolder()));
    form.setWindowTitle(QStringLiteral("Preview"));
    form.winId();
    QWindow* host =
        QWindow::fromWinId(static_cast<WId>(static_cast<std::uint32_t>(req.previewParent)));
    form.windowHandle()->setParent(host);
    form.setGeometry(0, 0, size->width(), size->height());
    form.show();
    // The picture lives as long as its host window, and follows its size.
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        auto now = ForeignWindowSize(static_cast<WId>(req.previewParent));
        if (!now) {
            QCoreApplication::exit(0);
            return;
        }
        if (now->width() != form.width() || now->height() != form.height())
            form.setGeometry(0, 0, now->width(), now->height());
    });
    watch.start(250);
    return QApplication::exec();
}

int RunSetup() {
    WarnOnceStore store(IniFileStore::DefaultPath());
    SetupDialog dialog(store, QString::fromStdString(DataFolder()));
    QObject::connect(&dialog, &QDialog::finished, [] { QCoreApplication::exit(0); });
    auto signals_ = WatchSignals([] { QCoreApplication::exit(0); });
    dialog.show();
    const int status = QApplication::exec();
    EndWithin(status);
    return status;
}

// Qt's platform for this copy alone, given on its command line rather than in the environment
// so that programs started from here (the help's browser) choose their own. On Wayland the saver
// draws through a client of its own, so Qt gets no display at all; the Control Box is an ordinary
// Wayland window. Empty: Qt's own choice (QT_QPA_PLATFORM, which the user may have set).
std::string QtPlatformFor(Platform platform, StartMode mode) {
    const char* set = std::getenv("QT_QPA_PLATFORM");
    const bool userChose = set && *set;
    if (platform == Platform::Wayland) {
        if (mode == StartMode::Saver) return "offscreen";
        return userChose ? "" : "wayland";
    }
    // X11 also where a Wayland compositor answers (DRIFTMERE_PLATFORM=x11, a preview).
    return userChose ? "" : "xcb";
}

// The program's arguments with "-platform NAME" added; Qt keeps pointers to them for as long as
// the application lives.
struct QtArguments {
    QtArguments(int argc, char** argv, std::string platform) : platform_(std::move(platform)) {
        values.assign(argv, argv + argc);
        if (!platform_.empty()) {
            values.push_back(flag_.data());
            values.push_back(platform_.data());
        }
        count = static_cast<int>(values.size());
        values.push_back(nullptr);
    }
    int count = 0;
    std::vector<char*> values;

  private:
    std::string flag_ = "-platform";
    std::string platform_;
};

}  // namespace

int RunProgram(int argc, char** argv) {
    // A warning written to a closed pipe (a host's log that has gone) fails quietly instead of
    // ending the saver. A handler that does nothing rather than SIG_IGN: a program started from
    // here (the help button's browser) gets the default action back, as it expects.
    struct sigaction quietPipe {};
    quietPipe.sa_handler = [](int) {};
    sigemptyset(&quietPipe.sa_mask);
    quietPipe.sa_flags = SA_RESTART;
    sigaction(SIGPIPE, &quietPipe, nullptr);

    std::vector<std::string> args(argv + 1, argv + argc);
    // --add-to-xscreensaver, --remove-from-xscreensaver: an edit of a file, no display needed.
    if (const auto status = RunXScreensaverListEdit(args)) return *status;
    // --idle [MINUTES]: the idle watcher, which starts "/s" as a child when the user is idle.
    if (const auto status = RunIdleWatcher(argc, argv, args)) return *status;
    StartRequest req = ParseStart(args, std::getenv("XSCREENSAVER_WINDOW"));
    if (!req.refusal.empty()) {
        std::cerr << "driftmere: " << req.refusal << '\n';
        return 2;
    }

    switch (req.mode) {
        case StartMode::None:
            return 0;
        case StartMode::Help:
            std::cout << HelpText() << std::flush;
            return 0;
        case StartMode::Version:
            std::cout << VersionText() << std::flush;
            return 0;
        case StartMode::Preview:
            // No window named: there is nothing to show, display or not.
            if (req.previewParent == 0) return 0;
            break;
        case StartMode::Password:
            std::cerr << "driftmere: there is no screen-saver password to change on Linux; "
                         "use your desktop's own lock settings.\n";
            return 0;
        default:
            break;
    }

    const PlatformChoice where = ChoosePlatform(SessionVariablesNow(
        req.hosted || (req.mode == StartMode::Preview && req.previewParent != 0)));
    if (where.platform == Platform::None) {
        std::cerr << "driftmere: " << where.problem << '\n';
        return where.badSetting ? 2 : 1;
    }
    const bool onX11 = where.platform == Platform::X11;
    if (const std::string problem = onX11 ? DisplayProblem() : ""; !problem.empty()) {
        std::cerr << "driftmere: " << problem << '\n';
        return 1;
    }

    // Only savers hold the instance lock, so only a saver turns a later "/s" away: never a
    // preview or the Control Box, however far it has got.
    std::optional<InstanceLock> lock;
    auto takeLock = [&lock] {
        lock.emplace();
        if (!lock->Problem().empty())
            std::cerr << "driftmere: no single-instance lock (" << lock->Problem()
                      << "); running as if no other copy were running\n";
    };
    if (!req.hosted && CountsAsRunningSaver(req, false)) {
        takeLock();
        // The Control Box is found by its X window's title; a Wayland client's windows cannot
        // be looked up by anyone, so there it counts as not open.
        const auto controlBoxOpen =
            onX11 ? std::function<bool()>(ControlBoxOpen) : [] { return false; };
        if (EndsForSingleInstance(req.modeText, lock->AnotherCopyRunning(), controlBoxOpen))
            return 0;
    }

    int status = 0;
    {
        PaintRightAfterEachFrame();
        QtArguments qtArgs(argc, argv, QtPlatformFor(where.platform, req.mode));
        QApplication app(qtArgs.count, qtArgs.values.data());
        QApplication::setApplicationName(QStringLiteral("Driftmere"));
        // Under a host, which starts a copy per monitor, none is turned away; one in a window
        // as large as a monitor still counts as a running saver.
        const bool coversAMonitor =
            req.hostWindow != 0 && CoversAMonitor(static_cast<WId>(req.hostWindow));
        if (req.hosted && CountsAsRunningSaver(req, coversAMonitor)) takeLock();

        switch (req.mode) {
            case StartMode::Saver:
                status = onX11 ? RunSaver(req, coversAMonitor) : RunUntilEnd(*WaylandSaverRun(req));
                break;
            case StartMode::Preview:
                status = RunPreview(req);
                break;
            case StartMode::Configure:
                status = RunSetup();
                break;
            default:
                break;
        }
    }
    EndBySignalIfTold();
    return status;
}

}  // namespace driftmere
