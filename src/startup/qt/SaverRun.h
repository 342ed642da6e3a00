#pragma once
// One run of the saver: the settings file, the real clock, the Qt display, the sound control and
// the Qt host wired to a saver session. The program and the measuring probe both run the saver
// through this, so what the probe measures is what the program does.
#include <QWindow>
#include <memory>
#include <string>

#include "display/qt/QtDisplay.h"
#include "music/SoundControl.h"
#include "platform/linux/LinuxClock.h"
#include "startup/SaverSession.h"
#include "startup/qt/SaverHost.h"
#include "startup/qt/WarnOnceStore.h"

namespace driftmere {

struct SaverRunOptions {
    // 0: the saver's own full-screen window; otherwise the X11 window to draw in.
    WId hostWindow = 0;
    bool showFps = false;
    // Under a screen-saver host, which owns the pointer, the stacking and the screen blanking.
    bool hosted = false;
    // False: no synthesiser at all. A copy in a host's window has one only when the window covers
    // a whole monitor.
    bool music = true;
    std::string dataFolder;  // ends with '/'
};

class SaverRun {
  public:
    explicit SaverRun(const SaverRunOptions& options);
    ~SaverRun();
    SaverRun(const SaverRun&) = delete;
    SaverRun& operator=(const SaverRun&) = delete;

    SaverSession& session() { return session_; }
    // Frames and input go to the session unless something is put between (the probe's counter,
    // which passes them on).
    void SetEventSink(DisplayEvents* sink) { display_.SetEventSink(sink); }

    // Loads the session, and keeps the screen on when the settings ask for it and no host owns
    // the blanking. False when no display could be opened; the session is then closed down
    // already, since with no window there is no input that could ever end it.
    bool Start();
    // Runs the event loop until the session ends; the exit status.
    int Exec();

  private:
    bool hosted_;
    WarnOnceStore store_;
    LinuxClock clock_;
    QtDisplay display_;
    std::unique_ptr<SoundControl> sound_;
    SaverHost host_;
    SaverSession session_;
    std::shared_ptr<void> keptOn_;  // the screen kept on while it lives
};

// The data folder lies beside the program's folder: <prefix>/bin/driftmere reads
// <prefix>/share/driftmere/, in an install and in the build tree alike (where the measuring
// tools in <build>/bench find it the same way). Ends with '/'.
std::string DataFolder();

// Qt paints a window a few milliseconds after it is told what changed, which at 100 frames a
// second is one more wake-up per frame; painting as soon as the frame handler returns saves
// about a fifth of the saver's CPU. Must be called before the application object is made.
void PaintRightAfterEachFrame();

}  // namespace driftmere
