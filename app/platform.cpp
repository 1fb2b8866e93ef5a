#include "app/platform.h"

#include "app/runtime_error.h"

#include <QDesktopServices>
#include <QMessageBox>
#include <QString>
#include <QUrl>
#include <QWidget>
#include <QWindow>

#include <cstdio>
#include <cstdlib>

namespace platform {

namespace {

std::function<void()>& endProgramHandler() {
    static std::function<void()> handler;
    return handler;
}

std::function<void(const RuntimeError&)>& errorMessageHandler() {
    static std::function<void(const RuntimeError&)> handler;
    return handler;
}

std::function<void(const QString&)>& openAddressHandler() {
    static std::function<void(const QString&)> handler;
    return handler;
}

// Changing window flags of a visible widget hides it; show it again so the change is invisible.
void setFlags(QWidget& window, Qt::WindowFlags flags, bool on) {
    const bool wasVisible = window.isVisible();
    window.setWindowFlags(on ? window.windowFlags() | flags : window.windowFlags() & ~flags);
    if (wasVisible)
        window.show();
}

} // namespace

void makeTopmost(QWidget& window) {
    if (!window.windowFlags().testFlag(Qt::WindowStaysOnTopHint))
        setFlags(window, Qt::WindowStaysOnTopHint, true);
}

void skipTaskbar(QWidget& window) {
    // A tool window has no taskbar button on the desktops that honour the window type.
    if (!window.windowFlags().testFlag(Qt::Tool))
        setFlags(window, Qt::Tool, true);
#ifdef Q_OS_MACOS
    // A macOS tool window would otherwise vanish whenever the program is not the active one.
    window.setAttribute(Qt::WA_MacAlwaysShowToolWindow, true);
#endif
}

void startSystemMove(QWidget& window) {
    if (QWindow* handle = window.windowHandle())
        handle->startSystemMove();
}

void openAddress(const QString& address) {
    if (openAddressHandler()) {
        openAddressHandler()(address);
        return;
    }
    QDesktopServices::openUrl(QUrl(address));
}

void showRuntimeError(const RuntimeError& error) {
    if (errorMessageHandler()) {
        errorMessageHandler()(error);
        return;
    }
    const QString text = QStringLiteral("运行时错误 '%1':\n\n%2")
                             .arg(error.number())
                             .arg(QString::fromStdString(error.message()));
    QMessageBox::critical(nullptr, QStringLiteral("Talvex"), text);
}

void endProgram() {
    if (endProgramHandler())
        endProgramHandler()();
    // Immediate: no event, timer or close handler of any window may run after this point. Every setting
    // was synced when it was written, so nothing is lost.
    std::fflush(nullptr);
    std::_Exit(0);
}

void setEndProgramHandler(std::function<void()> handler) {
    endProgramHandler() = std::move(handler);
}

void setErrorMessageHandler(std::function<void(const RuntimeError&)> handler) {
    errorMessageHandler() = std::move(handler);
}

void setOpenAddressHandler(std::function<void(const QString&)> handler) {
    openAddressHandler() = std::move(handler);
}

} // namespace platform
