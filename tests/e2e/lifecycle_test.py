# SPDX-FileCopyrightText: 2026 the Tavrindole developers
# SPDX-License-Identifier: MIT
"""The ways a run of the real program ends.

Usage: lifecycle_test.py PATH_TO_TAVRINDOLE
"""

import os
import subprocess
import sys
import time
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "..", "scripts", "lib"))
from xharness import XSession  # noqa: E402

PROGRAM = None


def wait_for_end(process, seconds):
    try:
        return process.wait(seconds)
    except subprocess.TimeoutExpired:
        return None


class Endings(unittest.TestCase):
    def test_window_closed_by_the_window_manager(self):
        with XSession(PROGRAM) as x:
            x.start_program()
            # wmctrl asks openbox, which sends WM_DELETE_WINDOW as any desktop would.
            x.run("wmctrl", "-c", "Tavrindole")
            self.assertEqual(wait_for_end(x.app, 10), 0)
            self.assertEqual(x.output(), (b"", b""))

    def test_x_server_going_away(self):
        with XSession(PROGRAM) as x:
            x.start_program()
            x.xvfb.kill()
            x.xvfb.wait()
            status = wait_for_end(x.app, 5)
            self.assertIsNotNone(status, "the program hung after the X server went away")

    def test_no_display(self):
        env = {k: v for k, v in os.environ.items() if k != "DISPLAY"}
        started = time.monotonic()
        result = subprocess.run([PROGRAM], env=env, capture_output=True, timeout=30)
        self.assertLess(time.monotonic() - started, 5)
        self.assertNotEqual(result.returncode, 0)
        self.assertIn(b"failed to open display", result.stderr)  # freeglut's own words
        self.assertEqual(result.stdout, b"")


if __name__ == "__main__":
    if len(sys.argv) < 2:
        sys.exit("usage: lifecycle_test.py PATH_TO_TAVRINDOLE")
    PROGRAM = os.path.abspath(sys.argv.pop(1))
    unittest.main(verbosity=2)
