"""A laptop and a projector: where the strip and the panel open, and what becomes of them when the
desk changes. One Xvfb screen is split into RandR monitors, which Qt takes for separate screens."""

import ctypes
import ctypes.util
import re
import time

from presenter import COMPACT_WIDTH, MORE_LINK, PANEL, STARTED_HEIGHT, TWIPS, Presenter, is_green
from talvex_e2e import HarnessError, Rect, TalvexTestCase, XSession, read_settings, wait_until, write_settings

STRIP_WIDTH, STRIP_HEIGHT = 151, 40          # the strip as built, before a countdown sets its layout
PANEL_WIDTH, PANEL_HEIGHT = 284, 139         # the panel's client area
FALLBACK_LEFT = round(4000 / TWIPS)          # where a strip nobody could reach goes, from the primary's corner
DESIGN_LEFT, DESIGN_TOP = 280, 164           # the strip as built, from the primary's corner


class _CursorImage(ctypes.Structure):
    _fields_ = [("x", ctypes.c_short), ("y", ctypes.c_short), ("width", ctypes.c_ushort),
                ("height", ctypes.c_ushort), ("xhot", ctypes.c_ushort), ("yhot", ctypes.c_ushort),
                ("cursor_serial", ctypes.c_ulong), ("pixels", ctypes.c_void_p), ("atom", ctypes.c_ulong),
                ("name", ctypes.c_char_p)]


def cursor_shape(session: XSession) -> tuple[int, int, int, int]:
    """Width, height and hot spot of the pointer's cursor as the server shows it, in device pixels."""
    xfixes = ctypes.CDLL(ctypes.util.find_library("Xfixes") or "libXfixes.so.3")
    xfixes.XFixesGetCursorImage.argtypes = [ctypes.c_void_p]
    xfixes.XFixesGetCursorImage.restype = ctypes.POINTER(_CursorImage)
    with session.xlib() as x:
        image = xfixes.XFixesGetCursorImage(x.dpy)
        if not image:
            raise HarnessError("no cursor image")
        try:
            shape = image.contents
            return shape.width, shape.height, shape.xhot, shape.yhot
        finally:
            x.lib.XFree(image)


