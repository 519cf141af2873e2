# SPDX-FileCopyrightText: 2026 the Tavrindole developers
# SPDX-License-Identifier: MIT
"""The record of where a release was built, and its comparison with a rebuild.

Usage: build_record.py write OUT --version V --download NAME PACKAGE... [--download ...]
                             [--freeglut DIR]
       build_record.py check RECORD BUILD_DIR...
       build_record.py compare RELEASE_DIR REBUILD_DIR

The same bytes need the same compilers and libraries, so the release says
which: the Debian release and point release, and for each download every
Debian package that building it took, with the packages those depend on,
at their installed versions (as Debian's .buildinfo does for a package).
The record holds nothing else: two builds in one environment write it the
same. "check" tells whether the compiler each build used is in its
download's list; "compare" reports a different environment before it
compares a single download.
"""

import argparse
import glob
import os
import re
import subprocess
import sys

FIELDS = "${Package}\t${Version}\t${Architecture}\t${Depends}\t${Pre-Depends}\t${Provides}\t${db:Status-Status}\n"


def installed():
    """The installed packages by name (name:arch for a foreign one), each as
    (version, alternatives of each dependency), and who provides each name."""
    native = subprocess.run(["dpkg", "--print-architecture"], check=True, capture_output=True,
                            text=True).stdout.strip()
    out = subprocess.run(["dpkg-query", "-W", "-f", FIELDS], check=True, capture_output=True,
                         text=True).stdout
    packages, providers = {}, {}
    for line in out.splitlines():
        name, version, arch, depends, predepends, provides, status = line.split("\t")
        if status != "installed":
            continue
        suffix = f":{arch}" if arch not in (native, "all") else ""
        deps = [d.split("|") for d in f"{predepends},{depends}".split(",") if d.strip()]
        packages[name + suffix] = (version, deps, suffix)
        for provided in filter(None, (p.strip() for p in provides.split(","))):
            providers.setdefault(bare(provided) + suffix, name)
    return packages, providers


def bare(dependency):
    """A dependency's package name, without version, architecture or profile."""
    return re.split(r"[\s(:\[<]", dependency.strip(), maxsplit=1)[0]


def resolve(dependency, suffix, packages, providers):
    """The installed package that satisfies one alternative, or None."""
    name, qualifier = bare(dependency), re.search(r":([a-z0-9]+)", dependency.split("(")[0])
    if qualifier and qualifier.group(1) not in ("any", "native"):
        candidates = [f"{name}:{qualifier.group(1)}", name]
    else:
        candidates = [name + suffix, name] if suffix else [name]
    for candidate in candidates:
        if candidate in packages:
            return candidate
        if candidate in providers:
            return providers[candidate]
    return None


def closure(seeds, packages, providers):
    """The seeds and every package they depend on, transitively."""
    found, todo = set(), list(seeds)
    while todo:
        name = todo.pop()
        if name in found:
            continue
        if name not in packages:
            sys.exit(f"build_record.py: {name} is not installed, so its version is not known")
        found.add(name)
        version, deps, suffix = packages[name]
        for alternatives in deps:
            chosen = next(filter(None, (resolve(a, suffix, packages, providers)
                                        for a in alternatives)), None)
            if chosen:
                todo.append(chosen)
    return sorted(found)


def debian_release():
    with open("/etc/os-release", encoding="utf-8") as f:
        codename = re.search(r"^VERSION_CODENAME=(.*)$", f.read(), re.M).group(1)
    with open("/etc/debian_version", encoding="utf-8") as f:
        return f"{f.read().strip()} ({codename})"


def write(out, version, downloads, freeglut):
    packages, providers = installed()
    arch = subprocess.run(["dpkg", "--print-architecture"], check=True, capture_output=True,
                          text=True).stdout.strip()
    text = (f"Format: 1.0\nSource: tavrindole\nVersion: {version}\nBuild-Origin: Debian\n"
            f"Build-Release: {debian_release()}\nBuild-Architecture: {arch}\n")
    for name, *seeds in sorted(downloads):
        text += f"\nDownload: {name}\n"
        if freeglut and "win64" in name:
            with open(os.path.join(freeglut, "VERSION"), encoding="utf-8") as f:
                text += f"Built-From-Source: freeglut (= {f.read().strip()})\n"
        text += "Installed-Build-Depends:\n" + ",\n".join(
            f" {p} (= {packages[p][0]})" for p in closure(seeds, packages, providers)) + "\n"
    with open(out, "w", encoding="utf-8") as f:
        f.write(text)


