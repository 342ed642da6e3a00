#pragma once
// Keys and the pointer from the compositor's seat: a key press becomes the saver's code through
// the seat's own keymap, a button press a click, and motion to a new place a move. The pointer is
// hidden over the saver's surfaces. Keys are never repeated.
#include <xkbcommon/xkbcommon.h>

#include <cstdint>

#include "platform/wayland/WaylandClient.h"

struct wl_keyboard;
struct wl_pointer;
struct wl_seat;
struct wl_surface;

namespace driftmere::wayland {

// A keymap the compositor sends is refused past this size (a full keymap is about 60 KiB).
constexpr std::uint32_t kMaxKeymapBytes = 1024 * 1024;

class SeatInput {
  public:
    // Takes the bound seat; events go to `events`.
    SeatInput(wl_seat* seat, std::uint32_t name, ClientEvents& events);
    ~SeatInput();
    SeatInput(const SeatInput&) = delete;
    SeatInput& operator=(const SeatInput&) = delete;

    // The registry name of the seat's global.
    std::uint32_t name() const { return name_; }

  private:
    static void Capabilities(void* data, wl_seat* seat, std::uint32_t capabilities);
    static void Keymap(void* data, wl_keyboard* keyboard, std::uint32_t format, std::int32_t fd,
                       std::uint32_t size);
    static void Key(void* data, wl_keyboard* keyboard, std::uint32_t serial, std::uint32_t time,
                    std::uint32_t key, std::uint32_t state);
    static void Modifiers(void* data, wl_keyboard* keyboard, std::uint32_t serial,
                          std::uint32_t depressed, std::uint32_t latched, std::uint32_t locked,
                          std::uint32_t group);
    static void PointerEnter(void* data, wl_pointer* pointer, std::uint32_t serial,
                             wl_surface* surface, std::int32_t x, std::int32_t y);
    static void PointerLeave(void* data, wl_pointer* pointer, std::uint32_t serial,
                             wl_surface* surface);
    static void PointerMotion(void* data, wl_pointer* pointer, std::uint32_t time, std::int32_t x,
                              std::int32_t y);
    static void Button(void* data, wl_pointer* pointer, std::uint32_t serial, std::uint32_t time,
                       std::uint32_t button, std::uint32_t state);

    void DropKeyboard();
    void DropPointer();

    wl_seat* seat_;
    std::uint32_t name_;
    std::uint32_t version_;
    ClientEvents& events_;
    wl_keyboard* keyboard_ = nullptr;
    wl_pointer* pointer_ = nullptr;
    xkb_context* context_ = nullptr;
    xkb_keymap* keymap_ = nullptr;
    xkb_state* state_ = nullptr;
    // Where the pointer was last reported (24.8 fixed point); placed once a motion after entering
    // a surface has said where it is.
    bool pointerPlaced_ = false;
    std::int32_t pointerX_ = 0;
    std::int32_t pointerY_ = 0;
};

}  // namespace driftmere::wayland
