#!/usr/bin/env python3
"""Damaged copies of a packed installer for the Wine sample of the malformed-installer sweep:
cuts inside the length field, the header and the first records, and single bit flips in the
header and in those records. Positions come from a fixed seed, so every run meets the same
files. Writes NAME.exe per case and cases.txt with one line per case:
NAME KIND OFFSET DETAIL, where KIND is cut (OFFSET is the new file size) or flip (OFFSET is
the flipped byte, DETAIL the bit), and the load error a cut must give (02 or 04)."""
import argparse
import json
import random
import sys
from pathlib import Path


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


def main() -> int:
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("packed", type=Path)
    parser.add_argument("inspected", type=Path, help="its `stowpack inspect --json`")
    parser.add_argument("outdir", type=Path)
    parser.add_argument("--seed", type=int, default=20261209)
    parser.add_argument("--records", type=int, default=3, help="how many records count as the first")
    args = parser.parse_args()
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
        print(f"sweep_cases.py: {error}", file=sys.stderr)
        return 1


if __name__ == "__main__":
    sys.exit(main())
