# SPDX-FileCopyrightText: 2026 the Tavrindole developers
# SPDX-License-Identifier: MIT
"""The real program on a real desktop, driven by real key presses.

Usage: window_test.py [--desktop openbox|mutter|weston] [--launcher COMMAND]
                      [--reference PROGRAM] PATH_TO_TAVRINDOLE
       window_test.py --launcher wine --dpi DPI --reference PROGRAM PATH_TO_EXE
       window_test.py --outline OUT.png PATH_TO_TAVRINDOLE

The desktop is Xvfb with openbox (the default), or GNOME's compositor or
weston, headless, with the program on their Xwayland. --launcher runs a
cross-built program through its emulator ("wine", "qemu-aarch64");
--reference names another build (the native one) whose outline must match
the program's, pixel for pixel, after the same keys, or that outline saved
(a .png) by the build that made the program. --outline only saves
the program's outline after those keys, for the page's test to compare with.
--dpi runs the Windows exe alone, with Wine's DPI set to DPI on a screen of
1920x1080 (ScaledScreen).

Every wait is for something the picture shows (a new frame, as the colours
crawl on every one), never for a time, so emulators that draw a few frames
a second pass the same test.
"""

import argparse
import ctypes
import ctypes.util
import os
import re
import shlex
import shutil
import subprocess
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "..", "scripts", "lib"))
from xharness import REFERENCE_KEYS, XSession  # noqa: E402

PROGRAM = None
OPTIONS = None


def on_wheel(color):
    """A colour the wheel can make: one channel full, one empty."""
    return 255 in color and 0 in color


def off_wheel(colors):
    """The colours, less black, that no slice has."""
    return {c for c in colors if c != (0, 0, 0) and not on_wheel(c)}


