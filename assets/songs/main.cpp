// Composes the eight songs of the playlist into the folder named on the command line.
// The output is the same bytes on every run: every choice comes from fixed seeds.
#include <cstdio>
#include <exception>
#include <filesystem>
#include <fstream>
#include <string>

#include "Songs.h"

namespace {

// Writes beside the target and renames, so a reader never sees half a song.
bool WriteFile(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes) {
    auto temporary = path;
    temporary += ".part";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()),
                  static_cast<std::streamsize>(bytes.size()));
        if (!out.flush()) {
            return false;
        }
    }
    std::error_code error;
    std::filesystem::rename(temporary, path, error);
    return !error;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s OUTPUT-FOLDER [--report]\n", argv[0]);
        return 2;
    }
    const std::filesystem::path folder = argv[1];
    const bool report = argc > 2 && std::string(argv[2]) == "--report";
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    for (const auto& entry : driftmere::songs::kPlaylist) {
        try {
            const auto song = entry.compose();
            const auto bytes = song.Bytes();
            if (!WriteFile(folder / entry.file, bytes)) {
                std::fprintf(stderr, "cannot write %s\n", (folder / entry.file).c_str());
                return 1;
            }
            if (report) {
                std::printf("%-16s %6.1f s %7zu bytes\n", entry.file, song.Seconds(), bytes.size());
            }
        } catch (const std::exception& e) {
            std::fprintf(stderr, "%s: %s\n", entry.file, e.what());
            return 1;
        }
    }
    return 0;
}
