#include "platform/wayland/SeatInput.h"

#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#include <wayland-client.h>

#include <cstring>

#include "platform/xkb/SaverKeys.h"

namespace driftmere::wayland {
namespace {

// Evdev key numbers are xkb keycodes less 8.
constexpr std::uint32_t kEvdevToXkb = 8;

template <typename... Args>
void Ignore(void*, Args...) {}

}  // namespace

SeatInput::SeatInput(wl_seat* seat, std::uint32_t name, ClientEvents& events)
    : seat_(seat), name_(name), version_(wl_seat_get_version(seat)), events_(events) {
    context_ = xkb_context_new(XKB_CONTEXT_NO_FLAGS);
    static const wl_seat_listener listener = {
        .capabilities = &SeatInput::Capabilities,
        .name = Ignore<wl_seat*, const char*>,
    };
    wl_seat_add_listener(seat_, &listener, this);
}

SeatInput::~SeatInput() {
    DropKeyboard();
    DropPointer();
    if (context_ != nullptr) xkb_context_unref(context_);
    if (version_ >= WL_SEAT_RELEASE_SINCE_VERSION) {
        wl_seat_release(seat_);
    } else {
        wl_seat_destroy(seat_);
    }
}

void SeatInput::DropKeyboard() {
    if (keyboard_ != nullptr) {
        if (version_ >= WL_KEYBOARD_RELEASE_SINCE_VERSION) {
            wl_keyboard_release(keyboard_);
        } else {
            wl_keyboard_destroy(keyboard_);
        }
        keyboard_ = nullptr;
    }
    if (state_ != nullptr) xkb_state_unref(state_);
    if (keymap_ != nullptr) xkb_keymap_unref(keymap_);
    state_ = nullptr;
    keymap_ = nullptr;
}

void SeatInput::DropPointer() {
    if (pointer_ == nullptr) return;
    if (version_ >= WL_POINTER_RELEASE_SINCE_VERSION) {
        wl_pointer_release(pointer_);
    } else {
        wl_pointer_destroy(pointer_);
    }
    pointer_ = nullptr;
    pointerPlaced_ = false;
}

void SeatInput::Capabilities(void* data, wl_seat* seat, std::uint32_t capabilities) {
    auto* self = static_cast<SeatInput*>(data);
    const bool keyboard = (capabilities & WL_SEAT_CAPABILITY_KEYBOARD) != 0;
    const bool pointer = (capabilities & WL_SEAT_CAPABILITY_POINTER) != 0;
    if (keyboard && self->keyboard_ == nullptr) {
        static const wl_keyboard_listener listener = {
            .keymap = &SeatInput::Keymap,
            .enter = Ignore<wl_keyboard*, std::uint32_t, wl_surface*, wl_array*>,
            .leave = Ignore<wl_keyboard*, std::uint32_t, wl_surface*>,
            .key = &SeatInput::Key,
            .modifiers = &SeatInput::Modifiers,
            // Repeating is the client's to do, and the saver does not.
            .repeat_info = Ignore<wl_keyboard*, std::int32_t, std::int32_t>,
        };
        self->keyboard_ = wl_seat_get_keyboard(seat);
        wl_keyboard_add_listener(self->keyboard_, &listener, self);
    } else if (!keyboard) {
        self->DropKeyboard();
    }
    if (pointer && self->pointer_ == nullptr) {
        static const wl_pointer_listener listener = {
            .enter = &SeatInput::PointerEnter,
            .leave = &SeatInput::PointerLeave,
            .motion = &SeatInput::PointerMotion,
            .button = &SeatInput::Button,
            // Scrolling is not a move and not a click.
            .axis = Ignore<wl_pointer*, std::uint32_t, std::uint32_t, wl_fixed_t>,
            .frame = Ignore<wl_pointer*>,
            .axis_source = Ignore<wl_pointer*, std::uint32_t>,
            .axis_stop = Ignore<wl_pointer*, std::uint32_t, std::uint32_t>,
            .axis_discrete = Ignore<wl_pointer*, std::uint32_t, std::int32_t>,
            .axis_value120 = Ignore<wl_pointer*, std::uint32_t, std::int32_t>,
        };
        self->pointer_ = wl_seat_get_pointer(seat);
        wl_pointer_add_listener(self->pointer_, &listener, self);
    } else if (!pointer) {
        self->DropPointer();
    }
}

void SeatInput::Keymap(void* data, wl_keyboard*, std::uint32_t format, std::int32_t fd,
                       std::uint32_t size) {
    auto* self = static_cast<SeatInput*>(data);
    // The descriptor is ours to close whatever it holds. A keymap that cannot be read leaves
    // the previous one (or none: keys then end the saver with a code from 256 up).
    struct stat info {};
    const bool readable = format == WL_KEYBOARD_KEYMAP_FORMAT_XKB_V1 && size > 0 &&
                          size <= kMaxKeymapBytes && ::fstat(fd, &info) == 0 &&
                          S_ISREG(info.st_mode) && info.st_size >= static_cast<off_t>(size);
    void* text = readable ? ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0) : MAP_FAILED;
    ::close(fd);
    if (text == MAP_FAILED || self->context_ == nullptr) return;
    // The text ends at its NUL, or at the size when the compositor left none.
    const auto* chars = static_cast<const char*>(text);
    xkb_keymap* keymap =
        xkb_keymap_new_from_buffer(self->context_, chars, ::strnlen(chars, size),
                                   XKB_KEYMAP_FORMAT_TEXT_V1, XKB_KEYMAP_COMPILE_NO_FLAGS);
    ::munmap(text, size);
    if (keymap == nullptr) return;
    xkb_state* state = xkb_state_new(keymap);
    if (state == nullptr) {
        xkb_keymap_unref(keymap);
        return;
    }
    if (self->state_ != nullptr) xkb_state_unref(self->state_);
    if (self->keymap_ != nullptr) xkb_keymap_unref(self->keymap_);
    self->keymap_ = keymap;
    self->state_ = state;
}

