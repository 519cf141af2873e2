# SPDX-FileCopyrightText: 2026 the Tavrindole developers
# SPDX-License-Identifier: MIT
"""A private desktop with the real program in it, and ways to look at it.

Used by the end-to-end tests, the soak run and the capture scripts: each starts
its own X server (Xvfb with openbox, or the Xwayland of a headless Wayland
compositor), runs the real binary there, sends real key events through the
server (xdotool, which uses XTest) and captures the window (xwd, ImageMagick).
"""

import ctypes
import ctypes.util
import json
import os
import re
import shutil
import signal
import subprocess
import tempfile
import time

# The keys after which every build's picture must match the native build's
# outline (the window tests) and the still picture is taken (capture.py).
with open(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tests", "e2e",
                       "reference_keys.json")) as f:
    REFERENCE_KEYS = [key for key, presses in json.load(f)["runs"] for _ in range(presses)]
TOOLS = ("wmctrl", "xdotool", "xwininfo", "xwd", "xdpyinfo", "convert", "compare")
DESKTOP_TOOLS = {"openbox": ("Xvfb", "openbox"),
                 "mutter": ("mutter", "Xwayland", "dbus-run-session"),
                 "weston": ("weston", "Xwayland")}


def missing_tools(desktop="openbox"):
    return [t for t in TOOLS + DESKTOP_TOOLS[desktop] if shutil.which(t) is None]


def end(process, group=False):
    """Ends a child process, politely first. With group, the child leads a
    session of its own, and whatever it started there ends with it."""
    if process is None or (process.poll() is not None and not group):
        return
    for sig in (signal.SIGTERM, signal.SIGKILL):
        try:
            if group:
                os.killpg(process.pid, sig)
            else:
                process.send_signal(sig)
            process.wait(5)
            return
        except ProcessLookupError:
            break
        except subprocess.TimeoutExpired:
            continue
    process.wait()


def xwayland_display(session_id, log):
    """The X display of the Xwayland that a compositor in session session_id
    started (mutter), or that its log names (weston starts Xwayland when the
    first X client comes), or None while there is none."""
    with open(log, errors="replace") as f:
        named = re.search(r"xserver listening on display (:\d+)", f.read())
    if named:
        return named.group(1)
    for pid in filter(str.isdigit, os.listdir("/proc")):
        try:
            with open(f"/proc/{pid}/stat") as f:
                stat = f.read().rsplit(")", 1)[1].split()
            with open(f"/proc/{pid}/cmdline", "rb") as f:
                argv = f.read().decode(errors="replace").split("\0")
        except OSError:
            continue
        if int(stat[3]) == session_id and os.path.basename(argv[0]) == "Xwayland":
            displays = [a for a in argv[1:] if re.fullmatch(r":\d+", a)]
            if displays:
                return displays[0]
    return None


class ClientMessage(ctypes.Structure):
    """Xlib's XClientMessageEvent, padded to the size of an XEvent."""
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                ("display", ctypes.c_void_p), ("window", ctypes.c_ulong),
                ("message_type", ctypes.c_ulong), ("format", ctypes.c_int),
                ("data", ctypes.c_long * 5), ("pad", ctypes.c_long * 12)]


def send_delete_window(display_name, window):
    """Asks a window to close with WM_PROTOCOLS/WM_DELETE_WINDOW, as a window
    manager does when its close button is pressed."""
    x11 = ctypes.CDLL(ctypes.util.find_library("X11"))
    x11.XOpenDisplay.restype = ctypes.c_void_p
    x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
    x11.XInternAtom.restype = ctypes.c_ulong
    x11.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
    x11.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long,
                               ctypes.POINTER(ClientMessage)]
    x11.XFlush.argtypes = x11.XCloseDisplay.argtypes = [ctypes.c_void_p]
    connection = x11.XOpenDisplay(display_name.encode())
    if not connection:
        raise RuntimeError(f"cannot open display {display_name}")
    message = ClientMessage(type=33, window=window, format=32,  # 33: ClientMessage
                            message_type=x11.XInternAtom(connection, b"WM_PROTOCOLS", 0))
    message.data[0] = x11.XInternAtom(connection, b"WM_DELETE_WINDOW", 0)  # data[1]: CurrentTime
    x11.XSendEvent(connection, window, 0, 0, ctypes.byref(message))
    x11.XFlush(connection)
    x11.XCloseDisplay(connection)


