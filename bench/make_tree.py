#!/usr/bin/env python3
"""Makes a reproducible tree for the size-walk benchmark: about 200,000 small files in
about 10,000 directories, with dot-directories and hidden files among them.

usage: make_tree.py TARGET [--files N] [--dirs N] [--seed N]
"""
import argparse
import os
import random


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("target")
    parser.add_argument("--files", type=int, default=200_000)
    parser.add_argument("--dirs", type=int, default=10_000)
    parser.add_argument("--seed", type=int, default=20261209)
    args = parser.parse_args()

    rng = random.Random(args.seed)
    os.makedirs(args.target, exist_ok=True)
    dirs = [args.target]
    parents = [args.target]  # dot-directories hold files but no further directories
    for n in range(args.dirs - 1):
        parent = parents[rng.randrange(len(parents))]
        # One directory in twenty is a dot-directory, as caches and settings are.
        dot = n % 20 == 0
        path = os.path.join(parent, (".cache%d" % n) if dot else ("dir%d" % n))
        os.mkdir(path)
        dirs.append(path)
        if not dot:
            parents.append(path)
    for n in range(args.files):
        parent = dirs[rng.randrange(len(dirs))]
        name = (".hidden%d" % n) if n % 25 == 0 else ("file%d.txt" % n)
        with open(os.path.join(parent, name), "wb") as out:
            out.write(b"x" * rng.randrange(0, 4096))
    print("made %d files in %d directories under %s" % (args.files, args.dirs, args.target))


if __name__ == "__main__":
    main()
