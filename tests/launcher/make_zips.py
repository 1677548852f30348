#!/usr/bin/env python3
"""Builds the zip archives the launcher's tests read: made by Python's zipfile and by Info-ZIP
`zip`, plus copies patched byte by byte into broken ones.   make_zips.py OUTDIR"""
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import time
import zipfile

out = sys.argv[1]
os.makedirs(out, exist_ok=True)

# 2021-03-04 05:06:08 as a DOS time (local time of the packer).
DOS_TIME = (2021, 3, 4, 5, 6, 8)
UT_MTIME = 1600000000  # 2020-09-13 12:26:40 UTC
UT_ATIME = 1500000000
UT_CTIME = 1400000000


def body(name, repeat=1):
    return ("content of %s\n" % name).encode("utf-8") * repeat


def info(name, method=zipfile.ZIP_DEFLATED, system=3, attr=None, extra=b""):
    zi = zipfile.ZipInfo(name, DOS_TIME)
    zi.compress_type = method
    zi.create_system = system
    if attr is None:
        attr = (0o40755 << 16) | 0x10 if name.endswith("/") else (0o100644 << 16)
    zi.external_attr = attr
    zi.extra = extra
    return zi


def write(path, entries):
    with zipfile.ZipFile(path, "w") as z:
        for zi, data in entries:
            z.writestr(zi, data)


def ut(flags, *times):
    data = bytes([flags]) + b"".join(struct.pack("<i", t) for t in times)
    return struct.pack("<HH", 0x5455, len(data)) + data


def patch(src, dst, edits):
    data = bytearray(open(src, "rb").read())
    for offset, value in edits:
        data[offset:offset + len(value)] = value
    open(dst, "wb").write(bytes(data))


def local_offset(path, name):
    with zipfile.ZipFile(path) as z:
        return z.getinfo(name).header_offset


def data_offset(path, name):
    off = local_offset(path, name)
    raw = open(path, "rb").read()
    n, e = struct.unpack_from("<HH", raw, off + 26)
    return off + 30 + n + e


def central_offset(path, name):
    raw = open(path, "rb").read()
    key = name.encode("utf-8")
    pos = 0
    while True:
        pos = raw.index(b"PK\x01\x02", pos)
        n = struct.unpack_from("<H", raw, pos + 28)[0]
        if raw[pos + 46:pos + 46 + n] == key:
            return pos
        pos += 4


# Nested folders, an empty file, Chinese names, stored and deflated entries.
basic = [
    (info("top.txt", zipfile.ZIP_STORED), body("top.txt")),
    (info("deflated.txt"), body("deflated.txt", 500)),
    (info("empty.txt"), b""),
    (info("empty-stored.txt", zipfile.ZIP_STORED), b""),
    (info("dir/"), b""),
    (info("dir/sub/deep.bin"), bytes(range(256)) * 300),
    (info("中文目录/文件.txt"), body("中文目录/文件.txt")),
]
write(os.path.join(out, "basic.zip"), basic)

# The second release of the same files, for updates applied over earlier ones.
write(os.path.join(out, "basic-v2.zip"),
      [(info("top.txt"), b"second release\n"), (info("dir/sub/deep.bin"), b"second deep\n")])

# DOS attributes and times: hidden, system, read-only; "UT" blocks with some or all times.
dos = [
    (info("hidden.txt", system=0, attr=0x22), body("hidden.txt")),
    (info("system.txt", system=0, attr=0x24), body("system.txt")),
    (info("readonly-dos.txt", system=0, attr=0x21), body("readonly-dos.txt")),
    (info("plain-dos.txt", system=0, attr=0x00), body("plain-dos.txt")),
    (info("ut-mtime.txt", extra=ut(1, UT_MTIME)), body("ut-mtime.txt")),
    (info("ut-all.txt", extra=ut(7, UT_MTIME, UT_ATIME, UT_CTIME)), body("ut-all.txt")),
    (info("ut-after-other.txt", extra=struct.pack("<HH", 0xCAFE, 3) + b"abc" + ut(1, UT_MTIME)),
     body("ut-after-other.txt")),
    (info("ut-cut-short.txt", extra=struct.pack("<HH", 0x5455, 2) + b"\x03\x00"), body("ut-cut-short.txt")),
]
write(os.path.join(out, "dos.zip"), dos)
write(os.path.join(out, "dos-v2.zip"),
      [(info("hidden.txt", system=0, attr=0x22), b"hidden v2\n"),
       (info("system.txt", system=0, attr=0x24), b"system v2\n")])

