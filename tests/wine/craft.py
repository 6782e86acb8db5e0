#!/usr/bin/env python3
"""Makes the installers the Wine tests run: reads the header of a packed installer, and damages
copies of it byte by byte so that each load check of the installer meets the file it rejects."""
import argparse
import shutil
import struct
import sys
from pathlib import Path

MARK_BEGIN = b"zxcv"
MARK_END = b"vbnm"
UNPACKED = b"XXXX"


class CraftError(Exception):
    pass


def find_locator(image: bytes) -> int:
    """Offset of the locator's four data bytes; the image must hold exactly one locator."""
    hits = []
    start = 0
    while True:
        at = image.find(MARK_BEGIN, start)
        if at < 0:
            break
        if image[at + 8:at + 12] == MARK_END:
            hits.append(at + 4)
        start = at + 1
    if len(hits) != 1:
        raise CraftError(f"expected one package locator, found {len(hits)}")
    return hits[0]


def read_header(data: bytes) -> dict:
    """The packed installer's locator and package header. Strings keep their bytes (latin-1),
    so they compare with what the driver prints."""
    locator = find_locator(data)
    if data[locator:locator + 4] == UNPACKED:
        raise CraftError("the installer carries no package (locator still reads XXXX)")
    (offset,) = struct.unpack_from("<i", data, locator)
    if offset < 0 or offset + 4 > len(data):
        raise CraftError(f"package offset {offset} lies outside the file")
    (length,) = struct.unpack_from("<i", data, offset)
    if length < 4096 or offset + length > len(data):
        raise CraftError(f"package length {length} does not fit the file")
    position = offset + 4
    strings = []
    for _ in range(2):
        (n,) = struct.unpack_from("<i", data, position)
        if n < 0 or position + 4 + n > offset + length:
            raise CraftError("a header string runs past the package")
        strings.append(data[position + 4:position + 4 + n].decode("latin-1"))
        position += 4 + n
    (records,) = struct.unpack_from("<i", data, position)
    return {
        "locator": locator,
        "offset": offset,
        "length": length,
        "size": len(data),
        "vendor": strings[0],
        "package": strings[1],
        "records": records,
        "vendor_at": offset + 4,
    }


def patched(data: bytes, at: int, value: int) -> bytes:
    out = bytearray(data)
    struct.pack_into("<i", out, at, value)
    return bytes(out)


def broken_installers(data: bytes, header: dict) -> dict:
    """Each damaged copy named after the load error it must produce."""
    p, length = header["offset"], header["length"]
    body_after_length = length - 4
    return {
        # The package would start inside the image's first page: no real installer is that small.
        "load-error-01": patched(data, header["locator"], 4091),
        # Cut inside the length field.
        "load-error-02": data[:p + 3],
        # A length below the smallest package.
        "load-error-03": patched(data, p, 4095),
        # Cut one byte short of the package's end.
        "load-error-04": data[:p + length - 1],
        # The vendor name claims one byte more than the body holds after its own count.
        "load-error-ff": patched(data, header["vendor_at"], body_after_length - 4 + 1),
    }


def main() -> int:
    parser = argparse.ArgumentParser(description=__doc__)
    sub = parser.add_subparsers(dest="command", required=True)
    info = sub.add_parser("info", help="print the header of a packed installer")
    info.add_argument("installer", type=Path)
    make = sub.add_parser("make", help="write the sample, the bare stub and the broken copies")
    make.add_argument("packed", type=Path)
    make.add_argument("stub", type=Path)
    make.add_argument("outdir", type=Path)
    args = parser.parse_args()

    try:
        if args.command == "info":
            for key, value in read_header(args.installer.read_bytes()).items():
                print(f"{key}={value}")
            return 0
        data = args.packed.read_bytes()
        header = read_header(data)
        stub = args.stub.read_bytes()
        if stub[find_locator(stub):][:4] != UNPACKED:
            raise CraftError("the stub's locator does not read XXXX")
        args.outdir.mkdir(parents=True, exist_ok=True)
        shutil.copyfile(args.packed, args.outdir / "sample.exe")
        (args.outdir / "sample.info").write_text(
            "".join(f"{key}={value}\n" for key, value in header.items()), encoding="latin-1")
        shutil.copyfile(args.stub, args.outdir / "bare.exe")
        for name, content in broken_installers(data, header).items():
            (args.outdir / f"{name}.exe").write_bytes(content)
        return 0
    except (CraftError, OSError, struct.error) as error:
        print(f"craft.py: {error}", file=sys.stderr)
        return 1


if __name__ == "__main__":
    sys.exit(main())
