# SPDX-FileCopyrightText: 2026 the Tavrindole developers
# SPDX-License-Identifier: MIT
"""The Debian package: what it carries, Debian's checker on it, and that two
builds of one commit give the same bytes.

Usage: package_test.py [--launcher COMMAND] [--deb PACKAGE] BUILD_DIR

The package is BUILD_DIR's, packed by cpack, or with --deb the one a person
downloads, which a build from a clone elsewhere must then match. A
cross-built package (arm64, say) is built again with the same toolchain
file, and its program runs through the launcher (qemu-aarch64).
"""

import argparse
import os
import re
import shlex
import shutil
import subprocess
import sys
import tempfile
import time
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "..", "scripts", "lib"))
from xharness import XSession  # noqa: E402

BUILD = None
DEB = None
LAUNCHER = []
EXPECTED = [
    "usr/bin/tavrindole",
    "usr/share/applications/tavrindole.desktop",
    "usr/share/icons/hicolor/48x48/apps/tavrindole.png",
    "usr/share/icons/hicolor/256x256/apps/tavrindole.png",
    "usr/share/metainfo/org.tavrindole.Tavrindole.metainfo.xml",
    "usr/share/man/man6/tavrindole.6.gz",
    "usr/share/doc/tavrindole/copyright",
    "usr/share/doc/tavrindole/changelog.gz",
]
SOURCE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..")


def make_package(build, into):
    """cpack -G DEB of a configured build folder; returns the .deb's path."""
    subprocess.run(["cpack", "-G", "DEB", "--config", os.path.join(build, "CPackConfig.cmake"),
                    "-B", into], check=True, capture_output=True)
    debs = [f for f in os.listdir(into) if f.endswith(".deb")]
    assert len(debs) == 1, debs
    return os.path.join(into, debs[0])


def toolchain_option(source):
    """The build's toolchain file, if any, as the clone in source has it."""
    with open(os.path.join(BUILD, "CMakeCache.txt")) as f:
        named = re.search(r"^CMAKE_TOOLCHAIN_FILE:\w+=(.+)$", f.read(), re.M)
    if not named:
        return []
    return ["-DCMAKE_TOOLCHAIN_FILE=" + os.path.join(source, "cmake",
                                                     os.path.basename(named.group(1)))]


def elf_architecture(path):
    """Debian's name for the architecture an ELF program is built for."""
    with open(path, "rb") as f:
        machine = int.from_bytes(f.read(20)[18:20], "little")
    return {0x3E: "amd64", 0xB7: "arm64"}[machine]


def package_from_clone(scratch):
    """The last commit cloned into a folder of its own, built and packed."""
    source, build = os.path.join(scratch, "source"), os.path.join(scratch, "build")
    subprocess.run(["git", "clone", "-q", "--no-hardlinks", SOURCE, source], check=True)
    for command in (["cmake", "-S", source, "-B", build, "-DCMAKE_BUILD_TYPE=Release",
                     "-DTAVRINDOLE_TESTS=OFF", *toolchain_option(source)],
                    ["cmake", "--build", build, "-j", str(os.cpu_count() or 1)]):
        subprocess.run(command, check=True, capture_output=True)
    return make_package(build, scratch)


