#include "app/start_guard.h"

#include <QString>
#include <QtGlobal>

#include <cstdio>
#include <cstdlib>
#include <utility>
#include <vector>

namespace {

// A message kept back; the context's strings are static in the logging call, so keeping them is safe.
struct Held {
    QtMsgType type;
    const char* file;
    int line;
    const char* function;
    const char* category;
    QString text;
};

QtMessageHandler previousHandler = nullptr;
std::vector<Held> held;

// The window system's own words for why it could not start, if it gave any.
QString reason() {
    for (const Held& message : held) {
        if (message.type != QtDebugMsg && message.type != QtInfoMsg)
            return message.text.trimmed();
    }
    return {};
}

void holdMessage(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (type == QtFatalMsg) {
        const QString why = reason();
        std::fprintf(stderr, "talvex: cannot start without a usable display%s%s\n", why.isEmpty() ? "" : ": ",
                     qPrintable(why));
        std::fflush(stderr);
        std::_Exit(1);
    }
    held.push_back({type, context.file, context.line, context.function, context.category, text});
}

} // namespace

StartGuard::StartGuard() {
    previousHandler = qInstallMessageHandler(holdMessage);
}

StartGuard::~StartGuard() {
    qInstallMessageHandler(previousHandler);
    for (const Held& message : std::exchange(held, {})) {
        const QMessageLogContext context(message.file, message.line, message.function, message.category);
        qt_message_output(message.type, context, message.text);
    }
}
