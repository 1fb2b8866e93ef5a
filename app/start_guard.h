#pragma once

// Watches the start of the window system. Without a usable display Qt can only abort, which leaves a
// core dump and a screenful of plugin advice; this says what is wrong in one line and ends the program
// with status 1 instead. Messages of a start that succeeds are passed on as they would have been.
class StartGuard final {
public:
    StartGuard();
    ~StartGuard();
    StartGuard(const StartGuard&) = delete;
    StartGuard& operator=(const StartGuard&) = delete;
};
