#pragma once
// Reading a file from outside (a picture, a song, the settings) so that nothing found at its
// path can stall the program. Opening a FIFO blocks until someone writes to it, and a device may
// block or never end: the file is opened without blocking, checked to be a regular file through the
// open descriptor (so what is checked is what is read), and read up to a bound. The bytes then go
// to the decoder; nothing else opens the path.
//
// Header-only, so that the settings store, the display and the sound control can all use it
// without a library between them.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace driftmere {

struct RegularFile {
    std::vector<char> bytes;
    // Empty when the file was read; otherwise why not, for a warning: the system's words
    // ("No such file or directory", "Permission denied"), "not a regular file", or "larger
    // than N bytes".
    std::string problem;
    bool tooLarge = false;
    // The failure as an errno value, 0 when read: the system's own, EISDIR or EINVAL for a
    // folder or another kind of file, EFBIG for a file over the bound.
    int error = 0;
    // The file as it was opened; zero until it could be.
    struct stat info {};
};

// The file at `path` whole, when it is a regular file of at most `maxBytes`. With `headBytes`,
// only its first `headBytes` bytes (fewer when it is shorter); `info` still has its full size.
inline RegularFile ReadRegularFile(const std::string& path, std::size_t maxBytes,
                                   std::size_t headBytes = SIZE_MAX) {
    RegularFile file;
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        file.error = errno;
        file.problem = std::strerror(errno);
        return file;
    }
    auto fail = [&](int error, std::string why) {
        ::close(fd);
        file.bytes.clear();
        file.error = error;
        file.problem = std::move(why);
        return file;
    };
    if (::fstat(fd, &file.info) != 0) return fail(errno, std::strerror(errno));
    if (!S_ISREG(file.info.st_mode))
        return fail(S_ISDIR(file.info.st_mode) ? EISDIR : EINVAL, "not a regular file");
    auto tooLarge = [&] {
        file.tooLarge = true;
        return fail(EFBIG, "larger than " + std::to_string(maxBytes) + " bytes");
    };
    if (static_cast<std::uint64_t>(file.info.st_size) > maxBytes) return tooLarge();
    const bool whole = headBytes == SIZE_MAX;
    // The size may change under us; one byte past the bound tells a file that grew too large.
    file.bytes.resize(whole ? static_cast<std::size_t>(file.info.st_size) + 1 : headBytes);
    std::size_t got = 0;
    for (;;) {
        if (got == file.bytes.size()) {
            if (!whole) break;
            if (file.bytes.size() > maxBytes) return tooLarge();
            file.bytes.resize(std::min(file.bytes.size() * 2, maxBytes + 1));
        }
        const ssize_t n = ::read(fd, file.bytes.data() + got, file.bytes.size() - got);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return fail(errno, std::strerror(errno));
        if (n == 0) break;
        got += static_cast<std::size_t>(n);
    }
    ::close(fd);
    file.bytes.resize(got);
    return file;
}

}  // namespace driftmere
