#!/usr/bin/env python3
"""A text as Notepad reads it on every Windows: CRLF line ends, UTF-8 with a
byte-order mark. The release archive and the installer package both ship
the READMEs and the licence this way.

    notepad_text.py SOURCE OUTPUT
"""
import sys


def notepad_text(data):
    lines = data.decode("utf-8-sig").replace("\r\n", "\n").split("\n")
    return b"\xef\xbb\xbf" + "\r\n".join(lines).encode("utf-8")


def main(argv):
    if len(argv) != 3:
        sys.stderr.write(__doc__)
        return 2
    with open(argv[1], "rb") as source:
        data = source.read()
    with open(argv[2], "wb") as output:
        output.write(notepad_text(data))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
