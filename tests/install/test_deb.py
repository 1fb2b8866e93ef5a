"""The Debian package as a user gets it: built with CPack from the build folder, unpacked with dpkg-deb,
its control fields, its files, its desktop entry, and the unpacked program started under Xvfb.

Environment:
    TALVEX_BUILD_DIR  the configured and built build folder (holds CPackConfig.cmake)
    TALVEX_CPACK      the cpack program (optional)
"""

from __future__ import annotations

import configparser
import os
import re
import shutil
import struct
import subprocess
import sys
import tempfile
import unittest
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "e2e"))

from talvex_e2e import TalvexTestCase  # noqa: E402

VERSION = "2022.601"
# What the program needs at run time: the Qt libraries it links, Qt's X11 platform plugin, the X
# connection library and a font with the Chinese captions.
RUNTIME_DEPENDS = {"libqt6widgets6", "libqt6gui6", "libqt6core6", "qt6-qpa-plugins", "libxcb1", "fonts-noto-cjk"}
# Where an installed program's files may go; anything else (headers, static libraries, test programs)
# does not belong in the package.
ALLOWED_PREFIXES = ("usr/bin/", "usr/share/applications/", "usr/share/icons/hicolor/")


def run(argv: list[str], **kwargs) -> subprocess.CompletedProcess:
    result = subprocess.run(argv, capture_output=True, text=True, timeout=300, **kwargs)
    if result.returncode != 0:
        raise AssertionError(f"{' '.join(argv)} failed ({result.returncode}):\n{result.stdout}\n{result.stderr}")
    return result


def package_names(depends: str) -> set[str]:
    """The package names of a Depends field, alternatives included, without versions or architectures."""
    names = set()
    for clause in depends.split(","):
        for alternative in clause.split("|"):
            name = re.sub(r"\(.*?\)", "", alternative).strip().split(":")[0]
            if name:
                names.add(name)
    return names


def png_size(path: Path) -> tuple[int, int]:
    data = path.read_bytes()[:24]
    if data[:8] != b"\x89PNG\r\n\x1a\n" or data[12:16] != b"IHDR":
        raise AssertionError(f"{path} is not a PNG file")
    return struct.unpack(">II", data[16:24])


class DebianPackageTest(TalvexTestCase):
    deb: Path
    root: Path

    @classmethod
    def setUpClass(cls) -> None:
        build = Path(os.environ["TALVEX_BUILD_DIR"])
        scratch = Path(tempfile.mkdtemp(prefix="talvex-deb-"))
        cls.addClassCleanup(shutil.rmtree, scratch, ignore_errors=True)
        cpack = os.environ.get("TALVEX_CPACK") or "cpack"
        run([cpack, "-G", "DEB", "--config", str(build / "CPackConfig.cmake"), "-B", str(scratch / "out")],
            cwd=build)
        debs = sorted((scratch / "out").glob("*.deb"))
        if len(debs) != 1:
            raise AssertionError(f"expected one .deb, CPack made {[d.name for d in debs]}")
        cls.deb = debs[0]
        cls.root = scratch / "root"
        run(["dpkg-deb", "-x", str(cls.deb), str(cls.root)])
        super().setUpClass()

    def field(self, name: str) -> str:
        return run(["dpkg-deb", "-f", str(self.deb), name]).stdout.strip()

    def packaged_files(self) -> list[str]:
        return sorted(str(p.relative_to(self.root)) for p in self.root.rglob("*") if not p.is_dir())

    def desktop_entry(self) -> configparser.SectionProxy:
        parser = configparser.ConfigParser(interpolation=None, strict=True)
        parser.optionxform = str  # keys are case-sensitive
        parser.read(self.root / "usr/share/applications/talvex.desktop", encoding="utf-8")
        return parser["Desktop Entry"]

    def test_control_fields(self) -> None:
        arch = run(["dpkg", "--print-architecture"]).stdout.strip()
        self.assertEqual(self.deb.name, f"talvex_{VERSION}_{arch}.deb")
        self.assertEqual(self.field("Package"), "talvex")
        self.assertEqual(self.field("Version"), VERSION)
        self.assertEqual(self.field("Architecture"), arch)
        depends = package_names(self.field("Depends"))
        self.assertLessEqual(RUNTIME_DEPENDS, depends, f"missing from Depends: {RUNTIME_DEPENDS - depends}")
        building = sorted(n for n in depends if n.endswith("-dev") or n.endswith("-dev-tools")
                          or n in {"cmake", "build-essential", "pkg-config", "libgtest-dev"})
        self.assertEqual(building, [], "build-time packages in Depends")

    def test_files_are_the_program_its_entry_and_its_icons(self) -> None:
        files = self.packaged_files()
        self.assertEqual([f for f in files if not f.startswith(ALLOWED_PREFIXES)], [])
        program = self.root / "usr/bin/talvex"
        self.assertIn("usr/bin/talvex", files)
        self.assertTrue(os.access(program, os.X_OK))
        # It uses the system's libraries only: a library search path (into the build folder, or Qt's
        # $ORIGIN default for bundled libraries) has no place in a Debian package.
        dynamic = run(["readelf", "-d", str(program)]).stdout
        self.assertNotRegex(dynamic, r"\((RPATH|RUNPATH)\)")

        icons = [f for f in files if f.startswith("usr/share/icons/")]
        self.assertIn("usr/share/icons/hicolor/48x48/apps/talvex.png", icons)
        for icon in icons:
            match = re.fullmatch(r"usr/share/icons/hicolor/(\d+)x(\d+)/apps/talvex\.png", icon)
            self.assertIsNotNone(match, icon)
            self.assertEqual(png_size(self.root / icon), (int(match[1]), int(match[2])), icon)

    def test_desktop_entry_is_valid_and_names_the_packaged_program(self) -> None:
        path = self.root / "usr/share/applications/talvex.desktop"
        result = subprocess.run(["desktop-file-validate", str(path)], capture_output=True, text=True, timeout=30)
        self.assertEqual((result.returncode, result.stdout + result.stderr), (0, ""))
        entry = self.desktop_entry()
        self.assertEqual(entry["Name"], "Talvex")
        self.assertTrue((self.root / "usr/bin" / entry["Exec"].split()[0]).is_file(), entry["Exec"])
        self.assertTrue((self.root / f"usr/share/icons/hicolor/48x48/apps/{entry['Icon']}.png").is_file())

    def test_unpacked_program_shows_its_strip(self) -> None:
        os.environ["TALVEX_EXE"] = str(self.root / "usr/bin/talvex")
        program = self.start_talvex()
        wid = self.session.wait_window("Form1")
        # A fresh store has no time set: the strip counts overtime up in magenta.
        timed = self.session.wait_reading(wid, lambda r: r.valid() and r.colour == "magenta" and r.seconds() >= 1,
                                          timeout=10)
        self.snapshot("unpacked-strip", crop=timed.window.grown(8), scale=4, image=timed.image)
        # The desktop matches the running window to its menu entry by the window class.
        self.assertEqual(self.session.wm_class(wid), ("talvex", self.desktop_entry()["StartupWMClass"]))
        self.assertTrue(program.is_running(), program.log())


if __name__ == "__main__":
    unittest.main()
