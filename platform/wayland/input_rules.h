// Which input ends the saver: the rules alone, fed by the wl_pointer and
// wl_keyboard listeners of one seat (wayland_program.cpp), so that they can
// be tried without a compositor. A surface is only a key here; the
// listener says whether it is one of the saver's.
//
// - A button, a key, the wheel or a touch pressed ends the saver; what is
//   released does not (a key held down as the saver starts comes up later).
// - The pointer ends it when it moves a pixel (a surface unit) or more from
//   where it entered, or enters one of our surfaces again on another
//   surface or elsewhere on the same one. A leave and an enter at the very
//   same place (sway sends them when it rearranges its outputs) is nobody's
//   hand.
// - The keyboard ends it when it leaves our surfaces for another (a lock
//   screen takes it) and no enter on ours follows within a moment, or when
//   no seat's keyboard came to them once they showed (another surface
//   holds it: the session is locked). A keyboard that goes sends its leave first, and
//   the seat says it went only a moment later.
// - A device that comes or goes is no input by itself: a dock, a KVM switch
//   or a Bluetooth mouse waking up announces devices with no hand on them.
//   A pointer that comes back somewhere else than it left has moved, though.
#pragma once

#include <cstdint>

namespace nyamo::wayland {

class SeatInput {
public:
    // Each returns true when the event ends the saver.
    bool PointerEnter(const void* surface, bool ours, double x, double y);
    void PointerLeave(bool ours);
    bool PointerMotion(double x, double y) const;
    // The seat's pointer went; where it was is kept for its return.
    void PointerGone() { pointer_in_ = false; }

    void KeyboardCame() { keyboard_ = true; }
    void KeyboardEnter(bool ours);
    // now_ms: any steady clock in milliseconds.
    void KeyboardLeave(bool ours, std::int64_t now_ms);
    void KeyboardGone() { keyboard_ = false; keyboard_on_ours_ = false; keyboard_left_ = false; }
    // The keyboard left ours for another surface, and has stayed away for
    // the moment a keyboard that goes needs to be told gone.
    bool KeyboardTaken(std::int64_t now_ms) const {
        return keyboard_ && keyboard_left_ && now_ms - left_at_ms_ >= kLeaveSettlesMs;
    }
    static constexpr std::int64_t kLeaveSettlesMs = 200;
    // The seat has a keyboard, and it is on our surfaces or not: asked once
    // our surfaces show, when the compositor has had the time to hand it
    // over. Another seat's keyboard may stay where it was (sway 1.7 gives
    // the layer only to the seats it had), so only a session where no
    // keyboard is on ours is locked.
    bool HasKeyboard() const { return keyboard_; }
    bool KeyboardOnOurs() const { return keyboard_ && keyboard_on_ours_; }

private:
    bool MovedFromEnter(double x, double y) const;

    // Which of our surfaces the pointer entered last, and where; it stays
    // known after the pointer left.
    bool pointer_in_ = false;
    const void* enter_surface_ = nullptr;
    double enter_x_ = 0, enter_y_ = 0;
    bool keyboard_ = false;
    bool keyboard_on_ours_ = false;
    bool keyboard_left_ = false;
    std::int64_t left_at_ms_ = 0;
};

}  // namespace nyamo::wayland
