"""End-to-end harness for Wayland desktops: a headless sway with or without XWayland, a pointer of the
compositor's own, screenshots, and the real Talvex started the way such a desktop starts a program.

sway refuses to run as root and XWayland admits only the user who started it, so when the tests run as
root the whole session (sway, XWayland, Talvex, the X tools) runs as the user `nobody`; the test reads
what it needs as root. Each session has its own runtime folder (0700, owned by that user), its own copy
of the executable where that user can run it, and a settings folder per program start.

The pointer is a wlr virtual pointer that this harness creates over the Wayland socket itself: headless
sway has no input device, and the compositor's own pointer is what a presenter moves, for X and Wayland
windows alike. Positions are in the layout's pixels.

Typical use:

    session = SwaySession(xwayland=True).start()
    program = session.start_talvex(store)
    wid = session.wait_window("Form1")            # the strip as an X window, when XWayland runs
    session.pointer.click(*point)
    image = session.screenshot()
"""

from __future__ import annotations

import json
import os
import pwd
import shutil
import socket
import struct
import subprocess
import tempfile
import time
from pathlib import Path
from typing import Callable, Optional, Sequence

from talvex_e2e import (HarnessError, Image, TalvexProcess, XWindows, _die_with_parent, _kill_group, talvex_exe,
                        wait_until)

OUTPUT_WIDTH = 1280
OUTPUT_HEIGHT = 800
SESSION_USER = "nobody"     # who runs the session when the tests run as root

BTN_LEFT = 0x110            # Linux input button codes
BTN_RIGHT = 0x111


# ---------------------------------------------------------------------------------------------
# A Wayland client in a few lines: just what a virtual pointer needs

class WaylandConnection:
    """The Wayland wire protocol over the compositor's socket: requests out, the registry's globals in."""

    DISPLAY_ID = 1

    def __init__(self, socket_path: Path):
        self.sock = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
        self.sock.connect(str(socket_path))
        self.next_id = 2
        self.buffer = b""
        self.globals: dict[str, tuple[int, int]] = {}
        self.registry = self.new_id()
        self.request(self.DISPLAY_ID, 1, struct.pack("<I", self.registry))      # wl_display.get_registry
        self.roundtrip()

    def close(self) -> None:
        self.sock.close()

    def new_id(self) -> int:
        self.next_id += 1
        return self.next_id - 1

    def request(self, obj: int, opcode: int, body: bytes = b"") -> None:
        self.sock.sendall(struct.pack("<II", obj, (8 + len(body)) << 16 | opcode) + body)

    @staticmethod
    def string(text: str) -> bytes:
        data = text.encode() + b"\0"
        return struct.pack("<I", len(data)) + data + b"\0" * (-len(data) % 4)

    def roundtrip(self, timeout: float = 10) -> None:
        """Waits until the compositor has handled every request sent so far (wl_display.sync)."""
        callback = self.new_id()
        self.request(self.DISPLAY_ID, 0, struct.pack("<I", callback))
        deadline = time.monotonic() + timeout
        while True:
            while len(self.buffer) >= 8:
                obj, word = struct.unpack_from("<II", self.buffer)
                size, opcode = word >> 16, word & 0xFFFF
                if len(self.buffer) < size:
                    break
                body, self.buffer = self.buffer[8:size], self.buffer[size:]
                if obj == self.DISPLAY_ID and opcode == 0:                        # wl_display.error
                    failed, code, length = struct.unpack_from("<III", body)
                    raise HarnessError(f"Wayland error {code} on object {failed}: {body[12:11 + length].decode()}")
                if obj == self.registry and opcode == 0:                          # wl_registry.global
                    name, length = struct.unpack_from("<II", body)
                    interface = body[8:7 + length].decode()
                    (version,) = struct.unpack_from("<I", body, 8 + length + (-length % 4))
                    self.globals[interface] = (name, version)
                if obj == callback and opcode == 0:                               # wl_callback.done
                    return
            remaining = deadline - time.monotonic()
            if remaining <= 0:
                raise HarnessError("the compositor did not answer a roundtrip")
            self.sock.settimeout(remaining)
            data = self.sock.recv(65536)
            if not data:
                raise HarnessError("the compositor closed the connection")
            self.buffer += data

    def bind(self, interface: str, version: int) -> int:
        if interface not in self.globals:
            raise HarnessError(f"the compositor offers no {interface}")
        name, offered = self.globals[interface]
        obj = self.new_id()
        self.request(self.registry, 0, struct.pack("<I", name) + self.string(interface)
                     + struct.pack("<II", min(version, offered), obj))
        return obj


