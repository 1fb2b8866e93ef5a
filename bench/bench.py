#!/usr/bin/env python3
"""Measures the timer beside a bare Qt window, both release builds, under Xvfb and openbox.

    bench/run.sh [--minutes 10] [--starts 20] [--ticks 120]     builds both, then runs this
    python3 bench/bench.py --exe build-bench/talvex --baseline build-bench/baseline/bare_window

The baseline (bench/bare_window.cpp) is a bare Qt Widgets program that shows pictures and no text, as
the strip does: one frameless 151x40 window that paints the time of day with the strip's green JPEG
digit pictures, and a 100 ms timer that repaints it when the second changes. Every figure is taken for
both in the same run and printed with the ratio timer / baseline, as a table on standard output and in
--out. It is a benchmark, not a test: no figure fails it.

Method. Nothing in either program is instrumented; everything is read from outside.
- The screen is read with XGetImage on the window's rectangle through one Xlib connection (a few
  hundred microseconds a read), so a frame counts once it has reached the X server's screen.
- Start-up: the clock is read just before the process is spawned; the rectangle is then read about
  every millisecond until it shows the first tick: seven-segment digits that read as a time other than
  the strip's design pictures' 22:22:22 (decoded as the end-to-end tests do; the baseline draws its
  digits in the strip's places). The process is then ended and the rectangle must be empty again
  before the next start. Timer and baseline starts alternate so that a busy moment of the machine hits
  both.
- Memory: Rss and Pss of /proc/PID/smaps_rollup, 5 s after the start and at the end of the ticking;
  the font files and fontconfig caches in /proc/PID/maps 5 s after the start (a text laid out maps
  them, and they stay mapped).
- CPU: utime + stime of /proc/PID/stat over the ticking period, as a share of one core; wake-ups per
  second: voluntary + involuntary context switches of all the process's threads
  (/proc/PID/task/*/status) over the same period. Both programs tick side by side, at different places.
- Tick lag: for each of --ticks wall-clock seconds, the bench sleeps until 30 ms before the second
  changes, then reads both rectangles every half millisecond until each has changed; the lag is the
  time of the first read that shows the change minus the second's start (time.time(): the same
  CLOCK_REALTIME the programs read). It includes painting and the X server's work, and the reading
  granularity (about 0.5 ms). This runs within the ticking period; reads cost the X server, not the
  measured processes.
- Size: the executable after `strip`.
"""

from __future__ import annotations

import argparse
import ctypes
import datetime
import math
import os
import platform
import shutil
import signal
import statistics
import subprocess
import sys
import tempfile
import time
from pathlib import Path
from typing import Callable, Optional

ROOT = Path(__file__).resolve().parent.parent
sys.path.insert(0, str(ROOT / "tests" / "e2e"))
import talvex_e2e as e2e  # noqa: E402

TIMER_RECT = e2e.Rect(280, 164, 151, 40)   # where the timer opens without stored settings
BASELINE_SIDE_BY_SIDE = e2e.Rect(280, 400, 151, 40)  # the baseline's place while both tick
FIRST_FRAME_TIMEOUT = 15.0


# ---------------------------------------------------------------------------------------------
# Reading the screen

class _XImage(ctypes.Structure):
    # The leading fields of Xlib's XImage; the rest is never touched here.
    _fields_ = [("width", ctypes.c_int), ("height", ctypes.c_int), ("xoffset", ctypes.c_int),
                ("format", ctypes.c_int), ("data", ctypes.POINTER(ctypes.c_ubyte)),
                ("byte_order", ctypes.c_int), ("bitmap_unit", ctypes.c_int),
                ("bitmap_bit_order", ctypes.c_int), ("bitmap_pad", ctypes.c_int), ("depth", ctypes.c_int),
                ("bytes_per_line", ctypes.c_int), ("bits_per_pixel", ctypes.c_int)]


