"""The panel over a focused full-screen slide show under other window managers than openbox: fluxbox
refused it the focus and kept it behind the slide show, i3 did not map it until full screen ended. The
panel must come up in front and focused on the presenter's request, and nothing else of the program may
ever take the focus from the slide show."""

import ctypes
import time
import unittest

from presenter import MENU_RESTART, PANEL, SLIDE_COLOUR, START_BUTTON, Presenter
from talvex_e2e import HarnessError, TalvexTestCase, XConnection, wait_until

FOCUS_IN = 9
FOCUS_CHANGE_MASK = 1 << 21
NOTIFY_POINTER = 5  # a FocusIn that only follows the pointer while no window has the focus


class _XFocusChangeEvent(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                ("display", ctypes.c_void_p), ("window", ctypes.c_ulong), ("mode", ctypes.c_int),
                ("detail", ctypes.c_int)]


class _XAnyEvent(ctypes.Union):
    _fields_ = [("type", ctypes.c_int), ("focus", _XFocusChangeEvent), ("pad", ctypes.c_long * 24)]


class FocusWatch:
    """Records each watched window that receives the keyboard focus, through a connection of its own,
    so that a focus held for a moment between two looks is seen too."""

    def __init__(self, display: str):
        self.x = XConnection(display)
        self.x.lib.XSelectInput.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_long]
        self.x.lib.XNextEvent.argtypes = [ctypes.c_void_p, ctypes.POINTER(_XAnyEvent)]
        self.gained: list[int] = []

    def watch(self, window: int) -> None:
        self.x.lib.XSelectInput(self.x.dpy, window, FOCUS_CHANGE_MASK)
        self.x.lib.XSync(self.x.dpy, 0)

    def focused(self) -> list[int]:
        """The watched windows that received the focus so far, in order."""
        self.x.lib.XSync(self.x.dpy, 0)
        event = _XAnyEvent()
        while self.x.lib.XPending(self.x.dpy):
            self.x.lib.XNextEvent(self.x.dpy, ctypes.byref(event))
            if event.type == FOCUS_IN and event.focus.detail != NOTIFY_POINTER:
                self.gained.append(event.focus.window)
        return list(self.gained)

    def close(self) -> None:
        self.x.close()


