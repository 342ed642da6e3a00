#include "music/MidiCheck.h"

namespace driftmere {
namespace {

struct Reader {
    const std::uint8_t* p;
    const std::uint8_t* end;
    bool Has(std::size_t n) const { return static_cast<std::size_t>(end - p) >= n; }
    std::uint32_t Be(int bytes) {
        std::uint32_t v = 0;
        for (int i = 0; i < bytes; ++i) v = (v << 8) | *p++;
        return v;
    }
    // A variable-length quantity of at most four bytes.
    bool Vlq(std::uint32_t& value) {
        value = 0;
        for (int i = 0; i < 4; ++i) {
            if (!Has(1)) return false;
            std::uint8_t b = *p++;
            value = (value << 7) | (b & 0x7F);
            if ((b & 0x80) == 0) return true;
        }
        return false;
    }
};

bool TrackIsWellFormed(Reader r) {
    std::uint8_t status = 0;
    while (r.Has(1)) {
        std::uint32_t delta;
        if (!r.Vlq(delta) || !r.Has(1)) return false;
        std::uint8_t b = *r.p;
        if (b == 0xFF) {  // meta event
            ++r.p;
            if (!r.Has(1)) return false;
            std::uint8_t type = *r.p++;
            std::uint32_t length;
            if (!r.Vlq(length) || !r.Has(length)) return false;
            if (type == 0x51 && (length != 3 || (r.p[0] | r.p[1] | r.p[2]) == 0)) return false;
            r.p += length;
            status = 0;
            if (type == 0x2F) return true;    // end of track
        } else if (b == 0xF0 || b == 0xF7) {  // system exclusive
            ++r.p;
            std::uint32_t length;
            if (!r.Vlq(length) || !r.Has(length)) return false;
            r.p += length;
            status = 0;
        } else {
            if (b & 0x80) {
                if (b >= 0xF0) return false;  // no system messages inside a file
                status = b;
                ++r.p;
            } else if (status == 0) {
                return false;  // running status with nothing to run on
            }
            std::uint8_t kind = status & 0xF0;
            int bytes = (kind == 0xC0 || kind == 0xD0) ? 1 : 2;
            if (!r.Has(bytes)) return false;
            for (int i = 0; i < bytes; ++i)
                if (r.p[i] & 0x80) return false;
            r.p += bytes;
        }
    }
    // The chunk ended without an end-of-track event, after a whole event: the player ends the
    // track here too.
    return true;
}

}  // namespace

bool IsWellFormedMidi(const std::uint8_t* data, std::size_t size) {
    Reader r{data, data + size};
    if (!r.Has(14) || r.p[0] != 'M' || r.p[1] != 'T' || r.p[2] != 'h' || r.p[3] != 'd')
        return false;
    r.p += 4;
    if (r.Be(4) != 6) return false;
    std::uint32_t format = r.Be(2), tracks = r.Be(2), division = r.Be(2);
    if (format > 2 || tracks == 0 || division == 0 || (division & 0x8000)) return false;
    std::uint32_t found = 0;
    while (found < tracks) {
        if (!r.Has(8)) return false;
        bool isTrack = r.p[0] == 'M' && r.p[1] == 'T' && r.p[2] == 'r' && r.p[3] == 'k';
        r.p += 4;
        std::uint32_t length = r.Be(4);
        if (!r.Has(length)) return false;
        if (isTrack) {
            if (!TrackIsWellFormed(Reader{r.p, r.p + length})) return false;
            ++found;
        }
        r.p += length;
    }
    return true;
}

}  // namespace driftmere
