// A bare client of the saver's Wayland platform for the end-to-end tests: covers every output
// with green, prints each event on a line of its own, and ends on a key other than N, as the
// saver does.
//   wlclient_probe [--animate | --animate-in-place]
// --animate redraws a small square that moves a step a frame, so that frames keep coming;
// --animate-in-place draws it straight into the surface's buffers (BeginFrame).
// Exit status: 0 after a key, 1 when the compositor went away, 2 when it could not connect.
#include <poll.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/wayland/WaylandClient.h"

using namespace driftmere::wayland;

namespace {

constexpr int kSquare = 32;

struct Picture {
    std::vector<std::uint8_t> pixels;
    int width = 0;
    int height = 0;
    int step = 0;
    bool first = true;
    std::optional<FrameTarget> last;  // the buffer the last frame was drawn in, in place
};

// Pixels to draw in: the picture's own, or a buffer's.
struct Canvas {
    std::uint8_t* pixels;
    int width;
    int height;
    int stride;
};

class Probe final : public ClientEvents {
  public:
    static constexpr std::uint32_t colour = 0x20c040;
    bool animate = false;
    bool inPlace = false;
    WaylandClient* client = nullptr;
    int exitStatus = -1;

    void SurfaceReady(OutputId output, int width, int height, int scale) override {
        std::printf("ready %u %dx%d scale %d\n", output, width, height, scale);
        Picture& picture = pictures_[output];
        picture.width = width;
        picture.height = height;
        picture.pixels.assign(static_cast<std::size_t>(width) * height * 4, 0);
        Fill(picture, {0, 0, width, height}, colour);
        picture.first = true;
        picture.last.reset();
        Show(output);
    }
    void SurfaceGone(OutputId output) override { pictures_.erase(output); }
    void FrameWanted(OutputId output) override {
        if (animate) Show(output);
    }
    void KeyDown(std::int16_t code) override {
        std::printf("key %d\n", code);
        if (code != 'N') exitStatus = 0;
    }
    void Click() override { std::printf("click\n"); }
    void PointerMoved() override { std::printf("moved\n"); }
    void Disconnected(const std::string& why) override {
        std::printf("disconnected %s\n", why.c_str());
        exitStatus = 1;
    }

  private:
    static Canvas Own(Picture& picture) {
        return {picture.pixels.data(), picture.width, picture.height, picture.width * 4};
    }
    static void Fill(const Canvas& canvas, const PixelRect& rect, std::uint32_t rgb) {
        for (int y = rect.y; y < rect.y + rect.height && y < canvas.height; ++y) {
            for (int x = rect.x; x < rect.x + rect.width && x < canvas.width; ++x) {
                std::memcpy(canvas.pixels + static_cast<std::size_t>(y) * canvas.stride + x * 4,
                            &rgb, 4);
            }
        }
    }
    static void Fill(Picture& picture, const PixelRect& rect, std::uint32_t rgb) {
        Fill(Own(picture), rect, rgb);
    }
    // Moves the square a step on the canvas; gives the two places that changed.
    static std::vector<PixelRect> Step(Picture& picture, const Canvas& canvas) {
        // The square's old place goes back to the colour, its new place is white.
        const int span = picture.width > kSquare ? picture.width - kSquare : 1;
        PixelRect old = {picture.step % span, 0, kSquare, kSquare};
        Fill(canvas, old, colour);
        ++picture.step;
        PixelRect now = {picture.step % span, 0, kSquare, kSquare};
        Fill(canvas, now, 0xffffff);
        return {old, now};
    }

    void Show(OutputId output) {
        Picture& picture = pictures_[output];
        if (inPlace && !picture.first && ShowInPlace(output, picture)) return;
        std::vector<PixelRect> changed;
        if (picture.first) {
            changed.push_back({0, 0, picture.width, picture.height});
            picture.first = false;
        } else if (animate) {
            changed = Step(picture, Own(picture));
        }
        client->Present(output,
                        {picture.pixels.data(), picture.width, picture.height, picture.width * 4},
                        changed);
    }

    // Draws the next frame in a buffer of the surface; false when there is none free. The
    // picture's own pixels are drawn too, and the buffer given must hold them before: a line
    // "stale buffer" says it did not (a compositor may show only the damaged part of a buffer,
    // so a screenshot alone would not tell).
    bool ShowInPlace(OutputId output, Picture& picture) {
        const FramePixels shown = picture.last ? FramePixels{picture.last->pixels, picture.width,
                                                             picture.height, picture.last->stride}
                                               : FramePixels{picture.pixels.data(), picture.width,
                                                             picture.height, picture.width * 4};
        const std::optional<FrameTarget> target = client->BeginFrame(output, shown, {});
        picture.last.reset();
        if (!target) return false;
        const auto rowBytes = static_cast<std::size_t>(picture.width) * 4;
        for (int y = 0; y < picture.height; ++y) {
            if (std::memcmp(target->pixels + static_cast<std::size_t>(y) * target->stride,
                            &picture.pixels[y * rowBytes], rowBytes) != 0) {
                std::printf("stale buffer\n");
                break;
            }
        }
        const Canvas canvas = {target->pixels, picture.width, picture.height, target->stride};
        const int step = picture.step;
        Step(picture, Own(picture));
        picture.step = step;
        client->PresentBegun(output, Step(picture, canvas));
        picture.last = target;
        return true;
    }

    std::map<OutputId, Picture> pictures_;
};

}  // namespace

int main(int argc, char** argv) {
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    Probe probe;
    probe.inPlace = argc == 2 && std::strcmp(argv[1], "--animate-in-place") == 0;
    probe.animate = probe.inPlace || (argc == 2 && std::strcmp(argv[1], "--animate") == 0);
    if (argc > 1 && !probe.animate) {
        std::fprintf(stderr, "usage: %s [--animate | --animate-in-place]\n", argv[0]);
        return 2;
    }
    std::string problem;
    auto client = WaylandClient::Connect(probe, &problem);
    if (client == nullptr) {
        std::printf("no client: %s\n", problem.c_str());
        return 2;
    }
    probe.client = client.get();
    std::printf("above %d\n", client->AboveEverything() ? 1 : 0);
    client->Flush();
    while (probe.exitStatus < 0) {
        pollfd ready = {client->fd(), POLLIN, 0};
        if (::poll(&ready, 1, -1) < 0) continue;
        client->Dispatch();
        client->Flush();
    }
    return probe.exitStatus;
}
