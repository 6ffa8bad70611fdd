#!/usr/bin/env python3
"""The message catalogues under po/.

  catalogues.py update   gathers every text into po/trovel.pot (xgettext) and merges it into
                         each po/LANG.po (msgmerge): new texts come in untranslated.
  catalogues.py check    fails when a text shown to people is missing from po/trovel.pot or from
                         a catalogue, is untranslated or fuzzy there, loses or gains a %1-style
                         value in translation, or when a source still holds a text in Hungarian
                         outside the catalogue.

--root DIR runs either on another copy of the tree (the tests plant faults in one).
"""
import argparse
import os
import re
import subprocess
import sys
import tempfile

# Where the texts people see are made.
SOURCE_FOLDERS = ["core", "mover", "platform", "cli", "gui", "app"]
XGETTEXT = ["xgettext", "--language=C++", "--from-code=UTF-8", "--keyword=", "--keyword=Tr",
            "--keyword=TrN:1,2", "--keyword=TrLater", "--keyword=QTr", "--keyword=QTrN:1,2", "--add-location=file", "--sort-by-file", "--no-wrap",
            "--package-name=trovel", "--msgid-bugs-address=https://github.com/trovel/trovel/issues",
            "--copyright-holder=The Trovel developers"]
# Files whose non-English literals are data, not messages, and why.
DATA_FILES = {
    # xdg-user-dirs' own localized folder names, the paths it creates for a Hungarian user.
    "platform/linux/user_dirs_defaults.cpp",
    # The names the desktop shows for each folder in English and Hungarian, picked by locale.
    "platform/linux/folder_table.cpp",
    # The capitals whose accents reach highest, measured to make room above a line; never shown.
    "gui/widgets/fonts.cpp",
}
ACCENTED = re.compile(r'"(?:[^"\\\n]|\\.)*[áéíóöőúüűÁÉÍÓÖŐÚÜŰ](?:[^"\\\n]|\\.)*"')
PLACEHOLDER = re.compile(r"%[1-9]")


# The tests' scriptable platform: its texts are the tests' own.
SKIPPED_FOLDERS = {"platform/fake"}


def sources(root):
    found = []
    for folder in SOURCE_FOLDERS:
        for dirpath, _, files in os.walk(os.path.join(root, folder)):
            if os.path.relpath(dirpath, root) in SKIPPED_FOLDERS:
                continue
            found += [os.path.relpath(os.path.join(dirpath, f), root) for f in files
                      if f.endswith((".cpp", ".h"))]
    return sorted(found)


def extract(root, output):
    subprocess.run(XGETTEXT + ["-o", output] + sources(root), cwd=root, check=True)


def parse_po(path):
    """{msgid: {"plural": str|None, "strs": [str], "fuzzy": bool}}, without the header."""
    entries, current, field, fuzzy = {}, None, None, False

    def finish():
        nonlocal current
        if current is not None and current["id"] != "" and not current["obsolete"]:
            entries[current["id"]] = current
        current = None

    with open(path, encoding="utf-8") as f:
        for raw in f:
            line = raw.rstrip("\n")
            if not line.strip():
                finish()
                fuzzy = False
                continue
            obsolete = line.startswith("#~")
            if obsolete:
                line = line[2:].strip()
            elif line.startswith("#"):
                if line.startswith("#,") and "fuzzy" in line:
                    fuzzy = True
                continue
            m = re.match(r'(msgid_plural|msgid|msgstr(?:\[\d+\])?)\s+"(.*)"$', line)
            if m:
                key, text = m.group(1), m.group(2)
                if key == "msgid":
                    finish()
                    current = {"id": "", "plural": None, "strs": {}, "fuzzy": fuzzy, "obsolete": obsolete}
                field = key
                if current is None:
                    continue
                if key == "msgid":
                    current["id"] = decode(text)
                elif key == "msgid_plural":
                    current["plural"] = decode(text)
                else:
                    current["strs"][key] = decode(text)
                continue
            m = re.match(r'"(.*)"$', line)
            if m and current is not None:
                if field == "msgid":
                    current["id"] += decode(m.group(1))
                elif field == "msgid_plural":
                    current["plural"] += decode(m.group(1))
                else:
                    current["strs"][field] += decode(m.group(1))
    finish()
    return entries


