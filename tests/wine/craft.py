#!/usr/bin/env python3
"""Damages copies of the packed sample so that each load check of the installer meets the file it
rejects. Where the package and its fields lie comes from `stowpack inspect --json`; this script
only cuts and patches bytes at those offsets."""
import json
import shutil
import struct
import sys
from pathlib import Path


def patched(data: bytes, at: int, value: int) -> bytes:
    out = bytearray(data)
    struct.pack_into("<i", out, at, value)
    return bytes(out)


def main(packed: str, inspected: str, stub: str, outdir: str) -> int:
    data = Path(packed).read_bytes()
    info = json.loads(Path(inspected).read_text(encoding="utf-8"))
    locator, package = info["locator"]["dataOffset"], info["package"]
    p, length = package["offset"], package["length"]
    out = Path(outdir)
    shutil.copyfile(packed, out / "sample.exe")
    shutil.copyfile(stub, out / "bare.exe")
    (out / "sample.info").write_text(
        f"vendor={info['vendor']}\npackage={info['packageName']}\n",
        encoding="utf-8")
    broken = {
        # The package would start inside the image's first page: no real installer is that small.
        "load-error-01": patched(data, locator, 4091),
        # Cut inside the length field.
        "load-error-02": data[:p + 3],
        # A length below the smallest package.
        "load-error-03": patched(data, p, 4095),
        # Cut one byte short of the package's end.
        "load-error-04": data[:p + length - 1],
        # The vendor name claims one byte more than the body holds behind the name's count.
        "load-error-ff": patched(data, package["vendorOffset"], p + length - package["vendorOffset"] - 4 + 1),
    }
    for name, content in broken.items():
        (out / f"{name}.exe").write_bytes(content)
    return 0


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:5]))
