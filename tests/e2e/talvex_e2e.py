"""End-to-end harness: drives the real Talvex executable under Xvfb and openbox as a presenter would.

Environment:
    TALVEX_EXE        path of the built executable (required by the tests that start it)
    TALVEX_ARTIFACTS  folder for screenshots and program logs (created; a temporary one if unset)

Typical use:

    class MyTest(TalvexTestCase):
        def test_something(self):
            program = self.start_talvex()            # fresh store, browser stand-in on PATH
            wid = self.session.wait_window("Form1")
            rect = self.session.geometry(wid)
            reading = read_strip(self.session.screenshot(), rect)
            self.session.click(rect.x + 20, rect.y + 20)

Each TalvexTestCase class gets its own X display, window manager and temporary folder; each
start_talvex() call gets its own settings store unless one is passed in. Everything the harness
starts is ended in the class and test clean-ups, also when a test fails or errors.
"""

from __future__ import annotations

import atexit
import configparser
import ctypes
import ctypes.util
import dataclasses
import os
import re
import resource
import select
import shutil
import signal
import struct
import subprocess
import sys
import tempfile
import time
import unittest
import zlib
from pathlib import Path
from typing import Callable, Iterable, Optional, Sequence

SCREEN_WIDTH = 1280
SCREEN_HEIGHT = 800
SETTINGS_FILE = "quorvy.conf"
SETTINGS_SECTION = "quorvy"

# Names under which a desktop program may look for a web browser; all record instead of browsing.
BROWSER_NAMES = ("xdg-open", "x-www-browser", "www-browser", "sensible-browser", "firefox", "chromium",
                 "chromium-browser", "google-chrome", "gnome-open", "kde-open")

IMPORT = "/usr/bin/import"  # ImageMagick by absolute path: a stand-in of its tools may come first on PATH


class HarnessError(AssertionError):
    """The environment or the program did not do what the harness waited for."""


# ---------------------------------------------------------------------------------------------
# Small helpers

def wait_until(predicate: Callable[[], object], timeout: float, interval: float = 0.1,
               message: str = "condition") -> object:
    """Polls until predicate() gives something truthy and returns it; raises HarnessError on timeout."""
    deadline = time.monotonic() + timeout
    last_error: Optional[BaseException] = None
    while True:
        try:
            value = predicate()
            if value:
                return value
        except (subprocess.SubprocessError, OSError, ValueError) as error:
            last_error = error
        if time.monotonic() >= deadline:
            detail = f" (last error: {last_error})" if last_error else ""
            raise HarnessError(f"timed out after {timeout:.1f}s waiting for {message}{detail}")
        time.sleep(interval)


def artifacts_dir() -> Path:
    folder = os.environ.get("TALVEX_ARTIFACTS")
    if not folder:
        folder = os.path.join(tempfile.gettempdir(), "talvex-e2e-artifacts")
    path = Path(folder)
    path.mkdir(parents=True, exist_ok=True)
    return path


def talvex_exe() -> str:
    exe = os.environ.get("TALVEX_EXE", "")
    if not exe:
        raise unittest.SkipTest("TALVEX_EXE is not set")
    if not os.access(exe, os.X_OK):
        raise HarnessError(f"TALVEX_EXE={exe} is not an executable file")
    return exe


def _safe_name(text: str) -> str:
    return re.sub(r"[^A-Za-z0-9_.-]+", "_", text).strip("_")[:120] or "shot"


def _die_with_parent() -> None:
    # Children must not outlive a harness that is killed outright (e.g. by a CTest timeout).
    try:
        import ctypes
        libc = ctypes.CDLL(None, use_errno=True)
        pr_set_pdeathsig = 1
        libc.prctl(pr_set_pdeathsig, signal.SIGKILL)
    except Exception:  # pragma: no cover - best effort outside Linux
        pass


def _kill_group(process: subprocess.Popen, grace: float = 3.0) -> None:
    """Ends a child that was started in its own session, together with whatever it started."""
    if process.poll() is None:
        try:
            os.killpg(process.pid, signal.SIGTERM)
        except ProcessLookupError:
            pass
        try:
            process.wait(timeout=grace)
        except subprocess.TimeoutExpired:
            pass
    # The leader may be gone while children it started still hold the group.
    try:
        os.killpg(process.pid, signal.SIGKILL)
    except (ProcessLookupError, PermissionError):
        pass
    try:
        process.wait(timeout=grace)
    except subprocess.TimeoutExpired:  # pragma: no cover - a zombie that will not be reaped
        pass


# ---------------------------------------------------------------------------------------------
# Pictures

@dataclasses.dataclass(frozen=True)
class Rect:
    x: int
    y: int
    w: int
    h: int

    @property
    def right(self) -> int:
        return self.x + self.w

    @property
    def bottom(self) -> int:
        return self.y + self.h

    def centre(self) -> tuple[int, int]:
        return self.x + self.w // 2, self.y + self.h // 2

    def grown(self, margin: int) -> "Rect":
        return Rect(self.x - margin, self.y - margin, self.w + 2 * margin, self.h + 2 * margin)


class Image:
    """An RGB picture, 3 bytes a pixel, rows top to bottom."""

    def __init__(self, width: int, height: int, data: bytes):
        if len(data) != width * height * 3:
            raise ValueError(f"{width}x{height} RGB needs {width * height * 3} bytes, got {len(data)}")
        self.width = width
        self.height = height
        self.data = data

    def pixel(self, x: int, y: int) -> tuple[int, int, int]:
        if not (0 <= x < self.width and 0 <= y < self.height):
            return (0, 0, 0)  # off-screen parts of a window read as black, like the margin
        i = (y * self.width + x) * 3
        return self.data[i], self.data[i + 1], self.data[i + 2]

    def crop(self, rect: Rect) -> "Image":
        rows = []
        for y in range(rect.y, rect.bottom):
            if 0 <= y < self.height:
                row = bytearray(rect.w * 3)
                for x in range(max(rect.x, 0), min(rect.right, self.width)):
                    i = (y * self.width + x) * 3
                    j = (x - rect.x) * 3
                    row[j:j + 3] = self.data[i:i + 3]
                rows.append(bytes(row))
            else:
                rows.append(bytes(rect.w * 3))
        return Image(rect.w, rect.h, b"".join(rows))

    def scaled(self, factor: int) -> "Image":
        """Nearest-neighbour enlargement, so that small crops are easy to look at."""
        rows = []
        for y in range(self.height):
            line = self.data[y * self.width * 3:(y + 1) * self.width * 3]
            big = b"".join(line[x * 3:x * 3 + 3] * factor for x in range(self.width))
            rows.extend([big] * factor)
        return Image(self.width * factor, self.height * factor, b"".join(rows))

    @classmethod
    def from_ppm(cls, blob: bytes) -> "Image":
        # Binary PPM: "P6", width, height, maxval separated by whitespace, '#' comments allowed.
        fields: list[bytes] = []
        pos = 0
        while len(fields) < 4:
            while pos < len(blob) and blob[pos:pos + 1].isspace():
                pos += 1
            if blob[pos:pos + 1] == b"#":
                pos = blob.index(b"\n", pos) + 1
                continue
            start = pos
            while pos < len(blob) and not blob[pos:pos + 1].isspace():
                pos += 1
            fields.append(blob[start:pos])
        pos += 1  # exactly one whitespace byte ends the header
        if fields[0] != b"P6":
            raise ValueError(f"not a binary PPM: {fields[0]!r}")
        width, height, maxval = int(fields[1]), int(fields[2]), int(fields[3])
        if maxval < 256:
            data = blob[pos:pos + width * height * 3]
            if maxval != 255:
                data = bytes(v * 255 // maxval for v in data)
        else:
            # Two bytes a sample, most significant first.
            raw = blob[pos:pos + width * height * 6]
            data = bytes((raw[i] << 8 | raw[i + 1]) * 255 // maxval for i in range(0, len(raw), 2))
        return cls(width, height, data)

    def save_ppm(self, path: os.PathLike | str) -> Path:
        path = Path(path)
        path.write_bytes(b"P6\n%d %d\n255\n" % (self.width, self.height) + self.data)
        return path

    def save_png(self, path: os.PathLike | str) -> Path:
        path = Path(path)

        def chunk(kind: bytes, body: bytes) -> bytes:
            return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))

        stride = self.width * 3
        raw = b"".join(b"\x00" + self.data[y * stride:(y + 1) * stride] for y in range(self.height))
        png = (b"\x89PNG\r\n\x1a\n"
               + chunk(b"IHDR", struct.pack(">IIBBBBB", self.width, self.height, 8, 2, 0, 0, 0))
               + chunk(b"IDAT", zlib.compress(raw, 6))
               + chunk(b"IEND", b""))
        path.write_bytes(png)
        return path


