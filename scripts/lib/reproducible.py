# SPDX-FileCopyrightText: 2026 the Tavrindole developers
# SPDX-License-Identifier: MIT
"""Archives that two builds of one commit make to the same bytes, and the
check that a download is one.

Usage: reproducible.py zip ZIP                rewrites a zip in place
       reproducible.py deb DEB                gives a .deb's parts mode 0644
       reproducible.py tar-gz OUT < TAR       gzips a tar (git archive's)
       reproducible.py tar-gz OUT --tree DIR --prefix NAME/
                                              the same from an unpacked source
       reproducible.py check --path DIR FILE...

In every archive: members in name order, owned by root, mode 0644 or 0755,
dated SOURCE_DATE_EPOCH (zips keep the date in UTC, to two seconds). The
check also looks inside every member, of a .deb's tars too, for the build's
own folder, and at an exe's PE header for a link time.
"""

import argparse
import datetime
import fnmatch
import gzip
import io
import os
import struct
import sys
import tarfile
import zipfile


def epoch():
    """SOURCE_DATE_EPOCH, which the scripts set (cmake/source-date.cmake)."""
    value = os.environ.get("SOURCE_DATE_EPOCH", "")
    if not value.isdigit():
        sys.exit(f"reproducible.py: SOURCE_DATE_EPOCH is {value!r}, not a whole number of "
                 "seconds; the scripts set it from cmake/source-date.cmake")
    return int(value)


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


def normalised(name, kind, size, executable, linkname=""):
    """A tar member as every build writes it, whatever the files' own dates,
    owners and modes."""
    info = tarfile.TarInfo(name)
    info.type, info.size, info.linkname = kind, size, linkname
    info.mtime, info.uid, info.gid, info.uname, info.gname = epoch(), 0, 0, "root", "root"
    info.mode = mode_of(kind == tarfile.DIRTYPE or executable)
    return info


def from_git_archive():
    """(member, data) for each member of the tar git archive writes on stdin."""
    source = tarfile.open(fileobj=io.BytesIO(sys.stdin.buffer.read()), mode="r:")
    for info in source.getmembers():
        if info.type == tarfile.XGLTYPE:
            continue  # git's commit id, kept out of the members
        data = source.extractfile(info).read() if info.isfile() else b""
        yield normalised(info.name, info.type, info.size, info.mode & 0o111, info.linkname), data


def ignored(path, is_dir, patterns):
    """Whether .gitignore's patterns leave PATH (relative, with /) out."""
    for pattern in patterns:
        if pattern.endswith("/") and not is_dir:
            continue
        bare = pattern.strip("/")
        anchored = pattern.startswith("/") or "/" in bare
        if fnmatch.fnmatchcase(path if anchored else path.rsplit("/", 1)[-1], bare):
            return True
    return False


def from_tree(top, prefix):
    """The same members as git archive of the commit that TOP was unpacked
    from: its files and their folders, less what .gitignore leaves out."""
    with open(os.path.join(top, ".gitignore"), encoding="utf-8") as f:
        patterns = [line.strip() for line in f if line.strip() and not line.startswith("#")]
    folders = {prefix.rstrip("/")}
    files = []
    for here, dirs, names in os.walk(top):
        rel = os.path.relpath(here, top).replace(os.sep, "/")
        rel = "" if rel == "." else rel + "/"
        dirs[:] = [d for d in dirs if not ignored(rel + d, True, patterns)]
        files += [rel + n for n in names if not ignored(rel + n, False, patterns)]
    for path in files:
        parts = path.split("/")
        folders.update(prefix + "/".join(parts[:i]) for i in range(1, len(parts)))
    for folder in folders:
        yield normalised(folder, tarfile.DIRTYPE, 0, True), b""
    for path in files:
        full = os.path.join(top, path)
        if os.path.islink(full):
            yield normalised(prefix + path, tarfile.SYMTYPE, 0, True, os.readlink(full)), b""
        else:
            with open(full, "rb") as f:
                data = f.read()
            yield normalised(prefix + path, tarfile.REGTYPE, len(data),
                             os.stat(full).st_mode & 0o111), data


def tar_gz(out, members):
    with open(out, "wb") as raw, gzip.GzipFile(fileobj=raw, mode="wb", mtime=0,
                                               filename="", compresslevel=9) as packed:
        with tarfile.open(fileobj=packed, mode="w:", format=tarfile.PAX_FORMAT) as tar:
            for info, data in sorted(members, key=lambda m: m[0].name):
                tar.addfile(info, io.BytesIO(data) if info.isfile() else None)


def deb_modes(path):
    """Gives every part of a .deb (an ar archive) mode 0644: cpack takes
    them from the files it wrote, which follow the umask."""
    with open(path, "r+b") as f:
        data = f.read()
        at = 8
        for *_, content in ar_members(data):
            f.seek(at + 40)
            f.write(b"100644  ")
            at += 60 + len(content) + len(content) % 2


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
    parser.add_argument("command", choices=["zip", "deb", "tar-gz", "check"])
    parser.add_argument("files", nargs="+")
    parser.add_argument("--path", help="the build's own folder, which no download may name")
    parser.add_argument("--tree", help="tar-gz: the unpacked source, for want of git archive")
    parser.add_argument("--prefix", help="tar-gz --tree: the folder the archive unpacks into")
    options = parser.parse_args()
    if options.command == "zip":
        rewrite_zip(options.files[0])
    elif options.command == "deb":
        deb_modes(options.files[0])
    elif options.command == "tar-gz":
        members = from_tree(options.tree, options.prefix) if options.tree else from_git_archive()
        tar_gz(options.files[0], members)
    else:
        return check(options.files, os.path.abspath(options.path))
    return 0


if __name__ == "__main__":
    sys.exit(main())
