#include "startup/qt/SaverRun.h"

#include <QApplication>
#include <QFileInfo>
#include <iostream>

#include "settings/IniFileStore.h"
#include "startup/qt/RealAdapters.h"

namespace driftmere {
namespace {

QtDisplay::Options DisplayOptions(const SaverRunOptions& options) {
    QtDisplay::Options display;
    display.hostWindow = options.hostWindow;
    display.showFps = options.showFps;
    return display;
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

SaverRun::SaverRun(const SaverRunOptions& options)
    : hosted_(options.hosted),
      store_(IniFileStore::DefaultPath()),
      display_(DisplayOptions(options)),
      sound_(MakeSound(options.music)),
      host_(&display_, options.hosted),
      session_({display_, *sound_, store_, clock_, host_, options.dataFolder}) {
    display_.SetEventSink(&session_);
    QObject::connect(&display_, &QtDisplay::hostWindowGone, [this] { session_.CloseDown(); });
    host_.Attach(session_);
}

SaverRun::~SaverRun() { display_.SetEventSink(nullptr); }

bool SaverRun::Start() {
    session_.Load();
    if (!session_.DisplayOpened()) {
        session_.CloseDown();
        return false;
    }
    // The display server's own blank would hide the scene until the first input.
    if (!hosted_) EndServerBlank();
    if (!hosted_ && session_.DisablePowerSaving() != 0)
        keptOn_ = KeepScreenOn([](const std::string& line) { std::cerr << line << '\n'; });
    return true;
}

int SaverRun::Exec() {
    const int status = QApplication::exec();
    return status != 0 ? status : host_.exitStatus();
}

}  // namespace driftmere
