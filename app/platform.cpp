#include "app/platform.h"

#include "app/platform_x11.h"
#include "app/runtime_error.h"

#include <QApplication>
#include <QDesktopServices>
#include <QElapsedTimer>
#include <QEvent>
#include <QGuiApplication>
#include <QMessageBox>
#include <QString>
#include <QTimer>
#include <QUrl>
#include <QWidget>
#include <QWindow>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>

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
void addFlags(QWidget& window, Qt::WindowFlags flags) {
    const bool wasVisible = window.isVisible();
    window.setWindowFlags(window.windowFlags() | flags);
    if (wasVisible)
        window.show();
}

// Raises an unmanaged window whenever another top-level window is mapped or restacked. Out of the
// window manager's hands the strip is no longer pushed under a focused full-screen window, but another
// unmanaged window (some slide shows are) or a manager that restacks everything can still cover it.
// Raising never takes the keyboard focus. Raises are spaced out, so that two programs that both keep
// themselves on top take turns instead of fighting at full speed, and a slow check stands in for any
// change that brought no event.
class KeepOnTop final : public QObject {
public:
    explicit KeepOnTop(QWidget& window) : QObject(&window), window_(window) {
        setObjectName(name());
        pending_.setSingleShot(true);
        connect(&pending_, &QTimer::timeout, this, [this] { raise(); });
        fallback_.setInterval(2000);
        connect(&fallback_, &QTimer::timeout, this, [this] { raise(); });
        fallback_.start();
        x11::watchStacking(*this, [this](unsigned long changed) {
            if (changed != window_.internalWinId() && !pending_.isActive())
                pending_.start(std::max<qint64>(0, spacing - sinceRaise_.elapsed()));
        });
        sinceRaise_.start();
    }

    static QString name() { return QStringLiteral("talvex-keep-on-top"); }

private:
    static constexpr qint64 spacing = 250; // ms between two raises at the most

    void raise() {
        // An open popup menu stays in front, or the strip would cover the menu it opened.
        if (window_.isVisible() && !QApplication::activePopupWidget())
            window_.raise();
        // Qt sends the request with its next drawing, which may be a second away.
        x11::flush();
        sinceRaise_.restart();
    }

    QWidget& window_;
    QTimer pending_;
    QTimer fallback_;
    QElapsedTimer sinceRaise_;
};

// Sets the skip-taskbar state each time the window is about to be mapped: the window manager drops
// the state when the window is hidden.
class SkipTaskbarOnShow final : public QObject {
public:
    explicit SkipTaskbarOnShow(QWidget& window) : QObject(&window) {
        setObjectName(name());
        window.installEventFilter(this);
    }

    static QString name() { return QStringLiteral("talvex-skip-taskbar"); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show)
            x11::addSkipTaskbarState(*static_cast<QWidget*>(watched));
        return false;
    }
};

// Makes a managed window, for as long as it is shown, a dialog of the window the presenter was working
// in. Window managers keep a full-screen window (a slide show) above the others, and some give a new
// window of another program neither the focus (fluxbox) nor even the screen (i3) until full screen ends,
// while a dialog of the focused window comes up in front of it and focused everywhere. mutter, too, keeps
// a dialog out of the taskbar only when it belongs to another window: with no window to belong to, the
// window is declared a normal one, whose skip-taskbar state mutter honours. It is a dialog again for the
// next owner: declared normal over a focused full-screen window, it was left unfocused by openbox.
class OwnerTie final : public QObject {
public:
    explicit OwnerTie(QWidget& window) : QObject(&window) {
        setObjectName(name());
        window.installEventFilter(this);
    }

    static QString name() { return QStringLiteral("talvex-owner-tie"); }

