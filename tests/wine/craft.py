#!/usr/bin/env python3
"""Damaged copies of the packed sample. Where the package and its fields lie comes from
`stowpack inspect --json`; this script only cuts and patches bytes at those offsets.

  craft.py PACKED INSPECTED STUB OUTDIR   the file each load check of the installer rejects
  craft.py sweep PACKED INSPECTED OUTDIR [--seed N] [--records N]
      the Wine sample of the malformed-installer sweep: cuts inside the length field, the
      header and the first records, and single bit flips in the header and in those records,
      at positions from a fixed seed, so every run meets the same files. Writes NAME.exe per
      case and cases.txt, one line per case: NAME KIND OFFSET DETAIL, where KIND is cut (OFFSET
      is the new file size, DETAIL the load error it must give) or flip (OFFSET is the flipped
      byte, DETAIL the bit)."""
import argparse
import json
import random
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


def regions(info: dict, records: int) -> dict:
    """Byte ranges [start, end) of the package, from `stowpack inspect --json`: the length field,
    the header after it (the two names and the record count) and the first records; and
    "fields", the offsets of the first records' bytes that shape the stream: each string's
    count, the placement byte, the time stamp."""
    p = info["package"]["offset"]
    first = info["records"][:records]
    fields = []
    for r in first:
        counts = r["countOffsets"]
        fields += range(counts[0], counts[0] + 4)
        fields.append(counts[0] + 4 if r["placementByteOffset"] is None else r["placementByteOffset"])
        for at in counts[1:] + [r["timeStampOffset"]]:
            fields += range(at, at + 4)
    return {"length": (p, p + 4), "header": (info["package"]["vendorOffset"], first[0]["offset"]),
            "records": (first[0]["offset"], first[-1]["end"]), "fields": fields}


def cases(data: bytes, info: dict, seed: int, records: int) -> list:
    r = regions(info, records)
    rng = random.Random(seed)
    out = []

    def cut(name, region, error):
        start, end = r[region]
        size = rng.randrange(start + 1, end)
        out.append((name, "cut", size, error, data[:size]))

    def flip(name, region):
        if region == "fields":
            at = rng.choice(r["fields"])
        else:
            start, end = r[region]
            at = rng.randrange(start, end)
        bit = rng.randrange(8)
        damaged = bytearray(data)
        damaged[at] ^= 1 << bit
        out.append((name, "flip", at, f"bit{bit}", bytes(damaged)))

    cut("cut-length", "length", "02")
    cut("cut-header", "header", "04")
    cut("cut-records", "records", "04")
    flip("flip-header-a", "header")
    flip("flip-header-b", "header")
    flip("flip-fields-a", "fields")
    flip("flip-fields-b", "fields")
    flip("flip-records", "records")
    return out


def sweep(argv: list) -> int:
    parser = argparse.ArgumentParser(prog="craft.py sweep")
    parser.add_argument("packed", type=Path)
    parser.add_argument("inspected", type=Path, help="its `stowpack inspect --json`")
    parser.add_argument("outdir", type=Path)
    parser.add_argument("--seed", type=int, default=20261209)
    parser.add_argument("--records", type=int, default=3, help="how many records count as the first")
    args = parser.parse_args(argv)
    try:
        data = args.packed.read_bytes()
        info = json.loads(args.inspected.read_text(encoding="utf-8"))
        args.outdir.mkdir(parents=True, exist_ok=True)
        lines = []
        for name, kind, offset, detail, content in cases(data, info, args.seed, args.records):
            (args.outdir / f"{name}.exe").write_bytes(content)
            lines.append(f"{name} {kind} {offset} {detail}\n")
        (args.outdir / "cases.txt").write_text("".join(lines))
        return 0
    except (OSError, KeyError, ValueError) as error:
        print(f"craft.py sweep: {error}", file=sys.stderr)
        return 1


if __name__ == "__main__":
    sys.exit(sweep(sys.argv[2:]) if sys.argv[1:2] == ["sweep"] else main(*sys.argv[1:5]))
