# SPDX-FileCopyrightText: 2026 the Tavrindole developers
# SPDX-License-Identifier: MIT
"""What is built into each download, with its version, its licence and the
notice it asks for: one list, from which come both the zips'
THIRD-PARTY-NOTICES.txt and the release's SBOM (CycloneDX 1.6), so the two
cannot disagree.

Usage: bill_of_materials.py notices win64|web --output FILE [--freeglut PREFIX]
       bill_of_materials.py sbom DIST_DIR --version VERSION --epoch SECONDS
                                          --freeglut PREFIX --output FILE
       bill_of_materials.py check-zip ZIP INTO --freeglut PREFIX

Versions are those of the Debian packages the build took them from; the
texts are Debian's copyright files, or the upstream file the package ships.
"""

import argparse
import datetime
import hashlib
import json
import os
import shutil
import subprocess
import sys
import uuid
import zipfile

EMSCRIPTEN = "/usr/share/emscripten"
MINGW_COPYRIGHT = "/usr/share/doc/mingw-w64-x86-64-dev/copyright"
NOTICES = "THIRD-PARTY-NOTICES.txt"
# What a zip is for: without these it shows nothing.
PROGRAM = {"win64": ["tavrindole.exe"], "web": ["index.html", "page.js", "tavrindole.js",
                                                 "tavrindole.wasm"]}
GCC_EXCEPTION = ("The GCC Runtime Library Exception lets a program compiled with GCC carry "
                 "these parts under terms of its own choice: they ask for no notice.")


def debian_version(package):
    return subprocess.run(["dpkg-query", "-W", "-f=${Version}", package], check=True,
                          capture_output=True, text=True).stdout


def read(path):
    with open(path, encoding="utf-8") as f:
        return f.read()


def copyright_paragraphs(path, files, licences):
    """From a Debian copyright file, the paragraph of `files` and the
    stand-alone texts of the licences it names."""
    paragraphs = read(path).split("\n\n")
    kept = [p for p in paragraphs if p.startswith(f"Files:\n {files}\n")
            or p.startswith(f"Files: {files}\n")]
    kept += [p for p in paragraphs if p.split("\n")[0] in (f"License: {n}" for n in licences)]
    return "\n\n".join(kept)


def kind_of(download):
    """Which zip a download is: "win64" or "web"."""
    return "win64" if "win64" in os.path.basename(download) else "web"


def static_parts(kind, freeglut):
    """The parts linked into the exe or the page, each a dict: name,
    version, licence (an SPDX expression), purl, notice (text or None)."""
    if kind == "win64":
        return [
            {"name": "freeglut", "version": read(os.path.join(freeglut, "VERSION")).strip(),
             "licence": "X11", "purl": "pkg:deb/debian/freeglut?arch=source",
             "notice": read(os.path.join(freeglut, "copyright"))},
            {"name": "MinGW-w64 runtime (C runtime, winpthreads)",
             "version": debian_version("mingw-w64-x86-64-dev"),
             "licence": "ZPL-2.1 AND MIT AND BSD-3-Clause", "purl": "pkg:deb/debian/mingw-w64-x86-64-dev",
             "notice": read(MINGW_COPYRIGHT)},
            {"name": "GCC runtime for MinGW-w64 (libstdc++, libgcc)",
             "version": debian_version("g++-mingw-w64-x86-64-posix"),
             "licence": "GPL-3.0-or-later WITH GCC-exception-3.1",
             "purl": "pkg:deb/debian/g++-mingw-w64-x86-64-posix", "notice": None},
        ]
    version = debian_version("emscripten")
    return [
        {"name": "emscripten runtime (tavrindole.js and its system libraries)", "version": version,
         "licence": "MIT OR NCSA", "purl": "pkg:deb/debian/emscripten",
         "notice": copyright_paragraphs("/usr/share/doc/emscripten/copyright", "*",
                                        ["Expat", "NCSA~Mozilla"])},
        {"name": "musl libc, as emscripten ships it",
         "version": read(f"{EMSCRIPTEN}/system/lib/libc/musl/VERSION").strip(),
         "licence": "MIT", "purl": "pkg:generic/musl",
         "notice": read(f"{EMSCRIPTEN}/system/lib/libc/musl/COPYRIGHT")},
        {"name": "LLVM libc++, libc++abi and compiler-rt, as emscripten ships them",
         "version": version, "licence": "Apache-2.0 WITH LLVM-exception",
         "purl": "pkg:deb/debian/emscripten",
         "notice": None},
    ]


def notices(kind, freeglut):
    """THIRD-PARTY-NOTICES.txt of a zip: every part, and its full notice."""
    out = [f"Tavrindole's own licence is in LICENSE. This download also carries the "
           f"following, built into {'tavrindole.exe' if kind == 'win64' else 'the page'}.\n"]
    for part in static_parts(kind, freeglut):
        rule = "=" * 76
        out.append(f"{rule}\n{part['name']} {part['version']}\nLicence: {part['licence']}\n{rule}\n")
        if part["notice"]:
            out.append(part["notice"].rstrip() + "\n")
        elif "GCC-exception" in part["licence"]:
            out.append(GCC_EXCEPTION + "\n")
        else:
            out.append("The LLVM exception lets its object form go without a notice.\n")
    return "\n".join(out)


