"""Talvex on whatever machine and settings it finds: damaged or unwritable settings, no display, two
copies at once. It must never crash, hang, lose its stored values or show an error on the way out."""

import os
import random
import subprocess
import tempfile
import time
import unittest
from pathlib import Path

from presenter import (COMPACT_WIDTH, MENU_RESTART, PANEL, STARTED_HEIGHT, TWIPS, UNSET_LEFT, Presenter, is_green,
                       is_overtime)
from talvex_e2e import SETTINGS_FILE, Rect, TalvexTestCase, read_settings, talvex_exe, wait_until, write_settings


def settings_path(store: Path) -> Path:
    return store / SETTINGS_FILE


def seed(store: Path, content: bytes) -> bytes:
    settings_path(store).write_bytes(content)
    return content


def other_programs_keys(content: bytes) -> dict:
    """The keys of the section [other] in a settings file's content."""
    with tempfile.TemporaryDirectory() as folder:
        seed(Path(folder), content)
        return read_settings(folder, section="other")


class NoDisplayTest(unittest.TestCase):
    """Started where there is no display to show anything on."""

    def free_display(self) -> str:
        for number in range(700, 800):
            if not Path(f"/tmp/.X11-unix/X{number}").exists() and not Path(f"/tmp/.X{number}-lock").exists():
                return f":{number}"
        self.skipTest("no free display number")

    def test_says_why_in_one_line_and_exits_with_an_error_status(self):
        env = {k: v for k, v in os.environ.items() if k not in ("DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM")}
        cases = [("a display nobody serves", {"DISPLAY": self.free_display()}),
                 ("no display set", {}),
                 ("no such window system", {"DISPLAY": self.free_display(), "QT_QPA_PLATFORM": "nonexistent"})]
        for label, extra in cases:
            with self.subTest(label), self.subTest(extra=extra):
                folder = Path(self.enterContext(tempfile.TemporaryDirectory()))
                result = subprocess.run([talvex_exe()], env={**env, **extra, "XDG_CONFIG_HOME": str(folder)},
                                        cwd=folder, stdin=subprocess.DEVNULL, capture_output=True, timeout=20)
                err = result.stderr.decode(errors="replace")
                # A plain error status: not a signal (an abort would be -6) and no core file left behind.
                self.assertEqual(result.returncode, 1, err)
                lines = err.splitlines()
                self.assertEqual(len(lines), 1, err)
                self.assertTrue(lines[0].startswith("talvex: cannot start without a usable display"), err)
                self.assertEqual(list(folder.iterdir()), [], "nothing is written, no core file")


