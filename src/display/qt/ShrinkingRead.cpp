#include "display/qt/ShrinkingRead.h"

#include <fcntl.h>
#include <png.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <algorithm>
#include <cerrno>
#include <csetjmp>
#include <cstring>

namespace driftmere {

AreaShrink::AreaShrink(QSize from, QSize to)
    : from_(from),
      to_(to),
      sums_(static_cast<std::size_t>(to.width()) * 3),
      rowSums_(sums_.size()),
      result_(to, QImage::Format_RGB32) {
    // Measured in units where a picture pixel is to.width() long and a result pixel
    // from.width(): both rows are from.width() * to.width() units.
    const std::uint64_t sw = from.width(), dw = to.width();
    columns_.resize(static_cast<std::size_t>(to.width()));
    for (std::uint64_t x = 0; x < dw; ++x) {
        const std::uint64_t start = x * sw, end = (x + 1) * sw;
        Columns& column = columns_[x];
        column.first = static_cast<int>(start / dw);
        for (std::uint64_t i = start / dw; i * dw < end; ++i)
            column.weights.push_back(
                static_cast<std::uint32_t>(std::min(end, (i + 1) * dw) - std::max(start, i * dw)));
    }
}

void AreaShrink::AddRow(const std::uint8_t* rgb) {
    if (rowsIn_ >= from_.height()) return;
    for (std::size_t x = 0; x < columns_.size(); ++x) {
        const Columns& column = columns_[x];
        const std::uint8_t* pixel = rgb + static_cast<std::size_t>(column.first) * 3;
        std::uint64_t r = 0, g = 0, b = 0;
        for (const std::uint32_t weight : column.weights) {
            r += weight * pixel[0];
            g += weight * pixel[1];
            b += weight * pixel[2];
            pixel += 3;
        }
        sums_[x * 3] = r;
        sums_[x * 3 + 1] = g;
        sums_[x * 3 + 2] = b;
    }
    // Rows the same way: a picture row is to.height() units high, a result row from.height().
    const std::uint64_t sh = from_.height(), dh = to_.height();
    std::uint64_t at = rowsIn_ * dh;
    const std::uint64_t end = at + dh;
    while (at < end && rowsOut_ < to_.height()) {
        const std::uint64_t rowEnd = (rowsOut_ + 1) * sh;
        const std::uint64_t part = std::min(end, rowEnd) - at;
        AddToRow(sums_, part);
        at += part;
        if (at == rowEnd) FinishRow();
    }
    ++rowsIn_;
}

void AreaShrink::AddToRow(const std::vector<std::uint64_t>& sums, std::uint64_t weight) {
    for (std::size_t i = 0; i < sums.size(); ++i) rowSums_[i] += sums[i] * weight;
}

void AreaShrink::FinishRow() {
    // Every result pixel covers from.width() * from.height() units of area.
    const std::uint64_t area = static_cast<std::uint64_t>(from_.width()) * from_.height();
    auto* line = reinterpret_cast<QRgb*>(result_.scanLine(rowsOut_));
    for (int x = 0; x < to_.width(); ++x) {
        auto channel = [&](int c) {
            std::uint64_t& sum = rowSums_[static_cast<std::size_t>(x) * 3 + c];
            const auto value = static_cast<int>((sum + area / 2) / area);
            sum = 0;
            return value;
        };
        const int r = channel(0), g = channel(1), b = channel(2);
        line[x] = qRgb(r, g, b);
    }
    ++rowsOut_;
}

namespace {

// Far beyond any picture of ours, as for a whole read.
constexpr off_t kMaxPngBytes = 64 * 1024 * 1024;

struct PngInput {
    int fd = -1;
    char problem[160] = {};
};

void ReadFromFile(png_structp png, png_bytep data, png_size_t length) {
    auto* input = static_cast<PngInput*>(png_get_io_ptr(png));
    while (length > 0) {
        const ssize_t n = ::read(input->fd, data, length);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) png_error(png, n == 0 ? "the file is cut short" : std::strerror(errno));
        data += n;
        length -= static_cast<png_size_t>(n);
    }
}

void KeepProblem(png_structp png, png_const_charp message) {
    auto* input = static_cast<PngInput*>(png_get_error_ptr(png));
    std::snprintf(input->problem, sizeof input->problem, "%s", message);
    png_longjmp(png, 1);
}

void IgnoreWarning(png_structp, png_const_charp) {}

// The rows of the PNG on input.fd, each handed to `shrink`. libpng reports errors by jumping
// back to the setjmp here, so nothing between it and the rows owns anything: `row` is
// from.width() * 3 bytes, allocated by the caller.
ShrinkingReadResult ReadRows(PngInput& input, QSize size, AreaShrink& shrink, std::uint8_t* row) {
    png_structp png =
        png_create_read_struct(PNG_LIBPNG_VER_STRING, &input, KeepProblem, IgnoreWarning);
    if (png == nullptr) return ShrinkingReadResult::kOtherLayout;
    png_infop info = png_create_info_struct(png);
    if (info == nullptr) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        return ShrinkingReadResult::kOtherLayout;
    }
    png_set_read_fn(png, &input, ReadFromFile);
    // A picture of our size at most: libpng refuses a larger header before allocating anything.
    png_set_user_limits(png, static_cast<png_uint_32>(size.width()),
                        static_cast<png_uint_32>(size.height()));
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        return ShrinkingReadResult::kFailed;
    }
    png_read_info(png, info);
    const bool ours = png_get_color_type(png, info) == PNG_COLOR_TYPE_RGB &&
                      png_get_bit_depth(png, info) == 8 &&
                      png_get_interlace_type(png, info) == PNG_INTERLACE_NONE &&
                      !png_get_valid(png, info, PNG_INFO_tRNS);
    if (!ours || png_get_image_width(png, info) != static_cast<png_uint_32>(size.width()) ||
        png_get_image_height(png, info) != static_cast<png_uint_32>(size.height())) {
        png_destroy_read_struct(&png, &info, nullptr);
        return ShrinkingReadResult::kOtherLayout;
    }
    for (int y = 0; y < size.height(); ++y) {
        png_read_row(png, row, nullptr);
        shrink.AddRow(row);
    }
    png_destroy_read_struct(&png, &info, nullptr);
    return ShrinkingReadResult::kRead;
}

}  // namespace

ShrinkingReadResult ReadPngShrunk(const QString& path, QSize size, QSize to, QImage* out,
                                  QString* why) {
    if (size.isEmpty() || to.isEmpty() || to.width() > size.width() ||
        to.height() > size.height()) {
        return ShrinkingReadResult::kOtherLayout;
    }
    PngInput input;
    input.fd =
        ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (input.fd < 0) {
        *why = QString::fromLocal8Bit(std::strerror(errno));
        return ShrinkingReadResult::kFailed;
    }
    struct stat info {};
    if (::fstat(input.fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_size > kMaxPngBytes) {
        ::close(input.fd);
        return ShrinkingReadResult::kOtherLayout;  // the whole read tells why
    }
    AreaShrink shrink(size, to);
    std::vector<std::uint8_t> row(static_cast<std::size_t>(size.width()) * 3);
    const ShrinkingReadResult result = ReadRows(input, size, shrink, row.data());
    ::close(input.fd);
    if (result == ShrinkingReadResult::kRead) *out = shrink.Take();
    if (result == ShrinkingReadResult::kFailed) *why = QString::fromLocal8Bit(input.problem);
    return result;
}

}  // namespace driftmere
