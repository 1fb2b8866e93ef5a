"""Dragging the strip with a pointer that moves in big jumps, as a fast hand or a tablet pen does: the
strip ends exactly where the pointer puts it, and a double click stores that place."""

import time

from presenter import TWIPS, Presenter
from talvex_e2e import Rect, TalvexTestCase, wait_until


class BigStepDragTest(Presenter, TalvexTestCase):

    def test_strip_follows_a_pointer_that_jumps(self):
        session = self.session
        program, wid = self.open_strip()
        # (dx, dy) of the whole drag and the number of pointer events it takes: one jump of hundreds of
        # pixels, a few jumps of a hundred and more, and jumps of 40 to 50 pixels.
        drags = [((300, 200), 1), ((-260, 120), 3), ((-40, -300), 6)]
        for (dx, dy), steps in drags:
            with self.subTest(dx=dx, dy=dy, steps=steps):
                start = session.geometry(wid)
                grab = self.strip_point(wid)
                session.drag(grab, (grab[0] + dx, grab[1] + dy), steps=steps)
                moved = Rect(start.x + dx, start.y + dy, start.w, start.h)
                wait_until(lambda: session.geometry(wid) == moved, 3,
                           message=f"the strip at {moved}, not {session.geometry(wid)}")
                time.sleep(0.6)  # past the double-click interval before the next press

        final = session.geometry(wid)
        self.open_panel(wid)
        self.assertEqual((program.settings()["left"], program.settings()["top"]),
                         (str(final.x * TWIPS), str(final.y * TWIPS)))
