#!/usr/bin/env python3
"""Makes the zip archives the extraction tests unpack, into OUTDIR:

  tree/                 the files every good archive holds (the tests compare against it)
  py_stored.zip, py_deflated.zip        made by Python's zipfile, with folder entries
  info_stored.zip, info_deflated.zip    made by Info-ZIP zip -r
  slip_<n>.zip          a harmless entry, then one whose name leads out of the folder
  crc_stored.zip, crc_deflated.zip, crc_header.zip   "data.bin" with damaged data or CRC-32
  prefixed.zip, trailing.zip            a good archive with bytes in front of it or after it
  cut_half.zip, cut_last.zip            a good archive cut short

usage: make_test_zips.py OUTDIR
"""
import os
import random
import shutil
import subprocess
import sys
import zipfile

out = os.path.abspath(sys.argv[1])
tree = os.path.join(out, "tree")
shutil.rmtree(out, ignore_errors=True)
os.makedirs(tree)

rng = random.Random(7)
files = {
    "readme.txt": b"".join(b"line %d of the readme\r\n" % i for i in range(200)),
    # Larger than the unpacker's blocks, half noise and half text so deflate has work either way.
    "big.bin": bytes(rng.getrandbits(8) for _ in range(400_000)) + b"0123456789abcdef" * 25_000,
    "empty.txt": b"",
    "a/b/c/deep.txt": b"deep inside\n",
    "donn\u00e9es/\u65e5\u672c\u8a9e.txt": "UTF-8 name, UTF-8 text: \u65e5\u672c\u8a9e\n".encode("utf-8"),
}
folders = ["a/", "a/b/", "a/b/c/", "donn\u00e9es/", "empty_dir/"]
for name, data in files.items():
    path = os.path.join(tree, *name.split("/"))
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)
os.makedirs(os.path.join(tree, "empty_dir"), exist_ok=True)


def python_zip(name, method, entries):
    with zipfile.ZipFile(os.path.join(out, name), "w", method) as z:
        for entry, data in entries:
            if data is None:
                z.writestr(zipfile.ZipInfo(entry), b"")
            else:
                z.writestr(zipfile.ZipInfo(entry), data, compress_type=method)


tree_entries = [(f, None) for f in folders] + list(files.items())
python_zip("py_stored.zip", zipfile.ZIP_STORED, tree_entries)
python_zip("py_deflated.zip", zipfile.ZIP_DEFLATED, tree_entries)

env = dict(os.environ, LC_ALL="C.UTF-8")
for name, level in (("info_stored.zip", "-0"), ("info_deflated.zip", "-6")):
    subprocess.run(["zip", "-q", "-r", "-X", level, os.path.join(out, name), "."], cwd=tree, env=env, check=True)

slips = ["../evil.txt", "a/../../evil.txt", "/abs.txt", "C:/drive.txt", "..\\evil.txt",
         "ok/..\\..\\evil.txt", "a/ .. /x", "sub/nul.txt", "c:evil.txt"]
for i, bad in enumerate(slips):
    python_zip("slip_%d.zip" % i, zipfile.ZIP_DEFLATED, [("first.txt", b"first"), (bad, b"evil")])

payload = b"payload that must arrive whole " * 2000
for name, method in (("crc_stored.zip", zipfile.ZIP_STORED), ("crc_deflated.zip", zipfile.ZIP_DEFLATED)):
    python_zip(name, method, [("data.bin", payload)])
    info = zipfile.ZipFile(os.path.join(out, name)).getinfo("data.bin")
    raw = bytearray(open(os.path.join(out, name), "rb").read())
    start = info.header_offset + 30 + len("data.bin") + len(info.extra)
    raw[start + info.compress_size // 2] ^= 0x55  # inside the entry's data
    open(os.path.join(out, name), "wb").write(raw)

# Intact data, wrong CRC-32 in both headers.
python_zip("crc_header.zip", zipfile.ZIP_DEFLATED, [("data.bin", payload)])
raw = bytearray(open(os.path.join(out, "crc_header.zip"), "rb").read())
crc = zipfile.crc32(payload).to_bytes(4, "little")
bad = (zipfile.crc32(payload) ^ 1).to_bytes(4, "little")
raw = raw.replace(crc, bad)
open(os.path.join(out, "crc_header.zip"), "wb").write(raw)

good = open(os.path.join(out, "py_deflated.zip"), "rb").read()
# Offsets that leave out bytes in front (an archive appended to a program), and bytes after it.
open(os.path.join(out, "prefixed.zip"), "wb").write(b"MZ" + bytes(range(256)) * 8 + good)
open(os.path.join(out, "trailing.zip"), "wb").write(good + b"trailing bytes")
open(os.path.join(out, "cut_half.zip"), "wb").write(good[: len(good) // 2])
open(os.path.join(out, "cut_last.zip"), "wb").write(good[:-1])
