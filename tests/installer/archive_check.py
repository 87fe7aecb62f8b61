#!/usr/bin/env python3
"""Release archive checks, run by CTest from a Windows build tree.

    archive_check.py ARCHIVE SOURCE_DIR EXE SCRATCH -- CMAKE_CONFIGURE_ARGS...

ARCHIVE is the build tree's own archive, EXE the executable it was made of.
A second, fresh build tree is configured in SCRATCH with the given arguments
and builds its own archive; the two must be the same bytes. The archive must
hold exactly the expected entries, in order, each equal to its source (the
texts as Notepad reads them: CRLF, UTF-8 with a byte-order mark), stored
rather than compressed, and its SHA256SUMS must verify with sha256sum; so
must the SHA256SUMS beside the archive and the package.
"""
import os
import shutil
import subprocess
import sys
import tempfile
import zipfile

failures = []


def check(condition, message):
    if not condition:
        failures.append(message)
    return condition


def read(path):
    with open(path, "rb") as f:
        return f.read()


def reads_in_notepad(data, source):
    """The source's text, with a byte-order mark and every line ended CRLF."""
    body = data[3:]
    return (data.startswith(b"\xef\xbb\xbf") and body.count(b"\n") == body.count(b"\r\n")
            and body.replace(b"\r\n", b"\n") == source)


def second_build(source_dir, scratch, configure_args, archive_name):
    shutil.rmtree(scratch, ignore_errors=True)
    tree = os.path.join(scratch, "tree")
    subprocess.run(["cmake", "-S", source_dir, "-B", tree] + configure_args,
                   check=True, stdout=subprocess.DEVNULL)
    subprocess.run(["cmake", "--build", tree, "-j2", "--target", "archive"],
                   check=True, stdout=subprocess.DEVNULL)
    return os.path.join(tree, archive_name)


def check_same_bytes(first, second):
    a, b = read(first), read(second)
    if check(a == b, "two builds gave different archives: %s, %s" % (first, second)):
        return
    with zipfile.ZipFile(first) as za, zipfile.ZipFile(second) as zb:
        for ia, ib in zip(za.infolist(), zb.infolist()):
            if (ia.filename, ia.date_time, ia.CRC) != (ib.filename, ib.date_time, ib.CRC):
                failures.append("  first difference: %s %s %08x / %s %s %08x" % (
                    ia.filename, ia.date_time, ia.CRC, ib.filename, ib.date_time, ib.CRC))
                break


def check_entries(archive, source_dir, exe):
    expected = [
        ("MdbSwitch.exe", exe),
        ("README.txt", os.path.join(source_dir, "README.md")),
        ("README.ja.txt", os.path.join(source_dir, "README.ja.md")),
        ("docs/frmMain.png", os.path.join(source_dir, "docs", "frmMain.png")),
        ("LICENSE.txt", os.path.join(source_dir, "LICENSE.txt")),
    ]
    with zipfile.ZipFile(archive) as z:
        names = z.namelist()
        check(names == [n for n, _ in expected] + ["SHA256SUMS"],
              "entries or their order: %s" % names)
        check(len({i.date_time for i in z.infolist()}) == 1,
              "entries carry different time stamps")
        check(all(i.compress_type == zipfile.ZIP_STORED for i in z.infolist()),
              "entries are compressed: their bytes would depend on the host's zlib")
        for name, source in expected:
            if name in names:
                data = z.read(name)
                same = (reads_in_notepad(data, read(source)) if name.endswith(".txt")
                        else data == read(source))
                check(same, "%s differs from %s" % (name, source))
        listed = z.read("SHA256SUMS").decode("ascii").splitlines() if "SHA256SUMS" in names else []
        check([line.split("  ", 1)[1] for line in listed] == [n for n, _ in expected],
              "SHA256SUMS lists: %s" % listed)
        with tempfile.TemporaryDirectory() as unpacked:
            z.extractall(unpacked)
            result = subprocess.run(["sha256sum", "--strict", "-c", "SHA256SUMS"], cwd=unpacked,
                                    capture_output=True, text=True)
            check(result.returncode == 0, "sha256sum -c: %s%s" % (result.stdout, result.stderr))
            # A checksum list that verifies anything would pass above too.
            with open(os.path.join(unpacked, "README.txt"), "ab") as f:
                f.write(b"\n")
            result = subprocess.run(["sha256sum", "-c", "SHA256SUMS"], cwd=unpacked,
                                    capture_output=True, text=True)
            check(result.returncode != 0, "sha256sum -c accepts a changed README.txt")


def check_release_sums(archive):
    folder = os.path.dirname(archive)
    listed = read(os.path.join(folder, "SHA256SUMS")).decode("ascii").splitlines()
    names = [line.split("  ", 1)[1] for line in listed]
    check(len(names) == 2 and names[0] == os.path.basename(archive) and names[1].endswith(".msi"),
          "the release's SHA256SUMS lists: %s" % names)
    result = subprocess.run(["sha256sum", "--strict", "-c", "SHA256SUMS"], cwd=folder,
                            capture_output=True, text=True)
    check(result.returncode == 0, "release sha256sum -c: %s%s" % (result.stdout, result.stderr))


def main(argv):
    split = argv.index("--")
    archive, source_dir, exe, scratch = argv[1:split]
    configure_args = argv[split + 1:]
    check_entries(archive, source_dir, exe)
    check_release_sums(archive)
    second = second_build(source_dir, scratch, configure_args, os.path.basename(archive))
    check_same_bytes(archive, second)
    for failure in failures:
        print("FAIL:", failure)
    if not failures:
        print("archive %s: entries, checksums and a second build agree" % archive)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
