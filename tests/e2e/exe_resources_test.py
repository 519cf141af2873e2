# SPDX-FileCopyrightText: 2026 the Tavrindole developers
# SPDX-License-Identifier: MIT
"""What Windows reads from the exe before it runs a line of it, read with
pefile as Windows reads it.

Usage: exe_resources_test.py --version VERSION [--wine WINE --probe PROBE] EXE

- One manifest, well-formed XML, declaring per-monitor (v2) awareness of
  the display's scale, Windows 10 and 11, and no elevation: a second one
  stops the exe from starting, and without the awareness Windows stretches
  a smaller picture up on every scaled screen.
- The icon, under the name freeglut loads for its window (GLUT_ICON), in
  every size Windows shows, the largest as PNG.
- The version and names Explorer shows, the version CMakeLists.txt's.
- A GUI program (no console) that imports only Windows' own DLLs, with
  address-space randomisation (high entropy) and no execution of data.
- Under Wine, what a process of that manifest is given: Wine reads the
  awareness from the manifest at start-up, as Windows does, and traces what
  it read. PROBE is linked with the same resources and names its process.
"""

import argparse
import os
import re
import subprocess
import sys
import unittest
import xml.etree.ElementTree as ET

import pefile

EXE = None
VERSION = None
WINE = PROBE = None
ICON_SIZES = [16, 20, 24, 32, 40, 48, 64, 256]
ASM = "{urn:schemas-microsoft-com:asm.v1}"
ASM3 = "{urn:schemas-microsoft-com:asm.v3}"
SETTINGS_2005 = "{http://schemas.microsoft.com/SMI/2005/WindowsSettings}"
SETTINGS_2016 = "{http://schemas.microsoft.com/SMI/2016/WindowsSettings}"
WINDOWS_10_AND_11 = "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"
# Every DLL the exe may import: Windows' own, present on every Windows.
SYSTEM_DLLS = {"kernel32.dll", "user32.dll", "gdi32.dll", "opengl32.dll", "winmm.dll",
               "msvcrt.dll", "advapi32.dll", "shell32.dll", "ole32.dll", "imm32.dll"}


def resources(pe, kind):
    """(name or id, language entry) of every resource of the kind."""
    found = []
    for type_entry in pe.DIRECTORY_ENTRY_RESOURCE.entries:
        if type_entry.id != kind:
            continue
        for entry in type_entry.directory.entries:
            name = str(entry.name) if entry.name is not None else entry.id
            found += [(name, language) for language in entry.directory.entries]
    return found


def data(pe, language):
    return pe.get_data(language.data.struct.OffsetToData, language.data.struct.Size)