# ---------------------------------------------------------------------------------------------
# Reading the seven-segment strip

# Slot rectangles (x, y, w, h) relative to the strip's top-left corner.
DIGIT_SLOTS = ((0, 0, 17, 29), (20, 0, 17, 29), (52, 0, 17, 29), (72, 0, 17, 29), (104, 0, 17, 29),
               (124, 0, 17, 29))
COLON_SLOTS = ((41, 6, 6, 17), (93, 6, 6, 17))
STRIP_OFFSET = (4, 4)       # the strip inside the window, past the black margin
COMPACT_SHIFT = 48          # the compact layout puts the strip's left edge this far left of the window

SEGMENT_NAMES = "abcdefg"
SEGMENT_CENTRES = {
    "a": (0.50, 0.07), "b": (0.86, 0.28), "c": (0.86, 0.72), "d": (0.50, 0.93),
    "e": (0.14, 0.72), "f": (0.14, 0.28), "g": (0.50, 0.50),
}
DIGIT_OF_SEGMENTS = {
    "abcdef": "0", "bc": "1", "abdeg": "2", "abcdg": "3", "bcfg": "4",
    "acdfg": "5", "acdefg": "6", "abc": "7", "abcdefg": "8", "abcdfg": "9",
}


def classify(rgb: tuple[int, int, int]) -> Optional[str]:
    """'magenta' or 'green' for a lit-segment pixel, None for anything else (unlit, black, edges)."""
    r, g, b = rgb
    if r > 120 and b > 100 and g < 100:
        return "magenta"
    if g > 120 and r < 100:
        return "green"
    return None


@dataclasses.dataclass
class DigitReading:
    digit: str                 # "0".."9", or "?" when the lit segments form no digit
    segments: dict             # segment name -> "magenta" / "green" / None
    colour: Optional[str]      # colour of the lit segments, "mixed", or None when none is lit

    @property
    def lit(self) -> str:
        return "".join(s for s in SEGMENT_NAMES if self.segments[s])


@dataclasses.dataclass
class ColonReading:
    colour: Optional[str]      # "magenta" / "green" / "mixed" / None when dark
    magenta_pixels: int
    green_pixels: int


@dataclasses.dataclass
class StripReading:
    text: str                  # "hh:mm:ss" (wide) or "mm:ss" (compact)
    colour: str                # "green" / "magenta" / "mixed" / "none", over digits and colons
    digits: list
    colons: list
    layout: str

    def valid(self) -> bool:
        return "?" not in self.text

    def seconds(self) -> int:
        """The reading as a number of seconds; raises ValueError for an unreadable strip."""
        if not self.valid():
            raise ValueError(f"unreadable strip: {self.describe()}")
        total = 0
        for part in self.text.split(":"):
            total = total * 60 + int(part)
        return total

    def describe(self) -> str:
        digits = " ".join(f"{d.digit}[{d.lit or '-'}:{d.colour}]" for d in self.digits)
        colons = " ".join(str(c.colour) for c in self.colons)
        return f"{self.text} {self.colour} (digits {digits}; colons {colons})"


def _combine(colours: Iterable[Optional[str]]) -> Optional[str]:
    found = {c for c in colours if c}
    if not found:
        return None
    return found.pop() if len(found) == 1 else "mixed"


def _read_segment(image: Image, sx: int, sy: int, sw: int, sh: int, fx: float, fy: float) -> Optional[str]:
    cx, cy = sx + int(fx * sw), sy + int(fy * sh)
    best, best_level = None, -1
    for y in range(max(cy - 1, sy), min(cy + 2, sy + sh)):
        for x in range(max(cx - 1, sx), min(cx + 2, sx + sw)):
            rgb = image.pixel(x, y)
            colour = classify(rgb)
            if colour and sum(rgb) > best_level:
                best, best_level = colour, sum(rgb)
    return best


def read_digit(image: Image, sx: int, sy: int, sw: int, sh: int) -> DigitReading:
    segments = {name: _read_segment(image, sx, sy, sw, sh, *SEGMENT_CENTRES[name]) for name in SEGMENT_NAMES}
    lit = "".join(s for s in SEGMENT_NAMES if segments[s])
    return DigitReading(DIGIT_OF_SEGMENTS.get(lit, "?"), segments, _combine(segments.values()))


def read_colon(image: Image, sx: int, sy: int, sw: int, sh: int) -> ColonReading:
    counts = {"magenta": 0, "green": 0}
    for y in range(sy, sy + sh):
        for x in range(sx, sx + sw):
            colour = classify(image.pixel(x, y))
            if colour:
                counts[colour] += 1
    # A couple of stray edge pixels do not make a lit colon.
    colour = _combine(c for c, n in counts.items() if n >= 2)
    return ColonReading(colour, counts["magenta"], counts["green"])


def read_strip(image: Image, window: Rect, layout: str = "wide") -> StripReading:
    """Reads the digits of the timer window whose screen rectangle is `window`.

    layout "wide": the whole strip, text "hh:mm:ss". layout "compact": the strip moved left so that
    only minutes and seconds show, text "mm:ss".
    """
    if layout == "wide":
        shift, digit_slots, colon_slots, groups = 0, DIGIT_SLOTS, COLON_SLOTS, 3
    elif layout == "compact":
        shift, digit_slots, colon_slots, groups = COMPACT_SHIFT, DIGIT_SLOTS[2:], COLON_SLOTS[1:], 2
    else:
        raise ValueError(f"unknown layout {layout!r}")
    # The compact strip slides left past the window's edge so that its hours go out of sight; its left
    # edge is then outside the window, not 4 px inside like the wide one.
    ox = window.x + (STRIP_OFFSET[0] if shift == 0 else -shift)
    oy = window.y + STRIP_OFFSET[1]
    digits = [read_digit(image, ox + x, oy + y, w, h) for x, y, w, h in digit_slots]
    colons = [read_colon(image, ox + x, oy + y, w, h) for x, y, w, h in colon_slots]
    text = ":".join(digits[2 * i].digit + digits[2 * i + 1].digit for i in range(groups))
    colour = _combine([d.colour for d in digits] + [c.colour for c in colons]) or "none"
    return StripReading(text, colour, digits, colons, layout)


