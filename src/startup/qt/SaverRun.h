#pragma once
// One run of the saver: the settings file, the real clock, a display (the Qt one on X11, the
// Wayland one in a Wayland session), the sound control and the Qt host wired to a saver session.
// The program and the measuring probe both run the saver through this, so what the probe measures
// is what the program does.
#include <QWindow>
#include <functional>
#include <memory>
#include <string>

#include "display/DisplayControl.h"
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

// The display a run shows the saver on, and what differs with it.
struct RunDisplay {
    std::unique_ptr<DisplayControl> control;
    HostedDisplay host;
    // False: messages go to stderr (no window of the toolkit's to show a box on).
    bool messageBoxes = true;
    // Ends the display server's own blank, which would hide the scene until the first input.
    std::function<void()> endServerBlank;
    // Keeps the screen on for as long as the handle lives ("PwrSave"); `warn` hears at most one
    // line when there is no way to.
    std::function<std::shared_ptr<void>(void (*warn)(const std::string&))> keepScreenOn;
    // Called once by the run with what ends it: the display calls that with the exit status when
    // it can show nothing any more (its host window or its compositor gone).
    std::function<void(std::function<void(int status)> end)> watchLoss;
};

class SaverRun {
  public:
    // On X11: the Qt display with the options' window and frame-rate line.
    explicit SaverRun(const SaverRunOptions& options);
    SaverRun(const SaverRunOptions& options, RunDisplay display);
    ~SaverRun();
    SaverRun(const SaverRun&) = delete;
    SaverRun& operator=(const SaverRun&) = delete;

    SaverSession& session() { return session_; }
    // Frames and input go to the session unless something is put between (the probe's counter,
    // which passes them on).
    void SetEventSink(DisplayEvents* sink) { display_.control->SetEventSink(sink); }

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
    RunDisplay display_;
    std::unique_ptr<SoundControl> sound_;
    SaverHost host_;
    SaverSession session_;
    std::shared_ptr<void> keptOn_;  // the screen kept on while it lives
    int failure_ = 0;               // the exit status when the display was lost
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
