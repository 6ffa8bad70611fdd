#!/usr/bin/env python3
"""Mutation tests for the code that guards the user's files.

Applies the faults listed in tools/mutants.txt to the guard code one at a time, rebuilds the
tests that cover it, runs them and prints what each fault did:

    KILLED       a test failed: the fault would have been caught
    TIMEOUT      the tests ran past --timeout: counted as killed (a hang is noticed too)
    SURVIVED     every test passed with the fault in place: a hole in the tests
    NOT-BUILT    the faulty code did not compile: neither killed nor survived
    STALE        the snippet to replace matches no line, or more than one: fix the entry

Everything happens in a scratch copy of the tree, with its own build folder: the working tree
is only read, even when the run is killed halfway. The scratch copy is removed at the end
unless --keep is given.

    tools/mutate.py [--list] [--only ID[,ID...]] [--jobs N] [--keep] [--timeout S]
                    [--mover-only] [--no-fail-fast] [--mutants FILE]

Exits 0 only when every mutant was killed (TIMEOUT included).
Not run by CI: a full run takes about two minutes a mutant on a small machine.
"""
import argparse
import hashlib
import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
KEYS = ("id", "file", "find", "replace", "why", "tests", "linux_tests", "prepare_tests")
REQUIRED = ("id", "file", "find", "replace", "why")


class Mutant:
    def __init__(self, fields, origin):
        self.id = fields["id"]
        self.file = fields["file"]
        self.find = fields["find"]
        self.replace = fields["replace"]
        self.why = fields["why"]
        self.tests = fields.get("tests", "")
        self.linux_tests = fields.get("linux_tests", "")
        self.prepare_tests = fields.get("prepare_tests", "")
        self.origin = origin  # where the entry is in the list, for messages
        self.line = None  # 1-based line it applies to, once located
        self.stale = ""  # why it cannot be applied, when it cannot


def parse_mutants(path):
    """Blocks separated by blank lines, each of `key: value` lines; `#` starts a comment line.

    A value is what follows `key: `, exactly; a value in double quotes is taken without them,
    so that a piece of line may begin or end with spaces."""
    mutants, fields, start = [], {}, None
    errors = []

    def close(number):
        nonlocal fields, start
        if not fields:
            return
        missing = [key for key in REQUIRED if key not in fields]
        where = "%s:%d" % (os.path.basename(path), start)
        if missing:
            errors.append("%s: missing %s" % (where, ", ".join(missing)))
        else:
            mutants.append(Mutant(fields, where))
        fields, start = {}, None

    with open(path, encoding="utf-8") as text:
        for number, raw in enumerate(text, 1):
            line = raw.rstrip("\n")
            if not line.strip():
                close(number)
                continue
            if line.lstrip().startswith("#"):
                continue
            key, colon, value = line.partition(":")
            key = key.strip()
            if not colon or key not in KEYS:
                errors.append("%s:%d: not a `key: value` line (keys: %s)" % (os.path.basename(path), number, ", ".join(KEYS)))
                continue
            value = value[1:] if value.startswith(" ") else value
            if len(value) >= 2 and value.startswith('"') and value.endswith('"'):
                value = value[1:-1]
            if key in fields:
                errors.append("%s:%d: `%s` given twice in one entry" % (os.path.basename(path), number, key))
            if start is None:
                start = number
            fields[key] = value
        close(None)
    seen = set()
    for mutant in mutants:
        if mutant.id in seen:
            errors.append("%s: the id %s is used twice" % (mutant.origin, mutant.id))
        seen.add(mutant.id)
    return mutants, errors


