#include "display/qt/KeyCodes.h"

#include <Qt>

namespace driftmere {

std::int16_t KeyCodeFor(int qtKey) {
    if (qtKey <= 0) return 0;
    if (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) return static_cast<std::int16_t>(qtKey);
    if (qtKey <= 0xff) return static_cast<std::int16_t>(qtKey);  // never 65..90: handled above
    // Qt's special keys live at 0x01000000 and up; fold them into 256..32767.
    constexpr int kFirst = 256;
    constexpr int kSpan = 32768 - kFirst;
    return static_cast<std::int16_t>(kFirst + qtKey % kSpan);
}

}  // namespace driftmere