class ReliabilityTest(Presenter, TalvexTestCase):

    # -- damaged settings ----------------------------------------------------------------------

    def test_damaged_settings_start_run_and_exit_normally(self):
        session = self.session
        noise = random.Random(20261209).randbytes(4096)
        big = b"[quorvy]\ntime=12\n[other]\n" + b"".join(
            b"key%d=a value of another program %d\n" % (i, i) for i in range(26000))
        self.assertGreater(len(big), 1024 * 1024)
        # (label, file, minutes the panel shows, can it be rewritten, what the run leaves stored)
        cases = [
            ("random bytes", noise, "30", False, None),
            ("1 MB", big, "12", True, {"time": "12", "cs": "1", "left": "4200", "top": "2460"}),
            ("not UTF-8", b"[quorvy]\ntime=\xff45\n[other]\nname=caf\xe9\n", "30", False, None),
            ("a comma", b"[quorvy]\ntime=1,5\n[other]\nkeep=me\n", "1", True,
             {"time": "1", "cs": "1", "left": "4200", "top": "2460"}),
            # A place nobody could reach: the strip starts at the default place, and that is stored.
            ("out of range", b"[quorvy]\ntop=99999\nleft=1e300\ncs=40000\n[other]\nkeep=me\n", "30", True,
             {"time": "30", "cs": "1", "left": "4000", "top": "0"}),
            ("counter at its limit", b"[quorvy]\ncs=32767\n", "30", True,
             {"time": "30", "cs": "30", "left": "4200", "top": "2460"}),
        ]
        for label, content, shown, rewritable, stored in cases:
            with self.subTest(label):
                store = session.fresh_store()
                seed(store, content)
                program, wid = self.open_strip(store)
                session.wait_reading(wid, is_overtime, timeout=3)
                panel = self.open_panel(wid)
                self.assertEqual(self.panel_text(), shown)
                wid = self.start_timing(panel)
                session.wait_reading(wid, is_green, timeout=2.5, layout="compact")
                self.leave_by_menu(program, wid)
                self.assertEqual(program.wait(5), 0, program.log())
                after = settings_path(store).read_bytes()
                if not rewritable:
                    self.assertEqual(after, content, "a file that cannot be read whole is left as it was")
                    continue
                values = read_settings(store)
                # What the run stored, the place of the double click among it, and every key of
                # other programs.
                for key, value in stored.items():
                    self.assertEqual(values.get(key), value, key)
                self.assertEqual(read_settings(store, section="other"), other_programs_keys(content))

    # -- a lost strip --------------------------------------------------------------------------

    def test_a_strip_stored_off_every_screen_comes_back_to_the_default_place(self):
        session = self.session
        program, wid = self.open_strip()
        panel = self.open_panel(wid)
        width = session.size[0]
        home = Rect(round(UNSET_LEFT / TWIPS), 0, COMPACT_WIDTH, STARTED_HEIGHT)
        # (stored left and top in twips, where the strip shows): 8 pixels on the screen are too few to take
        # with the mouse, 20 are enough and keep it there.
        cases = [(width * TWIPS, 1200, home), (3000, -600, home), ((width - 8) * TWIPS, 1200, home),
                 ((width - 20) * TWIPS, 1200, Rect(width - 20, 80, COMPACT_WIDTH, STARTED_HEIGHT))]
        for left, top, shown in cases:
            with self.subTest(left=left, top=top):
                # As a monitor unplugged or a hand edit would leave it, while the panel is open.
                values = read_settings(program.config_home)
                values.update({"left": str(left), "top": str(top)})
                write_settings(program.config_home, values)
                wid = self.start_timing(panel, "0.05")
                self.assertEqual(session.geometry(wid), shown)
                if shown == home:
                    session.wait_reading(wid, is_green, timeout=2.5, layout="compact")
                    self.choose(self.open_menu(program, wid), MENU_RESTART)
                    self.assertEqual(session.wait_window(PANEL, managed=True), panel)
        self.assertTrue(program.is_running(), program.log())

    # -- a store that cannot be written --------------------------------------------------------

    def test_a_store_that_cannot_be_written_still_times_and_every_exit_is_silent(self):
        session = self.session

        def folder_in_its_place(store):
            settings_path(store).mkdir()
            return {}

        def full_disk(store):
            seed(store, b"[quorvy]\ntime=12\n")
            return {"file_size_limit": 0}

        for blocked, shown in ((folder_in_its_place, "30"), (full_disk, "12")):
            for leave in (self.leave_by_menu, self.leave_by_exit_button, self.leave_by_close_box):
                with self.subTest(store=blocked.__name__, way_out=leave.__name__):
                    store = session.fresh_store()
                    limits = blocked(store)
                    before = {p.name: p.read_bytes() if p.is_file() else None for p in store.iterdir()}
                    program = self.start_talvex(config_home=store, **limits)
                    wid = session.wait_window("Form1")
                    session.wait_reading(wid, is_overtime, timeout=3)
                    if leave == self.leave_by_menu:
                        # The whole round first: the position and the minutes cannot be stored, and
                        # nothing stops the presenter.
                        panel = self.open_panel(wid)
                        self.assertEqual(self.panel_text(), shown)
                        wid = self.start_timing(panel, "0.05")
                        session.wait_reading(wid, is_green, timeout=2.5, layout="compact")
                        self.choose(self.open_menu(program, wid), MENU_RESTART)
                        self.assertEqual(session.wait_window(PANEL, managed=True), panel)
                        wid = self.start_timing(panel)
                        session.wait_reading(wid, is_green, timeout=2.5, layout="compact")
                    leave(program, wid)
                    # An error box would hold the program open; it ends at once instead.
                    self.assertEqual(program.wait(5), 0, program.log())
                    after = {p.name: p.read_bytes() if p.is_file() else None for p in store.iterdir()}
                    self.assertEqual(after, before)

    # -- two copies at once --------------------------------------------------------------------

    def test_two_copies_leaving_at_the_same_moment_keep_the_file_whole(self):
        session = self.session
        store = session.fresh_store()
        seed(store, b"[quorvy]\ntime=12\n[other]\nkeep=me\n")
        for round_ in range(8):
            with self.subTest(round=round_):
                # Both strips start at the same place and each keeps raising itself, so the first is
                # dragged aside before the second comes up.
                first = self.start_talvex(config_home=store)
                wid = session.wait_window("Form1")
                session.wait_reading(wid, is_overtime, timeout=3)
                x, y = self.strip_point(wid)
                session.drag((x, y), (x, y + 100))
                wait_until(lambda: session.geometry(wid).y == 164 + 100, 3, message="the first strip to move")
                second = self.start_talvex(config_home=store)
                copies = (first, second)
                strips = [wid, wait_until(lambda: next(iter(session.program_windows(second)), None), 10,
                                          message="the second copy's strip")]
                session.wait_reading(strips[1], is_overtime, timeout=3)

                def panels():
                    return [w for p in copies for w in session.program_windows(p) if session.window_title(w) == PANEL]

                for opened, strip in enumerate(strips, start=1):
                    time.sleep(0.6)  # a double click must not pair with the click before it
                    session.double_click(*self.strip_point(strip))
                    wait_until(lambda: len(panels()) == opened, 5, message=f"{opened} panels")
                with session.xlib() as x:
                    x.ask_to_close(*panels())
                self.assertEqual((first.wait(5), second.wait(5)), (0, 0), first.log() + second.log())
                values = read_settings(store)
                count = int(values["cs"])
                self.assertTrue(1 <= count <= 30, values)
                self.assertEqual(values["time"], "12")
                self.assertIn(b"keep=me", settings_path(store).read_bytes())
        # Two exits a round; an exit may only be lost to the other copy's write at the same moment.
        self.assertGreaterEqual(count, 8)


if __name__ == "__main__":
    unittest.main()
