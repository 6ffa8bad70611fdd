#!/usr/bin/env python3
"""The message catalogues under po/.

  catalogues.py update   gathers every text into po/trovel.pot (xgettext) and merges it into
                         each po/LANG.po (msgmerge): new texts come in untranslated.
  catalogues.py check    fails when a text shown to people is missing from po/trovel.pot or from
                         a catalogue, is untranslated or fuzzy there, loses or gains a %1-style
                         value in translation, or when a source still holds a text in Hungarian
                         outside the catalogue.

  catalogues.py pseudo --output DIR
                         compiles a made-up language, "qps", from po/trovel.pot into
                         DIR/qps/LC_MESSAGES/trovel.mo: each text the English one, accented, about
                         a third longer and between the marks ⟦ ⟧, its %1-style values and &
                         letters kept. The window's tests speak it to find a text too long for
                         its place, and a text shown without going through the catalogue.

--root DIR runs any of them on another copy of the tree (the tests plant faults in one).
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


PSEUDO_CODE = "qps"
ACCENTS = dict(zip("aceinorsuyzACEINORSUYZ", "áçéîñőřšűýžÁÇÉÎÑŐŘŠŰÝŽ"))
# Key names ("Alt+N") are read by the program, not shown as they are: they stay as written.
KEY_NAME = re.compile(r"^(Alt|Ctrl|Shift)\+.$")


def pseudo_text(english):
    """The English text accented, between ⟦ ⟧ and, marks and all, about 30% longer (some letters
    doubled); values, mnemonics and line breaks kept where they are."""
    if KEY_NAME.match(english):
        return english
    letters = sum(1 for c in english if c.isalpha())
    extra = max(0, round(len(english) * 0.3) - 2)  # the two marks count toward the length
    out, i, seen, doubled = [], 0, 0, 0
    while i < len(english):
        c = english[i]
        if c in "%&" and i + 1 < len(english) and (english[i + 1].isdigit() or c == "&"):
            out.append(english[i:i + 2])  # a value, or the letter Alt presses, as it is
            i += 2
            continue
        out.append(ACCENTS.get(c, c))
        if c.isalpha():
            seen += 1
            # The doubled letters spread evenly over the text.
            if doubled < extra and seen * extra >= (doubled + 1) * letters:
                out.append(ACCENTS.get(c.lower(), c.lower()))
                doubled += 1
        i += 1
    text = "".join(out)
    # The marks go inside leading and trailing spaces and line breaks, which the code may rely on.
    body = text.strip(" \n")
    lead = text[:len(text) - len(text.lstrip(" \n"))]
    trail = text[len(text.rstrip(" \n")):]
    return f"{lead}⟦{body}⟧{trail}" if body else text


def encode(text):
    return text.replace("\\", "\\\\").replace('"', '\\"').replace("\n", "\\n")


def pseudo(root, output):
    template = parse_po(os.path.join(root, "po", "trovel.pot"))
    header = {"Project-Id-Version": "trovel", "PO-Revision-Date": "2011-03-29 00:00+0000",
              "Last-Translator": "catalogues.py pseudo", "Language-Team": "none", "Language": PSEUDO_CODE,
              "MIME-Version": "1.0", "Content-Type": "text/plain; charset=UTF-8", "Content-Transfer-Encoding": "8bit",
              "Plural-Forms": "nplurals=2; plural=(n != 1);"}
    lines = ['msgid ""', 'msgstr ""'] + [f'"{key}: {value}\\n"' for key, value in header.items()] + [""]
    for english, entry in template.items():
        lines.append(f'msgid "{encode(english)}"')
        if entry["plural"] is None:
            lines.append(f'msgstr "{encode(pseudo_text(english))}"')
        else:
            lines.append(f'msgid_plural "{encode(entry["plural"])}"')
            lines.append(f'msgstr[0] "{encode(pseudo_text(english))}"')
            lines.append(f'msgstr[1] "{encode(pseudo_text(entry["plural"]))}"')
        lines.append("")
    folder = os.path.join(output, PSEUDO_CODE, "LC_MESSAGES")
    os.makedirs(folder, exist_ok=True)
    po = os.path.join(folder, "trovel.po")
    with open(po, "w", encoding="utf-8") as f:
        f.write("\n".join(lines))
    subprocess.run(["msgfmt", "--check", "-o", os.path.join(folder, "trovel.mo"), po], check=True)


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("command", choices=["update", "check", "pseudo"])
    parser.add_argument("--output", help="pseudo: the folder the made-up language's catalogue goes in")
    parser.add_argument("--root", default=os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
    args = parser.parse_args()
    root = os.path.abspath(args.root)
    if args.command == "update":
        update(root)
        return 0
    if args.command == "pseudo":
        if not args.output:
            parser.error("pseudo needs --output DIR")
        pseudo(root, os.path.abspath(args.output))
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
