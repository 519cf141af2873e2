# SPDX-FileCopyrightText: 2026 the Tavrindole developers
# SPDX-License-Identifier: MIT
"""A private X server with the real program in it, and ways to look at it.

Used by the end-to-end tests, the soak run and the capture scripts: each starts
its own Xvfb on a free display, runs the real binary there, sends real key
events through the server (xdotool, which uses XTest) and captures the screen
(xwd, ImageMagick).
"""

import os
import re
import shutil
import subprocess
import tempfile
import time

TOOLS = ("Xvfb", "openbox", "wmctrl", "xdotool", "xwininfo", "xwd", "convert", "compare")


def missing_tools():
    return [t for t in TOOLS if shutil.which(t) is None]


def end(process):
    """Ends a child process, politely first."""
    if process and process.poll() is None:
        process.terminate()
        try:
            process.wait(5)
        except subprocess.TimeoutExpired:
            process.kill()
            process.wait()


class XSession:
    """Xvfb, a window manager and the program, all ended on leaving the with-block.

    The window manager (openbox) is there as on a desktop: it is what makes a
    full-screen request cover the screen, and what closes a window politely.
    """

    def __init__(self, program, width=1280, height=720, env=None, args=()):
        self.program = program
        self.width, self.height = width, height
        self.extra_env = env or {}
        self.args = list(args)
        self.xvfb = self.app = self.wm = None
        self.dir = tempfile.mkdtemp(prefix="tavrindole-x-")
        self.window = None

    # --- lifecycle -------------------------------------------------------
    def __enter__(self):
        missing = missing_tools()
        if missing:
            raise RuntimeError("needed for the real-window tests but not installed: "
                               + " ".join(missing) + " (./scripts/test installs them)")
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
        self.wm = subprocess.Popen(["openbox", "--sm-disable"], env=self.env,
                                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        deadline = time.monotonic() + 10
        while self.run("wmctrl", "-m", check=False, status=True) != 0:
            if time.monotonic() > deadline:
                raise RuntimeError("the window manager did not start")
            time.sleep(0.05)
        return self

    def __exit__(self, *exc):
        for process in (self.app, self.wm, self.xvfb):
            end(process)
        shutil.rmtree(self.dir, ignore_errors=True)
        return False

    def start_program(self, timeout=15):
        self.out_path = os.path.join(self.dir, "stdout")
        self.err_path = os.path.join(self.dir, "stderr")
        env = dict(self.env)
        if os.environ.get("TAVRINDOLE_PRELOAD"):  # for the program alone, never the tools
            env["LD_PRELOAD"] = os.environ["TAVRINDOLE_PRELOAD"]
        with open(self.out_path, "wb") as out, open(self.err_path, "wb") as err:
            self.app = subprocess.Popen([self.program] + self.args, env=env,
                                        stdin=subprocess.DEVNULL, stdout=out, stderr=err)
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            if self.app.poll() is not None:
                raise RuntimeError(f"program ended with status {self.app.returncode}: "
                                   + self.output()[1].decode(errors="replace"))
            found = self.run("xdotool", "search", "--name", "^Tavrindole$", check=False)
            ids = found.split()
            if ids:
                self.window = ids[0]
                # Point at the window so that the keys go to it.
                self.run("xdotool", "mousemove", str(self.width // 2), str(self.height // 2))
                return self.window
            time.sleep(0.1)
        raise RuntimeError("no window titled Tavrindole appeared")

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

    def window_geometry(self):
        info = self.run("xwininfo", "-id", self.window)
        get = lambda key: int(re.search(key + r":\s+(-?\d+)", info).group(1))
        return {"x": get("Absolute upper-left X"), "y": get("Absolute upper-left Y"),
                "width": get("Width"), "height": get("Height"),
                "border": get("Border width")}

    def keys(self, *names, delay_ms=30):
        self.run("xdotool", "key", "--delay", str(delay_ms), *names)

    def capture(self, name):
        """Saves the whole screen as name.png in the session folder; returns the path."""
        path = os.path.join(self.dir, name + ".png")
        raw = self.run("xwd", "-root", "-silent", data=b"")
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
