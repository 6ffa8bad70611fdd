#!/usr/bin/env python3
"""Holds every include of the program's code to the table of layers in tools/layers.txt.

Fails, naming the file and the line, on an include of a folder the table does not allow, on a Qt
header or a system header in a folder not marked for it, and on code in a folder the table does
not know. Also fails when the table itself lets a folder include one on a row below its own.

    tools/check_layers.py [--root DIR] [--table FILE]
"""
import argparse
import os
import posixpath
import re
import sys

SOURCE_SUFFIXES = (".cpp", ".h", ".hpp", ".c", ".cc")
# Folders of the tree that hold no program code: tests, data and build trees.
SKIPPED_TOP = {"tests", "data", "docs", ".git", ".ci", "scripts", "cmake"}
INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]')
QT_HEADER = re.compile(r"^Q[A-Za-z0-9]+$|^Qt[A-Za-z0-9]+/")
# The operating system's own headers: only the backends (and the Windows probe) talk to the OS.
OS_HEADER = re.compile(
    r"^(windows|winbase|winuser|objbase|shlobj|shobjidl|shellapi|commctrl|commoncontrols|knownfolders|io|"
    r"unistd|fcntl|dirent|pwd|grp|libintl|mntent|poll|sched|spawn|syslog|termios)\.h$|^(sys|linux|asm)/")


def read_table(path):
    rows = []
    for number, line in enumerate(open(path, encoding="utf-8"), 1):
        line = line.split("#", 1)[0].strip()
        if not line:
            continue
        folder, sep, rest = line.partition(":")
        if not sep:
            sys.exit(f"{path}:{number}: a row is 'folder : folders it may include'")
        words = rest.split()
        marks = {w for w in words if w.startswith("[")}
        allowed = [w for w in words if not w.startswith("[")]
        rows.append((folder.strip(), allowed, "[qt]" in marks, "[os]" in marks, number))
    return rows


def expand(pattern, folders):
    if pattern.endswith("/*"):
        base = pattern[:-2]
        return {f for f in folders if f.startswith(base + "/")}
    return {pattern}


def check_table(rows, table_path):
    problems = []
    folders = [row[0] for row in rows]
    seen = set()
    for folder, allowed, _, _, number in rows:
        for pattern in allowed:
            targets = expand(pattern, folders)
            if not targets:
                problems.append(f"{table_path}:{number}: {folder} names {pattern}, which is no folder of the table")
            for target in targets:
                if target not in seen:
                    problems.append(f"{table_path}:{number}: {folder} may include {target}, "
                                    "which stands on a row below it (an arrow back up)")
        seen.add(folder)
    return problems


def folder_of(path, folders):
    """The table's folder that holds `path`: the longest one it lies in."""
    best = None
    for folder in folders:
        if path == folder or path.startswith(folder + "/"):
            if best is None or len(folder) > len(best):
                best = folder
    return best


def source_files(root):
    for directory, subdirs, files in os.walk(root):
        relative = os.path.relpath(directory, root).replace(os.sep, "/")
        if relative == ".":
            subdirs[:] = [d for d in subdirs if d not in SKIPPED_TOP and not d.startswith("build")]
            continue
        for name in sorted(files):
            if name.endswith(SOURCE_SUFFIXES):
                yield posixpath.join(relative, name)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--root", default=os.path.dirname(here))
    parser.add_argument("--table", default=None)
    args = parser.parse_args()
    table_path = args.table or os.path.join(args.root, "tools", "layers.txt")
    rows = read_table(table_path)
    folders = [row[0] for row in rows]
    allowed = {row[0]: set().union(*(expand(p, folders) for p in row[1])) if row[1] else set() for row in rows}
    qt = {row[0]: row[2] for row in rows}
    os_headers = {row[0]: row[3] for row in rows}

    problems = check_table(rows, table_path)
    checked = 0
    for path in source_files(args.root):
        own = folder_of(posixpath.dirname(path), folders)
        if own is None:
            problems.append(f"{path}: its folder is not in {os.path.basename(table_path)}; add it to a layer")
            continue
        checked += 1
        with open(os.path.join(args.root, path), encoding="utf-8", errors="replace") as source:
            for number, line in enumerate(source, 1):
                match = INCLUDE.match(line)
                if not match:
                    continue
                kind, name = match.groups()
                where = f"{path}:{number}"
                if kind == "<":
                    if QT_HEADER.match(name) and not qt[own]:
                        problems.append(f"{where}: Qt header <{name}> in {own}, which is not a Qt layer")
                    elif OS_HEADER.match(name) and not os_headers[own]:
                        problems.append(f"{where}: system header <{name}> in {own}; only the backends talk to the OS")
                    continue
                # Quoted includes name a path from the top, or one beside the including file.
                beside = posixpath.normpath(posixpath.join(posixpath.dirname(path), name))
                target = beside if os.path.exists(os.path.join(args.root, beside)) else posixpath.normpath(name)
                if posixpath.dirname(target) == posixpath.dirname(path):
                    continue
                theirs = folder_of(posixpath.dirname(target), folders)
                if theirs is None:
                    problems.append(f"{where}: includes {name}, which lies in no layer")
                elif theirs != own and theirs not in allowed[own]:
                    problems.append(f"{where}: {own} may not include {theirs} ({name})")

    for problem in problems:
        print(problem)
    if problems:
        print(f"layers: {len(problems)} problem(s)")
        return 1
    print(f"layers: {checked} files in {len(folders)} folders include only the layers below them")
    return 0


if __name__ == "__main__":
    sys.exit(main())
