#pragma once
// A display that keeps only what the session can read back -- each surface's position -- and
// counts frames and what it is asked to do with surfaces it never made. For long runs and
// benchmarks, where recording every call would cost gigabytes.
#include <cstdint>
#include <vector>

#include "display/DisplayControl.h"

namespace driftmere::testing {

class PositionDisplay : public DisplayControl {
  public:
    struct Place {
        std::int32_t x = 0, y = 0;
    };
    std::vector<Place> places{Place{}};  // surface numbers start at 1
    long long flips = 0;
    long long unknownSurfaces = 0;

    void SetEventSink(DisplayEvents*) override {}
    bool OpenDisplay(int, int, int, const std::string&) override { return true; }
    SurfaceId CreateSurface() override {
        places.push_back({});
        return static_cast<SurfaceId>(places.size() - 1);
    }
    void LoadPicture(SurfaceId s, const std::string&, int) override { At(s); }
    void SetSurfaceX(SurfaceId s, std::int32_t x) override { At(s).x = x; }
    void SetSurfaceY(SurfaceId s, std::int32_t y) override { At(s).y = y; }
    void MoveSurfaceX(SurfaceId s, std::int32_t n) override { At(s).x += n; }
    void MoveSurfaceY(SurfaceId s, std::int32_t n) override { At(s).y -= n; }
    std::int32_t GetSurfaceX(SurfaceId s) override { return At(s).x; }
    std::int32_t GetSurfaceY(SurfaceId s) override { return At(s).y; }
    void ClearFrame(Colour) override {}
    void DrawSurface(SurfaceId s) override { At(s); }
    void SetFont(const std::string&, std::int32_t) override {}
    void DrawText(const std::string&, std::int32_t, std::int32_t, Colour) override {}
    void Flip() override { ++flips; }

  private:
    Place& At(SurfaceId s) {
        if (s <= 0 || static_cast<std::size_t>(s) >= places.size()) {
            ++unknownSurfaces;
            return places[0];
        }
        return places[static_cast<std::size_t>(s)];
    }
};

}  // namespace driftmere::testing