class RealWindow(unittest.TestCase):
    def setUp(self):
        # Arguments a GLUT program would normally take must play no part.
        self.x = self.start(PROGRAM)

    def start(self, program):
        session = XSession(program, 1280, 720, desktop=OPTIONS.desktop,
                           launcher=shlex.split(OPTIONS.launcher) if program == PROGRAM else [],
                           args=["-geometry", "64x48", "-display", ":9", "--help"])
        self.addCleanup(session.__exit__, None, None, None)
        x = session.__enter__()
        x.start_program()
        return x

    def assertSameOutline(self, a, b):
        self.assertEqual(self.x.differing_pixels(self.x.silhouette(a), self.x.silhouette(b)), 0)

    def assertOutlineChanged(self, a, b):
        self.assertGreater(self.x.differing_pixels(self.x.silhouette(a), self.x.silhouette(b)), 0)

    def test_full_screen_ribbon_and_keys(self):
        x = self.x
        geometry = x.window_geometry()
        self.assertIn("_NET_WM_STATE_FULLSCREEN", x.run("xprop", "-id", x.window, "_NET_WM_STATE"))
        if OPTIONS.desktop == "weston":
            # weston's window manager puts the X window where it likes on
            # Xwayland's root (from weston 14, in a frame off its corner)
            # and shows it by its state alone: full screen, as checked above.
            geometry.update(x=0, y=0)
        self.assertEqual(geometry, {"x": 0, "y": 0, "width": 1280, "height": 720, "border": 0,
                                    "viewable": True})
        if OPTIONS.icon:
            self.assertProgramIcon(x.window_icons(), OPTIONS.icon)

        # Flat, saturated colours only: nothing lit, blended or smoothed.
        first = x.frames(1)
        colors = x.unique_colors(first)
        stray = off_wheel(colors)
        self.assertFalse(stray, f"colours off the wheel: {sorted(stray)[:10]}")
        self.assertGreater(len(colors), 100)  # a slice of its own colour each
        second = x.frames(1)
        self.assertGreater(x.differing_pixels(first, second), 1000, "the colours crawl")
        self.assertSameOutline(first, second)

        # "d" twenty times: four turns, a small ribbon with black round it.
        x.keys(*["d"] * 20)
        small = x.frames()
        self.assertLess(x.lit_pixels(small), x.lit_pixels(first) // 4)
        self.assertGreater(x.lit_pixels(small), 1000)

        # Escape and a lone Shift change nothing but the crawl.
        x.keys("Escape", "Shift_L", "F1", "Home")
        after_unlisted = x.frames()
        self.assertTrue(x.alive())
        self.assertSameOutline(small, after_unlisted)
        self.assertGreater(x.differing_pixels(small, after_unlisted), 0)

        # Not spinning, an arrow turns the ribbon once per press.
        x.keys("Left", "Left", "Left", "Left", "Left")
        turned = x.frames()
        self.assertOutlineChanged(after_unlisted, turned)
        self.assertSameOutline(turned, x.frames())

        # Space starts the spin: the outline changes from frame to frame.
        x.keys("space")
        spin_a = x.frames()
        spin_b = x.frames(1)
        self.assertOutlineChanged(spin_a, spin_b)
        x.keys("space")
        stopped = x.frames()
        self.assertSameOutline(stopped, x.frames())

        # "u" adds the turns back: the ribbon grows again.
        x.keys(*["u"] * 6)
        self.assertGreater(x.lit_pixels(x.frames()), x.lit_pixels(stopped))

        x.frames(5)
        self.assertTrue(x.alive(), "the program ended by itself")
        keep_captures(x)

        # Closed as the desktop closes a window, it ends at once, silent.
        x.close_window()
        self.assertEqual(x.app.wait(15), 0)
        self.assertEqual(x.output(), (b"", b""), "the program wrote something")

    def assertProgramIcon(self, shown, ico):
        """The window shows the program's icon (under Wine, its window
        class's, from the exe), pixel for pixel in each size it offers that
        the icon file holds: not Wine's default."""
        expected = icon_images(ico)
        sizes = sorted(set(shown) & set(expected))
        self.assertTrue(sizes, f"the window's icons, {sorted(shown)}, are of no size of {ico}")
        for size in sizes:
            differing = sum(shown[size][i:i + 3] != expected[size][i:i + 3]
                            for i in range(0, len(expected[size]), 3))
            self.assertEqual(differing, 0, f"{differing} pixels differ from the program's "
                             f"{size[0]}x{size[1]} icon")

    def test_same_outline_as_the_reference_build(self):
        if not OPTIONS.reference:
            self.skipTest("no --reference build named")
        saved = OPTIONS.reference.endswith(".png")
        sessions = (self.x,) if saved else (self.x, self.start(OPTIONS.reference))
        outlines = [OPTIONS.reference] if saved else []
        for x in sessions:
            x.keys(*REFERENCE_KEYS, delay_ms=10)
            outlines.append(x.silhouette(x.frames()))
        differing = self.x.differing_pixels(*outlines)
        for x in sessions:
            keep_captures(x)
        self.assertEqual(differing, 0)


class ScaledScreen(unittest.TestCase):
    """Wine with its DPI above 96, as Windows on a scaled screen. The exe
    says in its manifest that it is aware of each monitor's scale, so it is
    given the screen's own pixels and draws its flat colours there; a
    program that says nothing is drawn at the smaller size Windows pretends
    and stretched (from Wine 10), its edges blurred into colours no slice
    has."""

    SIZE = (1920, 1080)

    @classmethod
    def setUpClass(cls):
        if not OPTIONS.dpi:
            raise unittest.SkipTest("no --dpi given")
        # A prefix of its own, so the other tests keep Wine's 96 dpi.
        cls.prefix = tempfile.mkdtemp(prefix="tavrindole-wine-")
        cls.addClassCleanup(shutil.rmtree, cls.prefix, ignore_errors=True)
        shutil.copytree(os.environ["WINEPREFIX"], cls.prefix, symlinks=True, dirs_exist_ok=True)
        cls.env = {"WINEPREFIX": cls.prefix}
        key = r"HKCU\Control Panel\Desktop"
        subprocess.run(["wine", "reg", "add", key, "/v", "LogPixels", "/t", "REG_DWORD", "/d",
                        str(OPTIONS.dpi), "/f"], env=dict(os.environ, **cls.env), check=True,
                       capture_output=True)
        subprocess.run(["wineserver", "-w"], env=dict(os.environ, **cls.env), check=True)

    def draw(self, exe, keys=()):
        """The colours of the exe's first frame, and its outline after keys."""
        outline = os.path.join(self.prefix, os.path.basename(exe) + "-outline.png")
        with XSession(exe, *self.SIZE, env=self.env, launcher=shlex.split(OPTIONS.launcher)) as x:
            x.start_program(timeout=60)
            self.assertEqual(x.window_geometry(), {"x": 0, "y": 0, "width": self.SIZE[0],
                                                   "height": self.SIZE[1], "border": 0,
                                                   "viewable": True})
            colors = x.unique_colors(x.frames(1))
            if keys:
                x.keys(*keys, delay_ms=10)
            shutil.move(x.silhouette(x.frames()), outline)
            keep_captures(x)
        return colors, outline

    def test_drawn_at_the_screens_own_pixels(self):
        colors, outline = self.draw(PROGRAM, REFERENCE_KEYS)
        stray = off_wheel(colors)
        self.assertEqual(len(stray), 0, "colours off the wheel: the picture was stretched")
        native = os.path.join(self.prefix, "native-outline.png")
        save_outline(OPTIONS.reference, native, "x".join(map(str, self.SIZE)))
        self.assertEqual(XSession.differing_pixels(outline, native), 0)

    def test_an_exe_that_declares_nothing_is_stretched(self):
        version = subprocess.run(["wine", "--version"], capture_output=True, text=True).stdout
        if int(re.match(r"wine-(\d+)", version).group(1)) < 10:
            self.skipTest(f"{version.strip()} scales no window; Wine 10 does")
        # The manifest's two DPI settings renamed into ones Wine does not know.
        unaware = os.path.join(self.prefix, "unaware.exe")
        with open(PROGRAM, "rb") as exe, open(unaware, "wb") as out:
            data = exe.read()
            self.assertEqual(data.count(b"<dpiAware"), 2)
            out.write(data.replace(b"<dpiAware", b"<dpiUnset").replace(b"</dpiAware",
                                                                       b"</dpiUnset"))
        colors, _ = self.draw(unaware)
        stray = off_wheel(colors)
        self.assertGreater(len(stray), 100, "Wine drew a program unaware of DPI unscaled")


def save_outline(program, out, size):
    """The program's outline on a screen of size (WxH) after the reference
    keys, saved as out."""
    width, height = (int(v) for v in size.split("x"))
    with XSession(program, width, height) as x:
        x.start_program()
        x.keys(*REFERENCE_KEYS, delay_ms=10)
        shutil.move(x.silhouette(x.frames()), out)  # out may be on another file system


class LateWindow:
    """A tiny X client of the test's own: a window titled Tavrindole that
    asks for full screen and is full size at once, but is mapped only when
    told, as a slow program on a busy machine can leave the real one for a
    while."""

    def __init__(self, display, width, height):
        x11 = self.x11 = ctypes.CDLL(ctypes.util.find_library("X11"))
        x11.XOpenDisplay.restype = ctypes.c_void_p
        x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
        x11.XDefaultRootWindow.restype = x11.XCreateSimpleWindow.restype = ctypes.c_ulong
        x11.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
        x11.XCreateSimpleWindow.argtypes = [ctypes.c_void_p, ctypes.c_ulong] + [ctypes.c_int] * 2 \
            + [ctypes.c_uint] * 3 + [ctypes.c_ulong] * 2
        x11.XInternAtom.restype = ctypes.c_ulong
        x11.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
        x11.XChangeProperty.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_ulong,
                                        ctypes.c_ulong, ctypes.c_int, ctypes.c_int,
                                        ctypes.c_void_p, ctypes.c_int]
        x11.XStoreName.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_char_p]
        x11.XMapWindow.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
        x11.XFlush.argtypes = x11.XCloseDisplay.argtypes = [ctypes.c_void_p]
        self.connection = x11.XOpenDisplay(display.encode())
        if not self.connection:
            raise RuntimeError(f"cannot open display {display}")
        root = x11.XDefaultRootWindow(self.connection)
        self.window = x11.XCreateSimpleWindow(self.connection, root, 0, 0, width, height, 0, 0, 0)
        x11.XStoreName(self.connection, self.window, b"Tavrindole")
        full = ctypes.c_ulong(x11.XInternAtom(self.connection, b"_NET_WM_STATE_FULLSCREEN", 0))
        x11.XChangeProperty(self.connection, self.window,
                            x11.XInternAtom(self.connection, b"_NET_WM_STATE", 0),
                            4, 32, 0, ctypes.byref(full), 1)  # 4: XA_ATOM, 0: PropModeReplace
        x11.XFlush(self.connection)

    def map(self):
        self.x11.XMapWindow(self.connection, self.window)
        self.x11.XFlush(self.connection)

    def close(self):
        self.x11.XCloseDisplay(self.connection)


