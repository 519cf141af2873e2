# SPDX-FileCopyrightText: 2026 the Tavrindole developers
# SPDX-License-Identifier: MIT
"""The Debian package and the desktop files it carries.

Usage: package_test.py BUILD_DIR
"""

import os
import shutil
import subprocess
import sys
import tempfile
import time
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "..", "scripts", "lib"))
from xharness import XSession  # noqa: E402

BUILD = None
EXPECTED = [
    "usr/bin/tavrindole",
    "usr/share/applications/tavrindole.desktop",
    "usr/share/icons/hicolor/48x48/apps/tavrindole.png",
    "usr/share/icons/hicolor/256x256/apps/tavrindole.png",
    "usr/share/metainfo/org.tavrindole.Tavrindole.metainfo.xml",
    "usr/share/man/man6/tavrindole.6",
]


class Package(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.scratch = tempfile.mkdtemp(prefix="tavrindole-deb-")
        subprocess.run(["cpack", "-G", "DEB", "--config",
                        os.path.join(BUILD, "CPackConfig.cmake"), "-B", cls.scratch],
                       check=True, capture_output=True)
        debs = [f for f in os.listdir(cls.scratch) if f.endswith(".deb")]
        assert len(debs) == 1, debs
        cls.deb = os.path.join(cls.scratch, debs[0])
        cls.root = os.path.join(cls.scratch, "root")
        subprocess.run(["dpkg-deb", "-x", cls.deb, cls.root], check=True)

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.scratch, ignore_errors=True)

    def field(self, name):
        return subprocess.run(["dpkg-deb", "-f", self.deb, name], check=True,
                              capture_output=True, text=True).stdout.strip()

    def test_contents_and_metadata(self):
        for path in EXPECTED:
            self.assertTrue(os.path.isfile(os.path.join(self.root, path)), path)
        self.assertIn("libglut", self.field("Depends"))
        self.assertEqual(self.field("Section"), "graphics")
        self.assertIn("@", self.field("Maintainer"))
        icon = os.path.join(self.root, EXPECTED[3])
        size = subprocess.run(["identify", "-format", "%wx%h", icon], check=True,
                              capture_output=True, text=True).stdout
        self.assertEqual(size, "256x256")

    def test_desktop_files_validate(self):
        subprocess.run(["desktop-file-validate", os.path.join(self.root, EXPECTED[1])],
                       check=True)
        subprocess.run(["appstreamcli", "validate", "--no-net", "--explain",
                        os.path.join(self.root, EXPECTED[4])], check=True)
        subprocess.run(["man", "--warnings", "-l", os.path.join(self.root, EXPECTED[5])],
                       check=True, capture_output=True, env=dict(os.environ, MANPAGER="cat"))

    def test_unpacked_program_runs(self):
        with XSession(os.path.join(self.root, EXPECTED[0])) as x:
            x.start_program()
            time.sleep(1.0)
            self.assertTrue(x.alive())
            colors = x.unique_colors(x.capture("packaged"))
            self.assertGreater(len(colors), 100)
            self.assertEqual(x.output(), (b"", b""))


if __name__ == "__main__":
    if len(sys.argv) < 2:
        sys.exit("usage: package_test.py BUILD_DIR")
    BUILD = os.path.abspath(sys.argv.pop(1))
    unittest.main(verbosity=2)
