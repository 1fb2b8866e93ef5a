#include "app/platform_x11.h"

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QList>
#include <QVariant>
#include <QWidget>
#include <QWindow>

#include <xcb/xcb.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <vector>

namespace platform::x11 {

namespace {

xcb_connection_t* connection() {
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->connection() : nullptr;
}

struct FreeDeleter {
    void operator()(void* p) const { std::free(p); }
};

xcb_atom_t atom(xcb_connection_t* c, const char* name) {
    const std::unique_ptr<xcb_intern_atom_reply_t, FreeDeleter> reply(xcb_intern_atom_reply(
        c, xcb_intern_atom(c, 0, static_cast<std::uint16_t>(std::strlen(name)), name), nullptr));
    return reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
}

// The atoms of a list property such as _NET_WM_STATE or _NET_WM_WINDOW_TYPE: empty when the window has
// none, nothing at all when the window is gone.
std::optional<std::vector<xcb_atom_t>> atomList(xcb_connection_t* c, xcb_window_t window,
                                                xcb_atom_t property) {
    const std::unique_ptr<xcb_get_property_reply_t, FreeDeleter> reply(
        xcb_get_property_reply(c, xcb_get_property(c, 0, window, property, XCB_ATOM_ATOM, 0, 1024), nullptr));
    if (!reply)
        return std::nullopt;
    std::vector<xcb_atom_t> atoms;
    if (reply->format == 32 && reply->type == XCB_ATOM_ATOM) {
        const auto* first = static_cast<const xcb_atom_t*>(xcb_get_property_value(reply.get()));
        atoms.assign(first, first + xcb_get_property_value_length(reply.get()) / 4);
    }
    return atoms;
}

void setAtomList(xcb_connection_t* c, xcb_window_t window, xcb_atom_t property,
                 const std::vector<xcb_atom_t>& atoms) {
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, property, XCB_ATOM_ATOM, 32,
                        static_cast<std::uint32_t>(atoms.size()), atoms.data());
}

// Asks the server once for the root window's structure events, which it sends for every top-level
// window mapped, moved, resized or restacked. Qt asks for none of them; whatever it selected on the root
// for itself is kept.
xcb_window_t selectRootStructureEvents(xcb_connection_t* c) {
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    const std::unique_ptr<xcb_get_window_attributes_reply_t, FreeDeleter> attributes(
        xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, root), nullptr));
    const std::uint32_t mask =
        (attributes ? attributes->your_event_mask : 0) | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(c, root, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(c);
    return root;
}

// Reports the top-level window of each root structure event. A child of its owner, so it stops with it;
// a native event filter takes itself out of the application when it is destroyed.
class StackingWatcher final : public QObject, public QAbstractNativeEventFilter {
public:
    StackingWatcher(QObject& owner, xcb_window_t root, std::function<void(unsigned long)> changed)
        : QObject(&owner), root_(root), changed_(std::move(changed)) {
        QCoreApplication::instance()->installNativeEventFilter(this);
    }

    bool nativeEventFilter(const QByteArray& type, void* message, qintptr*) override {
        if (type != "xcb_generic_event_t")
            return false;
        const auto* event = static_cast<const xcb_generic_event_t*>(message);
        xcb_window_t window = XCB_WINDOW_NONE;
        switch (event->response_type & 0x7f) {
        case XCB_CONFIGURE_NOTIFY:
            window = topLevelOf<xcb_configure_notify_event_t>(event);
            break;
        case XCB_MAP_NOTIFY:
            window = topLevelOf<xcb_map_notify_event_t>(event);
            break;
        case XCB_CIRCULATE_NOTIFY:
            window = topLevelOf<xcb_circulate_notify_event_t>(event);
            break;
        default:
            break;
        }
        if (window != XCB_WINDOW_NONE)
            changed_(window);
        return false; // Qt goes on with the event as usual
    }

private:
    // The window a structure event is about, when the event reports a child of the root.
    template <class Event> xcb_window_t topLevelOf(const xcb_generic_event_t* event) const {
        const auto* notify = reinterpret_cast<const Event*>(event);
        return notify->event == root_ ? notify->window : xcb_window_t{XCB_WINDOW_NONE};
    }

