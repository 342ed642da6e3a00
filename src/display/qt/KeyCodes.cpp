#include "display/qt/KeyCodes.h"

#include <QKeyEvent>
#include <Qt>

#include "platform/x11/XKeyboard.h"

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

int SaverQtKeyFor(const QKeyEvent& event) {
    const int key = event.key();
    if (event.nativeScanCode() == 0) return key;
    XKeyboard* keyboard = XKeyboard::OfApplication();
    if (keyboard == nullptr) return key;
    const std::optional<char> letter =
        keyboard->LatinLetterFor(event.nativeScanCode(), event.nativeModifiers());
    if (!letter) return key;
    if (*letter != 0) return Qt::Key_A + (*letter - 'A');
    return key >= Qt::Key_A && key <= Qt::Key_Z ? Qt::Key_unknown : key;
}

}  // namespace driftmere
