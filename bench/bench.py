#!/usr/bin/env python3
"""Measures what a presenter feels: how soon the strip is on screen after launch, what it costs to keep
running, and how much memory it holds. Runs the real executable under Xvfb and openbox.

    python3 bench/bench.py [--runs N] [--exe build/talvex]

Goals: the strip shows within 300 ms of launch (median), uses under 2% of one core while counting,
and stays under 80 MiB resident. The script prints the measurements and exits non-zero when a goal
is missed; it is a benchmark, not a test, and is not run by the test command.
"""
import argparse
import os
import statistics
import subprocess
import sys
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
sys.path.insert(0, str(ROOT / "tests" / "e2e"))
import talvex_e2e  # noqa: E402

START_GOAL_MS = 300
CPU_GOAL_PERCENT = 2.0
RSS_GOAL_MIB = 80


def cpu_seconds(pid: int) -> float:
    fields = Path(f"/proc/{pid}/stat").read_text().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


def rss_mib(pid: int) -> float:
    for line in Path(f"/proc/{pid}/status").read_text().splitlines():
        if line.startswith("VmHWM:"):
            return int(line.split()[1]) / 1024
    return float("nan")


def main() -> int:
    parser = argparse.ArgumentParser()
    parser.add_argument("--runs", type=int, default=5)
    parser.add_argument("--exe", default=str(ROOT / "build" / "talvex"))
    args = parser.parse_args()
    os.environ["TALVEX_EXE"] = str(Path(args.exe).resolve())

    session = talvex_e2e.XSession().start()
    try:
        starts = []
        for _ in range(args.runs):
            began = time.monotonic()
            program = session.start_talvex()
            session.wait_window("Form1", timeout=10)
            starts.append((time.monotonic() - began) * 1000)
            session.stop_program(program)

        program = session.start_talvex()
        session.wait_window("Form1", timeout=10)
        time.sleep(1)
        cpu_before, wall_before = cpu_seconds(program.pid), time.monotonic()
        time.sleep(10)
        cpu = 100 * (cpu_seconds(program.pid) - cpu_before) / (time.monotonic() - wall_before)
        rss = rss_mib(program.pid)
        session.stop_program(program)
    finally:
        session.stop()

    median = statistics.median(starts)
    print(f"strip on screen after launch: median {median:.0f} ms, runs {', '.join(f'{s:.0f}' for s in starts)} "
          f"(goal {START_GOAL_MS} ms)")
    print(f"CPU while counting: {cpu:.2f}% of one core (goal {CPU_GOAL_PERCENT}%)")
    print(f"peak resident memory: {rss:.1f} MiB (goal {RSS_GOAL_MIB} MiB)")
    missed = median > START_GOAL_MS or cpu > CPU_GOAL_PERCENT or rss > RSS_GOAL_MIB
    return 1 if missed else 0


if __name__ == "__main__":
    sys.exit(main())