class VirtualPointer:
    """A pointer device of the compositor (zwlr_virtual_pointer_v1), moved to absolute layout pixels.

    Every call waits until the compositor has handled it, so the next screenshot or query sees its effect
    on the compositor's side; the programs under it may take longer."""

    def __init__(self, socket_path: Path, width: int, height: int):
        self.connection = WaylandConnection(socket_path)
        self.width, self.height = width, height
        manager = self.connection.bind("zwlr_virtual_pointer_manager_v1", 1)
        self.pointer = self.connection.new_id()
        self.connection.request(manager, 0, struct.pack("<II", 0, self.pointer))   # create_virtual_pointer(seat: default)
        self.connection.roundtrip()
        self.position: Optional[tuple[int, int]] = None

    def close(self) -> None:
        self.connection.close()

    @staticmethod
    def _now() -> int:
        return int(time.monotonic() * 1000) & 0xFFFFFFFF

    def _frame(self) -> None:
        self.connection.request(self.pointer, 4)                                   # frame
        self.connection.roundtrip()

    def move(self, x: int, y: int) -> None:
        self.connection.request(self.pointer, 1, struct.pack("<IIIII", self._now(), x, y, self.width, self.height))
        self._frame()
        self.position = (x, y)

    def arrive(self, x: int, y: int) -> None:
        """Moves onto (x, y) the way a hand does, with a last motion inside the target: XWayland reports
        a press at the pointer's last motion, and a jump onto a window brings an enter but no motion."""
        self.move(x - 1, y)
        time.sleep(0.05)
        self.move(x, y)
        time.sleep(0.05)

    def button(self, pressed: bool, code: int = BTN_LEFT) -> None:
        self.connection.request(self.pointer, 2, struct.pack("<III", self._now(), code, 1 if pressed else 0))
        self._frame()

    def click(self, x: int, y: int, code: int = BTN_LEFT) -> None:
        self.arrive(x, y)
        self.button(True, code)
        time.sleep(0.03)
        self.button(False, code)

    def double_click(self, x: int, y: int) -> None:
        self.arrive(x, y)
        for _ in range(2):
            self.button(True)
            time.sleep(0.03)
            self.button(False)
            time.sleep(0.06)

    def drag(self, start: tuple[int, int], steps: Sequence[tuple[int, int]], step_delay: float = 0.03,
             after_step: Optional[Callable[[int], None]] = None) -> None:
        """Presses at start, moves by each (dx, dy) of steps in turn with the button held, releases.
        after_step(i), when given, runs after step i, e.g. to wait until a slow program has kept up."""
        self.arrive(*start)
        self.button(True)
        x, y = start
        try:
            time.sleep(0.1)
            for i, (dx, dy) in enumerate(steps):
                x, y = x + dx, y + dy
                self.move(x, y)
                time.sleep(step_delay)
                if after_step is not None:
                    after_step(i)
            time.sleep(0.2)
        finally:
            self.button(False)


# ---------------------------------------------------------------------------------------------
# The session

