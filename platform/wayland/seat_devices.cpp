#include "platform/wayland/seat_devices.h"

#include <unistd.h>

#include <memory>

namespace nyamo::wayland {

namespace {

void PointerEnter(void* data, wl_pointer* pointer, std::uint32_t serial, wl_surface* surface, wl_fixed_t x,
                  wl_fixed_t y) {
    auto* seat = static_cast<Seat*>(data);
    const bool ours = seat->session->Ours(surface);
    if (seat->input.PointerEnter(surface, ours, wl_fixed_to_double(x), wl_fixed_to_double(y))) seat->session->end = true;
    if (ours) wl_pointer_set_cursor(pointer, serial, nullptr, 0, 0);  // no pointer over the kittens
}
void PointerLeave(void* data, wl_pointer*, std::uint32_t, wl_surface* surface) {
    auto* seat = static_cast<Seat*>(data);
    seat->input.PointerLeave(seat->session->Ours(surface));
}
void PointerMotion(void* data, wl_pointer*, std::uint32_t, wl_fixed_t x, wl_fixed_t y) {
    auto* seat = static_cast<Seat*>(data);
    if (seat->input.PointerMotion(wl_fixed_to_double(x), wl_fixed_to_double(y))) seat->session->end = true;
}
void Ends(void* data) { static_cast<Seat*>(data)->session->end = true; }
void PointerButton(void* data, wl_pointer*, std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t state) {
    if (state == WL_POINTER_BUTTON_STATE_PRESSED) Ends(data);
}
void PointerAxis(void* data, wl_pointer*, std::uint32_t, std::uint32_t, wl_fixed_t) { Ends(data); }
void PointerFrame(void*, wl_pointer*) {}
void PointerAxisSource(void*, wl_pointer*, std::uint32_t) {}
void PointerAxisStop(void*, wl_pointer*, std::uint32_t, std::uint32_t) {}
void PointerAxisDiscrete(void* data, wl_pointer*, std::uint32_t, std::int32_t) { Ends(data); }
// Named members, the rest zero: newer libwayland versions add events at the
// end (axis_value120, axis_relative_direction) that the seat version bound
// here never sends.
const wl_pointer_listener kPointerListener = [] {
    wl_pointer_listener listener{};
    listener.enter = &PointerEnter;
    listener.leave = &PointerLeave;
    listener.motion = &PointerMotion;
    listener.button = &PointerButton;
    listener.axis = &PointerAxis;
    listener.frame = &PointerFrame;
    listener.axis_source = &PointerAxisSource;
    listener.axis_stop = &PointerAxisStop;
    listener.axis_discrete = &PointerAxisDiscrete;
    return listener;
}();

void KeyboardKeymap(void*, wl_keyboard*, std::uint32_t, std::int32_t fd, std::uint32_t) { close(fd); }
void KeyboardEnter(void* data, wl_keyboard*, std::uint32_t, wl_surface* surface, wl_array*) {
    // The keys already down as it comes (one still held from the command
    // that started the saver) are no input: only a new press is.
    auto* seat = static_cast<Seat*>(data);
    seat->input.KeyboardEnter(seat->session->Ours(surface));
}
void KeyboardLeave(void* data, wl_keyboard*, std::uint32_t, wl_surface* surface) {
    auto* seat = static_cast<Seat*>(data);
    seat->input.KeyboardLeave(seat->session->Ours(surface), NowMs());
}
void KeyboardKey(void* data, wl_keyboard*, std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t state) {
    if (state == WL_KEYBOARD_KEY_STATE_PRESSED) Ends(data);
}
void KeyboardModifiers(void*, wl_keyboard*, std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t,
                       std::uint32_t) {}
void KeyboardRepeat(void*, wl_keyboard*, std::int32_t, std::int32_t) {}
constexpr wl_keyboard_listener kKeyboardListener{&KeyboardKeymap, &KeyboardEnter,     &KeyboardLeave,
                                                 &KeyboardKey,    &KeyboardModifiers, &KeyboardRepeat};

void TouchDown(void* data, wl_touch*, std::uint32_t, std::uint32_t, wl_surface*, std::int32_t, wl_fixed_t,
               wl_fixed_t) {
    Ends(data);
}
void TouchUp(void*, wl_touch*, std::uint32_t, std::uint32_t, std::int32_t) {}
void TouchMotion(void*, wl_touch*, std::uint32_t, std::int32_t, wl_fixed_t, wl_fixed_t) {}
void TouchFrame(void*, wl_touch*) {}
void TouchCancel(void*, wl_touch*) {}
void TouchShape(void*, wl_touch*, std::int32_t, wl_fixed_t, wl_fixed_t) {}
void TouchOrientation(void*, wl_touch*, std::int32_t, wl_fixed_t) {}
constexpr wl_touch_listener kTouchListener{&TouchDown,   &TouchUp,    &TouchMotion,     &TouchFrame,
                                           &TouchCancel, &TouchShape, &TouchOrientation};

// A device object given back: with release where the seat has it (version
// 3), so that the compositor forgets it too.
void ReleasePointer(Seat& seat) {
    if (seat.pointer == nullptr) return;
    if (wl_pointer_get_version(seat.pointer) >= WL_POINTER_RELEASE_SINCE_VERSION) wl_pointer_release(seat.pointer);
    else wl_pointer_destroy(seat.pointer);
    seat.pointer = nullptr;
    seat.input.PointerGone();
}
void ReleaseKeyboard(Seat& seat) {
    if (seat.keyboard == nullptr) return;
    if (wl_keyboard_get_version(seat.keyboard) >= WL_KEYBOARD_RELEASE_SINCE_VERSION) wl_keyboard_release(seat.keyboard);
    else wl_keyboard_destroy(seat.keyboard);
    seat.keyboard = nullptr;
    seat.input.KeyboardGone();
}
void ReleaseTouch(Seat& seat) {
    if (seat.touch == nullptr) return;
    if (wl_touch_get_version(seat.touch) >= WL_TOUCH_RELEASE_SINCE_VERSION) wl_touch_release(seat.touch);
    else wl_touch_destroy(seat.touch);
    seat.touch = nullptr;
}
void SeatCapabilities(void* data, wl_seat* wl, std::uint32_t caps) {
    auto* seat = static_cast<Seat*>(data);
    if (seat->session->background) return;  // the lock screen's background takes no input
    const bool pointer = (caps & WL_SEAT_CAPABILITY_POINTER) != 0;
    const bool keyboard = (caps & WL_SEAT_CAPABILITY_KEYBOARD) != 0;
    const bool touch = (caps & WL_SEAT_CAPABILITY_TOUCH) != 0;
    if (pointer && seat->pointer == nullptr) {
        seat->pointer = wl_seat_get_pointer(wl);
        wl_pointer_add_listener(seat->pointer, &kPointerListener, seat);
    } else if (!pointer) {
        ReleasePointer(*seat);
    }
    if (keyboard && seat->keyboard == nullptr) {
        seat->keyboard = wl_seat_get_keyboard(wl);
        wl_keyboard_add_listener(seat->keyboard, &kKeyboardListener, seat);
        seat->input.KeyboardCame();
    } else if (!keyboard) {
        ReleaseKeyboard(*seat);
    }
    if (touch && seat->touch == nullptr) {
        seat->touch = wl_seat_get_touch(wl);
        wl_touch_add_listener(seat->touch, &kTouchListener, seat);
    } else if (!touch) {
        ReleaseTouch(*seat);
    }
}
void SeatName(void*, wl_seat*, const char*) {}
constexpr wl_seat_listener kSeatListener{&SeatCapabilities, &SeatName};

}  // namespace

void ReleaseSeat(Seat& seat) {
    ReleasePointer(seat);
    ReleaseKeyboard(seat);
    ReleaseTouch(seat);
    if (wl_seat_get_version(seat.seat) >= WL_SEAT_RELEASE_SINCE_VERSION) wl_seat_release(seat.seat);
    else wl_seat_destroy(seat.seat);
    seat.seat = nullptr;
}

void AddSeat(Session& s, wl_seat* wl, std::uint32_t name) {
    auto seat = std::make_unique<Seat>();
    seat->session = &s;
    seat->global = name;
    seat->seat = wl;
    wl_seat_add_listener(seat->seat, &kSeatListener, seat.get());
    s.seats.push_back(std::move(seat));
}

}  // namespace nyamo::wayland
