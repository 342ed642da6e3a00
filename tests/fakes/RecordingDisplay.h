#pragma once
// A display control that keeps surfaces' positions like the real one and records every call,
// in order, as text ("DrawSurface 3", "MoveSurfaceY 3 1", "SetFont Arial 22").
#include <map>
#include <string>
#include <vector>

#include "display/DisplayControl.h"

namespace driftmere::testing {

class RecordingDisplay : public DisplayControl {
  public:
    struct Surface {
        std::int32_t x = 0, y = 0;
        std::string path;
        int transparency = 0;
    };
    std::vector<std::string> calls;
    std::map<SurfaceId, Surface> surfaces;
    DisplayEvents* sink = nullptr;
    bool openResult = true;
    bool recordGets = true;   // record GetSurfaceX/Y calls
    bool recordMoves = true;  // record MoveSurfaceX/Y calls
    SurfaceId nextSurface = 1;

    void SetEventSink(DisplayEvents* s) override { sink = s; }
    bool OpenDisplay(int w, int h, int bpp, const std::string& text) override {
        Log("OpenDisplay " + std::to_string(w) + " " + std::to_string(h) + " " +
            std::to_string(bpp) + " \"" + text + "\"");
        return openResult;
    }
    SurfaceId CreateSurface() override {
        SurfaceId id = nextSurface++;
        surfaces[id] = {};
        Log("CreateSurface -> " + std::to_string(id));
        return id;
    }
    void LoadPicture(SurfaceId s, const std::string& path, int transparency) override {
        surfaces[s].path = path;
        surfaces[s].transparency = transparency;
        Log("LoadPicture " + std::to_string(s) + " " + path + " " +
            std::to_string(transparency));
    }
    void SetSurfaceX(SurfaceId s, std::int32_t x) override {
        surfaces[s].x = x;
        Log("SetSurfaceX " + std::to_string(s) + " " + std::to_string(x));
    }
    void SetSurfaceY(SurfaceId s, std::int32_t y) override {
        surfaces[s].y = y;
        Log("SetSurfaceY " + std::to_string(s) + " " + std::to_string(y));
    }
    void MoveSurfaceX(SurfaceId s, std::int32_t n) override {
        surfaces[s].x += n;
        if (recordMoves) Log("MoveSurfaceX " + std::to_string(s) + " " + std::to_string(n));
    }
    void MoveSurfaceY(SurfaceId s, std::int32_t n) override {
        surfaces[s].y -= n;
        if (recordMoves) Log("MoveSurfaceY " + std::to_string(s) + " " + std::to_string(n));
    }
    std::int32_t GetSurfaceX(SurfaceId s) override {
        if (recordGets) Log("GetSurfaceX " + std::to_string(s));
        return surfaces[s].x;
    }
    std::int32_t GetSurfaceY(SurfaceId s) override {
        if (recordGets) Log("GetSurfaceY " + std::to_string(s));
        return surfaces[s].y;
    }
    void ClearFrame(Colour c) override { Log("ClearFrame " + std::to_string(c)); }
    void DrawSurface(SurfaceId s) override { Log("DrawSurface " + std::to_string(s)); }
    void SetFont(const std::string& name, std::int32_t size) override {
        Log("SetFont " + name + " " + std::to_string(size));
    }
    void DrawText(const std::string& text, std::int32_t x, std::int32_t y, Colour c) override {
        Log("DrawText \"" + text + "\" " + std::to_string(x) + " " + std::to_string(y) + " " +
            std::to_string(c));
    }
    void Flip() override { Log("Flip"); }

    void Clear() { calls.clear(); }
    int Count(const std::string& prefix) const {
        int n = 0;
        for (const auto& c : calls)
            if (c.rfind(prefix, 0) == 0) ++n;
        return n;
    }

  private:
    void Log(std::string s) { calls.push_back(std::move(s)); }
};

}  // namespace driftmere::testing
