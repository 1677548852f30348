#!/usr/bin/env python3
"""Writes the skin archives that the UI core tests read, made by Python's zipfile and by
Info-ZIP's zip, so the reader meets archives it did not write itself.

usage: make_zip_fixtures.py OUTDIR
"""
import os
import shutil
import subprocess
import sys
import tempfile
import zipfile

MTIME = 1700000000  # 2023-11-14 22:13:20 UTC


def payloads():
    xml = b'<?xml version="1.0" encoding="utf-8"?>\n<Window size="400,300"><Label text="hi"/></Window>\n'
    blob = bytes((i * 7 + 3) % 256 for i in range(5000))
    big = b"".join(b"line %06d of a long text\n" % i for i in range(8000))
    return xml, blob, big


def main(out):
    os.makedirs(out, exist_ok=True)
    xml, blob, big = payloads()
    long255 = "n" * 251 + ".txt"

    py = os.path.join(out, "python.zip")
    with zipfile.ZipFile(py, "w") as z:
        z.writestr(zipfile.ZipInfo("skin/"), b"")
        z.writestr("skin/main.xml", xml, compress_type=zipfile.ZIP_DEFLATED)
        z.writestr("skin/logo.bin", blob, compress_type=zipfile.ZIP_STORED)
        z.writestr("big.txt", big, compress_type=zipfile.ZIP_DEFLATED)
        z.writestr(long255, b"long name", compress_type=zipfile.ZIP_DEFLATED)

    # A zip appended to other bytes, its offsets left as they were.
    with open(py, "rb") as f:
        archive = f.read()
    with open(os.path.join(out, "prefixed.zip"), "wb") as f:
        f.write(b"MZ" + b"\x90" * 1998 + archive)

    tmp = tempfile.mkdtemp()
    try:
        skin = os.path.join(tmp, "skin")
        os.makedirs(skin)
        for name, data in (("main.xml", xml), ("logo.txt", blob), ("big.xml", big)):
            path = os.path.join(skin, name)
            with open(path, "wb") as f:
                f.write(data)
            os.utime(path, (MTIME, MTIME))
        target = os.path.abspath(os.path.join(out, "infozip.zip"))
        if os.path.exists(target):
            os.remove(target)
        # .txt stored, everything else deflated; the extra fields carry the Unix times.
        subprocess.run(["zip", "-q", "-r", "-n", ".txt", target, "skin"], cwd=tmp, check=True)
    finally:
        shutil.rmtree(tmp)

    with open(os.path.join(out, "payloads.bin"), "wb") as f:
        for data in (xml, blob, big):
            f.write(len(data).to_bytes(4, "little") + data)


if __name__ == "__main__":
    main(sys.argv[1])