def decode(text):
    out, i = [], 0
    escapes = {"n": "\n", "t": "\t", '"': '"', "\\": "\\"}
    while i < len(text):
        c = text[i]
        if c == "\\" and i + 1 < len(text):
            out.append(escapes.get(text[i + 1], text[i + 1]))
            i += 2
        else:
            out.append(c)
            i += 1
    return "".join(out)


def check(root):
    problems = []
    with tempfile.TemporaryDirectory() as work:
        fresh_path = os.path.join(work, "fresh.pot")
        extract(root, fresh_path)
        fresh = parse_po(fresh_path)
    template = parse_po(os.path.join(root, "po", "trovel.pot"))
    for text in sorted(set(fresh) - set(template)):
        problems.append(f"po/trovel.pot lacks {text!r} (run tools/catalogues.py update)")
    for text in sorted(set(template) - set(fresh)):
        problems.append(f"po/trovel.pot still has {text!r}, which no source uses (run tools/catalogues.py update)")
    catalogues = sorted(f for f in os.listdir(os.path.join(root, "po")) if f.endswith(".po"))
    if not catalogues:
        problems.append("po/ holds no catalogue")
    for name in catalogues:
        path = os.path.join(root, "po", name)
        result = subprocess.run(["msgfmt", "--check", "-o", os.devnull, path], capture_output=True, text=True)
        if result.returncode != 0:
            problems.append(f"po/{name}: msgfmt --check fails:\n{result.stderr.strip()}")
        entries = parse_po(path)
        for text, wanted in fresh.items():
            entry = entries.get(text)
            if entry is None:
                problems.append(f"po/{name} lacks {text!r}")
                continue
            if entry["fuzzy"]:
                problems.append(f"po/{name}: {text!r} is fuzzy")
            if not entry["strs"] or any(s == "" for s in entry["strs"].values()):
                problems.append(f"po/{name}: {text!r} is untranslated")
                continue
            for translated in entry["strs"].values():
                if sorted(set(PLACEHOLDER.findall(translated))) != sorted(set(PLACEHOLDER.findall(text))):
                    problems.append(f"po/{name}: {text!r} and its translation name different values")
    for source in sources(root):
        if source in DATA_FILES:
            continue
        with open(os.path.join(root, source), encoding="utf-8") as f:
            for number, line in enumerate(f, 1):
                if line.lstrip().startswith("//"):
                    continue
                for literal in ACCENTED.findall(line):
                    problems.append(f"{source}:{number}: a Hungarian text outside the catalogue: {literal}")
    return problems


def update(root):
    pot = os.path.join(root, "po", "trovel.pot")
    with tempfile.TemporaryDirectory() as work:
        fresh = os.path.join(work, "trovel.pot")
        extract(root, fresh)
        with open(fresh, encoding="utf-8") as f:
            new = f.read()
        old = open(pot, encoding="utf-8").read() if os.path.exists(pot) else ""
        # A template that differs only in its creation date is left as it was.
        dated = re.compile(r'"POT-Creation-Date: [^"]*"\n')
        if dated.sub("", new) != dated.sub("", old):
            with open(pot, "w", encoding="utf-8") as f:
                f.write(new)
    for name in sorted(os.listdir(os.path.join(root, "po"))):
        if name.endswith(".po"):
            catalogue = os.path.join(root, "po", name)
            subprocess.run(["msgmerge", "--quiet", "--update", "--backup=none", "--no-fuzzy-matching", "--no-wrap",
                            catalogue, pot], check=True)
            # One line per text, whatever the update kept: a text is found by grep, and diffs stay small.
            subprocess.run(["msgcat", "--no-wrap", "-o", catalogue, catalogue], check=True)


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("command", choices=["update", "check"])
    parser.add_argument("--root", default=os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
    args = parser.parse_args()
    root = os.path.abspath(args.root)
    if args.command == "update":
        update(root)
        return 0
    problems = check(root)
    for problem in problems:
        print(problem, file=sys.stderr)
    if problems:
        print(f"{len(problems)} problem(s) with the message catalogues", file=sys.stderr)
        return 1
    print("every text is in every catalogue")
    return 0


if __name__ == "__main__":
    sys.exit(main())