Z_PIXMAP = 2
ALL_PLANES = 0xFFFFFFFF


class ScreenReader:
    """One Xlib connection that reads rectangles of the root window as raw 32-bit pixels."""

    def __init__(self, display: str):
        self.lib = e2e._x11()
        self.lib.XGetImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int,
                                       ctypes.c_uint, ctypes.c_uint, ctypes.c_ulong, ctypes.c_int]
        self.lib.XGetImage.restype = ctypes.POINTER(_XImage)
        self.lib.XDestroyImage.argtypes = [ctypes.POINTER(_XImage)]
        self.connection = e2e.XConnection(display)

    def close(self) -> None:
        self.connection.close()

    def read(self, rect: e2e.Rect) -> bytes:
        image = self.lib.XGetImage(self.connection.dpy, self.connection.root, rect.x, rect.y, rect.w, rect.h,
                                   ALL_PLANES, Z_PIXMAP)
        if not image:
            raise e2e.HarnessError(f"XGetImage failed for {rect}")
        try:
            header = image.contents
            if header.bits_per_pixel != 32:
                raise e2e.HarnessError(f"expected a 32-bit screen, got {header.bits_per_pixel} bits a pixel")
            stride = header.bytes_per_line
            blob = ctypes.string_at(header.data, stride * rect.h)
            if stride != rect.w * 4:
                blob = b"".join(blob[y * stride:y * stride + rect.w * 4] for y in range(rect.h))
            return blob
        finally:
            self.lib.XDestroyImage(image)


def to_image(raw: bytes, rect: e2e.Rect) -> e2e.Image:
    """Raw little-endian 32-bit pixels (blue, green, red, pad) as the harness's RGB picture."""
    rgb = bytearray(rect.w * rect.h * 3)
    rgb[0::3] = raw[2::4]
    rgb[1::3] = raw[1::4]
    rgb[2::3] = raw[0::4]
    return e2e.Image(rect.w, rect.h, bytes(rgb))


def shows_timer_tick(raw: bytes, rect: e2e.Rect) -> bool:
    reading = e2e.read_strip(to_image(raw, rect), e2e.Rect(0, 0, rect.w, rect.h))
    return reading.valid() and reading.colour != "mixed" and reading.text != "22:22:22"


# ---------------------------------------------------------------------------------------------
# The two programs

class Subject:
    def __init__(self, name: str, exe: Path, argv: list[str], first_frame: Callable[[bytes, e2e.Rect], bool]):
        self.name = name
        self.exe = exe
        self.argv = argv
        self.first_frame = first_frame


def spawn(session: e2e.XSession, argv: list[str], log: Path) -> subprocess.Popen:
    # A fresh settings folder each time: the timer starts as on a first run, at its design place.
    env = session.env({"XDG_CONFIG_HOME": str(session.fresh_store())})
    with open(log, "ab") as out:
        return subprocess.Popen(argv, env=env, stdin=subprocess.DEVNULL, stdout=out, stderr=subprocess.STDOUT,
                                start_new_session=True)


def end(process: subprocess.Popen) -> None:
    e2e._kill_group(process)


def wait_first_frame(reader: ScreenReader, process: subprocess.Popen, rect: e2e.Rect,
                     shows: Callable[[bytes, e2e.Rect], bool], started: float) -> float:
    """Seconds from `started` (time.monotonic()) to the first read of `rect` that shows the first tick."""
    last = b""
    while True:
        before = time.monotonic()
        raw = reader.read(rect)
        after = time.monotonic()
        if raw != last:
            last = raw
            if shows(raw, rect):
                return (before + after) / 2 - started
        if after - started > FIRST_FRAME_TIMEOUT:
            raise e2e.HarnessError(f"no first frame within {FIRST_FRAME_TIMEOUT} s (exit code {process.poll()})")
        time.sleep(0.001)


