# SPDX-FileCopyrightText: 2026 the Tavrindole developers
# SPDX-License-Identifier: MIT
"""A long run of the real program, spinning, under a stream of random keys.

Usage: soak_test.py PATH_TO_TAVRINDOLE   (TAVRINDOLE_SOAK_SECONDS sets the length)
"""

import os
import random
import sys
import time
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "..", "scripts", "lib"))
from xharness import XSession  # noqa: E402

PROGRAM = None
SECONDS = float(os.environ.get("TAVRINDOLE_SOAK_SECONDS", "150"))
SEED = int(os.environ.get("TAVRINDOLE_SOAK_SEED", "20261208"))

PUNCTUATION = ("plus minus space exclam at numbersign dollar percent asciicircum ampersand "
               "asterisk parenleft parenright underscore equal bracketleft bracketright "
               "braceleft braceright semicolon colon apostrophe quotedbl comma period slash "
               "question less greater backslash bar grave asciitilde").split()
KINDS = {
    "printable": [chr(c) for c in range(ord("a"), ord("z") + 1)]
                 + [chr(c) for c in range(ord("A"), ord("Z") + 1)]
                 + [str(d) for d in range(10)] + PUNCTUATION,
    "control": [f"ctrl+{chr(c)}" for c in range(ord("a"), ord("z") + 1)]
               + "Escape Tab Return BackSpace Delete".split(),
    "latin1": "eacute Eacute adiaeresis Udiaeresis ntilde ssharp oslash ccedilla yacute "
              "thorn".split(),
    "function": [f"F{n}" for n in range(1, 13)],
    "navigation": "Home End Prior Next Insert Left Right Up Down".split(),
    "modifier": "Shift_L Shift_R Control_L Control_R Alt_L Alt_R Super_L".split(),
}


def random_keys(rng, count):
    """Keys of every kind, with more turns taken away than added so that
    the ribbon stays of moderate size."""
    keys = []
    for _ in range(count):
        roll = rng.random()
        if roll < 0.15:
            keys.append(rng.choice(["d", "D", "minus"]))
        elif roll < 0.20:
            keys.append(rng.choice(["u", "U", "plus"]))
        else:
            keys.append(rng.choice(KINDS[rng.choice(list(KINDS))]))
    return keys


def resident_kib(pid):
    with open(f"/proc/{pid}/status") as status:
        for line in status:
            if line.startswith("VmRSS:"):
                return int(line.split()[1])
    raise RuntimeError("no VmRSS")


def open_descriptors(pid):
    return len(os.listdir(f"/proc/{pid}/fd"))


class Soak(unittest.TestCase):
    def test_random_keys_while_spinning(self):
        rng = random.Random(SEED)
        with XSession(PROGRAM) as x:
            x.start_program()
            x.keys("space")
            pid = x.app.pid
            started = time.monotonic()
            baseline = None
            sent = 0
            while time.monotonic() - started < SECONDS:
                batch = random_keys(rng, 20)
                x.keys(*batch, delay_ms=rng.choice([10, 20, 40]))
                sent += len(batch)
                self.assertTrue(x.alive(), f"the program ended after {sent} keys")
                if baseline is None and time.monotonic() - started >= min(60, SECONDS / 2):
                    baseline = (resident_kib(pid), open_descriptors(pid))
            # Back to a known size and spinning, then the checks.
            x.keys(*["d"] * 30, "plus", "plus")
            x.frames()
            self.assertTrue(x.alive())
            rss, fds = resident_kib(pid), open_descriptors(pid)
            print(f"{sent} keys; resident {baseline[0]} KiB a minute in, {rss} KiB at the end; "
                  f"{fds} descriptors", file=sys.stderr)
            self.assertLessEqual(rss - baseline[0], 2048, "resident memory grew")
            self.assertEqual(fds, baseline[1], "descriptors leaked")
            self.assertEqual(x.output(), (b"", b""), "the program wrote something")


if __name__ == "__main__":
    if len(sys.argv) < 2:
        sys.exit("usage: soak_test.py PATH_TO_TAVRINDOLE")
    PROGRAM = os.path.abspath(sys.argv.pop(1))
    unittest.main(verbosity=2)
