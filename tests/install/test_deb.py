"""The Debian package as a user gets it: built with CPack from the build folder, unpacked with dpkg-deb,
its control fields, its files, its desktop entry and software-centre entry, its manual page, licence and
changelog, what lintian says of it, and the unpacked program started under Xvfb.

Environment:
    TALVEX_BUILD_DIR  the configured and built build folder (holds CPackConfig.cmake)
    TALVEX_CPACK      the cpack program (optional)
"""

from __future__ import annotations

import configparser
import gzip
import os
import re
import shutil
import struct
import subprocess
import sys
import tempfile
import unittest
import xml.etree.ElementTree as ElementTree
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "e2e"))

from talvex_e2e import TalvexTestCase  # noqa: E402

VERSION = "2022.601"
APP_ID = "com.quorvy.talvex"
SOURCE = Path(__file__).resolve().parents[2]
XML_LANG = "{http://www.w3.org/XML/1998/namespace}lang"
# What the program needs at run time: the Qt libraries it links, Qt's X11 platform plugin, the X
# connection library and a font with the Chinese captions.
RUNTIME_DEPENDS = {"libqt6widgets6", "libqt6gui6", "libqt6core6", "qt6-qpa-plugins", "libxcb1", "fonts-noto-cjk"}
# Where an installed program's files may go; anything else (headers, static libraries, test programs)
# does not belong in the package.
ALLOWED_PREFIXES = ("usr/bin/", "usr/share/applications/", "usr/share/icons/hicolor/", "usr/share/metainfo/",
                    "usr/share/man/man1/", "usr/share/doc/talvex/")


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


