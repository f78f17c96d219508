#!/usr/bin/python3
"""Runs one command-line case and compares its transcript with the expected file.

A case file under tests/cli/expected/ starts with the commands it runs, one
"$ arbolix-cli ARGS..." line each (shell quoting). The commands run one after
the other in a fresh folder holding
  samples/   the bundled sample folder (data/samples, read only),
  testdata/  the engine tests' fixtures (tests/fixtures, read only),
  fixtures/  a copy of tests/cli/fixtures (commands may write into it).
The transcript records for each command its standard output, its standard
error and its exit status, then every file the commands wrote or changed,
byte for byte. The test passes when the transcript equals the case file;
otherwise it prints a unified diff. With --update the case file is rewritten
from the transcript (the command lines stay as they are).
"""
import argparse
import difflib
import hashlib
import os
import shlex
import shutil
import subprocess
import sys
import tempfile

PROMPT = b"$ arbolix-cli"


def commands_of(case_bytes):
    return [line for line in case_bytes.split(b"\n") if line.startswith(PROMPT + b" ") or line == PROMPT]


def block(title, data):
    """A titled section; a missing final newline is marked so that it counts."""
    if not data:
        return b""
    out = b"--- " + title + b"\n" + data
    if not data.endswith(b"\n"):
        out += b"\n--- (no newline at end)\n"
    return out


def snapshot(root):
    found = {}
    for folder, dirs, files in os.walk(root):
        dirs[:] = [d for d in dirs if not os.path.islink(os.path.join(folder, d))]
        for name in files:
            path = os.path.join(folder, name)
            if os.path.islink(path):
                continue
            with open(path, "rb") as f:
                found[os.path.relpath(path, root)] = hashlib.sha256(f.read()).hexdigest()
    return found


def transcript(cli, source, case_bytes):
    work = tempfile.mkdtemp(prefix="arbolix-cli-case-")
    try:
        os.symlink(os.path.join(source, "data", "samples"), os.path.join(work, "samples"))
        os.symlink(os.path.join(source, "tests", "fixtures"), os.path.join(work, "testdata"))
        shutil.copytree(os.path.join(source, "tests", "cli", "fixtures"), os.path.join(work, "fixtures"))
        before = snapshot(work)
        env = dict(os.environ)
        env.pop("QT_QPA_PLATFORM", None)
        env["LC_ALL"] = "C"
        out = b""
        for line in commands_of(case_bytes):
            args = shlex.split(line[len(PROMPT):].decode())
            run = subprocess.run([cli] + args, cwd=work, env=env, stdin=subprocess.DEVNULL,
                                 stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=600)
            out += line + b"\n"
            out += block(b"stdout", run.stdout)
            out += block(b"stderr", run.stderr)
            out += b"--- exit %d\n" % run.returncode
        after = snapshot(work)
        for name in sorted(after):
            if before.get(name) != after[name]:
                with open(os.path.join(work, name), "rb") as f:
                    out += block(b"file " + name.encode(), f.read()) or b"--- file " + name.encode() + b" (empty)\n"
        return out
    finally:
        shutil.rmtree(work, ignore_errors=True)


def main():
    p = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    p.add_argument("--cli", required=True, help="the arbolix-cli program to run")
    p.add_argument("--source", required=True, help="the source tree")
    p.add_argument("--update", action="store_true", help="rewrite the case file from what the commands do now")
    p.add_argument("case", nargs="+")
    a = p.parse_args()
    failed = 0
    for case in a.case:
        with open(case, "rb") as f:
            expected = f.read()
        if not commands_of(expected):
            print(f"{case}: no '$ arbolix-cli' command line", file=sys.stderr)
            failed += 1
            continue
        actual = transcript(os.path.abspath(a.cli), os.path.abspath(a.source), expected)
        if a.update:
            if actual != expected:
                with open(case, "wb") as f:
                    f.write(actual)
                print(f"rewrote {case}")
            continue
        if actual != expected:
            failed += 1
            diff = difflib.diff_bytes(difflib.unified_diff, expected.split(b"\n"), actual.split(b"\n"),
                                      fromfile=case.encode(), tofile=b"now", lineterm=b"")
            sys.stdout.buffer.write(b"\n".join(diff) + b"\n")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
