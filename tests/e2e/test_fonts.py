"""The strip costs no font: the real program, on the X11 platform it runs on, maps no font file and no
fontconfig cache until it shows a caption, the popup menu's or the panel's."""

import unittest

from presenter import PANEL, Presenter
from talvex_e2e import TalvexTestCase, mapped_fonts, wait_until


class FontsTest(Presenter, TalvexTestCase):

    def counting_strip(self):
        """A program whose strip has shown a few of its seconds."""
        program, wid = self.open_strip()
        session = self.session
        first = session.wait_reading(wid, lambda r: r.valid() and r.text != "22:22:22", timeout=5)
        session.wait_reading(wid, lambda r: r.valid() and r.seconds() >= first.reading.seconds() + 2, timeout=8)
        return program, wid

    def test_no_font_until_a_caption_shows(self):
        def by_menu(program, wid):
            self.open_menu(program, wid)

        def by_panel(program, wid):
            self.open_panel(wid)
            self.session.wait_window(PANEL, managed=True)

        for name, show_caption in (("menu", by_menu), ("panel", by_panel)):
            with self.subTest(name):
                program, wid = self.counting_strip()
                self.assertEqual(mapped_fonts(program.pid), [])
                show_caption(program, wid)
                wait_until(lambda: mapped_fonts(program.pid), 5,
                           message=f"a font to be mapped once the {name} shows")
                self.snapshot(f"{name}-shown")
                self.session.stop_program(program)


if __name__ == "__main__":
    unittest.main()
