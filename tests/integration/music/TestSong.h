#pragma once
// A tiny Standard MIDI File writer, so the tests play songs of their own making.
#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

namespace driftmere::testing {

// A format-0 song at 120 beats a minute (480 ticks a beat): a piano melody over held string
// chords, `beats` beats long (half a second each), at an ordinary playing strength.
inline std::vector<std::uint8_t> MakeTestSong(int beats) {
    std::vector<std::uint8_t> track;
    auto delta = [&](std::uint32_t ticks) {
        std::uint8_t bytes[4];
        int n = 0;
        bytes[n++] = ticks & 0x7F;
        while (ticks >>= 7) bytes[n++] = 0x80 | (ticks & 0x7F);
        while (n > 0) track.push_back(bytes[--n]);
    };
    auto event = [&](std::uint32_t ticks, std::initializer_list<std::uint8_t> bytes) {
        delta(ticks);
        track.insert(track.end(), bytes);
    };
    event(0, {0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20});  // 500000 us a beat
    event(0, {0xC0, 0});                             // piano
    event(0, {0xC1, 48});                            // strings
    const std::uint8_t melody[] = {60, 62, 64, 67, 69, 67, 64, 62};
    const std::uint8_t chords[][3] = {{48, 52, 55}, {45, 48, 52}, {41, 45, 48}, {43, 47, 50}};
    for (int beat = 0; beat < beats; ++beat) {
        if (beat % 4 == 0)
            for (std::uint8_t note : chords[(beat / 4) % 4]) event(0, {0x91, note, 90});
        std::uint8_t note = melody[beat % 8];
        event(0, {0x90, note, 100});
        event(480, {0x80, note, 0});
        if (beat % 4 == 3 || beat == beats - 1)
            for (std::uint8_t chord : chords[(beat / 4) % 4]) event(0, {0x81, chord, 0});
    }
    event(0, {0xFF, 0x2F, 0x00});

    std::vector<std::uint8_t> file = {'M', 'T', 'h', 'd',  0,    0,   0,   6,   0,
                                      0,   0,   1,   0x01, 0xE0, 'M', 'T', 'r', 'k'};
    auto size = static_cast<std::uint32_t>(track.size());
    for (int shift = 24; shift >= 0; shift -= 8) file.push_back((size >> shift) & 0xFF);
    file.insert(file.end(), track.begin(), track.end());
    return file;
}

inline void WriteFile(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

}  // namespace driftmere::testing
