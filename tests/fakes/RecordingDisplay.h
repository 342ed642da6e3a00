#pragma once
// A display control that keeps surfaces' positions like the real one and records every call,
// in order, as text ("DrawSurface 3", "MoveSurfaceY 3 1", "SetFont Arial 22").
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "display/DisplayControl.h"

namespace driftmere::testing {

class RecordingDisplay : public DisplayControl {
  public:
    struct Surface {
        std::int32_t x = 0, y = 0;
        std::string path;
    };
    std::vector<std::string> calls;
    std::map<SurfaceId, Surface> surfaces;
    bool openResult = true;
    bool recordReadsAndMoves = true;  // long runs leave out the calls made on every move
    SurfaceId nextSurface = 1;

    void SetEventSink(DisplayEvents*) override {}
    bool OpenDisplay(int w, int h, int bpp, const std::string& text) override {
        Log("OpenDisplay", w, h, bpp, '"' + text + '"');
        return openResult;
    }
    SurfaceId CreateSurface() override {
        surfaces[nextSurface] = {};
        Log("CreateSurface ->", nextSurface);
        return nextSurface++;
    }
    void LoadPicture(SurfaceId s, const std::string& path, int transparency) override {
        surfaces[s].path = path;
        Log("LoadPicture", s, path, transparency);
    }
    void SetSurfaceX(SurfaceId s, std::int32_t x) override {
        Log("SetSurfaceX", s, surfaces[s].x = x);
    }
    void SetSurfaceY(SurfaceId s, std::int32_t y) override {
        Log("SetSurfaceY", s, surfaces[s].y = y);
    }
    void MoveSurfaceX(SurfaceId s, std::int32_t n) override {
        surfaces[s].x += n;
        if (recordReadsAndMoves) Log("MoveSurfaceX", s, n);
    }
    void MoveSurfaceY(SurfaceId s, std::int32_t n) override {
        surfaces[s].y -= n;
        if (recordReadsAndMoves) Log("MoveSurfaceY", s, n);
    }
    std::int32_t GetSurfaceX(SurfaceId s) override {
        if (recordReadsAndMoves) Log("GetSurfaceX", s);
        return surfaces[s].x;
    }
    std::int32_t GetSurfaceY(SurfaceId s) override {
        if (recordReadsAndMoves) Log("GetSurfaceY", s);
        return surfaces[s].y;
    }
    void ClearFrame(Colour c) override { Log("ClearFrame", c); }
    void DrawSurface(SurfaceId s) override { Log("DrawSurface", s); }
    void SetFont(const std::string& name, std::int32_t size) override {
        Log("SetFont", name, size);
    }
    void DrawText(const std::string& text, std::int32_t x, std::int32_t y, Colour c) override {
        Log("DrawText", '"' + text + '"', x, y, c);
    }
    void Flip() override { Log("Flip"); }

    void Clear() { calls.clear(); }
    int Count(const std::string& prefix) const {
        int n = 0;
        for (const auto& c : calls) n += c.rfind(prefix, 0) == 0;
        return n;
    }

  private:
    template <typename... Args>
    void Log(const char* name, const Args&... args) {
        std::ostringstream line;
        line << name;
        ((line << ' ' << args), ...);
        calls.push_back(line.str());
    }
};

}  // namespace driftmere::testing
