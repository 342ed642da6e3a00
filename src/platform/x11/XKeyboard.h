#pragma once
// The X server's keyboard as the saver reads it: the core keyboard's keymap, fetched through XKB
// when a key is first asked about and again after the server reports a new one (setxkbmap, or a
// keyboard plugged in, while the saver runs); the modifiers and the group a key was pressed in
// come with each key event.
#include <xcb/xcb.h>
#include <xkbcommon/xkbcommon.h>

#include <QAbstractNativeEventFilter>
#include <QObject>
#include <cstdint>
#include <optional>

namespace driftmere {

class XKeyboard : public QObject, public QAbstractNativeEventFilter {
  public:
    // The keyboard of the application's X connection, made on first use and deleted with the
    // application; null where the application runs on no X server or the server has no XKB.
    static XKeyboard* OfApplication();
    ~XKeyboard() override;

    // The Latin letter ('A'..'Z', or 0 for none) of the key `keycode` pressed with the X event
    // state `xState` (modifiers in the low byte, the group in bits 13 and 14), by the rule of
    // platform/xkb/SaverKeys.h. Empty when the server gives no keymap.
    std::optional<char> LatinLetterFor(std::uint32_t keycode, std::uint32_t xState);

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

  private:
    XKeyboard(xcb_connection_t* connection, std::uint8_t xkbEventBase, QObject* parent);
    // Fetches the keymap again; false when the server gives none.
    bool Fetch();
    void Drop();

    xcb_connection_t* connection_;
    std::uint8_t xkbEventBase_;
    xkb_context* context_ = nullptr;
    xkb_keymap* keymap_ = nullptr;
    xkb_state* state_ = nullptr;
    bool stale_ = true;
};

}  // namespace driftmere
