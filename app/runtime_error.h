#pragma once

#include <string>
#include <utility>

// A failing step of a handler. The number and the message are what the presenter sees in the
// run-time error box when the failure reaches a handler that does not resume.
class RuntimeError final {
public:
    RuntimeError(int number, std::string message) : number_(number), message_(std::move(message)) {}

    int number() const { return number_; }
    const std::string& message() const { return message_; }

    static RuntimeError overflow() { return {6, "溢出"}; }
    static RuntimeError typeMismatch() { return {13, "类型不匹配"}; }
    static RuntimeError pathFileAccess() { return {75, "路径/文件访问错误"}; }
    static RuntimeError outOfMemory() { return {7, "内存溢出"}; }

private:
    int number_;
    std::string message_;
};

// Thrown by the test stand-in for "end the program" so that nothing after the end runs.
// Deliberately not a RuntimeError: a resume-next step must never swallow the end of the program.
struct ProgramEnded final {};

// Runs one statement of a resume-next handler: a failing statement is skipped silently.
template <class Statement> void resumeNext(Statement&& statement) {
    try {
        std::forward<Statement>(statement)();
    } catch (const RuntimeError&) {
    }
}