def hms(seconds: int) -> str:
    return f"{seconds // 3600:02d}:{seconds // 60 % 60:02d}:{seconds % 60:02d}"


# ---------------------------------------------------------------------------------------------
# The settings store

FONT_SUFFIXES = (".ttf", ".otf", ".ttc", ".pfb", ".pfa", ".pcf", ".pcf.gz", ".woff", ".woff2")


def mapped_fonts(pid: int) -> list[str]:
    """The font files and fontconfig caches mapped into a process: both stay mapped once a text has
    been laid out."""
    fonts = set()
    for line in Path(f"/proc/{pid}/maps").read_text().splitlines():
        fields = line.split(maxsplit=5)
        path = fields[5] if len(fields) == 6 else ""
        if path.lower().endswith(FONT_SUFFIXES) or ("fontconfig/" in path and ".cache-" in path):
            fonts.add(path)
    return sorted(fonts)


def parse_xwininfo(out: str) -> dict:
    """xwininfo's fields: 'Absolute upper-left X', 'Width', 'Map State', 'Override Redirect State', ..."""
    info = {}
    for line in out.splitlines():
        if ":" in line and not line.lstrip().startswith("xwininfo"):
            key, _, value = line.partition(":")
            info[key.strip()] = value.strip()
    return info


def xwininfo_rect(info: dict) -> Rect:
    """The window's rectangle on the screen (absolute position, inside size) from parse_xwininfo()."""
    return Rect(int(info["Absolute upper-left X"]), int(info["Absolute upper-left Y"]),
                int(info["Width"]), int(info["Height"]))


def _unquote_qsettings(value: str) -> str:
    """Undoes the quoting and escapes QSettings uses in INI values."""
    value = value.strip()
    if value.startswith("@String("):
        value = value[len("@String("):-1]
    out: list[str] = []
    i, quoted = 0, False
    escapes = {"a": "\a", "b": "\b", "f": "\f", "n": "\n", "r": "\r", "t": "\t", "v": "\v",
               '"': '"', "'": "'", "\\": "\\", "?": "?", ";": ";", ",": ","}
    while i < len(value):
        ch = value[i]
        if ch == '"':
            quoted = not quoted
            i += 1
        elif ch == "\\" and i + 1 < len(value):
            nxt = value[i + 1]
            if nxt == "x":
                m = re.match(r"[0-9a-fA-F]{1,4}", value[i + 2:])
                if m:
                    out.append(chr(int(m.group(0), 16)))
                    i += 2 + len(m.group(0))
                    continue
            if nxt in "01234567":
                m = re.match(r"[0-7]{1,3}", value[i + 1:])
                out.append(chr(int(m.group(0), 8)))
                i += 1 + len(m.group(0))
                continue
            out.append(escapes.get(nxt, nxt))
            i += 2
        else:
            out.append(ch)
            i += 1
    return "".join(out)


def read_settings(config_home: os.PathLike | str, section: str = SETTINGS_SECTION) -> Optional[dict]:
    """The keys of `section` in $XDG_CONFIG_HOME/quorvy.conf as text, or None if there is no file.

    An absent section gives an empty dict. Key names are kept as written (QSettings keeps case).
    """
    path = Path(config_home) / SETTINGS_FILE
    if not path.exists():
        return None
    parser = configparser.RawConfigParser(strict=False, interpolation=None, delimiters=("=",),
                                          comment_prefixes=(";", "#"), inline_comment_prefixes=None)
    parser.optionxform = str  # type: ignore[assignment]
    parser.read_string(path.read_text(encoding="utf-8", errors="replace"))
    if not parser.has_section(section):
        return {}
    return {key: _unquote_qsettings(value) for key, value in parser.items(section, raw=True)}


def write_settings(config_home: os.PathLike | str, values: dict, section: str = SETTINGS_SECTION,
                   raw_text: Optional[str] = None) -> Path:
    """Seeds a store as a previous session would have left it; raw_text writes the file verbatim."""
    path = Path(config_home) / SETTINGS_FILE
    path.parent.mkdir(parents=True, exist_ok=True)
    if raw_text is None:
        raw_text = f"[{section}]\n" + "".join(f"{k}={v}\n" for k, v in values.items())
    path.write_text(raw_text, encoding="utf-8")
    return path


# ---------------------------------------------------------------------------------------------
# The program

class TalvexProcess:
    """One run of the executable, in its own process group, with its output in log files."""

    def __init__(self, popen: subprocess.Popen, config_home: Path, log_path: Path, browser_record: Path):
        self.popen = popen
        self.config_home = config_home
        self.log_path = log_path
        self.browser_record = browser_record

    @property
    def pid(self) -> int:
        return self.popen.pid

    def is_running(self) -> bool:
        return self.popen.poll() is None

    def exit_code(self) -> Optional[int]:
        """None while running; negative for a signal, as subprocess reports it."""
        return self.popen.poll()

    def wait(self, timeout: float) -> int:
        try:
            return self.popen.wait(timeout=timeout)
        except subprocess.TimeoutExpired as error:
            raise HarnessError(f"the program did not exit within {timeout}s") from error

    def stop(self) -> Optional[int]:
        _kill_group(self.popen)
        return self.popen.returncode

    def log(self) -> str:
        try:
            return self.log_path.read_text(encoding="utf-8", errors="replace")
        except OSError:
            return ""

    def settings(self) -> Optional[dict]:
        return read_settings(self.config_home)

    def browser_calls(self) -> list[str]:
        """Argument lines the browser stand-in recorded, oldest first."""
        try:
            return self.browser_record.read_text(encoding="utf-8").splitlines()
        except FileNotFoundError:
            return []


# ---------------------------------------------------------------------------------------------
# A few Xlib calls that the installed command-line tools do not offer

class _XClientMessage(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                ("display", ctypes.c_void_p), ("window", ctypes.c_ulong), ("message_type", ctypes.c_ulong),
                ("format", ctypes.c_int), ("data", ctypes.c_long * 5)]


class _XEvent(ctypes.Union):
    _fields_ = [("type", ctypes.c_int), ("client", _XClientMessage), ("pad", ctypes.c_long * 24)]


class _XSetWindowAttributes(ctypes.Structure):
    _fields_ = [("background_pixmap", ctypes.c_ulong), ("background_pixel", ctypes.c_ulong),
                ("border_pixmap", ctypes.c_ulong), ("border_pixel", ctypes.c_ulong), ("bit_gravity", ctypes.c_int),
                ("win_gravity", ctypes.c_int), ("backing_store", ctypes.c_int), ("backing_planes", ctypes.c_ulong),
                ("backing_pixel", ctypes.c_ulong), ("save_under", ctypes.c_int), ("event_mask", ctypes.c_long),
                ("do_not_propagate_mask", ctypes.c_long), ("override_redirect", ctypes.c_int),
                ("colormap", ctypes.c_ulong), ("cursor", ctypes.c_ulong)]


