#include "app/error_guard.h"

#include "app/platform.h"

namespace errorguard {

void failed(const RuntimeError& error) noexcept {
    try {
        platform::showRuntimeError(error);
        platform::endProgram();
    } catch (...) {
        // The test stand-in for the end of the program throws; in the program it never returns.
    }
}

} // namespace errorguard