# Names that try to leave the extraction folder, and names the reader reduces to harmless ones.
evil = [
    "../sentinel/victim.txt", "..\\sentinel\\victim.txt", "a/../../sentinel/victim.txt",
    "C:../sentinel/victim.txt", "/../sentinel/victim.txt", "..", "../", "...\\x.txt",
    "．．／sentinel／victim.txt", "sub/. ./x.txt", "sub/x.txt:stream", "sub/CON", "aux.txt", "LPT1.log",
    "ctl\x01.txt", "what?.txt", "pipe|x.txt", "star*.txt", "quote\".txt", "lt<.txt",
    "d/" * 140 + "long.txt", "e/" * 122 + "f.txt",
]
reduced = ["C:\\reduced-drive.txt", "/reduced-slash.txt", "sub\\..\\reduced-climb.txt", "\\\\srv\\share\\unc.txt",
           "a:b.txt", "keep/ok.txt"]
write(os.path.join(out, "traversal.zip"), [(info(n), body(n)) for n in evil + reduced])

# Info-ZIP archives of a real tree: Unix modes (one file read-only), "UT" times, a folder entry.
tree = tempfile.mkdtemp()
try:
    os.makedirs(os.path.join(tree, "pkg", "bin"))
    files = {"pkg/readme.txt": body("pkg/readme.txt", 3), "pkg/bin/tool.dat": bytes(range(256)) * 64,
             "pkg/locked.txt": body("pkg/locked.txt"), "pkg/empty.txt": b""}
    for rel, data in files.items():
        open(os.path.join(tree, rel), "wb").write(data)
        os.utime(os.path.join(tree, rel), (UT_ATIME, UT_MTIME))
    os.chmod(os.path.join(tree, "pkg", "locked.txt"), 0o444)
    zip_bin = shutil.which("zip")
    subprocess.run([zip_bin, "-q", "-r", os.path.join(out, "infozip.zip"), "pkg"], cwd=tree, check=True)
    # Written to a pipe, zip cannot seek back: sizes and CRCs go to data descriptors.
    with open(os.path.join(out, "descriptors.zip"), "wb") as f:
        p = subprocess.Popen([zip_bin, "-q", "-r", "-", "pkg"], cwd=tree, stdout=subprocess.PIPE)
        shutil.copyfileobj(p.stdout, f)
        if p.wait() != 0:
            raise SystemExit("zip failed")
    subprocess.run([zip_bin, "-q", "-r", "-P", "secret", os.path.join(out, "encrypted.zip"), "pkg"], cwd=tree,
                   check=True)
finally:
    for root, dirs, names in os.walk(tree):
        for n in names:
            os.chmod(os.path.join(root, n), 0o644)
    shutil.rmtree(tree)

# A second Info-ZIP release for the read-only file, made the same way.
tree = tempfile.mkdtemp()
try:
    os.makedirs(os.path.join(tree, "pkg"))
    open(os.path.join(tree, "pkg", "locked.txt"), "wb").write(b"locked v2\n")
    os.chmod(os.path.join(tree, "pkg", "locked.txt"), 0o444)
    subprocess.run(["zip", "-q", "-r", os.path.join(out, "infozip-v2.zip"), "pkg"], cwd=tree, check=True)
finally:
    os.chmod(os.path.join(tree, "pkg", "locked.txt"), 0o644)
    shutil.rmtree(tree)