_X_ERROR_HANDLER = ctypes.CFUNCTYPE(ctypes.c_int, ctypes.c_void_p, ctypes.c_void_p)
# Xlib's own handler ends the process on any error, e.g. a window that vanished a moment ago.
_ignore_x_errors = _X_ERROR_HANDLER(lambda display, event: 0)
_libx11: Optional[ctypes.CDLL] = None

CLIENT_MESSAGE = 33
SELECTION_NOTIFY = 31
SUBSTRUCTURE_NOTIFY_MASK = 1 << 19
SUBSTRUCTURE_REDIRECT_MASK = 1 << 20
NET_WM_STATE_ADD = 1
CW_OVERRIDE_REDIRECT = 1 << 9


def _x11() -> ctypes.CDLL:
    global _libx11
    if _libx11 is None:
        lib = ctypes.CDLL(ctypes.util.find_library("X11") or "libX11.so.6")
        p, ul, i = ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int
        pul = ctypes.POINTER(ul)
        signatures = {
            "XOpenDisplay": ([ctypes.c_char_p], p), "XCloseDisplay": ([p], i),
            "XDefaultRootWindow": ([p], ul), "XFree": ([p], i), "XSync": ([p, i], i), "XFlush": ([p], i),
            "XInternAtom": ([p, ctypes.c_char_p, i], ul),
            "XQueryTree": ([p, ul, pul, pul, ctypes.POINTER(pul), ctypes.POINTER(ctypes.c_uint)], i),
            "XSendEvent": ([p, ul, i, ctypes.c_long, ctypes.POINTER(_XEvent)], i),
            "XGetInputFocus": ([p, pul, ctypes.POINTER(i)], i),
            "XCreateSimpleWindow": ([p, ul, i, i, ctypes.c_uint, ctypes.c_uint, ctypes.c_uint, ul, ul], ul),
            "XDestroyWindow": ([p, ul], i),
            "XConvertSelection": ([p, ul, ul, ul, ul, ul], i),
            "XPending": ([p], i), "XNextEvent": ([p, ctypes.POINTER(_XEvent)], i),
            "XGetWindowProperty": ([p, ul, ul, ctypes.c_long, ctypes.c_long, i, ul, pul, ctypes.POINTER(i),
                                    pul, pul, ctypes.POINTER(ctypes.POINTER(ctypes.c_ubyte))], i),
            "XSetErrorHandler": ([_X_ERROR_HANDLER], p),
            "XChangeWindowAttributes": ([p, ul, ul, ctypes.POINTER(_XSetWindowAttributes)], i),
            "XMapRaised": ([p, ul], i),
        }
        for name, (argtypes, restype) in signatures.items():
            function = getattr(lib, name)
            function.argtypes, function.restype = argtypes, restype
        lib.XSetErrorHandler(_ignore_x_errors)
        _libx11 = lib
    return _libx11


class XConnection:
    """A short-lived Xlib connection to one display; use with `with`."""

    def __init__(self, display: str):
        self.lib = _x11()
        self.dpy = self.lib.XOpenDisplay(display.encode())
        if not self.dpy:
            raise HarnessError(f"cannot open display {display}")
        self.root = self.lib.XDefaultRootWindow(self.dpy)

    def __enter__(self) -> "XConnection":
        return self

    def __exit__(self, *exc) -> None:
        self.close()

    def close(self) -> None:
        """Ends the connection; the server then destroys every window made through it."""
        if self.dpy:
            self.lib.XCloseDisplay(self.dpy)
            self.dpy = None

    def atom(self, name: str) -> int:
        return self.lib.XInternAtom(self.dpy, name.encode(), 0)

    def children(self, window: Optional[int] = None) -> list[int]:
        """The window's children in the server's stacking order, bottom first."""
        root, parent = ctypes.c_ulong(), ctypes.c_ulong()
        children = ctypes.POINTER(ctypes.c_ulong)()
        count = ctypes.c_uint()
        if not self.lib.XQueryTree(self.dpy, window or self.root, ctypes.byref(root), ctypes.byref(parent),
                                   ctypes.byref(children), ctypes.byref(count)):
            raise HarnessError(f"XQueryTree failed for window {window}")
        try:
            return [children[i] for i in range(count.value)]
        finally:
            if children:
                self.lib.XFree(children)

    def send_wm_state(self, window: int, action: int, *states: str) -> None:
        """Asks the window manager to change a client's _NET_WM_STATE, as a pager or the client would."""
        event = _XEvent()
        message = event.client
        message.type, message.send_event, message.window = CLIENT_MESSAGE, 1, window
        message.message_type, message.format = self.atom("_NET_WM_STATE"), 32
        values = [action] + [self.atom(s) for s in states[:2]]
        values += [0] * (3 - len(values)) + [1, 0]  # source indication 1: an ordinary application
        for k, value in enumerate(values):
            message.data[k] = value
        self.lib.XSendEvent(self.dpy, self.root, 0, SUBSTRUCTURE_REDIRECT_MASK | SUBSTRUCTURE_NOTIFY_MASK,
                            ctypes.byref(event))
        self.lib.XSync(self.dpy, 0)

    def ask_to_close(self, *windows: int) -> None:
        """Asks each client window to close, as its close box would (WM_DELETE_WINDOW), all in one
        flush, so that several programs receive the request at the same moment."""
        protocols, delete = self.atom("WM_PROTOCOLS"), self.atom("WM_DELETE_WINDOW")
        for window in windows:
            event = _XEvent()
            message = event.client
            message.type, message.send_event, message.window = CLIENT_MESSAGE, 1, window
            message.message_type, message.format = protocols, 32
            message.data[0], message.data[1] = delete, 0  # CurrentTime
            self.lib.XSendEvent(self.dpy, window, 0, 0, ctypes.byref(event))
        self.lib.XSync(self.dpy, 0)

    def cover(self, rect: Rect, rgb: tuple[int, int, int]) -> int:
        """Maps a plain window of one colour over everything, bypassing the window manager the way some
        slide shows and screen savers do. It lasts as long as this connection."""
        pixel = rgb[0] << 16 | rgb[1] << 8 | rgb[2]  # a 24-bit TrueColor screen, as Xvfb's here
        window = self.lib.XCreateSimpleWindow(self.dpy, self.root, rect.x, rect.y, rect.w, rect.h, 0, 0, pixel)
        attributes = _XSetWindowAttributes(override_redirect=1)
        self.lib.XChangeWindowAttributes(self.dpy, window, CW_OVERRIDE_REDIRECT, ctypes.byref(attributes))
        self.lib.XMapRaised(self.dpy, window)
        self.lib.XSync(self.dpy, 0)
        return window

    def input_focus(self) -> int:
        focus, revert = ctypes.c_ulong(), ctypes.c_int()
        self.lib.XGetInputFocus(self.dpy, ctypes.byref(focus), ctypes.byref(revert))
        return focus.value

    def selection_text(self, selection: str, timeout: float = 3) -> Optional[str]:
        """The owner's UTF-8 text of a selection (CLIPBOARD, PRIMARY), or None when it gives none."""
        window = self.lib.XCreateSimpleWindow(self.dpy, self.root, 0, 0, 1, 1, 0, 0, 0)
        try:
            target = self.atom("TALVEX_E2E_SELECTION")
            self.lib.XConvertSelection(self.dpy, self.atom(selection), self.atom("UTF8_STRING"), target,
                                       window, 0)
            self.lib.XFlush(self.dpy)
            event = _XEvent()
            deadline = time.monotonic() + timeout
            while True:
                if self.lib.XPending(self.dpy):
                    self.lib.XNextEvent(self.dpy, ctypes.byref(event))
                    if event.type == SELECTION_NOTIFY:
                        break
                elif time.monotonic() >= deadline:
                    raise HarnessError(f"no answer from the owner of {selection}")
                else:
                    time.sleep(0.01)
            kind, fmt = ctypes.c_ulong(), ctypes.c_int()
            items, after = ctypes.c_ulong(), ctypes.c_ulong()
            data = ctypes.POINTER(ctypes.c_ubyte)()
            self.lib.XGetWindowProperty(self.dpy, window, target, 0, 1 << 20, 1, 0, ctypes.byref(kind),
                                        ctypes.byref(fmt), ctypes.byref(items), ctypes.byref(after),
                                        ctypes.byref(data))
            if not data:
                return None
            try:
                if kind.value == 0 or fmt.value != 8:
                    return None
                return bytes(data[:items.value]).decode("utf-8", errors="replace")
            finally:
                self.lib.XFree(data)
        finally:
            self.lib.XDestroyWindow(self.dpy, window)


