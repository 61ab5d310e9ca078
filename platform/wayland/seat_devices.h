// A seat's devices for the Wayland program: each made while the seat has
// it and released when it goes, their listeners telling the seat's rules
// (input_rules.h) what came, and the session told when input ends the saver.
#pragma once

#include <chrono>
#include <cstdint>

#include "platform/wayland/wayland_session.h"

namespace nyamo::wayland {

// The seat the compositor offers as global name, with its devices as they come.
void AddSeat(Session& s, wl_seat* seat, std::uint32_t name);

// The seat and its devices given back, with release where the seat has it.
void ReleaseSeat(Seat& seat);

inline std::int64_t NowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

}  // namespace nyamo::wayland
