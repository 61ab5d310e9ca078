#include "platform/wayland/input_rules.h"

#include <cmath>

namespace nyamo::wayland {

// One pixel or more from where it came in, in surface units: what the
// pointer moves by on every output, whatever its scale.
bool SeatInput::MovedFromEnter(double x, double y) const {
    return std::fabs(x - enter_x_) >= 1.0 || std::fabs(y - enter_y_) >= 1.0;
}

bool SeatInput::PointerEnter(const void* surface, bool ours, double x, double y) {
    if (!ours) return false;
    const bool moved = enter_surface_ != nullptr && (surface != enter_surface_ || MovedFromEnter(x, y));
    pointer_in_ = true;
    enter_surface_ = surface;
    enter_x_ = x;
    enter_y_ = y;
    return moved;
}

void SeatInput::PointerLeave(bool ours) {
    if (ours) pointer_in_ = false;
}

bool SeatInput::PointerMotion(double x, double y) const { return pointer_in_ && MovedFromEnter(x, y); }

void SeatInput::KeyboardEnter(bool ours) {
    keyboard_on_ours_ = ours;
    if (ours) keyboard_left_ = false;
}

void SeatInput::KeyboardLeave(bool ours, std::int64_t now_ms) {
    if (!ours) return;
    keyboard_on_ours_ = false;
    keyboard_left_ = true;
    left_at_ms_ = now_ms;
}

}  // namespace nyamo::wayland