# ---------------------------------------------------------------------------------------------
# The X session

_live_sessions: "set[XSession]" = set()


@atexit.register
def _stop_leftover_sessions() -> None:
    for session in list(_live_sessions):
        session.stop()


# Window managers a session can run, each with the least configuration that starts it on its own.
WINDOW_MANAGERS = ("openbox", "fluxbox", "i3")

# fluxbox reads its settings from $HOME/.fluxbox and would write a default set there; one workspace and
# the toolbar (its taskbar) as a new user has them, and the rest left to its defaults.
FLUXBOX_INIT = """\
session.screen0.workspaces: 1
session.screen0.toolbar.visible: true
"""

# Debian's /etc/i3/config would start a bar, a screen locker and the session's autostart programs; the
# default keys are not needed.
I3_CONFIG = """\
# i3 config file (v4)
font pango:monospace 8
"""


class XWindows:
    """Questions about the X windows on a display, asked through the X tools, which the class that mixes
    this in runs with its own run(argv, check=...)."""

    window_timeout = 10.0     # seconds to wait for a window to appear, unless told otherwise
    no_window_timeout = 5.0   # and to disappear

    def find_windows(self, title: str, visible_only: bool = True, exact: bool = True,
                     class_name: Optional[str] = None) -> list[int]:
        """Windows whose title matches, found by walking the X window tree.

        This does not depend on the window manager, so it also finds override-redirect windows.
        """
        pattern = f"^{re.escape(title)}$" if exact else title
        argv = ["xdotool", "search"]
        if visible_only:
            argv.append("--onlyvisible")
        if class_name is not None:
            argv += ["--all", "--classname", class_name]
        argv += ["--name", pattern]
        out = self.run(argv, check=False).stdout
        # xdotool can meet a window twice while a window manager reparents it (i3 does as it maps).
        return list(dict.fromkeys(int(line) for line in out.split() if line.isdigit()))

    def managed_windows(self) -> list[int]:
        """Client windows the window manager lists (_NET_CLIENT_LIST)."""
        out = self.run(["xprop", "-root", "_NET_CLIENT_LIST"], check=False).stdout
        return [int(h, 16) for h in re.findall(r"0x[0-9a-fA-F]+", out)]

    def wait_window(self, title: str, timeout: Optional[float] = None, managed: bool = False,
                    visible_only: bool = True, exact: bool = True) -> int:
        """The one window titled `title`; managed=True also waits for the window manager to list it."""
        def found() -> Optional[int]:
            windows = self.find_windows(title, visible_only=visible_only, exact=exact)
            if managed:
                listed = set(self.managed_windows())
                windows = [w for w in windows if w in listed]
            if len(windows) > 1:
                raise HarnessError(f"{len(windows)} windows titled {title!r}: {windows}")
            return windows[0] if windows else None

        return wait_until(found, timeout or self.window_timeout,  # type: ignore[return-value]
                          message=f"a window titled {title!r}")

    def wait_no_window(self, title: str, timeout: Optional[float] = None) -> None:
        wait_until(lambda: not self.find_windows(title), timeout or self.no_window_timeout,
                   message=f"no visible window titled {title!r}")

    def window_info(self, wid: int) -> dict:
        return parse_xwininfo(self.run(["xwininfo", "-id", str(wid)]).stdout)

    def geometry(self, wid: int) -> Rect:
        """The window's rectangle on the screen (absolute position, inside size)."""
        return xwininfo_rect(self.window_info(wid))

    def toplevel(self, wid: int) -> int:
        """The root's child that holds the window: the window manager's frame, or the window itself."""
        while True:
            out = self.run(["xwininfo", "-tree", "-id", str(wid)]).stdout
            root = int(re.search(r"Root window id: (0x[0-9a-fA-F]+)", out).group(1), 16)
            parent = int(re.search(r"Parent window id: (0x[0-9a-fA-F]+)", out).group(1), 16)
            if parent == root:
                return wid
            wid = parent

    def frame_geometry(self, wid: int) -> Rect:
        """The outer rectangle on the screen: with the window manager's frame, if it drew one."""
        return self.geometry(self.toplevel(wid))

    def is_override_redirect(self, wid: int) -> bool:
        return self.window_info(wid).get("Override Redirect State") == "yes"

    def is_viewable(self, wid: int) -> bool:
        return self.window_info(wid).get("Map State") == "IsViewable"

    def program_windows(self, program: "TalvexProcess", visible_only: bool = True) -> list[int]:
        """The program's top-level windows, found by the process id Qt puts on each of them."""
        argv = ["xdotool", "search"] + (["--onlyvisible"] if visible_only else []) + ["--pid", str(program.pid)]
        out = self.run(argv, check=False).stdout
        return [int(line) for line in out.split() if line.isdigit()]

    def wait_new_window(self, program: "TalvexProcess", known: Iterable[int], timeout: float = 5) -> int:
        """A visible window of the program that is not among `known`, e.g. a popup menu just opened."""
        known = set(known)

        def found() -> Optional[int]:
            new = [w for w in self.program_windows(program) if w not in known]
            if len(new) > 1:
                raise HarnessError(f"several new windows: {new}")
            return new[0] if new else None

        return wait_until(found, timeout, message="a new window of the program")  # type: ignore[return-value]


