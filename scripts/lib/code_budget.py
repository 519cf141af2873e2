#!/usr/bin/env python3
# SPDX-FileCopyrightText: 2026 the Tavrindole developers
# SPDX-License-Identifier: MIT
"""Keeps the program's own code small: counts the lines of code in src/
(blank lines and comments left out) and fails past the budget.

Usage: code_budget.py [SRC_DIR [BUDGET]]   (defaults: src, 420)
"""

import pathlib
import sys


def code_lines(path):
    count, in_block = 0, False
    for line in path.read_text().splitlines():
        text = line.strip()
        if in_block:
            if "*/" not in text:
                continue
            in_block, text = False, text.split("*/", 1)[1].strip()
        if text.startswith("/*"):
            in_block = "*/" not in text
            continue
        if text and not text.startswith("//"):
            count += 1
    return count


def main():
    root = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else "src")
    budget = int(sys.argv[2]) if len(sys.argv) > 2 else 420
    files = sorted(p for p in root.rglob("*") if p.suffix in (".cpp", ".h"))
    total = sum(code_lines(p) for p in files)
    print(f"{root}: {total} lines of code in {len(files)} files (budget {budget})")
    return 0 if total <= budget else 1


if __name__ == "__main__":
    sys.exit(main())
