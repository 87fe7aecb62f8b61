#!/usr/bin/env python3
"""Checks a built executable against the committed list of what it may import.

    check_imports.py EXE LIST [--os-version MAJOR.MINOR] [--newest NAME]

Every imported function, delay-loaded ones included, must be on LIST, and LIST must date it no later than
the oldest Windows the program starts on (--newest, default 2000). With
--os-version the PE header's OS and subsystem versions must say exactly that.
Exits 0 when all holds, 1 with one line per fault otherwise.
"""
import argparse
import struct
import sys

# Windows releases in order; a list entry names the oldest that exports it.
RELEASES = ["2000", "xp", "vista", "7", "8", "8.1", "10"]


def read_imports(image):
    """Returns ({dll lower-case: [function or '#ordinal']}, (os, subsystem) versions)."""
    (pe_at,) = struct.unpack_from("<I", image, 0x3C)
    if image[pe_at:pe_at + 4] != b"PE\0\0":
        raise ValueError("not a PE image")
    sections_count, optional_size = struct.unpack_from("<H12xH", image, pe_at + 6)
    optional = pe_at + 24
    magic, = struct.unpack_from("<H", image, optional)
    wide = magic == 0x20B
    os_version = struct.unpack_from("<HH", image, optional + 40)
    subsystem_version = struct.unpack_from("<HH", image, optional + 48)
    directories = optional + (112 if wide else 96)
    import_rva, = struct.unpack_from("<I", image, directories + 8)
    sections = []
    at = optional + optional_size
    for i in range(sections_count):
        vsize, vaddr, rsize, raw = struct.unpack_from("<IIII", image, at + 40 * i + 8)
        sections.append((vaddr, max(vsize, rsize), raw))

    def offset(rva):
        for vaddr, size, raw in sections:
            if vaddr <= rva < vaddr + size:
                return rva - vaddr + raw
        raise ValueError("address %#x is in no section" % rva)

    def text(rva):
        start = offset(rva)
        return image[start:image.index(b"\0", start)].decode("ascii")

    size, fmt, flag = (8, "<Q", 1 << 63) if wide else (4, "<I", 1 << 31)

    def thunk_names(at):
        names = []
        while True:
            (value,) = struct.unpack_from(fmt, image, at)
            if value == 0:
                return names
            names.append("#%d" % (value & 0xFFFF) if value & flag else text((value & 0x7FFFFFFF) + 2))
            at += size

    imports = {}
    at = offset(import_rva) if import_rva else None
    while at is not None:
        lookup, _, _, name_rva, thunks = struct.unpack_from("<IIIII", image, at)
        if name_rva == 0:
            break
        imports.setdefault(text(name_rva).lower(), []).extend(thunk_names(offset(lookup or thunks)))
        at += 20
    for dll, at in delay_descriptors(image, sections, offset, text):
        imports.setdefault(dll, []).extend(thunk_names(at))
    return imports, os_version, subsystem_version


def delay_descriptors(image, sections, offset, text):
    """Yields (dll, offset of its name table) for every delay-load descriptor.

    GNU ld leaves the delay-import directory of the PE header empty, so the
    descriptors are found by their shape: attributes 1 (addresses are RVAs),
    the RVAs of a DLL name, its module handle, its address and name tables,
    then three zero fields."""
    def valid(rva):
        try:
            offset(rva)
            return True
        except ValueError:
            return False

    for vaddr, length, raw in sections:
        end = min(raw + length, len(image)) - 32
        for at in range(raw, end, 4):
            attributes, name, module, iat, names, bound, unload, stamp = struct.unpack_from(
                "<8I", image, at)
            if attributes != 1 or bound or unload or stamp or 0 in (name, module, iat, names):
                continue
            if not all(valid(rva) for rva in (name, module, iat, names)):
                continue
            try:
                dll = text(name)
            except (ValueError, UnicodeDecodeError):
                continue
            if dll.lower().endswith(".dll"):
                yield dll.lower(), offset(names)


def read_list(path):
    allowed = {}
    with open(path, encoding="utf-8") as f:
        for number, line in enumerate(f, 1):
            line = line.split("#", 1)[0].strip()
            if not line:
                continue
            dll, function, release = line.split()
            if release not in RELEASES:
                raise ValueError("%s:%d: unknown release %s" % (path, number, release))
            allowed[(dll.lower(), function)] = release
    return allowed


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("exe")
    parser.add_argument("list")
    parser.add_argument("--os-version")
    parser.add_argument("--newest", default="2000", choices=RELEASES)
    args = parser.parse_args()
    with open(args.exe, "rb") as f:
        image = f.read()
    imports, os_version, subsystem_version = read_imports(image)
    allowed = read_list(args.list)
    newest = RELEASES.index(args.newest)
    faults = []
    for dll, functions in sorted(imports.items()):
        for function in functions:
            release = allowed.get((dll, function))
            if release is None:
                faults.append("%s!%s is imported but not on the list" % (dll, function))
            elif RELEASES.index(release) > newest:
                faults.append("%s!%s needs Windows %s" % (dll, function, release))
    if args.os_version:
        want = tuple(int(part) for part in args.os_version.split("."))
        for what, have in (("OS", os_version), ("subsystem", subsystem_version)):
            if have != want:
                faults.append("the PE header's %s version is %d.%d, not %s" % ((what,) + have + (args.os_version,)))
    count = sum(len(functions) for functions in imports.values())
    for fault in faults:
        print(fault)
    print("%d functions from %d DLLs checked, %d faults" % (count, len(imports), len(faults)))
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
