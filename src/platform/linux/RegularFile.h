#pragma once
// Reading a data file (a picture, a song) whole, so that nothing found at its path can stall the
// program. Opening a FIFO blocks until someone writes to it, and a device may block or never
// end: the file is opened without blocking, checked to be a regular file through the open
// descriptor (so what is checked is what is read), and read up to a bound. The bytes then go to
// the decoder; nothing else opens the path.
//
// Header-only, so that the display and the sound control can both use it without a library
// between them.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace driftmere {

struct RegularFile {
    std::vector<char> bytes;
    // Empty when the file was read whole; otherwise why not, for a warning: the system's words
    // ("No such file or directory", "Permission denied"), "not a regular file", or "larger
    // than N bytes".
    std::string problem;
    bool tooLarge = false;
};

inline RegularFile ReadRegularFile(const std::string& path, std::size_t maxBytes) {
    RegularFile file;
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        file.problem = std::strerror(errno);
        return file;
    }
    auto fail = [&](std::string why) {
        ::close(fd);
        file.bytes.clear();
        file.problem = std::move(why);
        return file;
    };
    struct stat st {};
    if (::fstat(fd, &st) != 0) return fail(std::strerror(errno));
    if (!S_ISREG(st.st_mode)) return fail("not a regular file");
    auto tooLarge = [&] {
        file.tooLarge = true;
        return fail("larger than " + std::to_string(maxBytes) + " bytes");
    };
    if (static_cast<std::uint64_t>(st.st_size) > maxBytes) return tooLarge();
    // The size may change under us; one byte past the bound tells a file that grew too large.
    file.bytes.resize(static_cast<std::size_t>(st.st_size) + 1);
    std::size_t got = 0;
    for (;;) {
        if (got == file.bytes.size()) {
            if (file.bytes.size() > maxBytes) return tooLarge();
            file.bytes.resize(std::min(file.bytes.size() * 2, maxBytes + 1));
        }
        const ssize_t n = ::read(fd, file.bytes.data() + got, file.bytes.size() - got);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return fail(std::strerror(errno));
        if (n == 0) break;
        got += static_cast<std::size_t>(n);
    }
    ::close(fd);
    file.bytes.resize(got);
    return file;
}

}  // namespace driftmere
