#!/usr/bin/env python3
"""The layering check passes on a tree whose includes look down and fails on a planted upward one."""
import pathlib
import sys
import tempfile
import unittest

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parents[2] / "scripts"))
import check_layers  # noqa: E402


def tree(files):
    root = tempfile.TemporaryDirectory()
    for name, text in files.items():
        path = pathlib.Path(root.name, name)
        path.parent.mkdir(parents=True, exist_ok=True)
        path.write_text(text)
    return root


class CheckLayersTest(unittest.TestCase):
    CASES = [
        # (file, include, upward?)
        ("engine/placement.cpp", "base/paths.h", False),
        ("engine/placement.cpp", "package/format.h", False),
        ("views/main_window.cpp", "ui/main_view.h", False),
        ("app/main.cpp", "views/main_window.h", False),
        ("platform/win32/win32_threads.cpp", "base/error.h", False),
        ("tests/engine/x_test.cpp", "app/main.h", False),
        ("engine/placement.cpp", "ui/tint_progress.h", True),
        ("platform/win32/win32_threads.cpp", "engine/error.h", True),
        ("views/main_window.cpp", "app/start.h", True),
        ("platform/sim/sim_system.cpp", "platform/win32/handles.h", True),
        ("platform/file_system.h", "platform/sim/sim_paths.h", True),
        ("base/paths.cpp", "platform/system.h", True),
        ("ui/main_unit.cpp", "tools/stowpack/plan.h", True),
        ("package/package_stream.cpp", "engine/loader.h", True),
    ]

    def test_each_include(self):
        for source, include, upward in self.CASES:
            with self.subTest(source=source, include=include):
                root = tree({source: f'#include "{include}"\n'})
                with root:
                    self.assertEqual(bool(check_layers.violations(root.name)), upward)

    def test_the_real_tree_looks_down(self):
        self.assertEqual(check_layers.violations(pathlib.Path(__file__).resolve().parents[2]), [])


if __name__ == "__main__":
    unittest.main()