def locate(mutant, root):
    """Finds the one line the mutant applies to, or says why it is stale. Never guesses."""
    path = os.path.join(root, mutant.file)
    if not os.path.isfile(path):
        mutant.stale = "no such file"
        return
    if mutant.find == mutant.replace:
        mutant.stale = "the replacement is the snippet itself"
        return
    with open(path, encoding="utf-8") as text:
        lines = text.read().split("\n")
    hits = [i for i, line in enumerate(lines) if mutant.find in line]
    if not hits:
        mutant.stale = "the snippet matches no line"
    elif len(hits) > 1:
        mutant.stale = "the snippet matches %d lines (%s)" % (len(hits), ", ".join(str(i + 1) for i in hits))
    elif lines[hits[0]].count(mutant.find) != 1:
        mutant.stale = "the snippet occurs more than once on line %d" % (hits[0] + 1)
    else:
        mutant.line = hits[0] + 1


def mutated_text(original, mutant):
    lines = original.split("\n")
    lines[mutant.line - 1] = lines[mutant.line - 1].replace(mutant.find, mutant.replace, 1)
    return "\n".join(lines)


def digest(path):
    with open(path, "rb") as data:
        return hashlib.sha256(data.read()).hexdigest()


def tree_files(root):
    """The files of the working tree as the developer has them: tracked and new, not ignored."""
    out = subprocess.run(["git", "-C", root, "ls-files", "-z", "--cached", "--others", "--exclude-standard"],
                         check=True, capture_output=True).stdout
    return [name for name in out.decode("utf-8", "surrogateescape").split("\0") if name]


def copy_tree(root, scratch):
    for name in tree_files(root):
        source = os.path.join(root, name)
        if not os.path.lexists(source):
            continue  # deleted in the working tree, not yet in the index
        destination = os.path.join(scratch, name)
        os.makedirs(os.path.dirname(destination), exist_ok=True)
        if os.path.islink(source):
            os.symlink(os.readlink(source), destination)
        elif os.path.isfile(source):
            shutil.copy2(source, destination)


def run(command, log, timeout=None, cwd=None):
    """Runs a command in a process group of its own, its output to `log`. Returns the exit
    status, or None when it ran past the timeout (the whole group is then killed)."""
    with open(log, "ab") as out:
        out.write(("\n$ " + " ".join(command) + "\n").encode())
        out.flush()
        process = subprocess.Popen(command, stdout=out, stderr=subprocess.STDOUT, cwd=cwd, start_new_session=True)
        try:
            return process.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            os.killpg(process.pid, signal.SIGKILL)
            process.wait()
            return None
        except BaseException:
            os.killpg(process.pid, signal.SIGKILL)
            process.wait()
            raise


def first_failure(log, since):
    """The first test named as failed in the log after byte offset `since`."""
    with open(log, "rb") as data:
        data.seek(since)
        text = data.read().decode("utf-8", "replace")
    found = re.search(r"^\[  FAILED  \] ([A-Za-z0-9_/.]+)", text, re.M)
    return found.group(1) if found else ""


