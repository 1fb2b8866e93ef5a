#pragma once

#include "app/runtime_error.h"

// The numbers of the errors the rules throw, as the presenter sees them in the error box.
inline constexpr int kInvalidCall = 5;
inline constexpr int kOverflow = 6;
inline constexpr int kTypeMismatch = 13;

// The number of the RuntimeError the call throws, or 0 when it returns normally.
template <class Call> int errorNumberOf(Call&& call) {
    try {
        call();
    } catch (const RuntimeError& error) {
        return error.number();
    }
    return 0;
}
