# SPDX-FileCopyrightText: 2026 the Tavrindole developers
# SPDX-License-Identifier: MIT
"""The real program on a real desktop, driven by real key presses.

Usage: window_test.py [--desktop openbox|mutter|weston] [--wine]
                      [--reference PROGRAM] PATH_TO_TAVRINDOLE

The desktop is Xvfb with openbox (the default), or GNOME's compositor or
weston, headless, with the program on their Xwayland. --wine runs a Windows
build under Wine; --reference names another build (the native one) whose
outline must match the program's, pixel for pixel, after the same keys.
"""

import argparse
import os
import sys
import time
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "..", "scripts", "lib"))
from xharness import XSession  # noqa: E402

PROGRAM = None
OPTIONS = None
FRAME = 0.02  # the timer's 20 ms


def on_wheel(color):
    """A colour the wheel can make: one channel full, one empty."""
    return 255 in color and 0 in color


class RealWindow(unittest.TestCase):
    def setUp(self):
        # Arguments a GLUT program would normally take must play no part.
        self.x = self.start(PROGRAM)

    def start(self, program):
        session = XSession(program, 1280, 720, desktop=OPTIONS.desktop,
                           launcher=["wine"] if OPTIONS.wine and program == PROGRAM else [],
                           args=["-geometry", "64x48", "-display", ":9", "--help"])
        self.addCleanup(session.__exit__, None, None, None)
        x = session.__enter__()
        x.start_program()
        time.sleep(0.5)
        return x

    def settle(self, frames=10):
        time.sleep(frames * FRAME + 0.1)

    def assertSameOutline(self, a, b):
        self.assertEqual(self.x.differing_pixels(self.x.silhouette(a), self.x.silhouette(b)), 0)

    def assertOutlineChanged(self, a, b):
        self.assertGreater(self.x.differing_pixels(self.x.silhouette(a), self.x.silhouette(b)), 0)

    def test_full_screen_ribbon_and_keys(self):
        x = self.x
        geometry = x.window_geometry()
        self.assertEqual(geometry, {"x": 0, "y": 0, "width": 1280, "height": 720, "border": 0})

        # Flat, saturated colours only: nothing lit, blended or smoothed.
        first = x.capture("first")
        colors = x.unique_colors(first)
        stray = {c for c in colors if c != (0, 0, 0) and not on_wheel(c)}
        self.assertFalse(stray, f"colours off the wheel: {sorted(stray)[:10]}")
        self.assertGreater(len(colors), 100)  # a slice of its own colour each
        self.settle(5)
        second = x.capture("second")
        self.assertGreater(x.differing_pixels(first, second), 1000, "the colours crawl")
        self.assertSameOutline(first, second)

        # "d" twenty times: four turns, a small ribbon with black round it.
        x.keys(*["d"] * 20)
        self.settle()
        small = x.capture("small")
        self.assertLess(x.lit_pixels(small), x.lit_pixels(first) // 4)
        self.assertGreater(x.lit_pixels(small), 1000)

        # Escape and a lone Shift change nothing but the crawl.
        x.keys("Escape", "Shift_L", "F1", "Home")
        self.settle()
        after_unlisted = x.capture("after-unlisted")
        self.assertTrue(x.alive())
        self.assertSameOutline(small, after_unlisted)
        self.assertGreater(x.differing_pixels(small, after_unlisted), 0)

        # Not spinning, an arrow turns the ribbon once per press.
        x.keys("Left", "Left", "Left", "Left", "Left")
        self.settle()
        turned = x.capture("turned")
        self.assertOutlineChanged(after_unlisted, turned)
        self.settle()
        self.assertSameOutline(turned, x.capture("turned-later"))

        # Space starts the spin: the outline changes from frame to frame.
        x.keys("space")
        self.settle(3)
        spin_a = x.capture("spin-a")
        self.settle(3)
        spin_b = x.capture("spin-b")
        self.assertOutlineChanged(spin_a, spin_b)
        x.keys("space")
        self.settle(3)
        stopped = x.capture("stopped")
        self.settle(5)
        self.assertSameOutline(stopped, x.capture("stopped-later"))

        # "u" adds the turns back: the ribbon grows again.
        x.keys(*["u"] * 6)
        self.settle()
        self.assertGreater(x.lit_pixels(x.capture("grown")), x.lit_pixels(stopped))

        time.sleep(2.0)
        self.assertTrue(x.alive(), "the program ended by itself")
        keep_captures(x)

        # Closed as the desktop closes a window, it ends at once, silent.
        x.close_window()
        self.assertEqual(x.app.wait(15), 0)
        self.assertEqual(x.output(), (b"", b""), "the program wrote something")

    def test_same_outline_as_the_reference_build(self):
        if not OPTIONS.reference:
            self.skipTest("no --reference build named")
        keys = ["d"] * 18 + ["Down"] * 20 + ["Left"] * 10 + ["plus"] * 7
        sessions = (self.x, self.start(OPTIONS.reference))
        outlines = []
        for x in sessions:
            x.keys(*keys, delay_ms=10)
            self.settle()
            outlines.append(x.silhouette(x.capture("after-keys")))
        differing = self.x.differing_pixels(*outlines)
        for x in sessions:
            keep_captures(x)
        self.assertEqual(differing, 0)


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
    parser.add_argument("--wine", action="store_true")
    parser.add_argument("--reference")
    parser.add_argument("program")
    OPTIONS, rest = parser.parse_known_args()
    PROGRAM = os.path.abspath(OPTIONS.program)
    if OPTIONS.reference:
        OPTIONS.reference = os.path.abspath(OPTIONS.reference)
    unittest.main(argv=sys.argv[:1] + rest, verbosity=2)