class Runner:
    def __init__(self, args, scratch):
        self.args = args
        self.scratch = scratch
        self.build = os.path.join(scratch, "build-mutate")
        self.log = os.path.join(scratch, "mutate.log")

    def targets(self, mutant):
        linux = mutant is not None and mutant.file.startswith("platform/linux/") and not self.args.mover_only
        prepare = mutant is not None and bool(mutant.prepare_tests)
        return ["mover_tests"] + (["linux_tests"] if linux and not prepare else []) + (["prepare_target_tests"] if prepare else [])

    def configure(self):
        # Warnings are not errors here: a fault that only draws a warning is still a fault to catch.
        return run(["cmake", "-S", self.scratch, "-B", self.build, "-DCMAKE_BUILD_TYPE=Debug", "-DTROVEL_WERROR=OFF"],
                   self.log) == 0

    def compile(self, targets):
        status = run(["cmake", "--build", self.build, "--parallel", str(self.args.jobs), "--target"] + targets,
                     self.log, timeout=self.args.build_timeout)
        return status == 0

    def test(self, binary, gtest_filter):
        """'pass', 'fail' or 'timeout', and the first failing test."""
        command = [os.path.join(self.build, "tests", *binary)]
        if gtest_filter:
            command.append("--gtest_filter=" + gtest_filter)
        if not self.args.no_fail_fast:
            command.append("--gtest_fail_fast")
        since = os.path.getsize(self.log) if os.path.exists(self.log) else 0
        env_cwd = tempfile.mkdtemp(prefix="run-", dir=self.scratch)
        os.chmod(env_cwd, 0o755)  # tests acting as another user reach the drives they mount here
        try:
            status = run(command, self.log, timeout=self.args.timeout, cwd=env_cwd)
        finally:
            shutil.rmtree(env_cwd, ignore_errors=True)
        if status is None:
            return "timeout", ""
        return ("pass", "") if status == 0 else ("fail", first_failure(self.log, since) or "exit %d" % status)

    def suites(self, mutant):
        yield ("mover_tests",), mutant.tests if mutant else ""
        if "linux_tests" in self.targets(mutant):
            yield ("platform", "linux", "linux_tests"), mutant.linux_tests
        if "prepare_target_tests" in self.targets(mutant):
            yield ("platform", "linux", "prepare_target_tests"), mutant.prepare_tests

    def verdict(self, mutant):
        """Runs the tests that cover `mutant` (or, for None, the unchanged tree)."""
        if not self.compile(self.targets(mutant)):
            return "NOT-BUILT", ""
        for binary, gtest_filter in self.suites(mutant):
            outcome, failed = self.test(binary, gtest_filter)
            if outcome == "timeout":
                return "TIMEOUT", binary[-1]
            if outcome == "fail":
                return "KILLED", failed
        return "SURVIVED", ""

    def apply_and_judge(self, mutant):
        path = os.path.join(self.scratch, mutant.file)
        with open(path, "rb") as data:
            original = data.read()
        try:
            with open(path, "wb") as data:
                data.write(mutated_text(original.decode("utf-8"), mutant).encode("utf-8"))
            return self.verdict(mutant)
        finally:
            with open(path, "wb") as data:
                data.write(original)
            # Newer than anything built from the fault, so the next build compiles it again.
            now = time.time() + 1
            os.utime(path, (now, now))
            with open(path, "rb") as data:
                if data.read() != original:
                    raise RuntimeError("could not restore " + path)


def table(rows):
    widths = [max(len(row[i]) for row in rows) for i in range(len(rows[0]) - 1)]
    for row in rows:
        print("  ".join(cell.ljust(width) for cell, width in zip(row, widths)) + "  " + row[-1], flush=True)


