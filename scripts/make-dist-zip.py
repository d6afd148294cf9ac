#!/usr/bin/env python3
"""Writes the compo zip: the given files at the zip's top level, in the
order given, byte-identical from run to run (a fixed time stamp, fixed
permissions, deflate at level 9). A program (.exe) is stripped of its
symbols and debug information first when --strip names the strip tool
(the program's header then holds the fixed time stamp too, not the time of
the strip); a text file (.nfo, .txt) gets Windows line ends, which every
Windows editor shows.

    make-dist-zip.py OUT.zip [--strip STRIP] FILE...
"""
import argparse
import calendar
import os
import shutil
import subprocess
import sys
import tempfile
import zipfile

# 2026-01-01 00:00:00, the zip format's local time without a zone.
FIXED_TIME = (2026, 1, 1, 0, 0, 0)
TEXT_SUFFIXES = (".nfo", ".txt")


def entry_bytes(path, strip, scratch):
    if path.lower().endswith(".exe") and strip:
        stripped = os.path.join(scratch, os.path.basename(path))
        shutil.copyfile(path, stripped)
        # binutils writes SOURCE_DATE_EPOCH into a PE header it rewrites.
        epoch = str(calendar.timegm(FIXED_TIME + (0, 0, 0)))
        subprocess.run([strip, "--strip-all", stripped], check=True, env=dict(os.environ, SOURCE_DATE_EPOCH=epoch))
        path = stripped
    with open(path, "rb") as f:
        data = f.read()
    if path.lower().endswith(TEXT_SUFFIXES):
        data = data.replace(b"\r\n", b"\n").replace(b"\n", b"\r\n")
    return data


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("zip")
    parser.add_argument("--strip", help="the strip program for the .exe files")
    parser.add_argument("files", nargs="+")
    args = parser.parse_args()
    names = [os.path.basename(f) for f in args.files]
    if len(set(names)) != len(names):
        sys.exit("make-dist-zip.py: two files of the same name")
    os.makedirs(os.path.dirname(os.path.abspath(args.zip)), exist_ok=True)
    partial = args.zip + ".partial"
    with tempfile.TemporaryDirectory() as scratch:
        with zipfile.ZipFile(partial, "w") as archive:
            for path, name in zip(args.files, names):
                info = zipfile.ZipInfo(name, date_time=FIXED_TIME)
                info.compress_type = zipfile.ZIP_DEFLATED
                info.create_system = 3  # Unix, so that the permissions below are read
                mode = 0o755 if name.lower().endswith(".exe") else 0o644
                info.external_attr = (0o100000 | mode) << 16  # a regular file
                archive.writestr(info, entry_bytes(path, args.strip, scratch), compresslevel=9)
    os.replace(partial, args.zip)


if __name__ == "__main__":
    main()