class XSession:
    """A desktop and the program, all ended on leaving the with-block.

    The desktop is Xvfb with openbox, or a Wayland compositor (GNOME's
    mutter, or weston) running the program through its Xwayland. Either way
    a window manager is there as on a real desktop: it is what makes a
    full-screen request cover the screen, and what closes a window politely.
    A launcher, such as ["wine"] or ["qemu-aarch64"], goes before the
    program's path.
    """

    DESKTOPS = ("openbox", "mutter", "weston")

    def __init__(self, program, width=1280, height=720, env=None, args=(), launcher=(),
                 desktop="openbox"):
        self.program = program
        self.width, self.height = width, height
        self.extra_env = env or {}
        self.args = list(args)
        self.launcher = list(launcher)
        self.desktop = desktop
        self.xvfb = self.app = self.wm = self.compositor = None
        self.dir = tempfile.mkdtemp(prefix="tavrindole-x-")
        self.window = None
        self.shots = 0  # captures frames() has taken, for their names

    # --- lifecycle -------------------------------------------------------
    def __enter__(self):
        missing = missing_tools(self.desktop)
        if missing:
            raise RuntimeError("needed for the real-window tests but not installed: "
                               + " ".join(missing) + " (./scripts/test installs them)")
        try:
            if self.desktop == "openbox":
                self.start_xvfb_and_openbox()
            else:
                self.start_compositor()
        except BaseException:
            self.__exit__(None, None, None)
            raise
        return self

    def start_xvfb_and_openbox(self):
        read_fd, write_fd = os.pipe()
        self.xvfb = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_fd), "-screen", "0",
             f"{self.width}x{self.height}x24", "-nolisten", "tcp", "-br", "-noreset"],
            pass_fds=(write_fd,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_fd)
        number = b""
        with os.fdopen(read_fd, "rb") as pipe:
            while not number.endswith(b"\n"):
                chunk = pipe.read(1)
                if not chunk:
                    raise RuntimeError("Xvfb did not start")
                number += chunk
        self.display = ":" + number.decode().strip()
        self.env = dict(os.environ, DISPLAY=self.display, **self.extra_env)
        # openbox names itself on the screen before it takes windows, and a
        # window mapped in between is never shown (seen where its first start
        # is slow, in a fresh container). It runs the --startup command once
        # it takes them.
        ready = os.path.join(self.dir, "openbox-ready")
        self.wm = subprocess.Popen(["openbox", "--sm-disable", "--startup", f"touch {ready}"],
                                   env=self.env, stdout=subprocess.DEVNULL,
                                   stderr=subprocess.DEVNULL)
        self.wait_for(lambda: os.path.exists(ready) or self.wm.poll() is not None,
                      "the window manager did not start")
        if self.wm.poll() is not None:
            raise RuntimeError(f"openbox ended with status {self.wm.returncode}")

    def start_compositor(self):
        """mutter or weston, headless, with a runtime folder of their own; the
        program reaches them through the Xwayland they start."""
        runtime = os.path.join(self.dir, "runtime")
        os.mkdir(runtime, 0o700)
        socket = "tavrindole-wayland"
        size = f"{self.width}x{self.height}"
        if self.desktop == "mutter":
            command = ["dbus-run-session", "--", "mutter", "--headless", "--wayland",
                       "--virtual-monitor", size, f"--wayland-display={socket}"]
        else:
            command = ["weston", "--backend=headless-backend.so", "--xwayland",
                       f"--width={self.width}", f"--height={self.height}", f"--socket={socket}"]
        env = {k: v for k, v in os.environ.items()
               if k not in ("DISPLAY", "WAYLAND_DISPLAY", "XAUTHORITY", "DBUS_SESSION_BUS_ADDRESS")}
        env["XDG_RUNTIME_DIR"] = runtime
        log = os.path.join(self.dir, "compositor.log")
        with open(log, "wb") as out:
            self.compositor = subprocess.Popen(command, env=env, start_new_session=True,
                                               stdin=subprocess.DEVNULL, stdout=out,
                                               stderr=subprocess.STDOUT)
        self.display = self.wait_for(lambda: xwayland_display(self.compositor.pid, log),
                                     f"{self.desktop} started no Xwayland")
        self.env = dict(env, DISPLAY=self.display, WAYLAND_DISPLAY=socket, **self.extra_env)
        auth = [f for f in os.listdir(runtime) if f.startswith(".mutter-Xwaylandauth.")]
        if auth:
            self.env["XAUTHORITY"] = os.path.join(runtime, auth[0])
        self.wait_for(lambda: self.run("xdpyinfo", check=False, status=True) == 0,
                      f"{self.desktop}'s Xwayland takes no clients")

    def wait_for(self, ready, failure, seconds=20):
        """Waits until ready() gives something true, and returns it."""
        deadline = time.monotonic() + seconds
        while not (result := ready()):
            if time.monotonic() > deadline:
                raise TimeoutError(failure)
            time.sleep(0.05)
        return result

    def __exit__(self, *exc):
        for process in (self.app, self.wm, self.xvfb):
            end(process)
        end(self.compositor, group=True)
        shutil.rmtree(self.dir, ignore_errors=True)
        return False

    def start_program(self, timeout=30):
        self.out_path = os.path.join(self.dir, "stdout")
        self.err_path = os.path.join(self.dir, "stderr")
        env = dict(self.env)
        if os.environ.get("TAVRINDOLE_PRELOAD"):  # for the program alone, never the tools
            env["LD_PRELOAD"] = os.environ["TAVRINDOLE_PRELOAD"]
        with open(self.out_path, "wb") as out, open(self.err_path, "wb") as err:
            self.app = subprocess.Popen(self.launcher + [self.program] + self.args, env=env,
                                        stdin=subprocess.DEVNULL, stdout=out, stderr=err)

        def full_screen_window():
            if self.app.poll() is not None:
                raise RuntimeError(f"program ended with status {self.app.returncode}: "
                                   + self.output()[1].decode(errors="replace"))
            return self.window_ready()

        try:
            self.wait_for(full_screen_window, "no full-screen window titled Tavrindole appeared",
                          timeout)
        except TimeoutError:
            if self.window is None:
                raise  # a window that never grew is left to the tests to judge
        # Point at the window so that the keys go to it. (A compositor gives a
        # new window the focus itself, and headless it has no pointer to move:
        # Xwayland under weston crashes on the warp.)
        if self.desktop == "openbox":
            self.run("xdotool", "mousemove", str(self.width // 2), str(self.height // 2))
        self.frames(3)  # the third is drawn at full size, whatever came before
        return self.window

    def close_window(self):
        """Closes the window as its desktop's window manager would. Weston's
        publishes no client list for wmctrl, so there the window gets the
        WM_DELETE_WINDOW message a window manager sends."""
        if self.desktop != "weston":
            self.run("wmctrl", "-c", "Tavrindole")
            return
        send_delete_window(self.display, int(self.window))

    def stop_program(self):
        end(self.app)

    def alive(self):
        return self.app is not None and self.app.poll() is None

    def output(self):
        with open(self.out_path, "rb") as out, open(self.err_path, "rb") as err:
            return out.read(), err.read()

    # --- talking to the server -------------------------------------------
    def run(self, *cmd, check=True, data=None, status=False):
        result = subprocess.run(cmd, env=self.env, input=data, capture_output=True, timeout=60)
        if status:
            return result.returncode
        if check and result.returncode != 0:
            raise RuntimeError(f"{cmd[0]} failed: {result.stderr.decode(errors='replace')}")
        return result.stdout if data is not None else result.stdout.decode()

    def window_ready(self):
        """Whether a window titled Tavrindole covers the screen and can be
        captured: full size alone is not enough, since a window can be full
        size before it is mapped, and xwd of an unmapped window fails
        (BadMatch). Keeps the window found in self.window."""
        for window in self.run("xdotool", "search", "--name", "^Tavrindole$",
                               check=False).split():
            self.window = window
            geometry = self.window_geometry(check=False)
            # Wine maps the window small first, then makes it full screen.
            if geometry and geometry["viewable"] and (
                    geometry["width"], geometry["height"]) == (self.width, self.height):
                return True
        return False

    def window_geometry(self, check=True):
        info = self.run("xwininfo", "-id", self.window, check=check)
        if not info:
            return None
        get = lambda key: int(re.search(key + r":\s+(-?\d+)", info).group(1))
        return {"x": get("Absolute upper-left X"), "y": get("Absolute upper-left Y"),
                "width": get("Width"), "height": get("Height"),
                "border": get("Border width"), "viewable": "Map State: IsViewable" in info}

    def window_icons(self):
        """The icons the window offers its desktop (_NET_WM_ICON), as
        {(width, height): RGB bytes}."""
        text = self.run("xprop", "-id", self.window, "-notype", "32c", "_NET_WM_ICON")
        values = [int(v) for v in re.findall(r"\d+", text.partition("=")[2])]
        icons = {}
        while len(values) >= 2:
            width, height = values[:2]
            pixels, values = values[2:2 + width * height], values[2 + width * height:]
            icons[(width, height)] = bytes(b for argb in pixels
                                           for b in ((argb >> 16) & 255, (argb >> 8) & 255,
                                                     argb & 255))
        return icons

    def keys(self, *names, delay_ms=30):
        self.run("xdotool", "key", "--delay", str(delay_ms), *names)

    def frames(self, count=2, seconds=120):
        """Waits until the program has shown count new frames and returns a
        capture of the last. The colours crawl on every frame, so a picture
        that differs from the one before is a new frame. Two frames after
        keys show them: the first may have been drawn before they arrived.
        The deadline is generous for emulators, which draw a few a second."""
        def shot():
            self.shots += 1
            return self.capture(f"frame-{self.shots:03d}")

        last = shot()
        for _ in range(count):
            def new_frame(previous=last):
                path = shot()
                return path if self.differing_pixels(path, previous) > 0 else None
            last = self.wait_for(new_frame, f"no new frame within {seconds} s", seconds)
        return last

    def capture(self, name):
        """Saves the window, which covers the screen, as name.png in the session
        folder; returns the path. (Under Xwayland the root window holds no picture.)"""
        path = os.path.join(self.dir, name + ".png")
        raw = self.run("xwd", "-id", self.window, "-silent", data=b"")
        subprocess.run(["convert", "xwd:-", path], input=raw, check=True)
        return path

    def unique_colors(self, path):
        text = subprocess.run(["convert", path, "-depth", "8", "-unique-colors", "txt:-"],
                              capture_output=True, check=True).stdout.decode()
        return {tuple(int(v) for v in m.groups())
                for m in re.finditer(r"\((\d+),(\d+),(\d+)", text)}

    def silhouette(self, path):
        """The picture with every non-black pixel made white: the ribbon's outline."""
        out = path[:-4] + "-mask.png"
        subprocess.run(["convert", path, "-fill", "white", "+opaque", "black", out], check=True)
        return out

    def lit_pixels(self, path):
        mask = self.silhouette(path)
        mean = subprocess.run(["convert", mask, "-colorspace", "gray", "-format", "%[fx:mean]",
                               "info:"], capture_output=True, check=True).stdout
        return round(float(mean) * self.width * self.height)

    @staticmethod
    def differing_pixels(a, b):
        result = subprocess.run(["compare", "-metric", "AE", a, b, "null:"],
                                capture_output=True)
        return int(float(result.stderr.split()[0]))