class ExeResources(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.pe = pefile.PE(EXE)

    def test_one_manifest_aware_of_each_monitor(self):
        manifests = resources(self.pe, pefile.RESOURCE_TYPE["RT_MANIFEST"])
        self.assertEqual([name for name, _ in manifests], [1], "not exactly one manifest, id 1")
        root = ET.fromstring(data(self.pe, manifests[0][1]))  # fails unless well-formed
        self.assertEqual(root.tag, ASM + "assembly")
        settings = root.find(f"{ASM3}application/{ASM3}windowsSettings")
        self.assertIsNotNone(settings, "no windowsSettings")
        awareness = settings.findtext(SETTINGS_2016 + "dpiAwareness", "")
        self.assertEqual([a.strip() for a in awareness.split(",")], ["PerMonitorV2", "PerMonitor"])
        self.assertEqual(settings.findtext(SETTINGS_2005 + "dpiAware"), "true/pm")
        os_ids = [e.get("Id") for e in root.iter("{urn:schemas-microsoft-com:compatibility.v1}"
                                                 "supportedOS")]
        self.assertEqual(os_ids, [WINDOWS_10_AND_11])
        level = root.find(f".//{ASM3}requestedExecutionLevel")
        self.assertEqual(level.get("level"), "asInvoker")

    def test_icon_freeglut_loads_in_every_size(self):
        groups = resources(self.pe, pefile.RESOURCE_TYPE["RT_GROUP_ICON"])
        self.assertEqual([name for name, _ in groups], ["GLUT_ICON"])
        group = data(self.pe, groups[0][1])
        count = int.from_bytes(group[4:6], "little")
        # GRPICONDIRENTRY: width, height (0 for 256), ..., and at 12 the icon's id.
        entries = [group[6 + 14 * i:20 + 14 * i] for i in range(count)]
        self.assertEqual(sorted(e[0] or 256 for e in entries), ICON_SIZES)
        self.assertTrue(all(e[0] == e[1] for e in entries), "an icon that is not square")
        icons = dict(resources(self.pe, pefile.RESOURCE_TYPE["RT_ICON"]))
        largest = next(e for e in entries if e[0] == 0)
        image = data(self.pe, icons[int.from_bytes(largest[12:14], "little")])
        self.assertEqual(image[:8], b"\x89PNG\r\n\x1a\n", "the 256 px icon is not PNG")

    def test_version_and_names(self):
        strings = {k.decode(): v.decode() for info in self.pe.FileInfo[0]
                   if info.Key == b"StringFileInfo" for table in info.StringTable
                   for k, v in table.entries.items()}
        self.assertEqual(strings["FileVersion"], VERSION)
        self.assertEqual(strings["ProductVersion"], VERSION)
        self.assertEqual(strings["FileDescription"], "Tavrindole")
        self.assertEqual(strings["ProductName"], "Tavrindole")
        self.assertEqual(strings["LegalCopyright"], "Copyright the Tavrindole developers, MIT licence")
        self.assertEqual(strings["OriginalFilename"], "tavrindole.exe")
        self.assertEqual(strings["InternalName"], "tavrindole")
        fixed = self.pe.VS_FIXEDFILEINFO[0]
        numbers = [fixed.FileVersionMS >> 16, fixed.FileVersionMS & 0xFFFF,
                   fixed.FileVersionLS >> 16]
        self.assertEqual(".".join(map(str, numbers)), VERSION)

    def test_gui_program_of_system_dlls(self):
        self.assertEqual(self.pe.OPTIONAL_HEADER.Subsystem,
                         pefile.SUBSYSTEM_TYPE["IMAGE_SUBSYSTEM_WINDOWS_GUI"])
        imported = {entry.dll.decode().lower() for entry in self.pe.DIRECTORY_ENTRY_IMPORT}
        self.assertLessEqual(imported, SYSTEM_DLLS, "imports DLLs that Windows lacks")
        self.assertIn("opengl32.dll", imported)
        # Hardened as Windows asks: loaded at a random place in the whole
        # 64-bit space, its data never executed.
        flags = self.pe.OPTIONAL_HEADER.DllCharacteristics
        for flag in ("DYNAMIC_BASE", "NX_COMPAT", "HIGH_ENTROPY_VA"):
            self.assertTrue(flags & pefile.DLL_CHARACTERISTICS[f"IMAGE_DLLCHARACTERISTICS_{flag}"],
                            f"{flag} is not set in the PE header")

    def test_wine_gives_a_process_of_it_its_awareness(self):
        if not PROBE:
            self.skipTest("no --probe named")
        # Wine 8 traces the manifest's setting in its graphics channel
        # (dpiaware_init), Wine 10 in its system channel (SYSPARAMS_Init).
        env = dict(os.environ, WINEDEBUG="+pid,trace+graphics,trace+system")
        run = subprocess.run([WINE, PROBE], env=env, capture_output=True, text=True, timeout=300)
        self.assertEqual(run.returncode, 0, run.stdout + run.stderr[-2000:])
        process = re.search(r"in process ([0-9a-f]+)", run.stdout).group(1)
        read = re.findall(rf"^{process}:[0-9a-f]+:trace:(?:graphics:dpiaware_init|"
                          rf"system:SYSPARAMS_Init) got (\w+)=L\"(.*)\"$", run.stderr, re.M)
        self.assertEqual(read, [("dpiAwareness", "PerMonitorV2, PerMonitor")],
                         "Wine read no per-monitor awareness from the manifest")
        self.assertIn("DPI awareness 2 ", run.stdout, "the process is not per-monitor aware")


if __name__ == "__main__":
    parser = argparse.ArgumentParser()
    parser.add_argument("--version", required=True)
    parser.add_argument("--wine", default="wine")
    parser.add_argument("--probe")
    parser.add_argument("exe")
    options, rest = parser.parse_known_args()
    EXE, VERSION, WINE, PROBE = options.exe, options.version, options.wine, options.probe
    unittest.main(argv=[sys.argv[0]] + rest)