# A self-extractor style stub in front of the archive; its offsets stay relative to its start.
with open(os.path.join(out, "prefixed.zip"), "wb") as f:
    f.write(b"MZ" + b"\x90" * 4094)
    f.write(open(os.path.join(out, "basic.zip"), "rb").read())

# Damaged copies. Each holds good entries besides the damaged one.
damage = [
    (info("good.txt"), body("good.txt")),
    (info("crc-stored.txt", zipfile.ZIP_STORED), body("crc-stored.txt", 10)),
    (info("crc-field.txt"), body("crc-field.txt", 10)),
    (info("cut.txt"), bytes(range(256)) * 200),
    (info("inflate-garbage.txt"), body("inflate-garbage.txt", 50)),
    (info("zip64.txt", zipfile.ZIP_STORED), body("zip64.txt")),
    (info("last.txt"), body("last.txt")),
]
src = os.path.join(out, "damage-src.zip")
write(src, damage)
edits = []
edits.append((data_offset(src, "crc-stored.txt") + 3, b"X"))
for off in (local_offset(src, "crc-field.txt") + 14, central_offset(src, "crc-field.txt") + 16):
    edits.append((off, b"\x01\x02\x03\x04"))
with zipfile.ZipFile(src) as z:
    cut_size = z.getinfo("cut.txt").compress_size // 2
for off in (local_offset(src, "cut.txt") + 18, central_offset(src, "cut.txt") + 20):
    edits.append((off, struct.pack("<I", cut_size)))
edits.append((data_offset(src, "inflate-garbage.txt"), b"\xff\xff\xff\xff"))
for off in (local_offset(src, "zip64.txt") + 18, central_offset(src, "zip64.txt") + 20):
    edits.append((off, b"\xff\xff\xff\xff"))
patch(src, os.path.join(out, "damaged.zip"), edits)
# The same archive with its third central header's signature broken.
patch(src, os.path.join(out, "broken-directory.zip"), [(central_offset(src, "crc-field.txt"), b"PK\x09\x09")])
# Cut off before the end record.
raw = open(src, "rb").read()
open(os.path.join(out, "cut-archive.zip"), "wb").write(raw[:len(raw) - 30])
open(os.path.join(out, "not-a-zip.zip"), "wb").write(b"just some text, no archive here\n" * 10)
os.remove(src)

# Many entries written side by side: names refused here and there, and one stored entry whose data
# does not match its CRC-32 late among them.
many = []
for i in range(300):
    name = "../unsafe/u%03d.txt" % i if i % 37 == 5 else "many/f%03d.txt" % i
    method = zipfile.ZIP_STORED if i == 280 else zipfile.ZIP_DEFLATED
    many.append((info(name, method), body(name, 1 + i % 50)))
write(os.path.join(out, "many-src.zip"), many)
patch(os.path.join(out, "many-src.zip"), os.path.join(out, "many.zip"),
      [(data_offset(os.path.join(out, "many-src.zip"), "many/f280.txt") + 3, b"X")])
os.remove(os.path.join(out, "many-src.zip"))

# The same file named twice among others: the later entry must win.
write(os.path.join(out, "duplicates.zip"),
      [(info("dup/x.txt" if i in (3, 15) else "dup/f%02d.txt" % i), body("dup %d" % i, 1 + i)) for i in range(20)])

# Folder entries each followed by a file in the same folder spelt in lower case.
write(os.path.join(out, "folder-case.zip"),
      [e for i in range(200) for e in ((info("D%03d/" % i), b""), (info("d%03d/x.dll" % i), body("x.dll")))])

# Entries far larger than any buffer: 32 MiB of zeros each, a few KiB packed.
with zipfile.ZipFile(os.path.join(out, "large.zip"), "w", zipfile.ZIP_DEFLATED) as z:
    for i in range(4):
        with z.open(info("big/%d.bin" % i), "w") as f:
            for _ in range(32):
                f.write(bytes(1 << 20))

open(os.path.join(out, "stamp"), "w").write(time.ctime())
