"""The timer window of a first run: where it appears, how it counts, and how it sits on the desktop."""

import time
import unittest

from talvex_e2e import Rect, TalvexTestCase, hms, wait_until

BUILT_PLACE = Rect(280, 164, 151, 40)   # Left 4200, Top 2460, 2265 x 600 twips at 15 twips a pixel


class RunningClockTest(TalvexTestCase):

    def open_timer(self):
        program = self.start_talvex()
        wid = self.session.wait_window("Form1")
        return program, wid

    def test_first_run_shows_the_timer_at_its_built_place(self):
        program, wid = self.open_timer()
        session = self.session

        self.assertEqual(session.geometry(wid), BUILT_PLACE)
        # No title bar or border: the outer rectangle on screen is the strip window itself.
        self.assertEqual(session.frame_geometry(wid), BUILT_PLACE)
        self.assertEqual(session.wm_class(wid)[0], "talvex")
        self.assertTrue(program.is_running(), program.log())

    def test_first_run_counts_overtime_up_once_a_second_in_magenta(self):
        program, wid = self.open_timer()
        session = self.session
        seen = []

        def record(timed):
            seen.append(f"{timed.at - started:5.2f}s {timed.reading.describe()}")
            return timed

        def first_second(reading):
            seen.append(f"{time.monotonic() - started:5.2f}s {reading.describe()}")
            return reading.text in ("00:00:01", "00:00:02")

        # A fresh store has no time set, so the first tick is already overtime. What shows before
        # that tick is left open; only the count from then on is checked.
        started = time.monotonic()
        first = session.wait_reading(wid, first_second, timeout=5)
        self.snapshot("first-reading", crop=first.window.grown(8), scale=4, image=first.image)

        # Poll for the next change; the second boundary lies between the last old and the first new reading.
        last_old = first
        while True:
            current = record(session.read_timer(wid))
            if current.reading.text != first.reading.text:
                break
            last_old = current
            self.assertLess(current.at - first.at, 2.5, "the count did not change:\n" + "\n".join(seen))
        boundary = (last_old.at + current.at) / 2

        # Further readings half a second past each boundary, away from the moment the digits change.
        readings = [first, current]
        for k in range(1, 4):
            time.sleep(max(0.0, boundary + 0.5 + k - time.monotonic()))
            readings.append(record(session.read_timer(wid)))
        self.snapshot("last-reading", crop=readings[-1].window.grown(8), scale=4, image=readings[-1].image)
        self.snapshot("last-reading-screen", image=readings[-1].image)

        history = "\n".join(seen)
        start = readings[0].reading.seconds()
        self.assertEqual([r.reading.text for r in readings],
                         [hms(start + i) for i in range(len(readings))], history)
        for timed in readings:
            self.assertEqual(timed.reading.colour, "magenta", history)
            self.assertEqual([c.colour for c in timed.reading.colons], ["magenta", "magenta"], history)
        self.assertTrue(program.is_running(), program.log())

    def test_timer_has_no_taskbar_entry_and_stays_above(self):
        program, wid = self.open_timer()
        session = self.session

        state = session.net_wm_state(wid)
        types = session.window_types(wid)
        override = session.is_override_redirect(wid)
        hints = f"_NET_WM_STATE={state} _NET_WM_WINDOW_TYPE={types} override-redirect={override}"
        # A window the window manager does not manage (override-redirect) gets no taskbar entry either.
        self.assertTrue("_NET_WM_STATE_SKIP_TASKBAR" in state or "_NET_WM_WINDOW_TYPE_UTILITY" in types
                        or override, hints)
        # The window manager keeps a managed window above; an override-redirect one keeps itself above.
        self.assertTrue("_NET_WM_STATE_ABOVE" in state or override, hints)

        # A person clicks another window that covers the timer: the timer must still be seen on top.
        # xlogo takes the focus when clicked (xclock would not).
        session.spawn_client(["xlogo", "-geometry", "400x200+200+100"])
        cover = session.wait_window("xlogo", managed=True)
        cover_rect = session.geometry(cover)
        session.click(cover_rect.x + 300, cover_rect.y + 150)
        wait_until(lambda: session.active_window() == cover, 3, message="the clicked window to become active")

        timed = session.wait_reading(wid, lambda r: r.valid() and r.colour == "magenta", timeout=3)
        self.snapshot("timer-over-active-window", image=timed.image)
        # The X server's own order: an override-redirect timer is in no window manager list.
        wait_until(lambda: session.stacked_above(wid, cover), 2,
                   message=f"the timer above the clicked window ({hints})")
        self.assertTrue(program.is_running(), program.log())


if __name__ == "__main__":
    unittest.main()