void SeatInput::Key(void* data, wl_keyboard*, std::uint32_t, std::uint32_t, std::uint32_t key,
                    std::uint32_t state) {
    auto* self = static_cast<SeatInput*>(data);
    if (state != WL_KEYBOARD_KEY_STATE_PRESSED) return;
    if (self->state_ == nullptr) {
        // No keymap: no letter either, so the key counts as one that ends the saver.
        self->events_.KeyDown(256);
        return;
    }
    self->events_.KeyDown(SaverKeyCodeFor(self->state_, key + kEvdevToXkb));
}

void SeatInput::Modifiers(void* data, wl_keyboard*, std::uint32_t, std::uint32_t depressed,
                          std::uint32_t latched, std::uint32_t locked, std::uint32_t group) {
    auto* self = static_cast<SeatInput*>(data);
    if (self->state_ != nullptr) {
        xkb_state_update_mask(self->state_, depressed, latched, locked, 0, 0, group);
    }
}

void SeatInput::PointerEnter(void* data, wl_pointer* pointer, std::uint32_t serial, wl_surface*,
                             std::int32_t x, std::int32_t y) {
    auto* self = static_cast<SeatInput*>(data);
    // No cursor over the saver.
    wl_pointer_set_cursor(pointer, serial, nullptr, 0, 0);
    // Entering only says where the pointer is, and so may the motion that follows at once (a
    // compositor placing the pointer on the new surface): neither is counted.
    self->pointerPlaced_ = false;
    self->pointerX_ = x;
    self->pointerY_ = y;
}

void SeatInput::PointerLeave(void* data, wl_pointer*, std::uint32_t, wl_surface*) {
    static_cast<SeatInput*>(data)->pointerPlaced_ = false;
}

void SeatInput::PointerMotion(void* data, wl_pointer*, std::uint32_t, std::int32_t x,
                              std::int32_t y) {
    auto* self = static_cast<SeatInput*>(data);
    const bool moved = self->pointerPlaced_ && (x != self->pointerX_ || y != self->pointerY_);
    self->pointerPlaced_ = true;
    self->pointerX_ = x;
    self->pointerY_ = y;
    if (moved) self->events_.PointerMoved();
}

void SeatInput::Button(void* data, wl_pointer*, std::uint32_t, std::uint32_t, std::uint32_t,
                       std::uint32_t state) {
    if (state == WL_POINTER_BUTTON_STATE_PRESSED) static_cast<SeatInput*>(data)->events_.Click();
}

}  // namespace driftmere::wayland