def paragraphs(path):
    """A record as {download or "": {field: value}}."""
    with open(path, encoding="utf-8") as f:
        blocks = f.read().strip().split("\n\n")
    found = {}
    for block in blocks:
        fields = dict(re.findall(r"^([\w-]+):(.*(?:\n .*)*)", block, re.M))
        found[fields.get("Download", "").strip()] = {k: v.strip() for k, v in fields.items()}
    return found


def listed(value):
    return {line.strip().rstrip(",") for line in value.splitlines() if line.strip()}


def check(record, build_dirs):
    """Fails unless each build's C++ compiler is in its download's list."""
    found = paragraphs(record)
    faults = []
    for build in build_dirs:
        download = next(n for n in os.listdir(build) if re.match(r"tavrindole[-_].*\.(deb|zip)$", n))
        found_by_cmake = glob.glob(os.path.join(build, "CMakeFiles", "*", "CMakeCXXCompiler.cmake"))
        with open(found_by_cmake[0], encoding="utf-8") as f:
            compiler = re.search(r'^set\(CMAKE_CXX_COMPILER "(.*)"\)$', f.read(), re.M).group(1)
        owner = subprocess.run(["dpkg", "-S", os.path.realpath(compiler)], check=True,
                               capture_output=True, text=True).stdout.split(":")[0]
        names = {p.split(" ")[0] for p in listed(found.get(download, {}).get(
            "Installed-Build-Depends", ""))}
        if owner not in names:
            faults.append(f"{download}: its compiler {compiler} ({owner}) is not in the record")
    for line in faults:
        print(line, file=sys.stderr)
    print(f"{len(build_dirs)} builds: {len(faults)} compilers missing from the record")
    return 1 if faults else 0


def checksums(folder):
    with open(os.path.join(folder, "SHA256SUMS"), encoding="utf-8") as f:
        return {name: digest for digest, name in (line.split(None, 1) for line in f.read()
                                                   .replace("*", "").splitlines())}


def compare(release, rebuild):
    """Compares the environments first, then every download's checksum."""
    ours = [n for n in os.listdir(release) if n.endswith(".buildinfo")]
    if not ours:
        sys.exit(f"{release} has no build record (*.buildinfo)")
    old, new = paragraphs(os.path.join(release, ours[0])), paragraphs(os.path.join(rebuild, ours[0]))
    differences = []
    for key in sorted(set(old) | set(new)):
        for field in sorted(set(old.get(key, {})) | set(new.get(key, {}))):
            was, now = old.get(key, {}).get(field, ""), new.get(key, {}).get(field, "")
            for line in sorted(listed(was) ^ listed(now)):
                side = "release" if line in listed(was) else "rebuild"
                differences.append(f"{key or 'build'}: {field}: only in the {side}: {line}")
    print(f"build environment: {len(differences)} differences")
    for line in differences:
        print("  " + line)
    theirs, mine = checksums(release), checksums(rebuild)
    differ = sorted(n for n in theirs if mine.get(n) != theirs[n])
    print(f"downloads: {len(theirs) - len(differ)} the same, {len(differ)} different")
    for name in differ:
        print(f"  {name}: diffoscope {release}/{name} {rebuild}/{name}")
    return 1 if differences or differ else 0


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("command", choices=["write", "check", "compare"])
    parser.add_argument("paths", nargs="+")
    parser.add_argument("--version")
    parser.add_argument("--download", action="append", nargs="+", default=[])
    parser.add_argument("--freeglut", help="the Windows build's freeglut, with its VERSION")
    options = parser.parse_args()
    if options.command == "write":
        write(options.paths[0], options.version, options.download, options.freeglut)
        return 0
    if options.command == "check":
        return check(options.paths[0], options.paths[1:])
    return compare(*options.paths[:2])


if __name__ == "__main__":
    sys.exit(main())