class MonitorsTest(Presenter, TalvexTestCase):
    """A framebuffer large enough for every desk below; each test declares the monitors it stands for."""

    @classmethod
    def setUpClass(cls) -> None:
        # Not the base class's: this one needs a larger framebuffer.
        cls.session = XSession(width=3840, height=2520)
        cls.addClassCleanup(cls.session.stop)
        cls.session.start()

    def set_monitors(self, *monitors: tuple[str, Rect]) -> None:
        """Replaces the monitors of the screen; the first is the primary, the one with the output."""
        session = self.session
        listed = session.run(["xrandr", "--listmonitors"]).stdout
        for name in re.findall(r"^\s*\d+: [+*]*(\w+) ", listed, re.M):
            if name != "screen":
                session.run(["xrandr", "--delmonitor", name])
        for index, (name, rect) in enumerate(monitors):
            output = "screen" if index == 0 else "none"
            # Physical sizes of a 96 dpi monitor: Qt reads its density from them.
            geometry = f"{rect.w}/{round(rect.w * 25.4 / 96)}x{rect.h}/{round(rect.h * 25.4 / 96)}+{rect.x}+{rect.y}"
            session.run(["xrandr", "--setmonitor", name, geometry, output])
        expected = len(monitors)
        wait_until(lambda: session.run(["xrandr", "--listmonitors"]).stdout.startswith(f"Monitors: {expected}"),
                   5, message=f"{expected} monitors")

    # A laptop with the projector to its left: the desktop's origin lies on the projector.
    LAPTOP = Rect(1920, 0, 1920, 1080)
    PROJECTOR = Rect(0, 0, 1920, 1080)

    def laptop_and_projector(self) -> None:
        self.set_monitors(("LAPTOP", self.LAPTOP), ("PROJECTOR", self.PROJECTOR))

    def open_strip_stored_at(self, left, top):
        """Starts the program with `left` and `top` (twips) stored, as an earlier session left them."""
        store = self.session.fresh_store()
        write_settings(store, {"left": str(left), "top": str(top)})
        return self.open_strip(store)

    def stored_place(self, program):
        values = read_settings(program.config_home) or {}
        return values.get("left"), values.get("top")

    def test_start_shows_the_stored_place_and_a_double_click_keeps_it(self):
        session = self.session
        self.laptop_and_projector()
        # Parked in a corner of the laptop by an earlier session.
        program, wid = self.open_strip_stored_at(3700 * TWIPS, 1000 * TWIPS)
        self.assertEqual(session.geometry(wid), Rect(3700, 1000, STRIP_WIDTH, STRIP_HEIGHT))
        panel = self.open_panel(wid)
        self.assertEqual(self.stored_place(program), (str(3700 * TWIPS), str(1000 * TWIPS)))
        # The panel opens near the middle of the laptop, in front of the presenter, not on the projector.
        shown = session.geometry(panel)
        self.assertTrue(self.LAPTOP.x <= shown.x and shown.right <= self.LAPTOP.right, shown)
        expected_x = self.LAPTOP.x + (self.LAPTOP.w - PANEL_WIDTH) // 2 - 10
        self.assertLessEqual(abs(shown.x - expected_x), 12, shown)
        self.snapshot("panel on the laptop", crop=self.LAPTOP)

    def test_without_a_stored_place_the_strip_opens_on_the_primary_screen(self):
        session = self.session
        self.laptop_and_projector()
        program, wid = self.open_strip()
        self.assertEqual(session.geometry(wid),
                         Rect(self.LAPTOP.x + DESIGN_LEFT, DESIGN_TOP, STRIP_WIDTH, STRIP_HEIGHT))
        self.open_panel(wid)
        self.assertEqual(self.stored_place(program), (str((self.LAPTOP.x + DESIGN_LEFT) * TWIPS), "2460"))

    def test_a_place_nobody_could_reach_gives_the_default_place_on_the_primary_screen(self):
        session = self.session
        self.laptop_and_projector()
        home = Rect(self.LAPTOP.x + FALLBACK_LEFT, 0, STRIP_WIDTH, STRIP_HEIGHT)
        # (what is stored, where the strip opens): off every monitor, 10 pixels on the projector's left
        # edge (too few to take with the mouse), and 30 pixels there, which are enough.
        cases = [((-99999, 0), home), ((-(STRIP_WIDTH - 10) * TWIPS, 3000), home),
                 ((-(STRIP_WIDTH - 30) * TWIPS, 3000), Rect(-(STRIP_WIDTH - 30), 200, STRIP_WIDTH, STRIP_HEIGHT))]
        for (left, top), shown in cases:
            with self.subTest(left=left, top=top):
                program, wid = self.open_strip_stored_at(left, top)
                self.assertEqual(session.geometry(wid), shown)
                session.stop_program(program)
        # The start button judges the stored place the same way.
        program, wid = self.open_strip()
        panel = self.open_panel(wid)
        values = read_settings(program.config_home)
        values.update({"left": "-99999", "top": "0"})
        write_settings(program.config_home, values)
        wid = self.start_timing(panel, "0.05")
        self.assertEqual(session.geometry(wid),
                         Rect(self.LAPTOP.x + FALLBACK_LEFT, 0, COMPACT_WIDTH, STARTED_HEIGHT))
        session.wait_reading(wid, is_green, timeout=2.5, layout="compact")

    def test_a_projector_below_a_tall_laptop_screen_keeps_its_place(self):
        session = self.session
        # A 1440-pixel laptop screen with the projector below it: its places lie beyond 32767 twips.
        laptop, projector = Rect(0, 0, 2560, 1440), Rect(0, 1440, 1920, 1080)
        self.set_monitors(("LAPTOP", laptop), ("PROJECTOR", projector))
        program, wid = self.open_strip_stored_at(500 * TWIPS, 2300 * TWIPS)
        self.assertEqual(session.geometry(wid), Rect(500, 2300, STRIP_WIDTH, STRIP_HEIGHT))
        panel = self.open_panel(wid)
        self.assertEqual(self.stored_place(program), (str(500 * TWIPS), str(2300 * TWIPS)))
        wid = self.start_timing(panel, "0.05")
        self.assertEqual(session.geometry(wid), Rect(500, 2300, COMPACT_WIDTH, STARTED_HEIGHT))
        self.snapshot("strip on the projector below", crop=projector)

    def test_a_strip_on_a_monitor_that_is_unplugged_comes_back_and_counts_on(self):
        session = self.session
        self.laptop_and_projector()
        program, wid = self.open_strip_stored_at(300 * TWIPS, 400 * TWIPS)
        panel = self.open_panel(wid)
        wid = self.start_timing(panel, "5")
        self.assertEqual(session.geometry(wid), Rect(300, 400, COMPACT_WIDTH, STARTED_HEIGHT))
        session.wait_reading(wid, is_green, timeout=2.5, layout="compact")
        stored = (program.config_home / "quorvy.conf").read_bytes()

        session.run(["xrandr", "--delmonitor", "PROJECTOR"])
        home = Rect(self.LAPTOP.x + FALLBACK_LEFT, 0, COMPACT_WIDTH, STARTED_HEIGHT)
        wait_until(lambda: session.geometry(wid) == home, 5, message="the strip to come back to the laptop")
        first = session.wait_reading(wid, is_green, timeout=2.5, layout="compact")
        session.wait_reading(wid, lambda r: is_green(r) and r.seconds() < first.reading.seconds(),
                                     timeout=5, layout="compact")
        self.assertTrue(session.is_viewable(wid))
        self.snapshot("strip back on the laptop", crop=self.LAPTOP)
        self.assertEqual((program.config_home / "quorvy.conf").read_bytes(), stored, "nothing is stored")

    def test_the_link_cursor_is_drawn_for_the_screens_scale(self):
        session = self.session
        self.laptop_and_projector()
        for scale, expected in ((1, (32, 32, 12, 1)), (2, (64, 64, 24, 2))):
            with self.subTest(scale=scale):
                program = self.start_talvex(env={"QT_SCALE_FACTOR": str(scale)})
                wid = session.wait_window("Form1")
                panel = self.open_panel(wid)
                rect = session.geometry(panel)
                session.move(rect.x + MORE_LINK[0] * scale, rect.y + MORE_LINK[1] * scale)
                wait_until(lambda: cursor_shape(session) == expected, 3,
                           message=f"the hand cursor at scale {scale}, last {cursor_shape(session)}")
                session.move(rect.x + 4, rect.y + 4)
                session.stop_program(program)