def measure_starts(session: e2e.XSession, reader: ScreenReader, subjects: list[Subject], starts: int,
                   logs: Path) -> dict[str, list[float]]:
    empty = reader.read(TIMER_RECT)
    results: dict[str, list[float]] = {s.name: [] for s in subjects}
    for run in range(starts):
        for subject in subjects:
            began = time.monotonic()
            process = spawn(session, subject.argv, logs / f"{subject.name}-start.log")
            try:
                results[subject.name].append(1000 * wait_first_frame(reader, process, TIMER_RECT,
                                                                     subject.first_frame, began))
            finally:
                end(process)
            e2e.wait_until(lambda: reader.read(TIMER_RECT) == empty, 10, interval=0.02,
                           message=f"the place of {subject.name} to be empty again")
            time.sleep(0.2)
        print(f"  start {run + 1}/{starts}: " +
              ", ".join(f"{name} {values[-1]:.1f} ms" for name, values in results.items()), flush=True)
    return results


# ---------------------------------------------------------------------------------------------
# What /proc tells about a running process

def memory_kib(pid: int) -> dict[str, int]:
    values = {}
    for line in Path(f"/proc/{pid}/smaps_rollup").read_text().splitlines():
        key, _, rest = line.partition(":")
        if key in ("Rss", "Pss"):
            values[key] = int(rest.split()[0])
    return values


def cpu_seconds(pid: int) -> float:
    fields = Path(f"/proc/{pid}/stat").read_text().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


def context_switches(pid: int) -> int:
    total = 0
    for task in Path(f"/proc/{pid}/task").iterdir():
        try:
            for line in (task / "status").read_text().splitlines():
                if line.startswith(("voluntary_ctxt_switches:", "nonvoluntary_ctxt_switches:")):
                    total += int(line.split()[1])
        except FileNotFoundError:  # a thread that ended just now
            pass
    return total


def measure_tick_lags(reader: ScreenReader, rects: dict[str, e2e.Rect], ticks: int) -> dict[str, list[float]]:
    lags: dict[str, list[float]] = {name: [] for name in rects}
    for tick in range(ticks):
        boundary = math.floor(time.time()) + 1
        if boundary - time.time() < 0.05:
            boundary += 1
        time.sleep(max(0.0, boundary - 0.03 - time.time()))
        before = {name: reader.read(rect) for name, rect in rects.items()}
        waiting = set(rects)
        while waiting and time.time() < boundary + 1.2:
            for name in sorted(waiting):
                start = time.time()
                raw = reader.read(rects[name])
                if raw != before[name]:
                    at = (start + time.time()) / 2
                    if at < boundary:  # changed before the second did: not a tick of this second
                        before[name] = raw
                        continue
                    lags[name].append(1000 * (at - boundary))
                    waiting.discard(name)
            time.sleep(0.0005)
        for name in waiting:
            lags[name].append(float("nan"))
        if (tick + 1) % 20 == 0:
            print(f"  tick {tick + 1}/{ticks}", flush=True)
    return lags


