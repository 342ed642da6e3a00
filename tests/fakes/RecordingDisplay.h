#pragma once
// A display control that keeps surfaces' positions like the real one and records every call,
// in order, as text ("DrawSurface 3", "MoveSurfaceY 3 1", "SetFont Arial 22"). Long runs and
// benchmarks switch the record off, or it would cost gigabytes; flips are still counted.
#include <sstream>
#include <string>
#include <vector>

#include "display/DisplayControl.h"

namespace driftmere::testing {

class RecordingDisplay : public DisplayControl {
  public:
    struct Surface {
        std::int32_t x = 0, y = 0;
    };
    std::vector<std::string> calls;
    std::vector<Surface> surfaces;  // by surface number; a vector keeps the benchmark's cost low
    bool openResult = true;
    bool record = true;
    bool recordReadsAndMoves = true;  // long runs leave out the calls made on every move
    long long flips = 0;
    SurfaceId nextSurface = 1;

    void SetEventSink(DisplayEvents*) override {}
    bool OpenDisplay(int w, int h) override {
        Log("OpenDisplay", w, h);
        return openResult;
    }
    SurfaceId CreateSurface() override {
        At(nextSurface) = {};
        Log("CreateSurface ->", nextSurface);
        return nextSurface++;
    }
    void LoadPicture(SurfaceId s, const std::string& path, Transparency transparency) override {
        At(s);
        Log("LoadPicture", s, path, transparency == kOpaque ? "opaque" : "keyed or alpha");
    }
    void SetSurfaceX(SurfaceId s, std::int32_t x) override { Log("SetSurfaceX", s, At(s).x = x); }
    void SetSurfaceY(SurfaceId s, std::int32_t y) override { Log("SetSurfaceY", s, At(s).y = y); }
    void MoveSurfaceX(SurfaceId s, std::int32_t n) override {
        At(s).x += n;
        if (recordReadsAndMoves) Log("MoveSurfaceX", s, n);
    }
    void MoveSurfaceY(SurfaceId s, std::int32_t n) override {
        At(s).y -= n;
        if (recordReadsAndMoves) Log("MoveSurfaceY", s, n);
    }
    std::int32_t GetSurfaceX(SurfaceId s) override {
        if (recordReadsAndMoves) Log("GetSurfaceX", s);
        return At(s).x;
    }
    std::int32_t GetSurfaceY(SurfaceId s) override {
        if (recordReadsAndMoves) Log("GetSurfaceY", s);
        return At(s).y;
    }
    void ClearFrame(Colour c) override { Log("ClearFrame", c); }
    void DrawSurface(SurfaceId s) override { Log("DrawSurface", s); }
    void SetFont(const std::string& name, std::int32_t size) override {
        Log("SetFont", name, size);
    }
    void DrawText(const std::string& text, std::int32_t x, std::int32_t y, Colour c) override {
        if (record) Log("DrawText", '"' + text + '"', x, y, c);
    }
    void Flip() override {
        ++flips;
        Log("Flip");
    }

    void Clear() { calls.clear(); }
    int Count(const std::string& prefix) const {
        int n = 0;
        for (const auto& c : calls) n += c.rfind(prefix, 0) == 0;
        return n;
    }

  private:
    // Surfaces it never made (negative numbers too) still answer, as the real one's do.
    Surface& At(SurfaceId s) {
        const std::size_t i = s < 0 ? 0 : static_cast<std::size_t>(s);
        if (i >= surfaces.size()) surfaces.resize(i + 1);
        return surfaces[i];
    }
    template <typename... Args>
    void Log(const char* name, const Args&... args) {
        if (record) Write(name, args...);
    }
    template <typename... Args>
    [[gnu::noinline]] void Write(const char* name, const Args&... args) {
        std::ostringstream line;
        line << name;
        ((line << ' ' << args), ...);
        calls.push_back(line.str());
    }
};

}  // namespace driftmere::testing
