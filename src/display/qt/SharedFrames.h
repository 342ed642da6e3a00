#pragma once
// Frames the X server reads straight from our memory (MIT-SHM). A frame composed in one of these
// is shown by asking the server to copy its changed rectangles into the window: no copy into a
// backing store of the window's size first, and no such store at all.
//
// Only for a local X server that offers the extension and a window of depth 24 (the layout of an
// RGB32 image); everywhere else Frame() hands out ordinary memory and windows paint through Qt.
#include <xcb/xcb.h>

#include <QImage>
#include <QRect>
#include <map>
#include <memory>
#include <optional>

namespace driftmere {

class SharedFrames {
  public:
    // On X11 with MIT-SHM, frames are shared with the server of `connection`; null: never.
    explicit SharedFrames(xcb_connection_t* connection);
    ~SharedFrames();
    SharedFrames(const SharedFrames&) = delete;
    SharedFrames& operator=(const SharedFrames&) = delete;

    // The connection of the running application when it is X11 and offers MIT-SHM, else null.
    static xcb_connection_t* UsableConnection();

    // A black RGB32 image of `size`, in memory the server can read when it can be had. The memory
    // stays attached until the last copy of the image goes.
    QImage Frame(QSize size);

    // Copies `part` of `frame` (frame pixels) to `at` in `window`. False, and nothing sent, when
    // the frame is not (or no longer) in shared memory or the window cannot take it; the caller
    // paints it another way.
    bool Put(xcb_window_t window, const QImage& frame, const QRect& part, QPoint at);
    // Paints `area` of the window black (the bars beside a letterboxed frame); false, and
    // nothing sent, when the window cannot be drawn in so.
    bool Fill(xcb_window_t window, const QRect& area);
    // Sends what was asked; the next WaitUntilRead returns once the server has read it.
    void Flush();
    // Before a shared frame is drawn into again: waits until the server has read every part put
    // before the last Flush (in practice long done, a frame later).
    void WaitUntilRead();
    // The window is gone: its drawing state is let go.
    void Forget(xcb_window_t window);

    bool enabled() const { return state_ != nullptr; }

  private:
    struct State;
    struct Segment;
    struct Target {
        xcb_gcontext_t gc = 0;
        bool usable = false;
    };
    static void Release(void* segment);
    const Target& TargetFor(xcb_window_t window);

    std::shared_ptr<State> state_;
    std::map<xcb_window_t, Target> targets_;
    bool sent_ = false;                    // parts put since the last Flush
    std::optional<unsigned> pendingRead_;  // the sequence number of the check sent after puts
};

}  // namespace driftmere
