#!/usr/bin/env python3
"""Builds the release archive: the given files, then SHA256SUMS over them.

    make_archive.py OUTPUT.zip RELEASE_DATE NAME=PATH...

Each NAME is the file's name inside the archive ("docs/frmMain.png" keeps
its folder); PATH is where it is read from. A NAME ending in ".txt" is
written as Notepad reads it on every Windows (notepad_text.py). The bytes
depend on the inputs only, not on the host's zlib: entries are stored
uncompressed, in the order given, every entry carries the same time stamp
(SOURCE_DATE_EPOCH when set, else midnight UTC of RELEASE_DATE, YYYY-MM-DD)
and the same attributes, and nothing of the build machine (owner, umask,
clock) is recorded.
"""
import hashlib
import os
import calendar
import sys
import time
import zipfile

sys.dont_write_bytecode = True  # no cache of the module below in the source tree
from notepad_text import notepad_text  # noqa: E402

DOS_EPOCH = 315532800  # 1980-01-01 00:00:00 UTC, the earliest zip time


def stamp_of(release_date):
    if os.environ.get("SOURCE_DATE_EPOCH"):
        return int(os.environ["SOURCE_DATE_EPOCH"])
    return calendar.timegm(time.strptime(release_date, "%Y-%m-%d"))


def entry(name, stamp):
    info = zipfile.ZipInfo(name, date_time=time.gmtime(max(stamp, DOS_EPOCH))[:6])
    # Written as by a Windows archiver: no Unix owner or mode bits, only the
    # archive attribute.
    info.create_system = 0
    info.external_attr = 0x20
    info.compress_type = zipfile.ZIP_STORED
    return info


def main(argv):
    if len(argv) < 4:
        sys.stderr.write(__doc__)
        return 2
    output, release_date, pairs = argv[1], argv[2], argv[3:]
    stamp = stamp_of(release_date)
    files = []
    for pair in pairs:
        name, _, path = pair.partition("=")
        with open(path, "rb") as f:
            data = f.read()
        files.append((name, notepad_text(data) if name.endswith(".txt") else data))
    sums = "".join("%s  %s\n" % (hashlib.sha256(data).hexdigest(), name) for name, data in files)
    files.append(("SHA256SUMS", sums.encode("ascii")))

    # Written beside the target and renamed, so that an interrupted build
    # never leaves a half archive under the real name.
    partial = output + ".part"
    with zipfile.ZipFile(partial, "w") as archive:
        for name, data in files:
            archive.writestr(entry(name, stamp), data)
    os.replace(partial, output)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