class Package(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.scratch = tempfile.mkdtemp(prefix="tavrindole-deb-")
        cls.deb = DEB or make_package(BUILD, cls.scratch)
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
        self.assertEqual(self.field("Architecture"),
                         elf_architecture(os.path.join(self.root, EXPECTED[0])))
        self.assertEqual(self.field("Section"), "graphics")
        self.assertIn("@", self.field("Maintainer"))
        icon = os.path.join(self.root, EXPECTED[3])
        size = subprocess.run(["identify", "-format", "%wx%h", icon], check=True,
                              capture_output=True, text=True).stdout
        self.assertEqual(size, "256x256")

    def test_debian_checker_is_content(self):
        result = subprocess.run(["lintian", "--pedantic", "--allow-root", self.deb],
                                capture_output=True, text=True)
        # Every tag it shows, of any severity, is one docs/building.md lists
        # with the reason it stays.
        with open(os.path.join(SOURCE, "docs", "building.md")) as f:
            listed = re.search(r"<!-- lintian tags that stay -->\n((?:- .*\n)*)", f.read())
        allowed = set(re.findall(r"^- `([a-z0-9-]+)`", listed.group(1), re.M))
        tags = {m.group(1) for m in re.finditer(r"^[EWIPXO]: \S+: (\S+)", result.stdout, re.M)}
        self.assertLessEqual(tags, allowed, result.stdout + result.stderr)
        self.assertEqual(result.returncode, 0, result.stdout + result.stderr)

        with open(os.path.join(self.root, "usr/share/doc/tavrindole/copyright")) as f:
            copyright_file = f.read()
        self.assertTrue(copyright_file.startswith(
            "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/\n"))
        self.assertIn("Files: *\nCopyright: 2026 the Tavrindole developers\nLicense: MIT\n",
                      copyright_file)
        self.assertIn("\nLicense: MIT\n Permission is hereby granted", copyright_file)

    def test_two_builds_of_a_commit_are_the_same(self):
        if subprocess.run(["git", "-C", SOURCE, "rev-parse", "HEAD"],
                          capture_output=True).returncode != 0:
            self.skipTest("not a git checkout: no commit to build twice")
        # The download, if it is of the last commit (no uncommitted change),
        # else a second clone: different folders, different times.
        clean = not subprocess.run(["git", "-C", SOURCE, "status", "--porcelain"],
                                   capture_output=True, check=True).stdout
        debs = [DEB] if DEB and clean else []
        while len(debs) < 2:
            time.sleep(1.1)
            scratch = os.path.join(self.scratch, f"clone-{len(debs)}")
            os.mkdir(scratch)
            debs.append(package_from_clone(scratch))
        with open(debs[0], "rb") as a, open(debs[1], "rb") as b:
            self.assertTrue(a.read() == b.read(), "the two packages differ")

    def test_desktop_files_validate(self):
        subprocess.run(["desktop-file-validate", os.path.join(self.root, EXPECTED[1])],
                       check=True)
        # No homepage: the project's address is known only once its account
        # publishes the page. Every other finding still fails the test.
        result = subprocess.run(["appstreamcli", "validate", "--no-net", "--explain",
                                 os.path.join(self.root, EXPECTED[4])],
                                capture_output=True, text=True)
        findings = [line for line in result.stdout.splitlines()
                    if line[:2] in ("E:", "W:") and not line.endswith(": url-homepage-missing")]
        self.assertEqual(findings, [], result.stdout + result.stderr)
        self.assertIn(result.returncode, (0, 3), result.stderr)  # 3: warnings, the homepage's
        subprocess.run(["man", "--warnings", "-l", os.path.join(self.root, EXPECTED[5])],
                       check=True, capture_output=True, env=dict(os.environ, MANPAGER="cat"))

    def test_unpacked_program_runs(self):
        with XSession(os.path.join(self.root, EXPECTED[0]), launcher=LAUNCHER) as x:
            x.start_program()
            self.assertTrue(x.alive())
            colors = x.unique_colors(x.frames(1))
            self.assertGreater(len(colors), 100)
            self.assertEqual(x.output(), (b"", b""))


if __name__ == "__main__":
    parser = argparse.ArgumentParser()
    parser.add_argument("--launcher", default="")
    parser.add_argument("--deb")
    parser.add_argument("build")
    options, rest = parser.parse_known_args()
    BUILD = os.path.abspath(options.build)
    DEB = options.deb and os.path.abspath(options.deb)
    LAUNCHER = shlex.split(options.launcher)
    unittest.main(argv=sys.argv[:1] + rest, verbosity=2)