class HarnessWait(unittest.TestCase):
    """What the tests wait for before they capture: a window of full size
    can still be unmapped, and xwd of it fails (BadMatch), so the harness
    waits until it is viewable too."""

    def test_a_full_size_window_is_ready_only_once_viewable(self):
        with XSession(PROGRAM, 1280, 720, desktop=OPTIONS.desktop) as x:
            if "XAUTHORITY" in x.env:
                os.environ["XAUTHORITY"] = x.env["XAUTHORITY"]
            late = LateWindow(x.display, 1280, 720)
            try:  # closed while its server is still there
                self.assertReadyOnlyOnceMapped(x, late)
            finally:
                late.close()

    def assertReadyOnlyOnceMapped(self, x, late):
        x.window = str(late.window)
        geometry = x.window_geometry()
        self.assertEqual((geometry["width"], geometry["height"], geometry["viewable"]),
                         (1280, 720, False))
        self.assertFalse(x.window_ready(), "an unmapped window was taken as ready")
        with self.assertRaisesRegex(RuntimeError, "BadMatch"):
            x.capture("unmapped")  # what a wait for its size alone would go on to
        late.map()
        x.wait_for(x.window_ready, "the window, once mapped, never became ready")
        x.capture("mapped")


def icon_images(ico):
    """Each image of an .ico file as {(width, height): RGB bytes}."""
    images = {}
    with tempfile.TemporaryDirectory() as folder:
        subprocess.run(["icotool", "--extract", "-o", folder, ico], check=True)
        for name in os.listdir(folder):
            width, height = (int(v) for v in name.split("_")[-1].split("x")[:2])
            images[(width, height)] = subprocess.run(
                ["convert", os.path.join(folder, name), "-depth", "8", "rgb:-"],
                capture_output=True, check=True).stdout
    return images