def shared_parts(deb):
    """The shared libraries a .deb depends on, at the versions built against."""
    fields = {name: subprocess.run(["dpkg-deb", "-f", deb, name], check=True, capture_output=True,
                                   text=True).stdout.strip() for name in ("Depends", "Architecture")}
    parts = []
    for dependency in fields["Depends"].split(","):
        package = dependency.split("(")[0].strip()
        qualified = f"{package}:{fields['Architecture']}"
        parts.append({"name": package, "version": debian_version(qualified),
                      "licence": LICENCES.get(package.rstrip("0123456789."), "NOASSERTION"),
                      "purl": f"pkg:deb/debian/{package}?arch={fields['Architecture']}",
                      "notice": None})
    return parts


# The licences of the libraries the packages depend on, from Debian's copyright files.
LICENCES = {"libc": "LGPL-2.1-or-later", "libgcc-s": "GPL-3.0-or-later WITH GCC-exception-3.1",
            "libstdc++": "GPL-3.0-or-later WITH GCC-exception-3.1", "libglx": "MIT", "libopengl": "MIT",
            "libglut": "X11"}


def component(part, ref):
    """A part as a CycloneDX component: a library the download needs."""
    found = {"type": "library", "bom-ref": ref, "name": part["name"], "version": part["version"],
             "scope": "required"}
    if part["licence"] != "NOASSERTION":
        found["licenses"] = [{"expression": part["licence"]}]
    base, _, qualifiers = part["purl"].partition("?")
    found["purl"] = f"{base}@{part['version']}" + (f"?{qualifiers}" if qualifiers else "")
    return found


def sha256(path):
    with open(path, "rb") as f:
        return hashlib.sha256(f.read()).hexdigest()


def artifact(path, version, freeglut):
    """A download as a CycloneDX component, with what is built into it or
    what it needs; and the references of those."""
    name = os.path.basename(path)
    found = {"type": "file", "bom-ref": name, "name": name, "version": version,
             "hashes": [{"alg": "SHA-256", "content": sha256(path)}],
             "licenses": [{"license": {"id": "MIT"}}]}
    if name.endswith(".tar.gz"):
        return found, []
    if name.endswith(".deb"):
        parts = shared_parts(path)
    else:
        parts = static_parts(kind_of(name), freeglut)
    found["type"] = "application"
    found["components"] = [component(p, f"{name}/{p['name']}") for p in parts]
    return found, [c["bom-ref"] for c in found["components"]]


def sbom(dist, version, epoch, freeglut):
    """A CycloneDX 1.6 document of every download in dist."""
    names = sorted(n for n in os.listdir(dist) if n.endswith((".tar.gz", ".deb", ".zip")))
    components, dependencies = [], []
    for name in names:
        found, depends = artifact(os.path.join(dist, name), version, freeglut)
        components.append(found)
        dependencies.append({"ref": name, "dependsOn": depends})
    stamp = datetime.datetime.fromtimestamp(int(epoch), datetime.timezone.utc)
    serial = uuid.uuid5(uuid.NAMESPACE_URL, "tavrindole:" + "".join(
        c["hashes"][0]["content"] for c in components))
    return {
        "$schema": "http://cyclonedx.org/schema/bom-1.6.schema.json",
        "bomFormat": "CycloneDX", "specVersion": "1.6", "serialNumber": f"urn:uuid:{serial}",
        "version": 1,
        "metadata": {"timestamp": stamp.strftime("%Y-%m-%dT%H:%M:%SZ"),
                     "component": {"type": "application", "bom-ref": "tavrindole",
                                   "name": "tavrindole", "version": version,
                                   "licenses": [{"license": {"id": "MIT"}}]}},
        "components": components,
        "dependencies": [{"ref": "tavrindole", "dependsOn": names}, *dependencies],
    }


def check_zip(path, into, freeglut):
    """Unpacks a zip as a person would and checks that it carries the
    licence and every notice of what is built into it."""
    shutil.rmtree(into, ignore_errors=True)  # nothing from an earlier zip may stand in
    with zipfile.ZipFile(path) as z:
        z.extractall(into)
    kind = kind_of(path)
    for program in PROGRAM[kind]:
        assert os.path.isfile(os.path.join(into, program)), f"{path} holds no {program}"
    carried = read(os.path.join(into, NOTICES))
    assert read(os.path.join(into, "LICENSE")).startswith("MIT License"), "no LICENSE"
    for part in static_parts(kind, freeglut):
        assert part["name"] in carried, f"{NOTICES} does not name {part['name']}"
        if part["notice"]:
            assert part["notice"].rstrip() in carried, f"{NOTICES} lacks the notice of {part['name']}"
    print(f"{path}: LICENSE and {len(static_parts(kind, freeglut))} notices, unpacked in {into}")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("command", choices=["notices", "sbom", "check-zip"])
    parser.add_argument("subject", nargs="+")
    parser.add_argument("--output")
    parser.add_argument("--freeglut", default="")
    parser.add_argument("--version")
    parser.add_argument("--epoch")
    options = parser.parse_args()
    if options.command == "check-zip":
        check_zip(*options.subject, options.freeglut)
        return
    if options.command == "notices":
        text = notices(options.subject[0], options.freeglut)
    else:
        text = json.dumps(sbom(options.subject[0], options.version, options.epoch,
                               options.freeglut), indent=2) + "\n"
    with open(options.output, "w", encoding="utf-8") as f:
        f.write(text)


if __name__ == "__main__":
    sys.exit(main())
