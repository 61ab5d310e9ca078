#include "platform/common/loop_support.h"

namespace nyamo {

void TickTimer::Start(std::int32_t milliseconds) {
    interval_ = std::chrono::milliseconds(milliseconds > 0 ? milliseconds : 1);
    next_ = std::chrono::steady_clock::now() + interval_;
}

int TickTimer::MillisecondsLeft() const {
    if (interval_.count() == 0) return -1;
    // Rounded up: a wait rounded down to 0 would spin on the connection for
    // the last fraction of a millisecond before every tick.
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(next_ - std::chrono::steady_clock::now());
    return left.count() <= 0 ? 0 : static_cast<int>(left.count());
}

bool TickTimer::TakeDueTick() {
    if (interval_.count() == 0) return false;
    const auto now = std::chrono::steady_clock::now();
    if (now < next_) return false;
    next_ = now + interval_;
    return true;
}

}  // namespace nyamo
