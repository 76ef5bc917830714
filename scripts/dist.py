#!/usr/bin/env python3
"""The download: a zip of the 32-bit program, the Russian guide, the licence and SHA256SUMS.

    dist.py SOURCE_DIR PROGRAM OUT_ZIP

Reproducible: fixed entries, order, times and attributes, and stored rather than deflated, so
that no change of zlib between machines can change a byte of it.
"""
import hashlib
import os
import sys
import zipfile

# Any fixed time will do; zip times have no zone and a two-second grain.
DATE_TIME = (2026, 12, 1, 0, 0, 0)


def windows_text(data, bom):
    """Notepad on Windows 10 and 11 opens UTF-8 with a byte-order mark and CRLF as it is."""
    text = data.decode("utf-8").replace("\r\n", "\n").replace("\n", "\r\n").encode("utf-8")
    return (b"\xef\xbb\xbf" if bom else b"") + text


def main():
    source, program, out = sys.argv[1:4]
    with open(program, "rb") as f:
        files = [("vorkalun.exe", f.read())]
    with open(os.path.join(source, "dist", "CHITAI.TXT"), "rb") as f:
        files.append(("CHITAI.TXT", windows_text(f.read(), bom=True)))
    with open(os.path.join(source, "LICENSE"), "rb") as f:
        files.append(("LICENSE", windows_text(f.read(), bom=False)))
    # What `sha256sum -c SHA256SUMS` checks in the unpacked folder.
    sums = "".join(f"{hashlib.sha256(data).hexdigest()}  {name}\n" for name, data in files)
    files.append(("SHA256SUMS", sums.encode("ascii")))

    os.makedirs(os.path.dirname(os.path.abspath(out)), exist_ok=True)
    with zipfile.ZipFile(out + ".part", "w", zipfile.ZIP_STORED) as archive:
        for name, data in files:
            entry = zipfile.ZipInfo(name, DATE_TIME)
            entry.create_system = 0  # MS-DOS: no Unix permissions or owner in the entry
            entry.external_attr = 0
            entry.compress_type = zipfile.ZIP_STORED
            archive.writestr(entry, data)
    os.replace(out + ".part", out)
    print(f"{out}: {os.path.getsize(out)} bytes")


if __name__ == "__main__":
    main()