def measure_running(session: e2e.XSession, reader: ScreenReader, timer: Subject, baseline: Subject,
                    minutes: float, ticks: int, logs: Path) -> dict[str, dict[str, float]]:
    rects = {timer.name: TIMER_RECT, baseline.name: BASELINE_SIDE_BY_SIDE}
    argvs = {timer.name: timer.argv,
             baseline.name: [*baseline.argv, str(BASELINE_SIDE_BY_SIDE.x), str(BASELINE_SIDE_BY_SIDE.y)]}
    shows = {timer.name: timer.first_frame, baseline.name: baseline.first_frame}
    processes: dict[str, subprocess.Popen] = {}
    started: dict[str, float] = {}
    figures: dict[str, dict[str, float]] = {name: {} for name in rects}
    try:
        for name in rects:
            started[name] = time.monotonic()
            processes[name] = spawn(session, argvs[name], logs / f"{name}-running.log")
            wait_first_frame(reader, processes[name], rects[name], shows[name], started[name])
        time.sleep(max(0.0, max(started.values()) + 5 - time.monotonic()))
        cpu0, switches0 = {}, {}
        for name, process in processes.items():
            for key, kib in memory_kib(process.pid).items():
                figures[name][f"{key}_5s"] = kib / 1024
            figures[name]["fonts_5s"] = len(e2e.mapped_fonts(process.pid))
            cpu0[name], switches0[name] = cpu_seconds(process.pid), context_switches(process.pid)
        wall0 = time.monotonic()
        print(f"  ticking for {minutes:g} min, tick lag over the first {ticks} s", flush=True)
        lags = measure_tick_lags(reader, rects, ticks)
        time.sleep(max(0.0, wall0 + minutes * 60 - time.monotonic()))
        wall = time.monotonic() - wall0
        for name, process in processes.items():
            if process.poll() is not None:
                raise e2e.HarnessError(f"{name} ended while ticking (exit code {process.poll()})")
            figures[name]["cpu_percent"] = 100 * (cpu_seconds(process.pid) - cpu0[name]) / wall
            figures[name]["wakeups"] = (context_switches(process.pid) - switches0[name]) / wall
            for key, kib in memory_kib(process.pid).items():
                figures[name][f"{key}_end"] = kib / 1024
            figures[name]["lags"] = lags[name]  # type: ignore[assignment]
    finally:
        for process in processes.values():
            end(process)
    return figures


# ---------------------------------------------------------------------------------------------
# Figures and the table

def stripped_kib(exe: Path) -> float:
    with tempfile.TemporaryDirectory() as folder:
        copy = Path(folder) / exe.name
        subprocess.run(["strip", "-o", str(copy), str(exe)], check=True)
        return copy.stat().st_size / 1024


def percentile(values: list[float], share: float) -> float:
    """Nearest-rank percentile; NaN (a missed change) sorts last, so it shows in the high ranks."""
    ordered = sorted(values, key=lambda v: (math.isnan(v), v))
    return ordered[max(0, math.ceil(share * len(ordered)) - 1)]


def machine() -> str:
    model = "unknown CPU"
    for line in Path("/proc/cpuinfo").read_text().splitlines():
        if line.startswith("model name"):
            model = line.split(":", 1)[1].strip()
            break
    qt = subprocess.run(["dpkg-query", "-W", "-f=${Version}", "libqt6core6"], capture_output=True,
                        text=True).stdout or "?"
    debian = Path("/etc/debian_version").read_text().strip() if Path("/etc/debian_version").exists() else "?"
    load = os.getloadavg()[0]
    return (f"{model}, {os.cpu_count()} cores, Linux {platform.release()}, Debian {debian}, Qt {qt}, "
            f"Xvfb + openbox; load average {load:.2f} at the start")


