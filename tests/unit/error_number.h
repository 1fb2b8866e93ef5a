#pragma once

#include "app/runtime_error.h"

// The number of the RuntimeError the call throws, or 0 when it returns normally.
template <class Call> int errorNumberOf(Call&& call) {
    try {
        call();
    } catch (const RuntimeError& error) {
        return error.number();
    }
    return 0;
}
