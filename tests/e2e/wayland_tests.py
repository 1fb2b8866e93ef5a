"""Talvex on a Wayland desktop (a headless sway 1.7), started as such a desktop starts a program: with
XWayland the strip keeps its promises through X11; without it the program says so and stores no place
it cannot know."""

import time
import unittest
from pathlib import Path

from presenter import COMPACT_WIDTH, PANEL, START_BUTTON, STARTED_HEIGHT, TWIPS, is_green, is_overtime
from talvex_e2e import Rect, artifacts_dir, read_strip, wait_until, write_settings
from wayland_session import BTN_RIGHT, SwaySession

STRIP_WIDTH, STRIP_HEIGHT = 151, 40           # the strip as built, before a start sizes it
NO_X_SERVER = "talvex: no X server"           # how the one line about a missing X server begins


class WaylandTestCase(unittest.TestCase):
    xwayland = True
    session: SwaySession

    @classmethod
    def setUpClass(cls) -> None:
        super().setUpClass()
        cls.session = SwaySession(xwayland=cls.xwayland)
        cls.addClassCleanup(cls.session.stop)
        cls.addClassCleanup(lambda: cls.session.save_logs(artifacts_dir(), cls.__name__))
        cls.session.start()

    def _failed(self) -> bool:
        result = getattr(getattr(self, "_outcome", None), "result", None)
        return any(getattr(test, "test_case", test) is self
                   for test, _ in [*getattr(result, "failures", []), *getattr(result, "errors", [])])

    def tearDown(self) -> None:
        # Before the clean-ups end the programs, so that the picture shows what went wrong.
        if self._failed():
            try:
                self.snapshot("failure")
            except Exception as error:  # a broken compositor must not hide the real failure
                print(f"no failure screenshot: {error}")
        super().tearDown()

    def store(self, left: int, top: int, minutes: str = "1"):
        """A settings folder as an earlier run left it, with the strip's place in pixels."""
        store = self.session.fresh_store()
        write_settings(store, {"time": minutes, "left": str(left * TWIPS), "top": str(top * TWIPS)})
        return store

    def start(self, store):
        program = self.session.start_talvex(store)
        self.addCleanup(self.session.stop_program, program)
        return program

    def snapshot(self, label: str, crop=None):
        image = self.session.screenshot()
        if crop is not None:
            image = image.crop(crop)
        image.save_png(artifacts_dir() / f"{self.id()}-{label}.png")

    def wait_settled(self, program, seconds: float = 1.0) -> None:
        """Lets the program draw and the compositor show it; fails at once if the program ended."""
        time.sleep(seconds)
        self.assertIsNone(program.exit_code(), program.log())