def main():
    parser = argparse.ArgumentParser(description="Mutation tests for the code that guards the user's files.")
    parser.add_argument("--mutants", default=os.path.join(HERE, "mutants.txt"), help="the list of faults")
    parser.add_argument("--only", default="", help="comma-separated ids of the mutants to try")
    parser.add_argument("--list", action="store_true", help="list the mutants and where they apply; build nothing")
    parser.add_argument("--jobs", type=int, default=2, help="parallel build jobs (default 2)")
    parser.add_argument("--keep", action="store_true", help="keep the scratch tree and its build and log")
    parser.add_argument("--timeout", type=int, default=600, help="seconds a test binary may run (default 600)")
    parser.add_argument("--build-timeout", type=int, default=3600, help="seconds a build may take (default 3600)")
    parser.add_argument("--mover-only", action="store_true",
                        help="run only mover_tests, also for faults in platform/linux (no linux_tests build)")
    parser.add_argument("--no-fail-fast", action="store_true", help="run every test even after one failed")
    args = parser.parse_args()

    root = subprocess.run(["git", "-C", HERE, "rev-parse", "--show-toplevel"], check=True, capture_output=True,
                          text=True).stdout.strip()
    mutants, errors = parse_mutants(args.mutants)
    for error in errors:
        print("mutants: " + error, file=sys.stderr)
    if errors:
        return 2
    if args.only:
        wanted = [name.strip() for name in args.only.split(",") if name.strip()]
        unknown = [name for name in wanted if name not in {m.id for m in mutants}]
        if unknown:
            print("no such mutant: " + ", ".join(unknown), file=sys.stderr)
            return 2
        mutants = [m for m in mutants if m.id in wanted]
    for mutant in mutants:
        locate(mutant, root)

    if args.list:
        for mutant in mutants:
            where = "%s:%s" % (mutant.file, mutant.line) if mutant.line else "%s STALE (%s)" % (mutant.file, mutant.stale)
            print("%s  %s\n    %s\n    - %s\n    + %s" % (mutant.id, where, mutant.why, mutant.find.strip(),
                                                     mutant.replace.strip()))
        return 0

    # What the working tree holds now, to show at the end that it was never touched.
    watched = {m.file: digest(os.path.join(root, m.file)) for m in mutants if m.line}
    scratch = tempfile.mkdtemp(prefix="trovel-mutate-")
    os.chmod(scratch, 0o755)

    def stop(signum, frame):
        raise SystemExit(128 + signum)

    signal.signal(signal.SIGTERM, stop)
    signal.signal(signal.SIGHUP, stop)
    rows = [("ID", "WHERE", "RESULT", "FIRST FAILING TEST", "SECONDS", "WHAT THE FAULT DOES")]
    counts = {}
    try:
        print("scratch tree: %s (log: %s)" % (scratch, os.path.join(scratch, "mutate.log")), flush=True)
        copy_tree(root, scratch)
        runner = Runner(args, scratch)
        if not runner.configure():
            print("the scratch tree does not configure; see the log", file=sys.stderr)
            return 2
        # The tests must pass without a fault, or no verdict below means anything.
        started = time.time()
        needs_linux = any("linux_tests" in runner.targets(m) for m in mutants if m.line)
        baseline_targets = ["mover_tests"] + (["linux_tests"] if needs_linux else [])
        if not runner.compile(baseline_targets):
            print("the unchanged tree does not build; see the log", file=sys.stderr)
            return 2
        for binary, gtest_filter in [(("mover_tests",), "")] + (
                [(("platform", "linux", "linux_tests"), "")] if needs_linux else []):
            outcome, failed = runner.test(binary, gtest_filter)
            if outcome != "pass":
                print("%s does not pass without a fault (%s %s); nothing to measure" % (binary[-1], outcome, failed),
                      file=sys.stderr)
                return 2
        print("unchanged tree: built and passed in %d s" % (time.time() - started), flush=True)

        for mutant in sorted(mutants, key=lambda m: (m.file, m.line or 0)):
            where = "%s:%s" % (mutant.file, mutant.line or "?")
            if not mutant.line:
                result, failed, seconds = "STALE", mutant.stale, 0
            else:
                started = time.time()
                result, failed = runner.apply_and_judge(mutant)
                seconds = time.time() - started
            counts[result] = counts.get(result, 0) + 1
            rows.append((mutant.id, where, result, failed or "-", "%d" % seconds, mutant.why))
            print("%-28s %-44s %-9s %5d s  %s" % (mutant.id, where, result, seconds, failed), flush=True)
    finally:
        changed = [name for name, before in watched.items() if digest(os.path.join(root, name)) != before]
        if args.keep:
            print("kept: " + scratch)
        else:
            shutil.rmtree(scratch, ignore_errors=True)
        if changed:
            print("the working tree changed during the run (by someone else?): " + ", ".join(changed), file=sys.stderr)

    print()
    table(rows)
    killed = counts.get("KILLED", 0) + counts.get("TIMEOUT", 0)
    print("\n%d mutants: %d killed (%d of them by timeout), %d survived, %d not built, %d stale" % (
        len(rows) - 1, killed, counts.get("TIMEOUT", 0), counts.get("SURVIVED", 0), counts.get("NOT-BUILT", 0),
        counts.get("STALE", 0)))
    return 0 if killed == len(rows) - 1 else 1


if __name__ == "__main__":
    sys.exit(main())
