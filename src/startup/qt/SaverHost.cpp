#include "startup/qt/SaverHost.h"

#include <QGuiApplication>
#include <QLocale>
#include <QMessageBox>
#include <QTime>
#include <cmath>
#include <iostream>

#include "startup/SaverSession.h"

namespace driftmere {

QString TimeOfDayFormat(const QString& localeLongTimeFormat) {
    // Drop the time-zone letters ('t', 'tt', 'ttt', 'tttt') and quoted text stays as it is.
    QString out;
    bool quoted = false;
    for (QChar c : localeLongTimeFormat) {
        if (c == u'\'') quoted = !quoted;
        if (!quoted && c == u't') continue;
        out += c;
    }
    return out.simplified();
}

SaverHost::SaverHost(HostedDisplay display, bool hosted, bool boxes)
    : display_(std::move(display)),
      hosted_(hosted),
      boxes_(boxes),
      timeFormat_(TimeOfDayFormat(QLocale::system().timeFormat(QLocale::LongFormat))) {
    for (QTimer* t : {&backdropAndLaunchTimer_, &clockAndTimeoutTimer_, &songWatcherTimer_}) {
        t->setInterval(1000);
        t->setTimerType(Qt::CoarseTimer);
    }
}

void SaverHost::Attach(SaverSession& session) {
    // Between balloon moves the display sleeps: what these two timers change (the backdrop, a
    // launch, the clock's second) is shown by a frame they ask for. Within 25 ms, so that while
    // balloons fly the frame of their next move (at most 20 ms away, and up to 2 more when it
    // gathers them) shows it, and no frame is added between their moves.
    constexpr int kShownWithinMs = 25;
    connect(&backdropAndLaunchTimer_, &QTimer::timeout, this, [this, &session] {
        session.BackdropAndLaunchTick();
        if (display_.requestFrameWithin) display_.requestFrameWithin(kShownWithinMs);
    });
    connect(&clockAndTimeoutTimer_, &QTimer::timeout, this, [this, &session] {
        session.ClockAndTimeoutTick();
        if (display_.requestFrameWithin) display_.requestFrameWithin(kShownWithinMs);
    });
    connect(&songWatcherTimer_, &QTimer::timeout, this, [&session] { session.SongWatcherTick(); });
    backdropAndLaunchTimer_.start();
    clockAndTimeoutTimer_.start();
}

void SaverHost::SetPointerHidden(bool hidden) {
    if (!hosted_ && display_.setPointerHidden) display_.setPointerHidden(hidden);
}

void SaverHost::ShowMessage(const std::string& text, const std::string& title) {
    // Under a host nobody may be looking, and a box left on the desktop would wait there until
    // killed: the host's log gets the line instead, and the failure shows in the exit status.
    if (hosted_ || !boxes_ || QGuiApplication::primaryScreen() == nullptr) {
        std::cerr << title << ": " << text << '\n';
        return;
    }
    QMessageBox box(QMessageBox::Critical, QString::fromStdString(title),
                    QString::fromStdString(text), QMessageBox::Ok);
    box.exec();
}

void SaverHost::SetSongWatcherEnabled(bool enabled) {
    if (enabled)
        songWatcherTimer_
            .start();  // restarting counts its second anew, as switching a timer on does
    else
        songWatcherTimer_.stop();
}

std::string SaverHost::TimeText(double secondsOfDay) {
    int ms = static_cast<int>(std::floor(secondsOfDay * 1000.0));
    QTime time = QTime::fromMSecsSinceStartOfDay(ms).addMSecs(0);
    return QLocale::system().toString(time, timeFormat_).toStdString();
}

void SaverHost::RequestQuit(int status) {
    exitStatus_ = status;
    backdropAndLaunchTimer_.stop();
    clockAndTimeoutTimer_.stop();
    songWatcherTimer_.stop();
    QCoreApplication::exit(status);
}

}  // namespace driftmere
