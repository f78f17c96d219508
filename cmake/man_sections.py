#!/usr/bin/python3
"""Writes the extra sections of arbolix-cli's manual page for help2man's
--include: every command's own --help, the exit statuses and the bundled data.

Usage: man_sections.py ARBOLIX_CLI OUTPUT
"""
import re
import subprocess
import sys


def help_of(cli, words):
    run = subprocess.run([cli] + words + ["--help"], stdout=subprocess.PIPE, check=True,
                         env={"LC_ALL": "C", "PATH": "/usr/bin:/bin"})
    return run.stdout.decode()


def commands(top_help):
    """The command names listed under "Commands:" ("info", "lists intersect", ...)."""
    names, inside = [], False
    for line in top_help.splitlines():
        if line == "Commands:":
            inside = True
        elif inside and not line.strip():
            break
        elif inside:
            m = re.match(r"  (\S+(?: \S+)?)(?:\s{2,}|$)", line)
            if m:
                names.append(m.group(1))
    return names


def roff_text(text):
    """Text shown as it is: backslashes escaped, no line taken for a request."""
    lines = []
    for line in text.rstrip("\n").splitlines():
        line = line.replace("\\", "\\e").replace("-", "\\-")
        if line.startswith((".", "'")):
            line = "\\&" + line
        lines.append(line)
    return "\n".join(lines)


def main():
    cli, output = sys.argv[1], sys.argv[2]
    names = commands(help_of(cli, []))
    if not names:
        sys.exit("man_sections.py: no commands found in the output of arbolix-cli --help")
    out = ["[COMMANDS]"]
    for name in names:
        out += ['.SS "%s"' % roff_text(name), ".nf", roff_text(help_of(cli, name.split())), ".fi"]
    out += ["[EXIT STATUS]",
            ".TP\n0\nthe command did its work",
            ".TP\n1\nthe work failed (a file could not be read or written, nothing matched)",
            ".TP\n2\nthe command line was wrong (an unknown option, a bad value); the usage is printed on standard error",
            "[ENVIRONMENT]",
            ".TP\n.B ARBOLIX_THREADS\nthe number of worker threads of the parallel passes (default: every core)",
            "[FILES]",
            ".TP\n.I PREFIX/share/arbolix/\n"
            "the bundled sample (all_leukemia_top2000.txt), its annotation and a Gene Ontology snapshot",
            "[SEE ALSO]",
            ".BR arbolix (1)"]
    with open(output, "w", encoding="utf-8") as f:
        f.write("\n".join(out) + "\n")


if __name__ == "__main__":
    main()
