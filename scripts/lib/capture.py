# SPDX-FileCopyrightText: 2026 the Tavrindole developers
# SPDX-License-Identifier: MIT
"""Runs the real program in a private X server and writes a still picture
(PNG) after the window tests' reference keys, which is the same on every
machine, then a short animation (GIF) of it spinning.

Usage: capture.py PROGRAM OUTPUT_DIR [ICON_DIR]
"""

import os
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(__file__))
from xharness import REFERENCE_KEYS, XSession  # noqa: E402

WINDOWS_ICON_SIZES = (16, 20, 24, 32, 40, 48, 64, 256)


def capture(program, out_dir, icon_dir=None):
    os.makedirs(out_dir, exist_ok=True)
    still = os.path.join(out_dir, "screenshot.png")
    animation = os.path.join(out_dir, "spin.gif")
    with XSession(program, 1280, 720) as x:
        x.start_program()
        x.keys(*REFERENCE_KEYS, delay_ms=5)  # fewer turns, tilted, some slices more
        subprocess.run(["convert", x.frames(), still], check=True)
        x.keys("space")
        frames = []
        started = time.monotonic()
        while time.monotonic() - started < 2.0:  # about 2 s of the spin
            raw = x.run("xwd", "-id", x.window, "-silent", data=b"")
            path = os.path.join(x.dir, f"frame{len(frames):03d}.xwd")
            with open(path, "wb") as f:
                f.write(raw)
            frames.append(path)
            time.sleep(0.04)
        delay = max(2, round(200 / len(frames)))  # hundredths of a second a frame
        subprocess.run(["convert", "-delay", str(delay), "-loop", "0", *frames,
                        "-resize", "640x360", "-layers", "Optimize", animation], check=True)
    if icon_dir:
        icons(program, icon_dir)
    return still, animation


def icons(program, icon_dir):
    """The icons' picture: the whole spiral, with fewer turns, seen from its axis."""
    os.makedirs(icon_dir, exist_ok=True)
    with XSession(program, 1280, 720) as x:
        x.start_program()
        x.keys(*["d"] * 16)
        face_on = x.frames()
        for size in (48, 180, 192, 256, 512):  # desktop and page icons
            subprocess.run(["convert", face_on, "-gravity", "center", "-crop", "600x600+0+0",
                            "+repage", "-resize", f"{size}x{size}",
                            os.path.join(icon_dir, f"tavrindole-{size}.png")], check=True)
        windows_icon(icon_dir, x.dir)


def windows_icon(icon_dir, scratch):
    """Windows' icon, made from the 256 px one: every size Windows shows,
    the largest kept as PNG."""
    sizes = [os.path.join(scratch, f"ico-{size}.png") for size in WINDOWS_ICON_SIZES]
    for size, path in zip(WINDOWS_ICON_SIZES, sizes):
        subprocess.run(["convert", os.path.join(icon_dir, "tavrindole-256.png"),
                        "-resize", f"{size}x{size}", "PNG32:" + path], check=True)
    subprocess.run(["icotool", "--create", "-o", os.path.join(icon_dir, "tavrindole.ico"),
                    *sizes[:-1], "--raw=" + sizes[-1]], check=True)


if __name__ == "__main__":
    if len(sys.argv) < 3:
        sys.exit("usage: capture.py PROGRAM OUTPUT_DIR [ICON_DIR]")
    for path in capture(os.path.abspath(sys.argv[1]), sys.argv[2],
                        sys.argv[3] if len(sys.argv) > 3 else None):
        print(os.path.abspath(path))
