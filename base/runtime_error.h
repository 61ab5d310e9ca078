// Run-time errors end the program in a defined way. The core raises them for
// a signed 32-bit overflow, an index outside its array, or a faulty real
// operation; the backend catches them at every entry into the core and ends
// the process with the error's number as its exit status.
#pragma once

#include <stdexcept>

namespace nyamo {

enum class ErrorCode : int {
    Overflow = 6,
    SubscriptOutOfRange = 9,
    DivisionByZero = 11,
    InvalidOperation = 5,
    // Not raised by the core: the status a backend ends with when memory runs out.
    OutOfMemory = 7,
};

class RunTimeError : public std::runtime_error {
public:
    explicit RunTimeError(ErrorCode code);
    ErrorCode code() const { return code_; }
    // The process exit status that reports this error.
    int exit_status() const { return static_cast<int>(code_); }

private:
    ErrorCode code_;
};

}  // namespace nyamo
