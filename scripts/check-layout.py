#!/usr/bin/env python3
"""Checks the folder rules of src/: the core includes nothing of the window,
the command line, the tools or wx, and no folder includes a folder that
includes it back. Prints the folder graph; exits 1 on a broken rule.
Usage: scripts/check-layout.py [SRC]"""
import re
import sys
from pathlib import Path

src = Path(sys.argv[1] if len(sys.argv) > 1 else Path(__file__).resolve().parent.parent / "src")
include = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]', re.M)


def folder(path):
    """core/<subsystem> inside the core, the top folder elsewhere."""
    parts = Path(path).parts
    return "/".join(parts[:2]) if parts[0] == "core" and len(parts) > 2 else parts[0]


edges, problems = {}, []
for file in sorted(src.rglob("*")):
    if file.suffix not in (".h", ".cpp"):
        continue
    name = file.relative_to(src)
    here = folder(name)
    for kind, target in include.findall(file.read_text(errors="replace")):
        if here.startswith("core") and kind == "<" and target.split("/")[0] in ("wx", "gtk", "gdk"):
            problems.append(f"{name}: the core includes <{target}>")
        if kind != '"' or not (src / target).exists():
            continue
        there = folder(target)
        if here.startswith("core") and not there.startswith("core"):
            problems.append(f"{name}: the core includes {target}")
        if there != here:
            edges.setdefault(here, set()).add(there)


def reaches(start, goal, seen=()):
    return any(n == goal or (n not in seen and reaches(n, goal, seen + (n,))) for n in edges.get(start, ()))


for a in sorted(edges):
    print(f"{a} -> {', '.join(sorted(edges[a]))}")
    for b in sorted(edges[a]):
        if reaches(b, a):
            problems.append(f"cycle: {a} -> {b} -> ... -> {a}")
for problem in problems:
    print(problem, file=sys.stderr)
sys.exit(1 if problems else 0)