def deb822(text: str) -> list[dict[str, str]]:
    """The paragraphs of a Debian control-style file; a continued field keeps its line breaks."""
    paragraphs = []
    for block in re.split(r"\n\s*\n", text.strip()):
        fields: dict[str, str] = {}
        name = ""
        for line in block.splitlines():
            if line[:1].isspace():
                fields[name] += "\n" + line
            else:
                name, _, value = line.partition(":")
                fields[name] = value.strip()
        paragraphs.append(fields)
    return paragraphs


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
        parser.read(self.root / f"usr/share/applications/{APP_ID}.desktop", encoding="utf-8")
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
        self.assertIn("usr/share/icons/hicolor/scalable/apps/talvex.svg", icons)
        for icon in icons:
            if icon.endswith(".svg"):
                continue
            match = re.fullmatch(r"usr/share/icons/hicolor/(\d+)x(\d+)/apps/talvex\.png", icon)
            self.assertIsNotNone(match, icon)
            self.assertEqual(png_size(self.root / icon), (int(match[1]), int(match[2])), icon)

    def test_scalable_icon_is_the_same_drawing(self) -> None:
        """The SVG icon, rendered at 48 pixels, looks like the drawn 48-pixel icon: a changed design that
        misses one of them shows here."""
        svg = self.root / "usr/share/icons/hicolor/scalable/apps/talvex.svg"
        png = self.root / "usr/share/icons/hicolor/48x48/apps/talvex.png"
        rendered = self.root.parent / "rendered-icon.png"
        run(["rsvg-convert", "--width", "48", "--height", "48", str(svg), "-o", str(rendered)])
        # compare prints the difference to stderr and exits with 1 when the pictures differ at all.
        result = subprocess.run(["compare", "-metric", "RMSE", str(rendered), str(png), "null:"],
                                capture_output=True, text=True, timeout=60)
        match = re.search(r"\(([0-9.e-]+)\)", result.stderr)
        self.assertIsNotNone(match, result.stderr)
        # Anti-aliasing and the drawn icon's 256-colour palette differ by about 0.016; a disc moved by two
        # pixels makes 0.08, a swapped colour 0.15.
        self.assertLess(float(match[1]), 0.04)

    def test_desktop_entry_is_valid_and_names_the_packaged_program(self) -> None:
        path = self.root / f"usr/share/applications/{APP_ID}.desktop"
        result = subprocess.run(["desktop-file-validate", str(path)], capture_output=True, text=True, timeout=30)
        self.assertEqual((result.returncode, result.stdout + result.stderr), (0, ""))
        entry = self.desktop_entry()
        self.assertEqual(entry["Name"], "Talvex")
        self.assertTrue((self.root / "usr/bin" / entry["Exec"].split()[0]).is_file(), entry["Exec"])
        self.assertTrue((self.root / f"usr/share/icons/hicolor/48x48/apps/{entry['Icon']}.png").is_file())

    def test_lintian_finds_no_error_or_warning(self) -> None:
        # Informational and pedantic tags are shown too, so that a failure lists everything lintian saw.
        result = subprocess.run(["lintian", "--info", "--pedantic", "--display-experimental", str(self.deb)],
                                capture_output=True, text=True, timeout=300)
        tags = [line for line in result.stdout.splitlines() if re.match(r"[EWIPXO]: ", line)]
        self.assertEqual([t for t in tags if t[0] in "EW"], [], "\n".join(tags) + result.stderr)
        self.assertEqual(result.returncode, 0, result.stdout + result.stderr)

    def test_manual_page_renders_without_warnings(self) -> None:
        page = self.root / "usr/share/man/man1/talvex.1.gz"
        env = {**os.environ, "LC_ALL": "C.UTF-8", "MANWIDTH": "100"}
        # As lintian checks it: groff's warnings go to stderr.
        checked = subprocess.run(["man", "--warnings", "-E", "UTF-8", "-l", "-Tutf8", "-Z", str(page)],
                                 capture_output=True, text=True, env=env, timeout=60)
        self.assertEqual((checked.returncode, checked.stderr), (0, ""))
        text = run(["man", "-l", str(page)], env=env).stdout
        headings = re.findall(r"^([A-Z][A-Z ]+)$", text, re.MULTILINE)
        self.assertEqual(headings, ["NAME", "SYNOPSIS", "DESCRIPTION", "FILES", "ENVIRONMENT", "EXIT STATUS"])
        self.assertIn(f"Talvex {VERSION}", text.splitlines()[-1])
        whatis = run(["lexgrog", str(page)]).stdout
        self.assertIn('"talvex - countdown timer for slide presentations"', whatis)

    def test_changelog_and_copyright_follow_the_version_and_the_licence(self) -> None:
        doc = self.root / "usr/share/doc/talvex"
        changelog = gzip.decompress((doc / "changelog.gz").read_bytes()).decode()
        parsed = run(["dpkg-parsechangelog", "-l", "-"], input=changelog).stdout
        fields = deb822(parsed)[0]
        self.assertEqual((fields["Source"], fields["Version"]), ("talvex", VERSION))
        self.assertEqual(fields["Maintainer"], self.field("Maintainer"))

        header, files, licence = deb822((doc / "copyright").read_text(encoding="utf-8"))
        self.assertEqual(header["Format"], "https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/")
        self.assertEqual((files["Files"], files["License"]), ("*", "Expat"))
        source = (SOURCE / "LICENSE").read_text(encoding="utf-8")
        self.assertIn(f"Copyright (c) {files['Copyright']}\n", source)
        notice = "\n".join("" if line.strip() == "." else line[1:] for line in licence["License"].splitlines()[1:])
        self.assertEqual(licence["License"].splitlines()[0], "Expat")
        self.assertTrue(source.rstrip().endswith(notice), notice)

    def test_software_centre_entry_validates_and_matches_the_package(self) -> None:
        metainfo = self.root / f"usr/share/metainfo/{APP_ID}.metainfo.xml"
        for argv in (["appstreamcli", "validate", "--no-net", "--pedantic", str(metainfo)],
                     # Also across the tree: the desktop entry it launches is there and agrees.
                     ["appstreamcli", "validate-tree", "--no-net", "--pedantic", str(self.root)]):
            with self.subTest(argv[1]):
                result = subprocess.run(argv, capture_output=True, text=True, timeout=60)
                output = result.stdout + result.stderr
                self.assertEqual(result.returncode, 0, output)
                # Pedantic hints also count: the only line is the verdict (its tick mark depends on the
                # locale's character set).
                lines = [line for line in output.splitlines() if line.strip()]
                self.assertEqual(len(lines), 1, output)
                self.assertTrue(lines[0].endswith(" Validation was successful."), output)

        component = ElementTree.parse(metainfo).getroot()
        self.assertEqual(component.findtext("id"), APP_ID)
        self.assertEqual(component.findtext("launchable[@type='desktop-id']"), f"{APP_ID}.desktop")
        self.assertEqual(component.findtext("provides/binary"), "talvex")
        self.assertEqual([r.get("version") for r in component.findall("releases/release")], [VERSION])
        self.assertEqual(component.findtext("project_license"), "MIT")
        for tag in ("summary", "description/p"):
            with self.subTest(tag):
                languages = {e.get(XML_LANG) for e in component.findall(tag)}
                self.assertEqual(languages, {None, "zh-CN"})
        # The screenshots are the README's pictures, at the project's address.
        homepage = self.field("Homepage")
        images = [e.text for e in component.findall("screenshots/screenshot/image")]
        self.assertTrue(images)
        for image in images:
            self.assertTrue(image.startswith(homepage), image)
            picture = image.removeprefix(homepage)
            self.assertTrue((SOURCE / picture).is_file(), image)
            self.assertIn(f"({picture})", (SOURCE / "README.md").read_text(encoding="utf-8"))

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
