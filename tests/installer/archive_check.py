#!/usr/bin/env python3
"""Release archive checks, run by CTest from a Windows build tree.

    archive_check.py ARCHIVE SOURCE_DIR EXE SCRATCH -- CMAKE_CONFIGURE_ARGS...

ARCHIVE is the build tree's own archive, EXE the executable it was made of.
A second, fresh build tree is configured in SCRATCH with the given arguments
and builds its own archive; the two must be the same bytes. The archive must
hold exactly the expected entries, in order, each equal to its source, and
its SHA256SUMS must verify with sha256sum.
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
        ("README.md", os.path.join(source_dir, "README.md")),
        ("README.ja.md", os.path.join(source_dir, "README.ja.md")),
        ("docs/frmMain.png", os.path.join(source_dir, "docs", "frmMain.png")),
        ("LICENSE.txt", os.path.join(source_dir, "LICENSE.txt")),
    ]
    with zipfile.ZipFile(archive) as z:
        names = z.namelist()
        check(names == [n for n, _ in expected] + ["SHA256SUMS"],
              "entries or their order: %s" % names)
        check(len({i.date_time for i in z.infolist()}) == 1,
              "entries carry different time stamps")
        for name, source in expected:
            if name in names:
                check(z.read(name) == read(source), "%s differs from %s" % (name, source))
        listed = z.read("SHA256SUMS").decode("ascii").splitlines() if "SHA256SUMS" in names else []
        check([line.split("  ", 1)[1] for line in listed] == [n for n, _ in expected],
              "SHA256SUMS lists: %s" % listed)
        with tempfile.TemporaryDirectory() as unpacked:
            z.extractall(unpacked)
            result = subprocess.run(["sha256sum", "--strict", "-c", "SHA256SUMS"], cwd=unpacked,
                                    capture_output=True, text=True)
            check(result.returncode == 0, "sha256sum -c: %s%s" % (result.stdout, result.stderr))
            # A checksum list that verifies anything would pass above too.
            with open(os.path.join(unpacked, "README.md"), "ab") as f:
                f.write(b"\n")
            result = subprocess.run(["sha256sum", "-c", "SHA256SUMS"], cwd=unpacked,
                                    capture_output=True, text=True)
            check(result.returncode != 0, "sha256sum -c accepts a changed README.md")


def main(argv):
    split = argv.index("--")
    archive, source_dir, exe, scratch = argv[1:split]
    configure_args = argv[split + 1:]
    check_entries(archive, source_dir, exe)
    second = second_build(source_dir, scratch, configure_args, os.path.basename(archive))
    check_same_bytes(archive, second)
    for failure in failures:
        print("FAIL:", failure)
    if not failures:
        print("archive %s: entries, checksums and a second build agree" % archive)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