class XSession(XWindows):
    """Xvfb on a free display, a window manager on it (openbox unless told otherwise), a temporary
    folder, and helpers to act on it."""

    def __init__(self, width: int = SCREEN_WIDTH, height: int = SCREEN_HEIGHT, depth: int = 24,
                 window_manager: str = "openbox"):
        if window_manager not in WINDOW_MANAGERS:
            raise ValueError(f"unknown window manager {window_manager!r}; one of {WINDOW_MANAGERS}")
        self.window_manager = window_manager
        self.size = (width, height, depth)
        self.tmp: Optional[Path] = None
        self.display: Optional[str] = None
        self.xvfb: Optional[subprocess.Popen] = None
        self.wm: Optional[subprocess.Popen] = None
        self.extra: list[subprocess.Popen] = []
        self.programs: list[TalvexProcess] = []
        self.bin_dir: Optional[Path] = None
        self.browser_record: Optional[Path] = None
        self._stores = 0

    # -- life cycle ---------------------------------------------------------------------------

    def start(self) -> "XSession":
        _live_sessions.add(self)
        try:
            self.tmp = Path(tempfile.mkdtemp(prefix="talvex-e2e-"))
            self._start_xvfb()
            self._start_window_manager()
            self._make_browser_stand_in()
        except BaseException:
            self.stop()
            raise
        return self

    def stop(self) -> None:
        for program in self.programs:
            program.stop()
        self.programs.clear()
        for process in self.extra:
            _kill_group(process)
        self.extra.clear()
        if self.wm is not None:
            _kill_group(self.wm)
            self.wm = None
        if self.xvfb is not None:
            _kill_group(self.xvfb)
            self.xvfb = None
        if self.tmp is not None:
            shutil.rmtree(self.tmp, ignore_errors=True)
            self.tmp = None
        _live_sessions.discard(self)

    def _spawn(self, argv: Sequence[str], env: Optional[dict] = None, log: Optional[Path] = None,
               preexec: Optional[Callable[[], None]] = None, **kwargs) -> subprocess.Popen:
        out = open(log, "ab") if log else subprocess.DEVNULL

        def prepare() -> None:
            _die_with_parent()
            if preexec is not None:
                preexec()

        try:
            return subprocess.Popen(list(argv), env=env if env is not None else self.env(),
                                    stdin=subprocess.DEVNULL, stdout=out, stderr=subprocess.STDOUT,
                                    start_new_session=True, preexec_fn=prepare, **kwargs)
        finally:
            if log:
                out.close()

    def _start_xvfb(self) -> None:
        width, height, depth = self.size
        read_fd, write_fd = os.pipe()
        try:
            with open(self.tmp / "xvfb.log", "wb") as log:
                self.xvfb = subprocess.Popen(
                    ["Xvfb", "-displayfd", str(write_fd), "-screen", "0", f"{width}x{height}x{depth}",
                     "-nolisten", "tcp", "-noreset"],
                    stdin=subprocess.DEVNULL, stdout=log, stderr=subprocess.STDOUT,
                    pass_fds=(write_fd,), start_new_session=True, preexec_fn=_die_with_parent)
            os.close(write_fd)
            write_fd = -1
            number = b""
            deadline = time.monotonic() + 15
            while not number.endswith(b"\n"):
                remaining = deadline - time.monotonic()
                if remaining <= 0 or self.xvfb.poll() is not None:
                    raise HarnessError("Xvfb did not report a display: "
                                       + (self.tmp / "xvfb.log").read_text(errors="replace"))
                ready, _, _ = select.select([read_fd], [], [], remaining)
                if ready:
                    chunk = os.read(read_fd, 64)
                    if not chunk:
                        raise HarnessError("Xvfb closed the display pipe without a number")
                    number += chunk
            self.display = ":" + number.decode().strip()
        finally:
            os.close(read_fd)
            if write_fd >= 0:
                os.close(write_fd)
        wait_until(lambda: self.run(["xprop", "-root", "_NET_SUPPORTED"], check=False).returncode == 0,
                   10, message=f"Xvfb on {self.display} to accept clients")

    def _start_window_manager(self) -> None:
        name = self.window_manager
        wm_config = self.tmp / "wm-config"
        wm_config.mkdir()
        env = {"XDG_CONFIG_HOME": str(wm_config)}
        if name == "openbox":
            argv = ["openbox", "--sm-disable"]
        elif name == "fluxbox":
            home = self.tmp / "wm-home"
            (home / ".fluxbox").mkdir(parents=True)
            (home / ".fluxbox" / "init").write_text(FLUXBOX_INIT)
            for empty in ("keys", "apps", "startup", "menu"):
                (home / ".fluxbox" / empty).write_text("")
            env["HOME"] = str(home)
            argv = ["fluxbox", "-rc", str(home / ".fluxbox" / "init")]
        else:
            config = wm_config / "i3.config"
            config.write_text(I3_CONFIG)
            argv = ["i3", "-c", str(config)]
        log = self.tmp / f"{name}.log"
        self.wm = self._spawn(argv, env=self.env(env), log=log)

        def managing() -> bool:
            if self.wm.poll() is not None:
                raise HarnessError(f"{name} exited: " + log.read_text(errors="replace"))
            out = self.run(["xprop", "-root", "_NET_SUPPORTING_WM_CHECK"], check=False).stdout
            return "window id #" in out

        wait_until(managing, 15, message=f"{name} to manage windows")
        self._wait_until_windows_are_taken_in()

    def _wait_until_windows_are_taken_in(self) -> None:
        """Maps probe windows until the window manager takes one in. It announces itself before it
        handles every request: openbox and fluxbox now and then never manage a window mapped in between."""
        name = self.window_manager
        deadline = time.monotonic() + 15
        with self.xlib() as x:
            while True:
                probe = x.lib.XCreateSimpleWindow(x.dpy, x.root, 0, 0, 16, 16, 0, 0, 0)
                x.lib.XMapRaised(x.dpy, probe)
                x.lib.XSync(x.dpy, 0)
                try:
                    wait_until(lambda: probe in self.managed_windows(), 2, message=f"{name} to take in a window")
                    taken_in = True
                except HarnessError:
                    taken_in = False
                x.lib.XDestroyWindow(x.dpy, probe)
                x.lib.XSync(x.dpy, 0)
                if taken_in:
                    wait_until(lambda: probe not in self.managed_windows(), 5,
                               message=f"{name} to let go of a destroyed window")
                    return
                if time.monotonic() >= deadline:
                    raise HarnessError(f"{name} took in no window within 15 s")

    def _make_browser_stand_in(self) -> None:
        self.bin_dir = self.tmp / "bin"
        self.bin_dir.mkdir()
        self.browser_record = self.tmp / "browser-calls.txt"
        script = ("#!/bin/sh\n"
                  "# Records what would have been opened, instead of opening it.\n"
                  f"printf '%s\\n' \"$*\" >> \"${{TALVEX_E2E_BROWSER_RECORD:-{self.browser_record}}}\"\n")
        for name in BROWSER_NAMES:
            path = self.bin_dir / name
            path.write_text(script)
            path.chmod(0o755)

    # -- environment and commands -------------------------------------------------------------

    def env(self, overrides: Optional[dict] = None) -> dict:
        env = dict(os.environ)
        # Keep the program and the tools on this display only, away from any desktop session.
        for name in ("WAYLAND_DISPLAY", "XAUTHORITY", "SESSION_MANAGER", "DBUS_SESSION_BUS_ADDRESS",
                     "QT_QPA_PLATFORMTHEME", "DESKTOP_SESSION", "XDG_CURRENT_DESKTOP", "XDG_SESSION_TYPE"):
            env.pop(name, None)
        env["DISPLAY"] = self.display or ""
        env["QT_QPA_PLATFORM"] = "xcb"
        env["NO_AT_BRIDGE"] = "1"
        if self.tmp is not None:
            runtime = self.tmp / "runtime"
            runtime.mkdir(mode=0o700, exist_ok=True)
            env["XDG_RUNTIME_DIR"] = str(runtime)
        if self.bin_dir is not None:
            env["PATH"] = f"{self.bin_dir}{os.pathsep}{env.get('PATH', '/usr/bin:/bin')}"
            env["BROWSER"] = str(self.bin_dir / "xdg-open")
        if overrides:
            for key, value in overrides.items():
                if value is None:
                    env.pop(key, None)
                else:
                    env[key] = str(value)
        return env

    def run(self, argv: Sequence[str], check: bool = True, timeout: float = 20,
            input: Optional[bytes] = None, text: bool = True) -> subprocess.CompletedProcess:
        """Runs an X client on this display to completion."""
        result = subprocess.run(list(argv), env=self.env(), input=input, capture_output=True,
                                timeout=timeout, text=text)
        if check and result.returncode != 0:
            raise HarnessError(f"{' '.join(argv)} failed ({result.returncode}): {result.stderr}")
        return result

    def spawn_client(self, argv: Sequence[str]) -> subprocess.Popen:
        """Starts another X client (e.g. xclock to cover the timer); ended with the session."""
        process = self._spawn(argv, log=self.tmp / "clients.log")
        self.extra.append(process)
        return process

    def end_client(self, process: subprocess.Popen) -> None:
        """Ends a client from spawn_client before the session ends, so the next test starts clean."""
        _kill_group(process)
        if process in self.extra:
            self.extra.remove(process)

    # -- the program --------------------------------------------------------------------------

    def fresh_store(self) -> Path:
        """An empty folder to serve as XDG_CONFIG_HOME: no settings from an earlier run."""
        self._stores += 1
        store = self.tmp / f"store-{self._stores}"
        store.mkdir()
        return store

    def start_talvex(self, args: Sequence[str] = (), config_home: Optional[os.PathLike] = None,
                     env: Optional[dict] = None, file_size_limit: Optional[int] = None) -> TalvexProcess:
        """Starts the program; file_size_limit (bytes) makes every file it writes stop there, as a full
        disk would (the signal that would otherwise end it is ignored, so writes just fail)."""
        exe = talvex_exe()
        preexec = None
        if file_size_limit is not None:
            def preexec() -> None:
                signal.signal(signal.SIGXFSZ, signal.SIG_IGN)
                resource.setrlimit(resource.RLIMIT_FSIZE, (file_size_limit, file_size_limit))
        store = Path(config_home) if config_home is not None else self.fresh_store()
        log = store.parent / f"{store.name}-talvex.log"
        record = store.parent / f"{store.name}-browser-calls.txt"
        overrides = {"XDG_CONFIG_HOME": str(store), "TALVEX_E2E_BROWSER_RECORD": str(record)}
        overrides.update(env or {})
        popen = self._spawn([exe, *args], env=self.env(overrides), log=log, cwd=str(store.parent), preexec=preexec)
        program = TalvexProcess(popen, store, log, record)
        self.programs.append(program)
        return program

    def stop_program(self, program: TalvexProcess) -> Optional[int]:
        code = program.stop()
        if program in self.programs:
            self.programs.remove(program)
        return code

    def xprop(self, wid: Optional[int], prop: str) -> Optional[str]:
        """The value text of one property (after '=' or ':'), or None when the window has none."""
        target = ["-root"] if wid is None else ["-id", str(wid)]
        result = self.run(["xprop", *target, prop], check=False)
        out = result.stdout.strip("\n")
        if result.returncode != 0 or not out or "not found" in out or "no such atom" in out:
            return None
        # "NAME(TYPE) = value" on one line, or "NAME(TYPE):" followed by indented lines.
        match = re.match(r"^[^\s=:(]+(?:\([^)]*\))?\s*(=|:)\s?(.*)$", out, re.S)
        return match.group(2).strip() if match else out.strip()

    def xprop_atoms(self, wid: Optional[int], prop: str) -> list[str]:
        value = self.xprop(wid, prop)
        return [] if value is None else [a.strip() for a in value.split(",") if a.strip()]

    def net_wm_state(self, wid: int) -> list[str]:
        return self.xprop_atoms(wid, "_NET_WM_STATE")

    def window_types(self, wid: int) -> list[str]:
        return self.xprop_atoms(wid, "_NET_WM_WINDOW_TYPE")

    def wm_class(self, wid: int) -> tuple[str, str]:
        value = self.xprop(wid, "WM_CLASS") or ""
        parts = re.findall(r'"((?:[^"\\]|\\.)*)"', value)
        return (parts[0], parts[1]) if len(parts) >= 2 else ("", "")

    def window_title(self, wid: int) -> str:
        return self.run(["xdotool", "getwindowname", str(wid)]).stdout.rstrip("\n")

    def active_window(self) -> Optional[int]:
        result = self.run(["xdotool", "getactivewindow"], check=False)
        return int(result.stdout) if result.returncode == 0 and result.stdout.strip().isdigit() else None

    def activate(self, wid: int) -> None:
        self.run(["xdotool", "windowactivate", "--sync", str(wid)], check=False, timeout=10)

    def stacking_order(self) -> list[int]:
        """Managed windows bottom to top, as the window manager stacks them (see server_stacking_order)."""
        out = self.run(["xprop", "-root", "_NET_CLIENT_LIST_STACKING"], check=False).stdout
        return [int(h, 16) for h in re.findall(r"0x[0-9a-fA-F]+", out)]

    def xlib(self) -> XConnection:
        return XConnection(self.display or "")

    def server_stacking_order(self) -> list[int]:
        """The root's children bottom to top, as the X server stacks them.

        Unlike _NET_CLIENT_LIST_STACKING this includes override-redirect windows, which the window
        manager neither lists nor stacks. Managed windows appear as their window manager frames.
        """
        with self.xlib() as x:
            return x.children()

    def stacked_above(self, upper: int, lower: int) -> bool:
        """Whether window `upper` lies above window `lower` on the screen (compared by their top-levels)."""
        order = self.server_stacking_order()
        return order.index(self.toplevel(upper)) > order.index(self.toplevel(lower))

    def make_fullscreen(self, wid: int, timeout: float = 5) -> Rect:
        """Asks the window manager to make a client full screen and waits until it covers the screen."""
        with self.xlib() as x:
            x.send_wm_state(wid, NET_WM_STATE_ADD, "_NET_WM_STATE_FULLSCREEN")
        screen = Rect(0, 0, self.size[0], self.size[1])
        # Measured on the window manager's frame: i3 keeps a one-pixel border of its own around the client.
        wait_until(lambda: (self.frame_geometry(wid) == screen
                            and "_NET_WM_STATE_FULLSCREEN" in self.net_wm_state(wid)),
                   timeout, message=f"window {wid} to fill the screen")
        return screen

    def input_focus(self) -> int:
        """The window that has the keyboard focus (X's own notion, not the window manager's)."""
        with self.xlib() as x:
            return x.input_focus()

    def selection_text(self, selection: str = "CLIPBOARD") -> Optional[str]:
        with self.xlib() as x:
            return x.selection_text(selection)

    # -- mouse and keyboard -------------------------------------------------------------------

    def _xdotool(self, *args: str) -> None:
        self.run(["xdotool", *args])

    def mouse_position(self) -> tuple[int, int]:
        out = self.run(["xdotool", "getmouselocation", "--shell"]).stdout
        values = dict(re.findall(r"^(\w+)=(-?\d+)$", out, re.M))
        return int(values["X"]), int(values["Y"])

    def move(self, x: int, y: int) -> None:
        # Not "mousemove --sync": it waits for a motion that never comes when the pointer is
        # already there or the target lies off the screen.
        self._xdotool("mousemove", str(x), str(y))
        target = (min(max(x, 0), self.size[0] - 1), min(max(y, 0), self.size[1] - 1))
        wait_until(lambda: self.mouse_position() == target, 3, interval=0.01,
                   message=f"the pointer to reach {target}")

    def click(self, x: int, y: int, button: int = 1) -> None:
        self.move(x, y)
        self._xdotool("click", str(button))

    def double_click(self, x: int, y: int, delay_ms: int = 80) -> None:
        self.move(x, y)
        self._xdotool("click", "--repeat", "2", "--delay", str(delay_ms), "1")

    def right_click(self, x: int, y: int) -> None:
        self.click(x, y, button=3)

    def press(self, button: int = 1) -> None:
        self._xdotool("mousedown", str(button))

    def release(self, button: int = 1) -> None:
        self._xdotool("mouseup", str(button))

    def drag(self, start: tuple[int, int], end: tuple[int, int], steps: int = 8, step_delay: float = 0.03,
             button: int = 1) -> None:
        """Presses at start, moves in steps with the button held, releases at end."""
        self.move(*start)
        self.press(button)
        try:
            for i in range(1, steps + 1):
                x = round(start[0] + (end[0] - start[0]) * i / steps)
                y = round(start[1] + (end[1] - start[1]) * i / steps)
                self.move(x, y)
                time.sleep(step_delay)
        finally:
            self.release(button)

    def type_text(self, text: str, delay_ms: int = 40) -> None:
        self._xdotool("type", "--delay", str(delay_ms), "--", text)

    def key(self, *keys: str) -> None:
        """Presses key combinations by X name, e.g. key("Return"), key("ctrl+a", "BackSpace")."""
        self._xdotool("key", "--clearmodifiers", "--delay", "40", *keys)

    # -- screenshots --------------------------------------------------------------------------

    def screenshot(self) -> Image:
        """The whole screen as RGB pixels."""
        # 8 bits a sample: ImageMagick would otherwise write 16-bit PPM, slow to read back here.
        result = self.run([IMPORT, "-display", self.display, "-window", "root", "-depth", "8", "ppm:-"],
                          text=False)
        return Image.from_ppm(result.stdout)

    def save(self, image: Image, name: str, crop: Optional[Rect] = None, scale: int = 1) -> Path:
        """Saves a PNG copy under TALVEX_ARTIFACTS; crop and scale make a small window readable."""
        if crop is not None:
            image = image.crop(crop)
        if scale > 1:
            image = image.scaled(scale)
        return image.save_png(artifacts_dir() / f"{_safe_name(name)}.png")

    def read_timer(self, wid: int, layout: str = "wide") -> "TimedReading":
        """Screenshot and reading of the timer window now, stamped with the capture time."""
        rect = self.geometry(wid)
        before = time.monotonic()
        image = self.screenshot()
        at = (before + time.monotonic()) / 2
        return TimedReading(read_strip(image, rect, layout), image, rect, at)

    def wait_reading(self, wid: int, predicate: Callable[[StripReading], bool], timeout: float = 5,
                     layout: str = "wide", interval: float = 0.05) -> "TimedReading":
        """Polls the strip until predicate(reading) holds; the error names the last reading seen."""
        deadline = time.monotonic() + timeout
        while True:
            current = self.read_timer(wid, layout)
            if predicate(current.reading):
                return current
            if time.monotonic() >= deadline:
                raise HarnessError(f"timed out after {timeout}s; last reading {current.reading.describe()}")
            time.sleep(interval)


