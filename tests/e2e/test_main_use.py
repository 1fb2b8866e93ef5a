"""A presenter's use of Talvex with the real mouse and keyboard: the panel, the countdown, the menu,
moving the strip, a full-screen slide show, the links and the ways out."""

import time
import unittest

from presenter import (BUILT_LEFT, BUILT_TOP, COMPACT_WIDTH, HOME_LINK, HOME_URL, MENU_REFRESH, MENU_RESTART,
                       MORE_LINK, MORE_URL, PANEL, SLIDE_COLOUR, STARTED_HEIGHT, TWIPS, UNSET_LEFT, WIDE_WIDTH,
                       Presenter, is_green, is_overtime)
from talvex_e2e import Rect, TalvexTestCase, read_settings, wait_until, write_settings


class MainUseTest(Presenter, TalvexTestCase):

    def test_main_road_from_first_run_through_panel_to_countdown_and_overtime(self):
        session = self.session
        program, wid = self.open_strip()

        timed = session.wait_reading(wid, lambda r: is_overtime(r) and r.seconds() >= 3, timeout=6)
        session.save(timed.image, "strip", crop=timed.window.grown(8))

        # A plain click starts the count again from the preset, 0 before any start: overtime from 1.
        session.click(*self.strip_point(wid))
        session.wait_reading(wid, lambda r: is_overtime(r) and r.text == "00:00:01", timeout=2.5)
        time.sleep(0.6)  # well past the double-click interval, so the next click is not its second half

        panel = self.open_panel(wid)
        self.assertEqual(program.settings(), {"left": str(BUILT_LEFT), "top": str(BUILT_TOP)})
        image = session.screenshot()
        frame, client = session.frame_geometry(panel), session.geometry(panel)
        session.save(image, "panel", crop=frame.grown(6))
        # Centred on the screen by the panel's own size in twips.
        left = ((session.size[0] * TWIPS - 4260) / 2 - 150) / TWIPS
        top = ((session.size[1] * TWIPS - 2085) / 2 - 450) / TWIPS
        self.assertTrue(any(abs(r.x - left) <= 1 and abs(r.y - top) <= 1 for r in (frame, client)),
                        f"panel frame {frame}, client {client}, expected near ({left}, {top})")
        self.assertEqual(self.panel_text(), "30")

        wid = self.start_timing(panel, "0.05")
        self.assertEqual(session.geometry(wid), Rect(280, 164, COMPACT_WIDTH, STARTED_HEIGHT))
        self.assertEqual(program.settings().get("time"), "0.05")

        # Every second from the start: down in green to 00:00, then overtime up in magenta. Each change
        # is recorded as [count, negative in overtime; first and last capture showing it].
        clicked = time.monotonic()
        shown = []
        while not (shown and shown[-1][0] <= -2):
            self.assertLess(time.monotonic() - clicked, 8, f"no 00:02 in magenta; shown {shown}")
            timed = session.read_timer(wid, "compact")
            reading = timed.reading
            # A capture taken while the digits are being redrawn proves nothing either way.
            if reading.valid() and reading.colour in ("green", "magenta"):
                self.assertFalse(reading.text == "00:00" and reading.colour == "magenta", reading.describe())
                value = reading.seconds() if reading.colour == "green" else -reading.seconds()
                if shown and shown[-1][0] == value:
                    shown[-1][2] = timed.at
                else:
                    shown.append([value, timed.at, timed.at])
                if reading.text == "00:01" and reading.colour == "green":
                    session.save(timed.image, "strip-compact", crop=timed.window.grown(8))
            time.sleep(0.05)
        history = [(v, round(first - clicked, 2)) for v, first, _ in shown]
        # One second at a time; a step may only be longer when no capture was taken for over a second.
        previous = [3, clicked, clicked]
        for current in shown:
            gap = current[1] - previous[2]
            most = 1 if gap < 1 else 1 + int(gap)
            least = 0 if previous[1] == clicked else 1
            self.assertTrue(least <= previous[0] - current[0] <= most, f"{previous} → {current}: {history}")
            previous = current
        self.assertTrue(program.is_running(), program.log())

    def test_menu_refresh_starts_the_count_again_from_the_set_minutes(self):
        session = self.session
        program, _, wid = self.started("0.05")
        session.wait_reading(wid, is_overtime, timeout=6, layout="compact")

        popup = self.open_menu(program, wid)
        image = session.screenshot()
        strip, menu = session.geometry(wid), session.geometry(popup)
        x, y = min(strip.x, menu.x), min(strip.y, menu.y)
        both = Rect(x, y, max(strip.right, menu.right) - x, max(strip.bottom, menu.bottom) - y)
        session.save(image, "popup-menu", crop=both.grown(8))
        self.snapshot("popup-menu-screen", image=image)

        self.choose(popup, MENU_REFRESH)
        session.wait_reading(wid, lambda r: is_green(r) and r.seconds() <= 3, timeout=2.5, layout="compact")
        wait_until(lambda: popup not in session.program_windows(program), 2, message="the menu to close")
        self.assertTrue(program.is_running(), program.log())

    def test_menu_restart_returns_to_the_panel_and_the_layout_follows_the_minutes(self):
        session = self.session
        program, panel, wid = self.started("0.05")
        # Moved first, so that the stored place can only come from this strip.
        before = session.geometry(wid)
        start = self.strip_point(wid)
        session.drag(start, (start[0] + 100, start[1] + 50))
        place = Rect(before.x + 100, before.y + 50, before.w, before.h)
        wait_until(lambda: session.geometry(wid) == place, 3, message=f"the strip to follow the drag to {place}")

        self.choose(self.open_menu(program, wid), MENU_RESTART)
        session.wait_no_window("Form1")
        self.assertEqual(session.wait_window(PANEL, managed=True), panel)
        wait_until(lambda: session.active_window() == panel, 3, message="the panel to become active")
        settings = program.settings()
        self.assertEqual((settings.get("left"), settings.get("top")),
                         (str(place.x * TWIPS), str(place.y * TWIPS)))
        self.assertEqual(self.panel_text(), "0.05")

        # Start again with the text the panel kept, then with longer talks: from 61 minutes on the hours show.
        cases = [(None, "0.05", "compact", COMPACT_WIDTH, 3),
                 ("60", "60", "compact", COMPACT_WIDTH, 60 * 60),
                 ("61", "61", "wide", WIDE_WIDTH, 61 * 60)]
        for typed, stored, layout, width, preset in cases:
            with self.subTest(minutes=typed):
                wid = self.start_timing(panel, typed)
                self.assertEqual(session.geometry(wid), Rect(place.x, place.y, width, STARTED_HEIGHT))
                timed = session.wait_reading(wid, is_green, timeout=2.5, layout=layout)
                # The first tick comes at once; a slow capture may see the second one.
                self.assertIn(timed.reading.seconds(), range(preset - 2, preset + 1), timed.reading.describe())
                self.assertEqual(program.settings().get("time"), stored)
                self.choose(self.open_menu(program, wid), MENU_RESTART)
                session.wait_no_window("Form1")
                wait_until(lambda: session.active_window() == panel, 3, message="the panel to become active")
        self.assertTrue(program.is_running(), program.log())

    def test_drag_moves_the_strip_and_the_next_start_puts_it_there(self):
        # (label, drag distance, place after the drag, place of the started strip)
        cases = [("elsewhere", (150, 90), (430, 254), (430, 254)),
                 # Left 0 counts as no place stored, so the started strip goes to the default left.
                 ("top-left corner", (-280, -164), (0, 0), (round(UNSET_LEFT / TWIPS), 0))]
        session = self.session
        for label, (dx, dy), moved, placed in cases:
            with self.subTest(label):
                program, wid = self.open_strip()
                x, y = self.strip_point(wid)
                session.drag((x, y), (x + dx, y + dy))
                wait_until(lambda: (session.geometry(wid).x, session.geometry(wid).y) == moved, 3,
                           message=f"the strip to follow the drag to {moved}")
                time.sleep(0.6)  # the drag's release must not pair with the double click

                panel = self.open_panel(wid)
                settings = program.settings()
                self.assertEqual((settings.get("left"), settings.get("top")),
                                 (str(moved[0] * TWIPS), str(moved[1] * TWIPS)))
                wid = self.start_timing(panel, "0.05")
                self.assertEqual(session.geometry(wid), Rect(*placed, COMPACT_WIDTH, STARTED_HEIGHT))
                session.wait_reading(wid, is_green, timeout=2.5, layout="compact")
                session.stop_program(program)

    def focused_slide_show(self):
        """A slide show in one flat colour, put full screen and focused after the strip is up."""
        session = self.session
        slide = session.spawn_client(["xlogo", "-bg", "rgb:30/60/c0", "-fg", "rgb:30/60/c0"])
        self.addCleanup(session.end_client, slide)
        show = session.wait_window("xlogo", managed=True)
        session.make_fullscreen(show)
        session.activate(show)
        wait_until(lambda: session.active_window() == show, 3, message="the slide show to be active")
        return show

    def assert_readable_above(self, wid, show, covering, background, label, timeout):
        """The strip's digits show over the window `covering`, and the slide show keeps the keyboard."""
        session = self.session
        timed = session.wait_reading(wid, is_overtime, timeout=timeout)
        self.snapshot(label, image=timed.image)
        strip = timed.window
        around = {timed.image.pixel(x, y) for x, y in ((strip.x - 3, strip.y + 10), (strip.right + 3, strip.y + 10),
                                                       (strip.x + 20, strip.bottom + 3), (5, 5))}
        self.assertEqual(around, {background}, "the strip's surroundings are not the covering window")
        self.assertTrue(session.stacked_above(wid, covering), session.server_stacking_order())
        # Keeping the strip in front never takes the keyboard from the slide show.
        self.assertEqual(session.active_window(), show)
        self.assertEqual(session.input_focus(), show)
        return timed.reading.seconds()

    def test_strip_stays_readable_above_a_focused_full_screen_window(self):
        session = self.session
        program, wid = self.open_strip()
        session.wait_reading(wid, is_overtime, timeout=3)
        show = self.focused_slide_show()
        first = self.assert_readable_above(wid, show, show, SLIDE_COLOUR, "fullscreen-covered", timeout=1.5)

        # The presenter clicks the slide, and the window manager raises it; a while later, still above.
        session.click(900, 600)
        time.sleep(1.5)
        later = self.assert_readable_above(wid, show, show, SLIDE_COLOUR, "fullscreen-later", timeout=1)
        self.assertGreater(later, first)
        self.assertTrue(program.is_running(), program.log())

    def test_strip_comes_back_on_top_of_a_window_stacked_over_it(self):
        # openbox never stacks its own windows over an unmanaged one, but a window that bypasses the
        # window manager (some slide shows and screen savers do), or another window manager, can.
        session = self.session
        program, wid = self.open_strip()
        session.wait_reading(wid, is_overtime, timeout=3)
        show = self.focused_slide_show()
        cover_colour = (0x80, 0x20, 0x20)
        with session.xlib() as x:
            cover = x.cover(Rect(0, 0, *session.size[:2]), cover_colour)
            try:
                wait_until(lambda: session.stacked_above(wid, cover), 1,
                           message="the strip to come back above a full-screen window mapped over it")
            except AssertionError:
                self.snapshot("still-covered")  # the failure screenshot comes after the cover is gone
                raise
            self.assert_readable_above(wid, show, cover, cover_colour, "fullscreen-uncovered", timeout=1)
        self.assertTrue(program.is_running(), program.log())

    def test_each_link_opens_its_address_in_the_browser_once_per_click(self):
        session = self.session
        program, wid = self.open_strip()
        panel = self.open_panel(wid)
        expected = []
        for point, url in ((MORE_LINK, MORE_URL), (HOME_LINK, HOME_URL), (MORE_LINK, MORE_URL)):
            self.panel_click(panel, point)
            expected.append(url)
            wait_until(lambda: len(program.browser_calls()) >= len(expected), 5,
                       message=f"the browser to be asked for {url}")
            time.sleep(0.6)  # a second click soon after would make a double click
        self.assertEqual(program.browser_calls(), expected)
        self.assertTrue(session.is_viewable(panel))
        self.assertTrue(program.is_running(), program.log())

    def test_every_way_out_ends_the_program_and_counts_the_exit_once(self):
        session = self.session
        cases = [("menu 关闭", self.leave_by_menu, None, "1"),
                 ("exit button", self.leave_by_exit_button, None, "1"),
                 ("close box", self.leave_by_close_box, None, "1"),
                 ("exit button, counted before", self.leave_by_exit_button, "29", "30")]
        for label, leave, before, after in cases:
            with self.subTest(label):
                store = session.fresh_store()
                if before is not None:
                    write_settings(store, {"cs": before})
                program, wid = self.open_strip(store)
                session.wait_reading(wid, is_overtime, timeout=3)
                leave(program, wid)
                self.assert_ends_cleanly(program)
                self.assertEqual(read_settings(store).get("cs"), after)


if __name__ == "__main__":
    unittest.main()
