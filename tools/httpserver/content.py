#!/usr/bin/env python3
"""Writes the test server's resource (size, seed) to a file in blocks and prints its MD5."""
import hashlib
import sys


def period(seed):
    """Byte i is (i*131 + seed + (i >> 9)) & 0xff. i*131 repeats every 256 bytes and (i >> 9)
    every 256 stretches of 512, so the whole pattern repeats every 128 KiB."""
    return bytes(((i * 131) + seed + (i >> 9)) & 0xFF for i in range(256 * 512))


def pattern(size, seed):
    p = period(seed)
    return (p * (size // len(p) + 1))[:size]


def main():
    path, size = sys.argv[1], int(sys.argv[2])
    seed = int(sys.argv[3]) if len(sys.argv) > 3 else 7
    block = period(seed) * 64  # 8 MiB, a whole number of periods
    md5 = hashlib.md5()
    with open(path, "wb") as f:
        done = 0
        while done < size:
            chunk = block[:min(len(block), size - done)]
            md5.update(chunk)
            f.write(chunk)
            done += len(chunk)
    print(md5.hexdigest())


if __name__ == "__main__":
    main()
