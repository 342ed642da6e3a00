#include "startup/qt/SaverRun.h"

#include <QApplication>
#include <QFileInfo>
#include <iostream>

#include "display/qt/QtDisplay.h"
#include "settings/IniFileStore.h"
#include "startup/qt/RealAdapters.h"

namespace driftmere {
namespace {

RunDisplay QtRunDisplay(const SaverRunOptions& options) {
    QtDisplay::Options settings;
    settings.hostWindow = options.hostWindow;
    settings.showFps = options.showFps;
    auto display = std::make_unique<QtDisplay>(settings);
    QtDisplay* qt = display.get();
    return {
        .control = std::move(display),
        .host = {.setPointerHidden = [qt](bool hidden) { qt->SetPointerHidden(hidden); },
                 .requestFrameWithin = [qt](int ms) { qt->RequestFrameWithin(ms); }},
        .messageBoxes = true,
        .endServerBlank = EndServerBlank,
        .keepScreenOn = KeepScreenOn,
        .watchLoss =
            [qt](std::function<void(int)> end) {
                QObject::connect(qt, &QtDisplay::hostWindowGone, [end] { end(0); });
            },
    };
}

}  // namespace

std::string DataFolder() {
    QFileInfo program(QCoreApplication::applicationFilePath());
    QString dir = program.canonicalPath() + QStringLiteral("/../share/driftmere/");
    QFileInfo data(dir);
    QString path = data.exists() ? data.canonicalFilePath() + u'/' : dir;
    return path.toStdString();
}

void PaintRightAfterEachFrame() {
    if (!qEnvironmentVariableIsSet("QT_QPA_UPDATE_IDLE_TIME"))
        qputenv("QT_QPA_UPDATE_IDLE_TIME", "0");
}

SaverRun::SaverRun(const SaverRunOptions& options) : SaverRun(options, QtRunDisplay(options)) {}

SaverRun::SaverRun(const SaverRunOptions& options, RunDisplay display)
    : hosted_(options.hosted),
      store_(IniFileStore::DefaultPath()),
      display_(std::move(display)),
      sound_(MakeSound(options.music)),
      host_(display_.host, options.hosted, display_.messageBoxes),
      session_({*display_.control, *sound_, store_, clock_, host_, options.dataFolder}) {
    display_.control->SetEventSink(&session_);
    if (display_.watchLoss) {
        display_.watchLoss([this](int status) {
            failure_ = status;
            session_.CloseDown();
        });
    }
    host_.Attach(session_);
}

SaverRun::~SaverRun() {
    keptOn_.reset();
    display_.control->SetEventSink(nullptr);
}

bool SaverRun::Start() {
    session_.Load();
    if (!session_.DisplayOpened()) {
        session_.CloseDown();
        return false;
    }
    if (!hosted_ && display_.endServerBlank) display_.endServerBlank();
    if (!hosted_ && session_.DisablePowerSaving() != 0 && display_.keepScreenOn)
        keptOn_ = display_.keepScreenOn([](const std::string& line) { std::cerr << line << '\n'; });
    return true;
}

int SaverRun::Exec() {
    const int status = QApplication::exec();
    if (failure_ != 0) return failure_;
    return status != 0 ? status : host_.exitStatus();
}

}  // namespace driftmere