class PanelOverFullScreenCase(Presenter, TalvexTestCase):
    """One window manager's run; the subclasses below choose it."""

    def slide_show(self):
        """A flat-coloured slide show, full screen and focused, before the program starts."""
        session = self.session
        slide = session.spawn_client(["xlogo", "-bg", "rgb:30/60/c0", "-fg", "rgb:30/60/c0"])
        self.addCleanup(session.end_client, slide)
        show = session.wait_window("xlogo", managed=True, timeout=15)
        session.make_fullscreen(show, timeout=15)
        session.activate(show)
        self.assert_show_has_focus(show, "the slide show to be focused")
        return show

    def assert_show_has_focus(self, show, message):
        session = self.session
        wait_until(lambda: session.active_window() == show and session.input_focus() == show, 10,
                   message=f"{message} (active {session.active_window()}, focus {session.input_focus()})")

    def strip_above_show(self, show):
        """The strip, once it is up and stacked above the focused slide show."""
        session = self.session
        wid = session.wait_window("Form1", timeout=15)
        wait_until(lambda: session.stacked_above(wid, show), 10, message="the strip above the slide show")
        return wid

    def assert_panel_in_front(self, panel, show, label):
        session = self.session
        wait_until(lambda: session.is_viewable(panel), 15, message=f"{label}: the panel to be mapped")
        wait_until(lambda: session.stacked_above(panel, show), 10,
                   message=f"{label}: the panel above the slide show {session.server_stacking_order()}")
        wait_until(lambda: session.input_focus() == panel and session.active_window() == panel, 10,
                   message=f"{label}: the panel to have the focus (active {session.active_window()}, "
                           f"focus {session.input_focus()})")
        # Seen on the screen, not merely stacked: no pixel of the slide show inside the panel.
        image = session.screenshot()
        self.snapshot(f"{label}-panel", image=image)
        rect = session.geometry(panel)
        covered = sum(image.pixel(x, y) == SLIDE_COLOUR for x in range(rect.x, rect.right, 4)
                      for y in range(rect.y, rect.bottom, 4))
        self.assertEqual(covered, 0, f"{label}: the slide show shows through the panel at {rect}")
        state = session.net_wm_state(panel)
        self.assertTrue(panel not in session.managed_windows() or "_NET_WM_STATE_SKIP_TASKBAR" in state,
                        f"{label}: the panel has a taskbar entry: {state}")
        # Handing the focus over must not end the slide show's full screen.
        self.assertIn("_NET_WM_STATE_FULLSCREEN", session.net_wm_state(show), label)

    def start_from_panel(self, panel, show, watch, minutes):
        """Types the minutes, presses start; the strip comes back above the slide show, which gets the
        focus back from the window manager."""
        session = self.session
        session.type_text(minutes)
        self.panel_click(panel, START_BUTTON)
        wait_until(lambda: not session.is_viewable(panel), 10, message="the panel to hide")
        wid = self.strip_above_show(show)
        watch.watch(wid)
        self.assert_show_has_focus(show, "the slide show to have the focus back after the start")
        return wid

    def test_panel_comes_up_in_front_and_focused_and_the_strip_never_takes_the_focus(self):
        session = self.session
        show = self.slide_show()
        watch = FocusWatch(session.display)
        self.addCleanup(watch.close)

        program = self.start_talvex()
        wid = self.strip_above_show(show)
        watch.watch(wid)
        time.sleep(1.5)  # a few of its raises: none of them may take the focus
        self.assert_show_has_focus(show, "the slide show to keep the focus when the program starts")

        session.double_click(*self.strip_point(wid))
        panel = session.wait_window(PANEL, visible_only=False, timeout=15)
        self.assert_panel_in_front(panel, show, "double-click")
        wid = self.start_from_panel(panel, show, watch, "5")

        self.choose(self.open_menu(program, wid), MENU_RESTART)
        self.assert_panel_in_front(panel, show, "menu")
        wid = self.start_from_panel(panel, show, watch, "7")

        time.sleep(1.5)
        self.assert_show_has_focus(show, "the slide show to keep the focus while the strip counts")
        self.assertEqual(program.settings().get("time"), "7")
        # Not even for a moment between two looks.
        self.assertEqual(watch.focused(), [], "a strip had the focus")
        self.assertTrue(program.is_running(), program.log())

    def test_panel_with_no_window_focused_stays_off_the_taskbar_and_later_comes_up_over_the_slide_show(self):
        """Opened while no other window has the focus, the panel is a window of its own, and it must stay
        off the taskbar there too: mutter lists a dialog that belongs to no window, so the panel is then
        declared a normal window. Over a slide show opened later it must be a dialog again, or openbox
        leaves it unfocused."""
        session = self.session
        program = self.start_talvex()
        wid = session.wait_window("Form1", timeout=15)
        session.double_click(*self.strip_point(wid))
        panel = session.wait_window(PANEL, visible_only=False, timeout=15)
        wait_until(lambda: session.is_viewable(panel), 15, message="the panel to be mapped")
        wait_until(lambda: session.input_focus() == panel and session.active_window() == panel, 10,
                   message=f"the panel to have the focus (active {session.active_window()}, "
                           f"focus {session.input_focus()})")
        self.assertIn("_NET_WM_STATE_SKIP_TASKBAR", session.net_wm_state(panel))
        # fluxbox names a window of its own active while no other is, and the panel becomes its dialog.
        if self.window_manager != "fluxbox":
            self.assertEqual(session.window_types(panel), ["_NET_WM_WINDOW_TYPE_NORMAL"])
        self.snapshot("nothing-focused-panel")

        session.type_text("5")
        self.panel_click(panel, START_BUTTON)
        wait_until(lambda: not session.is_viewable(panel), 10, message="the panel to hide")
        show = self.slide_show()
        watch = FocusWatch(session.display)
        self.addCleanup(watch.close)
        wid = self.strip_above_show(show)
        session.double_click(*self.strip_point(wid))
        self.assert_panel_in_front(panel, show, "after-nothing-focused")
        self.assertEqual(session.window_types(panel)[0], "_NET_WM_WINDOW_TYPE_DIALOG")
        self.start_from_panel(panel, show, watch, "7")
        self.assertEqual(watch.focused(), [], "a strip had the focus")
        self.assertTrue(program.is_running(), program.log())


class OpenboxTest(PanelOverFullScreenCase):
    window_manager = "openbox"


class FluxboxTest(PanelOverFullScreenCase):
    window_manager = "fluxbox"


class I3Test(PanelOverFullScreenCase):
    window_manager = "i3"


# The shared case is not a test of its own.
del PanelOverFullScreenCase

if __name__ == "__main__":
    unittest.main()