    xcb_window_t root_;
    std::function<void(unsigned long)> changed_;
};

} // namespace

bool isActive() {
    return connection() != nullptr;
}

void addSkipTaskbarState(QWidget& window) {
    xcb_connection_t* c = connection();
    if (!c)
        return;
    const auto id = static_cast<xcb_window_t>(window.winId());
    const xcb_atom_t state = atom(c, "_NET_WM_STATE");
    std::vector<xcb_atom_t> atoms = atomList(c, id, state).value_or(std::vector<xcb_atom_t>{});
    for (const char* name : {"_NET_WM_STATE_SKIP_TASKBAR", "_NET_WM_STATE_SKIP_PAGER"}) {
        const xcb_atom_t wanted = atom(c, name);
        if (std::find(atoms.begin(), atoms.end(), wanted) == atoms.end())
            atoms.push_back(wanted);
    }
    setAtomList(c, id, state, atoms);
    xcb_flush(c);
}

void declareNormalWindow(QWidget& window, bool normal) {
    xcb_connection_t* c = connection();
    if (!c)
        return;
    const auto id = static_cast<xcb_window_t>(window.winId());
    const xcb_atom_t type = atom(c, "_NET_WM_WINDOW_TYPE");
    // Qt's own types, kept on the widget while the window is declared normal.
    static constexpr char saved[] = "talvex-window-types";
    if (normal) {
        if (!window.property(saved).isValid()) {
            const std::vector<xcb_atom_t> types = atomList(c, id, type).value_or(std::vector<xcb_atom_t>{});
            window.setProperty(saved, QVariant::fromValue(QList<xcb_atom_t>(types.begin(), types.end())));
        }
        setAtomList(c, id, type, {atom(c, "_NET_WM_WINDOW_TYPE_NORMAL")});
    } else {
        const QVariant types = window.property(saved);
        if (!types.isValid())
            return;
        const QList<xcb_atom_t> atoms = types.value<QList<xcb_atom_t>>();
        if (atoms.isEmpty())
            xcb_delete_property(c, id, type);
        else
            setAtomList(c, id, type, std::vector<xcb_atom_t>(atoms.begin(), atoms.end()));
        window.setProperty(saved, QVariant());
    }
    xcb_flush(c);
}

FocusedWindow focusedWindow() {
    xcb_connection_t* c = connection();
    if (!c)
        return {};
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    // The window manager's word: X's own focus may rest on a frame or on a child of the client.
    const std::unique_ptr<xcb_get_property_reply_t, FreeDeleter> active(xcb_get_property_reply(
        c, xcb_get_property(c, 0, root, atom(c, "_NET_ACTIVE_WINDOW"), XCB_ATOM_WINDOW, 0, 1), nullptr));
    if (!active || active->format != 32 || xcb_get_property_value_length(active.get()) != 4)
        return {};
    const xcb_window_t window = *static_cast<const xcb_window_t*>(xcb_get_property_value(active.get()));
    if (window == XCB_WINDOW_NONE)
        return {};
    for (const QWindow* own : QGuiApplication::allWindows()) {
        if (own->type() != Qt::ForeignWindow && own->handle() && own->winId() == window)
            return {};
    }
    // A window that is gone by now has no state: nothing to stand in front of.
    const std::optional<std::vector<xcb_atom_t>> state = atomList(c, window, atom(c, "_NET_WM_STATE"));
    if (!state)
        return {};
    const xcb_atom_t fullScreen = atom(c, "_NET_WM_STATE_FULLSCREEN");
    return {window, std::find(state->begin(), state->end(), fullScreen) != state->end()};
}

bool serverReachable() {
    xcb_connection_t* probe = xcb_connect(nullptr, nullptr);
    const bool reachable = xcb_connection_has_error(probe) == 0;
    xcb_disconnect(probe);
    return reachable;
}

void flush() {
    if (xcb_connection_t* c = connection())
        xcb_flush(c);
}

void watchStacking(QObject& owner, std::function<void(unsigned long window)> changed) {
    xcb_connection_t* c = connection();
    if (!c)
        return;
    static const xcb_window_t root = selectRootStructureEvents(c);
    new StackingWatcher(owner, root, std::move(changed));
}

} // namespace platform::x11