    // Ties the window to `owner`, or for 0 leaves it a window of its own; takes effect when the window is
    // next mapped.
    void tieTo(QWidget& window, unsigned long owner) {
        window.winId(); // the tie is set on the native window, made here before the first show
        QWindow* handle = window.windowHandle();
        if (!handle)
            return;
        std::unique_ptr<QWindow> foreign(owner ? QWindow::fromWinId(owner) : nullptr);
        handle->setTransientParent(foreign.get());
        owner_ = std::move(foreign);
        x11::declareNormalWindow(window, owner == 0);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Hide && owner_) {
            if (QWindow* handle = static_cast<QWidget*>(watched)->windowHandle())
                handle->setTransientParent(nullptr);
            owner_.reset();
        }
        return false;
    }

private:
    std::unique_ptr<QWindow> owner_;
};

} // namespace

void makeTopmost(QWidget& window) {
    // A borderless window needs nothing from the window manager, so on X11 it does without one.
    const bool unmanaged = x11::isActive() && window.windowFlags().testFlag(Qt::FramelessWindowHint);
    Qt::WindowFlags wanted = Qt::WindowStaysOnTopHint;
    if (unmanaged)
        wanted |= Qt::X11BypassWindowManagerHint;
    if ((window.windowFlags() & wanted) != wanted)
        addFlags(window, wanted);
    // Found by name: these helpers have no meta-object of their own, so a typed search would match any child.
    if (unmanaged && !window.findChild<QObject*>(KeepOnTop::name(), Qt::FindDirectChildrenOnly))
        new KeepOnTop(window);
}

void showInFront(QWidget& window) {
    const x11::FocusedWindow owner = x11::focusedWindow();
    if (x11::isActive()) {
        auto* tie =
            static_cast<OwnerTie*>(window.findChild<QObject*>(OwnerTie::name(), Qt::FindDirectChildrenOnly));
        if (!tie)
            tie = new OwnerTie(window);
        tie->tieTo(window, owner.id);
    }
    window.show();
    window.raise();
    // The window manager hands the focus to a new dialog of the focused window by itself. Asking for it
    // over a full-screen window would be worse than needless: i3 ends full screen for a window that asks.
    if (!owner.fullScreen)
        window.activateWindow();
}

void skipTaskbar(QWidget& window) {
    if (x11::isActive()) {
        // X11 has a window state for it; Qt's tool-window type alone leaves the taskbar entry.
        if (!window.findChild<QObject*>(SkipTaskbarOnShow::name(), Qt::FindDirectChildrenOnly))
            new SkipTaskbarOnShow(window);
        return;
    }
    // Elsewhere a tool window has no taskbar button.
    if (!window.windowFlags().testFlag(Qt::Tool))
        addFlags(window, Qt::Tool);
#ifdef Q_OS_MACOS
    // A macOS tool window would otherwise vanish whenever the program is not the active one.
    window.setAttribute(Qt::WA_MacAlwaysShowToolWindow, true);
#endif
}

bool startSystemMove(QWidget& window) {
    // Nothing moves a window that the window manager does not manage.
    if (window.windowFlags().testFlag(Qt::X11BypassWindowManagerHint))
        return false;
    QWindow* handle = window.windowHandle();
    return handle && handle->startSystemMove();
}

void chooseWindowSystem() {
    // The user's own choice stands, even where it costs the strip its promises.
    if (!qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        return;
    // On an X11 desktop, and without any desktop, Qt chooses X11 by itself.
    if (qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        return;
    if (x11::serverReachable()) {
        qputenv("QT_QPA_PLATFORM", "xcb");
        return;
    }
    qputenv("QT_QPA_PLATFORM", "wayland");
    std::fputs(
        "talvex: no X server (XWayland) on this Wayland desktop; running as a Wayland window, which the "
        "desktop places, a full-screen window may cover, and whose place is not stored\n",
        stderr);
    std::fflush(stderr);
}

bool knowsWindowPositions() {
    return knowsWindowPositions(QGuiApplication::platformName());
}

bool knowsWindowPositions(const QString& platformName) {
    // Qt's Wayland platforms all carry the name, whatever their graphics ("wayland-egl", ...).
    return !platformName.startsWith(QLatin1String("wayland"));
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
