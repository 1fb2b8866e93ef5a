"""What a presenter does with Talvex, step by step, with the real mouse and keyboard: shared by the
end-to-end tests."""

from talvex_e2e import wait_until

TWIPS = 15                              # twips a pixel
PANEL = "Talvex V3.0"
START_BUTTON = (120 + 36, 92 + 14)      # middle of the button faces, client coordinates: away from the rim
EXIT_BUTTON = (200 + 36, 92 + 14)
MORE_LINK = (8 + 48, 92 + 8)            # "点此更多好玩软件"
HOME_LINK = (8 + 30, 112 + 8)           # "talvex.example"
MORE_URL = "https://talvex.example/more/"
HOME_URL = "https://talvex.example/"
MENU_REFRESH, MENU_RESTART, MENU_CLOSE = range(3)   # 刷新, 重新计时, 关闭, top to bottom
MENU_ITEMS = 3
COMPACT_WIDTH, WIDE_WIDTH, STARTED_HEIGHT = 96, 149, 38
BUILT_LEFT, BUILT_TOP = 4200, 2460      # the strip's place on a first run, in twips
UNSET_LEFT = 4000                       # where a started strip goes when no left is stored
SLIDE_COLOUR = (0x30, 0x60, 0xc0)       # the stand-in slide show's one colour, rgb:30/60/c0


def is_green(reading):
    return reading.valid() and reading.colour == "green"


def is_overtime(reading):
    # Under a minute: a fresh strip shows its design-time digits (magenta 22:22:22) until the first tick.
    return reading.valid() and reading.colour == "magenta" and reading.seconds() < 60


class Presenter:
    """Steps for a TalvexTestCase; mix in before it."""

    def open_strip(self, store=None):
        program = self.start_talvex(config_home=store)
        return program, self.session.wait_window("Form1")

    def strip_point(self, wid):
        # Inside the strip in both layouts, on the digits, where the strip takes the mouse.
        rect = self.session.geometry(wid)
        return rect.x + 30, rect.y + 18

    def open_panel(self, wid):
        """Double-clicks the strip; gives the panel once it has the keyboard."""
        session = self.session
        session.double_click(*self.strip_point(wid))
        panel = session.wait_window(PANEL, managed=True)
        session.wait_no_window("Form1")
        wait_until(lambda: session.active_window() == panel, 3, message="the panel to become active")
        return panel

    def panel_click(self, panel, point):
        rect = self.session.geometry(panel)
        self.session.click(rect.x + point[0], rect.y + point[1])

    def panel_text(self):
        """The minutes box's selected text, copied as a person would: whole text selected → whole text."""
        self.session.key("ctrl+c")
        return self.session.selection_text("CLIPBOARD")

    def start_timing(self, panel, minutes=None):
        """Types the minutes over the selected text (None: keeps the text) and presses the start button."""
        session = self.session
        if minutes is not None:
            session.type_text(minutes)
        self.panel_click(panel, START_BUTTON)
        wid = session.wait_window("Form1")
        wait_until(lambda: not session.is_viewable(panel), 3, message="the panel to hide")
        return wid

    def open_menu(self, program, wid):
        session = self.session
        session.right_click(*self.strip_point(wid))
        return session.wait_new_window(program, known=[wid])

    def choose(self, popup, item):
        rect = self.session.geometry(popup)
        self.session.click(rect.x + rect.w // 2, rect.y + rect.h * (2 * item + 1) // (2 * MENU_ITEMS))

    def started(self, minutes, store=None):
        """A program with a strip counting `minutes`, started from the panel."""
        program, wid = self.open_strip(store)
        panel = self.open_panel(wid)
        return program, panel, self.start_timing(panel, minutes)

    def assert_ends_cleanly(self, program):
        code = program.wait(5)
        self.assertEqual(code, 0, program.log())

    # The three ways out, from a program showing its strip.

    def leave_by_menu(self, program, wid):
        self.choose(self.open_menu(program, wid), MENU_CLOSE)

    def leave_by_exit_button(self, program, wid):
        self.panel_click(self.open_panel(wid), EXIT_BUTTON)

    def leave_by_close_box(self, program, wid):
        session = self.session
        panel = self.open_panel(wid)
        frame, client = session.frame_geometry(panel), session.geometry(panel)
        # openbox's close box: the right end of the title bar.
        session.click(client.right - 10, (frame.y + client.y) // 2)
