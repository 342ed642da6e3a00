#include "platform/x11/XKeyboard.h"

// The XKB protocol header names a field `explicit`, a C++ keyword.
#define explicit explicit_
#include <xcb/xkb.h>
#undef explicit
#include <xkbcommon/xkbcommon-x11.h>

#include <QGuiApplication>
#include <QPointer>

#include "platform/xkb/SaverKeys.h"

namespace driftmere {

XKeyboard* XKeyboard::OfApplication() {
    static QPointer<XKeyboard> made;
    static QPointer<QGuiApplication> triedFor;
    auto* app = qGuiApp;
    if (made != nullptr || app == nullptr || triedFor == app) return made;
    triedFor = app;
    auto* x11 = app->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t* connection = x11 ? x11->connection() : nullptr;
    if (connection == nullptr) return nullptr;
    std::uint8_t eventBase = 0;
    if (!xkb_x11_setup_xkb_extension(
            connection, XKB_X11_MIN_MAJOR_XKB_VERSION, XKB_X11_MIN_MINOR_XKB_VERSION,
            XKB_X11_SETUP_XKB_EXTENSION_NO_FLAGS, nullptr, nullptr, &eventBase, nullptr)) {
        return nullptr;
    }
    made = new XKeyboard(connection, eventBase, app);
    return made;
}

XKeyboard::XKeyboard(xcb_connection_t* connection, std::uint8_t xkbEventBase, QObject* parent)
    : QObject(parent), connection_(connection), xkbEventBase_(xkbEventBase) {
    context_ = xkb_context_new(XKB_CONTEXT_NO_ENVIRONMENT_NAMES);
    // A new keyboard, or a new keymap on it. Selecting these adds to what the toolkit selects on
    // the same connection and takes nothing away from it.
    constexpr std::uint16_t kEvents =
        XCB_XKB_EVENT_TYPE_NEW_KEYBOARD_NOTIFY | XCB_XKB_EVENT_TYPE_MAP_NOTIFY;
    constexpr std::uint16_t kMapParts =
        XCB_XKB_MAP_PART_KEY_TYPES | XCB_XKB_MAP_PART_KEY_SYMS | XCB_XKB_MAP_PART_MODIFIER_MAP |
        XCB_XKB_MAP_PART_EXPLICIT_COMPONENTS | XCB_XKB_MAP_PART_KEY_ACTIONS |
        XCB_XKB_MAP_PART_VIRTUAL_MODS | XCB_XKB_MAP_PART_VIRTUAL_MOD_MAP;
    xcb_xkb_select_events(connection_, XCB_XKB_ID_USE_CORE_KBD, kEvents, 0, kEvents, kMapParts,
                          kMapParts, nullptr);
    xcb_flush(connection_);
    QCoreApplication::instance()->installNativeEventFilter(this);
}

XKeyboard::~XKeyboard() {
    if (auto* app = QCoreApplication::instance()) app->removeNativeEventFilter(this);
    Drop();
    if (context_ != nullptr) xkb_context_unref(context_);
}

void XKeyboard::Drop() {
    if (state_ != nullptr) xkb_state_unref(state_);
    if (keymap_ != nullptr) xkb_keymap_unref(keymap_);
    state_ = nullptr;
    keymap_ = nullptr;
}

bool XKeyboard::Fetch() {
    Drop();
    stale_ = false;
    if (context_ == nullptr) return false;
    const std::int32_t device = xkb_x11_get_core_keyboard_device_id(connection_);
    if (device < 0) return false;
    keymap_ =
        xkb_x11_keymap_new_from_device(context_, connection_, device, XKB_KEYMAP_COMPILE_NO_FLAGS);
    if (keymap_ != nullptr) state_ = xkb_state_new(keymap_);
    return state_ != nullptr;
}

std::optional<char> XKeyboard::LatinLetterFor(std::uint32_t keycode, std::uint32_t xState) {
    if (stale_ && !Fetch()) return std::nullopt;
    if (state_ == nullptr) return std::nullopt;
    const xkb_mod_mask_t modifiers = xState & 0xff;
    const xkb_layout_index_t group = (xState >> 13) & 0x3;
    xkb_state_update_mask(state_, modifiers, 0, 0, 0, 0, group);
    return driftmere::LatinLetterFor(state_, keycode);
}

bool XKeyboard::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
    if (eventType != "xcb_generic_event_t") return false;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    if ((event->response_type & 0x7f) != xkbEventBase_) return false;
    // Every XKB event carries its kind in the byte after the type.
    const std::uint8_t kind = reinterpret_cast<const std::uint8_t*>(event)[1];
    if (kind == XCB_XKB_NEW_KEYBOARD_NOTIFY || kind == XCB_XKB_MAP_NOTIFY) stale_ = true;
    return false;  // the toolkit follows the keymap too
}

}  // namespace driftmere