@dataclasses.dataclass
class TimedReading:
    reading: StripReading
    image: Image
    window: Rect
    at: float          # time.monotonic() in the middle of the capture


# ---------------------------------------------------------------------------------------------
# unittest glue

class TalvexTestCase(unittest.TestCase):
    """A fresh display and window manager for the class; fresh store and screenshots on failure per test."""

    session: XSession
    window_manager = "openbox"  # a class may choose another of WINDOW_MANAGERS

    @classmethod
    def setUpClass(cls) -> None:
        super().setUpClass()
        cls.session = XSession(window_manager=cls.window_manager)
        cls.addClassCleanup(cls.session.stop)
        cls.session.start()

    def start_talvex(self, args: Sequence[str] = (), config_home: Optional[os.PathLike] = None,
                     env: Optional[dict] = None, file_size_limit: Optional[int] = None) -> TalvexProcess:
        program = self.session.start_talvex(args, config_home=config_home, env=env, file_size_limit=file_size_limit)
        self.addCleanup(self._finish_program, program)
        return program

    def _finish_program(self, program: TalvexProcess) -> None:
        self.session.stop_program(program)
        if self._failed():
            (artifacts_dir() / f"{_safe_name(self.id())}-talvex.log").write_text(program.log())

    def artifact_name(self, label: str) -> str:
        return f"{self.id()}-{label}"

    def snapshot(self, label: str, crop: Optional[Rect] = None, scale: int = 1,
                 image: Optional[Image] = None) -> Path:
        """Saves the screen (or a given screenshot) as a key-moment artifact."""
        return self.session.save(image or self.session.screenshot(), self.artifact_name(label), crop, scale)

    def _failed(self) -> bool:
        # The outcome's success flag is reset while tearDown and clean-ups run, so look at the
        # result, which holds this test's failures and errors as soon as they happen.
        result = getattr(getattr(self, "_outcome", None), "result", None)
        if result is None:
            return False
        for test, _ in [*getattr(result, "failures", []), *getattr(result, "errors", [])]:
            if getattr(test, "test_case", test) is self:
                return True
        return False

    def tearDown(self) -> None:
        # Runs before the clean-ups end the program, so the picture shows what went wrong.
        if self._failed() and self.session.display:
            try:
                path = self.snapshot("failure")
                sys.stderr.write(f"\nfailure screenshot: {path}\n")
            except Exception as error:  # a broken display must not hide the real failure
                sys.stderr.write(f"\nno failure screenshot: {error}\n")
        super().tearDown()