def keep_captures(x):
    keep = os.environ.get("TAVRINDOLE_KEEP_CAPTURES")
    if keep:
        os.makedirs(keep, exist_ok=True)
        for name in os.listdir(x.dir):
            if name.endswith(".png"):
                os.replace(os.path.join(x.dir, name),
                           os.path.join(keep, f"{os.path.basename(x.program)}-{name}"))


if __name__ == "__main__":
    parser = argparse.ArgumentParser()
    parser.add_argument("--desktop", choices=XSession.DESKTOPS, default="openbox")
    parser.add_argument("--launcher", default="")
    parser.add_argument("--reference")
    parser.add_argument("--icon", help="an .ico file whose icon the window must carry")
    parser.add_argument("--outline")
    parser.add_argument("--dpi", type=int)
    parser.add_argument("--size", default="1280x720")
    parser.add_argument("program")
    OPTIONS, rest = parser.parse_known_args()
    PROGRAM = os.path.abspath(OPTIONS.program)
    if OPTIONS.outline:
        sys.exit(save_outline(PROGRAM, OPTIONS.outline, OPTIONS.size))
    if OPTIONS.reference:
        OPTIONS.reference = os.path.abspath(OPTIONS.reference)
    if OPTIONS.dpi:
        rest.append("ScaledScreen")
    unittest.main(argv=sys.argv[:1] + rest, verbosity=2)