class SwaySession(XWindows):
    """A headless sway on one 1280x800 output, with XWayland (xwayland=True) or without, and its pointer.
    The X window questions reach the programs' X windows through XWayland."""

    window_timeout = 20.0
    no_window_timeout = 10.0

    def __init__(self, xwayland: bool = True):
        self.xwayland = xwayland
        self.tmp: Optional[Path] = None
        self.runtime: Optional[Path] = None
        self.sway: Optional[subprocess.Popen] = None
        self.ipc: Optional[Path] = None
        self.wayland_display = ""
        self.x_display = ""
        self.pointer: Optional[VirtualPointer] = None
        self.exe: Optional[Path] = None
        self.programs: list[TalvexProcess] = []
        self.clients: list[subprocess.Popen] = []
        self._stores = 0
        if os.getuid() == 0:
            entry = pwd.getpwnam(SESSION_USER)
            self.uid, self.gid, self.home = entry.pw_uid, entry.pw_gid, None
        else:
            self.uid, self.gid, self.home = os.getuid(), os.getgid(), None

    # -- life cycle ---------------------------------------------------------------------------

    def start(self) -> "SwaySession":
        try:
            self.tmp = Path(tempfile.mkdtemp(prefix="talvex-sway-"))
            # The session's user must reach its files under the test's own temporary folder.
            self.tmp.chmod(0o755)
            self.runtime = self._user_dir("runtime", 0o700)
            self.home = self._user_dir("home", 0o700)
            self.exe = self.tmp / "bin" / "talvex"
            self.exe.parent.mkdir(mode=0o755)
            shutil.copy2(talvex_exe(), self.exe)
            self.exe.chmod(0o755)
            self._start_sway()
            if self.xwayland:
                self._start_xwayland()
            self.pointer = VirtualPointer(self.runtime / self.wayland_display, OUTPUT_WIDTH, OUTPUT_HEIGHT)
            self.park_pointer()
        except BaseException:
            self.stop()
            raise
        return self

    def stop(self) -> None:
        for program in self.programs:
            program.stop()
        self.programs.clear()
        for client in self.clients:
            _kill_group(client)
        self.clients.clear()
        if self.pointer is not None:
            self.pointer.close()
            self.pointer = None
        if self.sway is not None:
            # XWayland and every client the compositor started are in sway's process group.
            _kill_group(self.sway)
            self.sway = None
        if self.tmp is not None:
            shutil.rmtree(self.tmp, ignore_errors=True)
            self.tmp = None

    def park_pointer(self) -> None:
        """Moves the pointer where no test puts a window: headless sway draws it into its screenshots."""
        self.pointer.move(OUTPUT_WIDTH - 5, OUTPUT_HEIGHT - 5)

    def save_logs(self, folder: Path, prefix: str) -> None:
        """Copies the session's logs (sway, the programs, the other clients) for a look after a failure."""
        if self.tmp is None:
            return
        for log in self.tmp.glob("*.log"):
            shutil.copyfile(log, folder / f"{prefix}-{log.name}")

    def _user_dir(self, name: str, mode: int) -> Path:
        path = self.tmp / name
        path.mkdir(mode=mode)
        os.chown(path, self.uid, self.gid)
        return path

    def _as_user(self) -> None:
        # In the child, before exec: become the session's user, then ask to die with the harness (a
        # change of user clears that request, so it comes second).
        if os.getuid() != self.uid:
            os.setgroups([])
            os.setgid(self.gid)
            os.setuid(self.uid)
        _die_with_parent()

    def user_env(self, overrides: Optional[dict] = None) -> dict:
        """The environment of a program on this desktop, as the compositor would hand it down."""
        env = {
            "PATH": os.environ.get("PATH", "/usr/bin:/bin"),
            "HOME": str(self.home),
            "USER": SESSION_USER if os.getuid() == 0 else os.environ.get("USER", ""),
            "LANG": "C.UTF-8",
            "XDG_RUNTIME_DIR": str(self.runtime),
            "XDG_SESSION_TYPE": "wayland",
            "XDG_CURRENT_DESKTOP": "sway",
            "NO_AT_BRIDGE": "1",
        }
        if self.wayland_display:
            env["WAYLAND_DISPLAY"] = self.wayland_display
        if self.x_display:
            env["DISPLAY"] = self.x_display
        for key, value in (overrides or {}).items():
            if value is None:
                env.pop(key, None)
            else:
                env[key] = str(value)
        return env

    def spawn(self, argv: Sequence[str], env: Optional[dict] = None, log: Optional[Path] = None,
              **kwargs) -> subprocess.Popen:
        """Starts a program as the session's user, in its own process group."""
        out = open(log, "ab") if log else subprocess.DEVNULL
        try:
            return subprocess.Popen(list(argv), env=env if env is not None else self.user_env(),
                                    stdin=subprocess.DEVNULL, stdout=out, stderr=subprocess.STDOUT,
                                    start_new_session=True, preexec_fn=self._as_user, **kwargs)
        finally:
            if log:
                out.close()

    def run(self, argv: Sequence[str], check: bool = True, timeout: float = 20) -> subprocess.CompletedProcess:
        """Runs a program as the session's user to completion (X tools reach XWayland only so)."""
        result = subprocess.run(list(argv), env=self.user_env(), capture_output=True, text=True,
                                timeout=timeout, preexec_fn=self._as_user)
        if check and result.returncode != 0:
            raise HarnessError(f"{' '.join(argv)} failed ({result.returncode}): {result.stderr}")
        return result

    def _start_sway(self) -> None:
        config = self.tmp / "sway.conf"
        config.write_text(
            f"xwayland {'enable' if self.xwayland else 'disable'}\n"
            f"output HEADLESS-1 resolution {OUTPUT_WIDTH}x{OUTPUT_HEIGHT} position 0 0 bg #303030 solid_color\n"
            "focus_follows_mouse no\n"
            "default_border pixel 2\n")
        config.chmod(0o644)
        env = self.user_env({"WLR_BACKENDS": "headless", "WLR_LIBINPUT_NO_DEVICES": "1", "WLR_RENDERER": "pixman",
                             "XDG_SESSION_TYPE": None, "XDG_CURRENT_DESKTOP": None})
        self.sway = self.spawn(["sway", "--config", str(config)], env=env, log=self.tmp / "sway.log")

        def ready() -> bool:
            if self.sway.poll() is not None:
                raise HarnessError("sway exited: " + self.log_tail("sway.log"))
            sockets = sorted(self.runtime.glob("sway-ipc.*.sock"))
            displays = sorted(p.name for p in self.runtime.glob("wayland-*") if not p.name.endswith(".lock"))
            if not sockets or not displays:
                return False
            self.ipc, self.wayland_display = sockets[0], displays[0]
            return True

        wait_until(ready, 30, message="sway to open its sockets")
        wait_until(lambda: any(o.get("active") for o in self.swaymsg("get_outputs")), 30,
                   message="sway's output to come up")

    def _start_xwayland(self) -> None:
        # sway hands DISPLAY to the programs it starts; XWayland itself starts with its first client.
        record = self.runtime / "display"
        self.swaymsg_command(f"exec printf %s \"$DISPLAY\" > {record}")
        wait_until(lambda: record.exists() and record.read_text().startswith(":"), 30,
                   message="sway to name the X display")
        self.x_display = record.read_text()
        wait_until(lambda: self.run(["xprop", "-root", "_NET_SUPPORTING_WM_CHECK"], check=False).returncode == 0,
                   60, interval=0.25, message="XWayland to accept clients")

    def log_tail(self, name: str, lines: int = 30) -> str:
        try:
            return "\n".join((self.tmp / name).read_text(errors="replace").splitlines()[-lines:])
        except OSError:
            return ""

    # -- the compositor -------------------------------------------------------------------------

    def swaymsg(self, kind: str) -> list | dict:
        result = subprocess.run(["swaymsg", "-s", str(self.ipc), "-r", "-t", kind], capture_output=True, text=True,
                                timeout=20)
        if result.returncode != 0:
            raise HarnessError(f"swaymsg -t {kind} failed: {result.stderr}")
        return json.loads(result.stdout)

    def swaymsg_command(self, command: str) -> None:
        result = subprocess.run(["swaymsg", "-s", str(self.ipc), "-r", command], capture_output=True, text=True,
                                timeout=20)
        replies = json.loads(result.stdout or "[]")
        if result.returncode != 0 or not all(r.get("success") for r in replies):
            raise HarnessError(f"swaymsg {command!r} failed: {result.stdout} {result.stderr}")

    def views(self) -> list[dict]:
        """The compositor's windows (tiled, floating and full screen), each a node of its tree."""
        found = []

        def walk(node: dict) -> None:
            if node.get("type") in ("con", "floating_con") and node.get("pid"):
                found.append(node)
            for child in node.get("nodes", []) + node.get("floating_nodes", []):
                walk(child)

        walk(self.swaymsg("get_tree"))
        return found

    def focused_view(self) -> Optional[dict]:
        return next((v for v in self.views() if v.get("focused")), None)

    def wait_view(self, predicate, timeout: float = 20, message: str = "a window") -> dict:
        def found() -> Optional[dict]:
            return next((v for v in self.views() if predicate(v)), None)

        return wait_until(found, timeout, message=message)  # type: ignore[return-value]

    def screenshot(self) -> Image:
        result = subprocess.run(["grim", "-t", "ppm", "-"], capture_output=True, timeout=30,
                                env={**os.environ, "XDG_RUNTIME_DIR": str(self.runtime),
                                     "WAYLAND_DISPLAY": self.wayland_display})
        if result.returncode != 0:
            raise HarnessError(f"grim failed: {result.stderr.decode(errors='replace')}")
        return Image.from_ppm(result.stdout)

    def type_text(self, text: str) -> None:
        """Types into whatever has the compositor's keyboard focus, through a virtual keyboard (wtype)."""
        # A new keyboard's first keys can arrive before its client has taken the keymap: wait first.
        subprocess.run(["wtype", "-s", "300", text], check=True, timeout=20,
                       env={**os.environ, "XDG_RUNTIME_DIR": str(self.runtime), "WAYLAND_DISPLAY": self.wayland_display})

    # -- programs -----------------------------------------------------------------------------

    def fresh_store(self) -> Path:
        """An empty settings folder that the session's user can write and the test can read."""
        self._stores += 1
        return self._user_dir(f"store-{self._stores}", 0o755)

    def start_talvex(self, store: Optional[Path] = None, env: Optional[dict] = None) -> TalvexProcess:
        """Starts the program as the desktop starts it: no QT_QPA_PLATFORM, both displays when there are."""
        store = store if store is not None else self.fresh_store()
        for path in [store, *store.iterdir()]:
            os.chown(path, self.uid, self.gid)
        log = self.tmp / f"{store.name}-talvex.log"
        popen = self.spawn([str(self.exe)], env=self.user_env({"XDG_CONFIG_HOME": str(store), **(env or {})}),
                           log=log, cwd=str(self.home))
        program = TalvexProcess(popen, store, log, self.tmp / f"{store.name}-browser-calls.txt")
        self.programs.append(program)
        return program

    def stop_program(self, program: TalvexProcess) -> None:
        program.stop()
        if program in self.programs:
            self.programs.remove(program)

    def start_client(self, argv: Sequence[str]) -> subprocess.Popen:
        """Another program on the desktop (a full-screen stand-in for the slide show), ended with the session."""
        process = self.spawn(argv, log=self.tmp / "clients.log", cwd=str(self.home))
        self.clients.append(process)
        return process

    def end_client(self, process: subprocess.Popen) -> None:
        _kill_group(process)
        if process in self.clients:
            self.clients.remove(process)

