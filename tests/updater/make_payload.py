#!/usr/bin/python3
"""Makes the update archives the updater's install tests serve: a good one with nested folders
and an empty file, and bytes that are no archive at all.  make_payload.py OUT_DIR"""
import sys
import zipfile
from pathlib import Path

out = Path(sys.argv[1])
out.mkdir(parents=True, exist_ok=True)
with zipfile.ZipFile(out / 'payload.zip', 'w', compression=zipfile.ZIP_DEFLATED) as z:
    z.writestr('lumora.dat', b'new client data\n' * 200)
    z.writestr('bin/tool.txt', 'version 2\n')
    z.writestr('bin/deeper/empty.txt', b'')
    z.writestr('readme.txt', 'updated\n', compress_type=zipfile.ZIP_STORED)
(out / 'notazip.zip').write_bytes(bytes((i * 37) & 0xff for i in range(5000)))
(out / 'stamp').write_text('ok\n')
