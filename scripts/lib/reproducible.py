# SPDX-FileCopyrightText: 2026 the Tavrindole developers
# SPDX-License-Identifier: MIT
"""Archives that two builds of one commit make to the same bytes, and the
check that a download is one.

Usage: reproducible.py zip ZIP                rewrites a zip in place
       reproducible.py tar-gz OUT < TAR       gzips a tar (git archive's)
       reproducible.py check --path DIR FILE...

In every archive: members in name order, owned by root, mode 0644 or 0755,
dated SOURCE_DATE_EPOCH (zips keep the date in UTC, to two seconds). The
check also looks inside every member, of a .deb's tars too, for the build's
own folder, and at an exe's PE header for a link time.
"""

import argparse
import datetime
import gzip
import io
import os
import struct
import subprocess
import sys
import tarfile
import zipfile


def epoch():
    if "SOURCE_DATE_EPOCH" not in os.environ:
        os.environ["SOURCE_DATE_EPOCH"] = subprocess.run(
            ["git", "log", "-1", "--format=%ct"], check=True, capture_output=True, text=True).stdout
    return int(os.environ["SOURCE_DATE_EPOCH"])


def zip_date(seconds):
    stamp = datetime.datetime.fromtimestamp(max(seconds, 315532800), datetime.timezone.utc)
    return stamp.timetuple()[:5] + (stamp.second // 2 * 2,)


def mode_of(executable):
    return 0o755 if executable else 0o644


def rewrite_zip(path):
    with zipfile.ZipFile(path) as old:
        members = sorted((i.filename, old.read(i), i.external_attr >> 16 & 0o111)
                         for i in old.infolist() if not i.is_dir())
    with zipfile.ZipFile(path, "w") as new:
        for name, data, executable in members:
            info = zipfile.ZipInfo(name, zip_date(epoch()))
            info.create_system = 3  # Unix, so the modes below count
            info.external_attr = (0o100000 | mode_of(executable)) << 16
            info.compress_type = zipfile.ZIP_DEFLATED
            new.writestr(info, data, compresslevel=9)


def tar_gz(out):
    source = tarfile.open(fileobj=io.BytesIO(sys.stdin.buffer.read()), mode="r:")
    with open(out, "wb") as raw, gzip.GzipFile(fileobj=raw, mode="wb", mtime=0,
                                               filename="", compresslevel=9) as packed:
        with tarfile.open(fileobj=packed, mode="w:", format=tarfile.PAX_FORMAT) as tar:
            for info in sorted(source.getmembers(), key=lambda i: i.name):
                if info.type == tarfile.XGLTYPE:
                    continue  # git's commit id, kept out of the members
                data = source.extractfile(info) if info.isfile() else None
                info.mtime, info.uid, info.gid, info.uname, info.gname = epoch(), 0, 0, "root", "root"
                info.mode = mode_of(info.isdir() or info.mode & 0o111)
                info.pax_headers = {}
                tar.addfile(info, data)


def ar_members(data):
    """The members of an ar archive (a .deb) as (name, mtime, uid, gid, mode, data)."""
    assert data.startswith(b"!<arch>\n"), "not an ar archive"
    at, found = 8, []
    while at < len(data):
        header = data[at:at + 60].decode()
        size = int(header[48:58])
        found.append((header[:16].strip().rstrip("/"), int(header[16:28]), int(header[28:34]),
                      int(header[34:40]), int(header[40:48], 8), data[at + 60:at + 60 + size]))
        at += 60 + size + size % 2
    return found


def archive_members(path, data):
    """Each member of an archive, as (name, date, owner, mode, data, is_dir)."""
    name = path.rsplit("/", 1)[-1]
    if name.endswith(".zip"):
        with zipfile.ZipFile(io.BytesIO(data)) as z:
            for i in z.infolist():
                yield i.filename, i.date_time, None, i.external_attr >> 16, z.read(i), i.is_dir()
    elif name.endswith(".deb"):
        for member, mtime, uid, gid, mode, content in ar_members(data):
            yield member, mtime, (uid, gid), 0o100000 | mode, content, False
    elif ".tar" in name:
        with tarfile.open(fileobj=io.BytesIO(data), mode="r:*") as tar:
            for i in tar.getmembers():
                content = tar.extractfile(i).read() if i.isfile() else b""
                yield i.name, i.mtime, (i.uid, i.gid), i.mode, content, i.isdir()


def pe_time(data):
    at = struct.unpack_from("<I", data, 0x3C)[0]
    assert data[at:at + 4] == b"PE\0\0", "not a PE file"
    return struct.unpack_from("<I", data, at + 8)[0]


def faults(name, data, root):
    """What keeps a file (and, within it, every member) from being the same
    in another build: as a list of complaints."""
    found = []
    if root.encode() in data:
        found.append(f"{name}: holds the build's folder {root}")
    if name.endswith(".exe") and pe_time(data) != 0:
        found.append(f"{name}: a link time in the PE header")
    members = list(archive_members(name, data))
    kind = name.rsplit("/", 1)[-1]
    # A .deb and its control part are written in the order dpkg asks for;
    # any other archive's members come from a folder, and must be sorted.
    if len(members) > 1 and not kind.endswith(".deb") and not kind.startswith("control.tar"):
        names = [m[0] for m in members]
        if names != sorted(names):
            found.append(f"{name}: members out of order")
    for member, date, owner, mode, content, is_dir in members:
        where = f"{name}/{member}"
        want = zip_date(epoch()) if kind.endswith(".zip") else epoch()
        if date != want:
            found.append(f"{where}: dated {date}, not {want}")
        if owner not in (None, (0, 0)):
            found.append(f"{where}: owned by {owner}")
        allowed = (0o755,) if is_dir else (0o644, 0o755)
        if mode & 0o7777 not in allowed:
            found.append(f"{where}: mode {mode & 0o7777:o}")
        found += faults(where, content, root)
    return found


def check(paths, root):
    found = []
    for path in paths:
        with open(path, "rb") as f:
            found += faults(os.path.basename(path), f.read(), root)
    for line in found:
        print(line, file=sys.stderr)
    print(f"{len(paths)} downloads: {len(found)} differences another build could make")
    return 1 if found else 0


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("command", choices=["zip", "tar-gz", "check"])
    parser.add_argument("files", nargs="+")
    parser.add_argument("--path", help="the build's own folder, which no download may name")
    options = parser.parse_args()
    if options.command == "zip":
        rewrite_zip(options.files[0])
    elif options.command == "tar-gz":
        tar_gz(options.files[0])
    else:
        return check(options.files, os.path.abspath(options.path))
    return 0


if __name__ == "__main__":
    sys.exit(main())