def table(starts: dict[str, list[float]], running: dict[str, dict[str, float]], sizes: dict[str, float],
          names: tuple[str, str], minutes: float) -> str:
    timer, baseline = names
    rows: list[tuple[str, Optional[float], Optional[float], str]] = []

    def row(label: str, fmt: str, get: Callable[[str], float]) -> None:
        rows.append((label, get(timer), get(baseline), fmt))

    row("start-up to first tick on screen, median (ms)", "{:.1f}", lambda n: statistics.median(starts[n]))
    row("start-up, interquartile range (ms)", "{:.1f}",
        lambda n: percentile(starts[n], 0.75) - percentile(starts[n], 0.25))
    row("start-up, fastest (ms)", "{:.1f}", lambda n: min(starts[n]))
    row("start-up, slowest (ms)", "{:.1f}", lambda n: max(starts[n]))
    row("resident set after 5 s (MiB)", "{:.1f}", lambda n: running[n]["Rss_5s"])
    row("proportional set after 5 s (MiB)", "{:.1f}", lambda n: running[n]["Pss_5s"])
    row("font files and fontconfig caches mapped after 5 s", "{:.0f}", lambda n: running[n]["fonts_5s"])
    row(f"resident set after {minutes:g} min (MiB)", "{:.1f}", lambda n: running[n]["Rss_end"])
    row(f"proportional set after {minutes:g} min (MiB)", "{:.1f}", lambda n: running[n]["Pss_end"])
    row(f"CPU over {minutes:g} min (% of one core)", "{:.3f}", lambda n: running[n]["cpu_percent"])
    row("wake-ups (context switches) per second", "{:.1f}", lambda n: running[n]["wakeups"])
    lags = {n: running[n]["lags"] for n in names}
    count = len(lags[timer])  # type: ignore[arg-type]
    row(f"tick lag p50 over {count} ticks (ms)", "{:.1f}", lambda n: percentile(lags[n], 0.50))  # type: ignore
    row("tick lag p99 (ms)", "{:.1f}", lambda n: percentile(lags[n], 0.99))  # type: ignore[arg-type]
    row("tick lag max (ms)", "{:.1f}", lambda n: percentile(lags[n], 1.0))  # type: ignore[arg-type]
    row("executable, stripped (KiB)", "{:.0f}", lambda n: sizes[n])

    lines = [f"| figure | {timer} | {baseline} | ratio |", "|---|---:|---:|---:|"]
    for label, mine, theirs, fmt in rows:
        ratio = f"{mine / theirs:.2f}" if theirs and not math.isnan(theirs) and not math.isnan(mine) else "-"
        lines.append(f"| {label} | {fmt.format(mine)} | {fmt.format(theirs)} | {ratio} |")
    return "\n".join(lines)


def main() -> int:
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--exe", type=Path, default=ROOT / "build-bench" / "talvex")
    parser.add_argument("--baseline", type=Path, default=ROOT / "build-bench" / "baseline" / "bare_window")
    parser.add_argument("--out", type=Path, default=ROOT / "build-bench" / "bench-results.md")
    parser.add_argument("--minutes", type=float, default=10, help="ticking period for CPU and memory")
    parser.add_argument("--starts", type=int, default=20, help="starts of each program")
    parser.add_argument("--ticks", type=int, default=120, help="seconds whose tick lag is measured")
    args = parser.parse_args()
    ticks = min(args.ticks, max(1, int(args.minutes * 60) - 5))

    timer = Subject("talvex", args.exe.resolve(), [str(args.exe.resolve())], shows_timer_tick)
    baseline = Subject("bare Qt", args.baseline.resolve(), [str(args.baseline.resolve())], shows_timer_tick)
    sizes = {s.name: stripped_kib(s.exe) for s in (timer, baseline)}
    described = machine()
    began = datetime.datetime.now().astimezone()

    session = e2e.XSession().start()
    reader = ScreenReader(session.display or "")
    logs = Path(tempfile.mkdtemp(prefix="talvex-bench-"))
    try:
        print(f"start-up: {args.starts} starts each", flush=True)
        starts = measure_starts(session, reader, [timer, baseline], args.starts, logs)
        running = measure_running(session, reader, timer, baseline, args.minutes, ticks, logs)
    finally:
        reader.close()
        session.stop()
    shutil.rmtree(logs, ignore_errors=True)

    report = (f"{table(starts, running, sizes, (timer.name, baseline.name), args.minutes)}\n\n"
              f"Machine: {described}.\n"
              f"Run: {began:%Y-%m-%d %H:%M %Z}, {args.starts} starts each, {args.minutes:g} min ticking, "
              f"{ticks} ticks; release builds.\n")
    print()
    print(report)
    args.out.parent.mkdir(parents=True, exist_ok=True)
    args.out.write_text(report)
    print(f"written to {args.out}")
    return 0


if __name__ == "__main__":
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(1))  # so the session's clean-up runs
    sys.exit(main())