class XWaylandDesktopTest(WaylandTestCase):
    """sway with XWayland: the program runs through X11, both windows on the compositor's X server."""

    def strip_point(self, rect: Rect) -> tuple[int, int]:
        return rect.x + 30, rect.y + 18

    def wait_reading(self, rect: Rect, predicate, layout: str = "wide", timeout: float = 10):
        self.session.park_pointer()
        def readable():
            reading = read_strip(self.session.screenshot(), rect, layout)
            return reading if predicate(reading) else None

        return wait_until(readable, timeout, interval=0.2, message=f"a strip reading at {rect}")

    def full_screen(self, argv, is_view) -> dict:
        """Starts a program, makes it full screen and focused through the compositor, as a slide show is."""
        session = self.session
        client = session.start_client(argv)
        self.addCleanup(session.end_client, client)
        view = session.wait_view(is_view, message=f"{argv[0]}'s window")
        session.swaymsg_command(f"[con_id={view['id']}] fullscreen enable, focus")
        return session.wait_view(lambda v: is_view(v) and v.get("fullscreen_mode") == 1 and v.get("focused"),
                                 message=f"{argv[0]} full screen and focused")

    def test_strip_at_its_place_above_a_focused_full_screen_window(self):
        session = self.session
        typed = session.home / "typed.txt"
        slide_shows = {
            # A terminal that writes down every key it gets, as a slide show takes the presenter's keys.
            "native Wayland": (["foot", "sh", "-c", f"stty -icanon; cat > {typed}"],
                               lambda v: v.get("app_id") == "foot"),
            "XWayland": (["xclock", "-update", "1"], lambda v: v.get("shell") == "xwayland"
                         and (v.get("window_properties") or {}).get("class") == "XClock"),
        }
        for kind, (argv, is_view) in slide_shows.items():
            with self.subTest(kind):
                show = self.full_screen(argv, is_view)
                self.assertEqual((show["rect"]["width"], show["rect"]["height"]), (1280, 800))
                program = self.start(self.store(400, 200))
                wid = session.wait_window("Form1")
                place = Rect(400, 200, STRIP_WIDTH, STRIP_HEIGHT)
                self.assertEqual(session.geometry(wid), place)
                # Out of the compositor's hands: no frame, no tile, never in its tree of windows.
                self.assertTrue(session.is_override_redirect(wid))
                self.assertFalse([v for v in session.views() if v.get("pid") == program.pid])
                # All through X11: nothing of Qt's Wayland plugin is loaded, so the package needs none.
                maps = Path(f"/proc/{program.pid}/maps").read_text()
                self.assertNotIn("libqwayland", maps)
                self.assertNotIn("libQt6WaylandClient", maps)
                reading = self.wait_reading(place, lambda r: is_overtime(r) and r.seconds() >= 2)
                self.snapshot(f"{kind}-strip-over-full-screen", crop=place.grown(60))
                self.assertEqual(reading.colour, "magenta", reading.describe())
                # The slide show keeps the keyboard.
                focused = session.focused_view()
                self.assertEqual(focused and focused["id"], show["id"])
                self.assertEqual(focused.get("fullscreen_mode"), 1)
                if kind == "native Wayland":
                    # Not even a click on the strip (the reset) takes the keys from the slide show.
                    session.pointer.click(*self.strip_point(place))
                    session.park_pointer()
                    session.type_text("next slide")
                    wait_until(lambda: typed.exists() and typed.read_text() == "next slide", 5,
                               message="the full-screen window to get the keys")
                session.stop_program(program)
                session.end_client(session.clients[-1])

    def test_moved_strip_is_stored_by_a_double_click_and_comes_back_there(self):
        session = self.session
        store = self.store(400, 200, minutes="1")
        program = self.start(store)
        wid = session.wait_window("Form1")
        start = session.geometry(wid)
        self.assertEqual(start, Rect(400, 200, STRIP_WIDTH, STRIP_HEIGHT))

        # A drag in big uneven jumps, each short of the strip's edge as seen from the grab in its middle:
        # sway 1.7 hands the pointer to whatever lies under it, held button or not, when that is not an
        # X window it manages, and sends no motion while the pointer's place on the window is unchanged.
        steps = [(30, 15), (-12, 18), (45, 6), (60, -12), (8, 17), (35, 4), (5, 7), (-9, 3)] * 2

        def kept_up(i: int) -> None:
            # Each jump is one event, however long it took: on a busy machine the strip may need a moment
            # to follow, and the next jump from the strip's old place could clear its edge.
            dx, dy = sum(s[0] for s in steps[:i + 1]), sum(s[1] for s in steps[:i + 1])
            wanted = Rect(start.x + dx, start.y + dy, STRIP_WIDTH, STRIP_HEIGHT)
            wait_until(lambda: session.geometry(wid) == wanted, 5, interval=0.02,
                       message=f"the strip to follow jump {i} to {wanted}")
            time.sleep(0.05)  # and the compositor to take the X window's new place

        session.pointer.drag(self.strip_point(start), steps, after_step=kept_up)
        moved = Rect(start.x + sum(dx for dx, _ in steps), start.y + sum(dy for _, dy in steps),
                     STRIP_WIDTH, STRIP_HEIGHT)
        wait_until(lambda: session.geometry(wid) == moved, 5,
                   message=f"the strip at {moved}, not {session.geometry(wid)}")
        self.wait_reading(moved, lambda r: is_overtime(r))

        time.sleep(0.6)  # past the double-click interval: the drag's release must not count as a click
        session.pointer.double_click(*self.strip_point(moved))
        panel = session.wait_window(PANEL)
        session.wait_no_window("Form1")
        self.assertEqual((program.settings()["left"], program.settings()["top"]),
                         (str(moved.x * TWIPS), str(moved.y * TWIPS)))
        # The panel is a window of the compositor's, focused, and on the screen.
        view = session.wait_view(lambda v: v.get("name") == PANEL and v.get("focused"), message="the focused panel")
        self.assertEqual(view["shell"], "xwayland")
        frame = session.geometry(panel)
        self.assertTrue(0 <= frame.x and frame.right <= 1280 and 0 <= frame.y and frame.bottom <= 800, frame)
        self.wait_settled(program, 0.5)
        self.snapshot("panel", crop=frame.grown(10))

        # 开始计时 puts the strip at the stored place, counting down in green.
        session.pointer.click(frame.x + START_BUTTON[0], frame.y + START_BUTTON[1])
        wid = session.wait_window("Form1")
        started = Rect(moved.x, moved.y, COMPACT_WIDTH, STARTED_HEIGHT)
        self.assertEqual(session.geometry(wid), started)
        self.wait_reading(started, is_green, layout="compact")
        self.snapshot("started", crop=started.grown(20))

        # So does the next start of the program.
        session.stop_program(program)
        session.wait_no_window("Form1")
        self.start(store)
        wid = session.wait_window("Form1")
        self.assertEqual(session.geometry(wid), Rect(moved.x, moved.y, STRIP_WIDTH, STRIP_HEIGHT))

    def test_popup_menu_opens_on_a_right_click_and_leads_to_the_panel(self):
        session = self.session
        program = self.start(self.store(500, 300))
        wid = session.wait_window("Form1")
        rect = session.geometry(wid)
        point = self.strip_point(rect)
        session.pointer.click(*point, code=BTN_RIGHT)
        popup = session.wait_new_window(program, known=[wid], timeout=10)
        box = session.geometry(popup)
        self.snapshot("menu", crop=box.grown(10))
        # 重新计时, the middle of three items: the strip's place is stored and the panel shows.
        session.pointer.click(box.x + box.w // 2, box.y + box.h // 2)
        session.wait_window(PANEL)
        session.wait_no_window("Form1")
        self.assertEqual((program.settings()["left"], program.settings()["top"]), (str(500 * TWIPS), str(300 * TWIPS)))


class WaylandOnlyDesktopTest(WaylandTestCase):
    """sway without XWayland: the program runs as a Wayland window, says what that costs, and keeps the
    stored place for a later run that can use it."""

    xwayland = False

    def test_says_so_once_runs_and_stores_no_place_it_cannot_know(self):
        session = self.session
        program = self.start(self.store(400, 200))
        view = session.wait_view(lambda v: v.get("pid") == program.pid, message="the strip's window")
        self.assertEqual(view["shell"], "xdg_shell")
        self.assertIn("libqwayland", Path(f"/proc/{program.pid}/maps").read_text())
        self.wait_settled(program, 2)
        lines = [line for line in program.log().splitlines() if line.startswith("talvex:")]
        self.assertEqual(len(lines), 1, program.log())
        self.assertTrue(lines[0].startswith(NO_X_SERVER), lines[0])

        # The compositor placed the window; its face still takes a double click.
        outer, inner = view["rect"], view["window_rect"]
        face = Rect(outer["x"] + inner["x"], outer["y"] + inner["y"], STRIP_WIDTH, STRIP_HEIGHT)
        self.snapshot("wayland-window", crop=face.grown(20))
        time.sleep(0.6)
        session.pointer.double_click(face.x + 30, face.y + 18)
        session.wait_view(lambda v: v.get("name") == PANEL, message="the panel")
        self.wait_settled(program, 0.5)
        self.assertEqual(program.settings(), {"time": "1", "left": str(400 * TWIPS), "top": str(200 * TWIPS)})
        self.snapshot("wayland-panel")


if __name__ == "__main__":
    unittest.main()
