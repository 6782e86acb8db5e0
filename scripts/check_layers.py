#!/usr/bin/env python3
"""Fails on an #include that goes up a layer.

The product's folders stack from the bottom: vocabulary (base/), the platform seam (platform/,
whose two backends never see each other), the package format, the install engine, the UI
controllers, the Win32 views and the start-ups that compose them. The packer and the
uninstaller's logic sit beside the UI controllers, over the engine; the installer's and the
uninstaller's start-ups never see each other.
A file may include what lies in its own folder or below it; tests and benchmarks may include
anything. Usage: check_layers.py [ROOT]; prints each upward include and exits 1 if any.
"""
import pathlib
import re
import sys

# Folder prefix -> (rank, group). Longer prefixes win. Within one rank, only the same group
# (or the shared seam headers, group "") may be included.
LAYERS = {
    "base/": (0, ""),
    "platform/": (1, ""),
    "platform/sim/": (1, "sim"),
    "platform/win32/": (1, "win32"),
    "package/": (2, ""),
    "engine/": (3, ""),
    "tools/": (4, "tools"),
    "ui/": (4, "ui"),
    "uninstall/": (4, "uninstall"),
    "views/": (5, ""),
    "app/": (6, "app"),
    "uninstall_app/": (6, "uninstall_app"),
}
UNCHECKED = ("tests/", "bench/", "build/", "examples/", "docs/", ".git/")
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"')


def layer_of(path):
    best = None
    for prefix, layer in LAYERS.items():
        if path.startswith(prefix) and (best is None or len(prefix) > len(best[0])):
            best = (prefix, layer)
    return best[1] if best else None


def allowed(source, target):
    if target[0] != source[0]:
        return target[0] < source[0]
    return target[1] in ("", source[1])


def violations(root):
    root = pathlib.Path(root)
    found = []
    for file in sorted(root.rglob("*")):
        if file.suffix not in (".h", ".cpp") or not file.is_file():
            continue
        rel = file.relative_to(root).as_posix()
        if rel.startswith(UNCHECKED):
            continue
        source = layer_of(rel)
        if source is None:
            continue
        lines = file.read_text(encoding="utf-8", errors="replace").splitlines()
        for number, line in enumerate(lines, 1):
            match = INCLUDE.match(line)
            if not match:
                continue
            name = match.group(1)
            # The packer's own headers are included by file name (tools/ is on its path).
            if rel.startswith("tools/") and "/" in name and name.split("/")[0] == "stowpack":
                continue
            target = layer_of(name)
            if target is not None and not allowed(source, target):
                found.append(f"{rel}:{number}: includes {name}, a layer above it")
    return found


def main(argv):
    root = argv[1] if len(argv) > 1 else pathlib.Path(__file__).resolve().parent.parent
    found = violations(root)
    for line in found:
        print(line)
    if found:
        print(f"check_layers: {len(found)} upward include(s)")
        return 1
    print("check_layers: every include looks down")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
