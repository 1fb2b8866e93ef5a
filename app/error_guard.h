#pragma once

#include "app/runtime_error.h"

#include <exception>
#include <new>

// Every event handler runs inside one of the two guards below, so no exception crosses the event loop.

namespace errorguard {

// Shows the run-time error message and ends the program.
void failed(const RuntimeError& error) noexcept;

} // namespace errorguard

// A handler without error handling: the first failure shows the run-time error message and ends the program.
template <class Handler> void unhandled(Handler&& handler) noexcept {
    try {
        handler();
    } catch (const ProgramEnded&) {
    } catch (const RuntimeError& error) {
        errorguard::failed(error);
    } catch (const std::bad_alloc&) {
        errorguard::failed(RuntimeError::outOfMemory());
    } catch (const std::exception&) {
        errorguard::failed(RuntimeError(51, "内部错误"));
    }
}

// A resume-next handler: its statements run through resumeNext(); this guard only stops the end of the
// program, or a failure no statement could absorb, from escaping into the event loop.
template <class Handler> void resumeNextHandler(Handler&& handler) noexcept {
    unhandled([&] {
        try {
            handler();
        } catch (const RuntimeError&) {
        }
    });
}
