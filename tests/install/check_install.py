#!/usr/bin/python3
"""Installs the build into a temporary prefix and checks what a user gets;
with --package, builds the Debian package instead, checks its control fields
and unpacks it to check its /usr the same way.

The installed tree must hold exactly the programs, the desktop entry, the icon,
the two manual pages (compressed), the copyright file and the bundled data
(byte for byte as in data/samples);
the installed arbolix-cli must tell its version and read the installed sample
and ontology as the built one reads the source tree's; the window must answer
--version without a display; and desktop-file-validate must accept the entry.
"""
import argparse
import filecmp
import gzip
import os
import re
import shutil
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ET

SAMPLE = "all_leukemia_top2000.txt"
ANNOTATION = "all_leukemia_top2000_annotation.csv"

failures = []


def check(condition, what):
    if not condition:
        failures.append(what)
    return condition


def run(args, **kw):
    env = dict(os.environ, LC_ALL="C")
    env.update(kw.pop("env", {}))
    return subprocess.run(args, stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                          env=env, timeout=600, **kw)


def desktop_entry(path):
    keys = {}
    with open(path, encoding="utf-8") as f:
        for line in f:
            if "=" in line and not line.startswith("#"):
                key, value = line.rstrip("\n").split("=", 1)
                keys[key] = value
    return keys


def unpacked_package(a, work):
    """Builds the package into `work`, checks its name and control fields, and
    returns the /usr of its unpacked files ("" when there is no package)."""
    arch = run(["dpkg", "--print-architecture"]).stdout.decode().strip()
    name = f"arbolix_{a.version}_{arch}.deb"
    config = os.path.join(a.build, "CPackConfig.cmake")
    made = run([a.cpack, "-G", "DEB", "--config", config, "-B", work])
    deb = os.path.join(work, name)
    if not check(made.returncode == 0 and os.path.isfile(deb),
                 f"cpack made no {name}:\n" + (made.stdout + made.stderr).decode()):
        return ""
    fields = {}
    for line in run(["dpkg-deb", "-f", deb]).stdout.decode().splitlines():
        if ": " in line and not line.startswith(" "):
            key, value = line.split(": ", 1)
            fields[key] = value
    check((fields.get("Package"), fields.get("Version"), fields.get("Architecture")) == ("arbolix", a.version, arch),
          f"control fields {fields}")
    depends = {d.split()[0] for d in fields.get("Depends", "").split(", ") if d}
    # Every library the programs load comes from a package the package depends on.
    root = os.path.join(work, "root")
    run(["dpkg-deb", "-x", deb, root])
    needed = set()
    for program in ("arbolix", "arbolix-cli"):
        dynamic = run(["readelf", "-d", os.path.join(root, "usr", "bin", program)]).stdout.decode()
        needed |= set(re.findall(r"\(NEEDED\)\s+Shared library: \[(.+?)\]", dynamic))
    check("libQt6Widgets.so.6" in needed and "libcurl.so.4" in needed, f"the programs load {sorted(needed)}")
    owners = {}
    for line in run(["dpkg", "-S"] + ["*/" + n for n in sorted(needed)]).stdout.decode().splitlines():
        packages, path = line.split(": ", 1)
        for package in packages.split(", "):
            owners.setdefault(os.path.basename(path), set()).add(package.split(":")[0])
    for soname in sorted(needed):
        check(owners.get(soname, set()) & depends,
              f"the programs load {soname} ({sorted(owners.get(soname, []))}), not in Depends: {sorted(depends)}")
    # Nothing outside /usr.
    check(sorted(os.listdir(root)) == ["usr"], f"the package puts files in {sorted(os.listdir(root))}")
    return os.path.join(root, "usr")


def main():
    p = argparse.ArgumentParser(description=__doc__)
    p.add_argument("--build", required=True)
    p.add_argument("--source", required=True)
    p.add_argument("--version", required=True)
    p.add_argument("--cmake", default="cmake")
    p.add_argument("--cpack", default="cpack")
    p.add_argument("--package", action="store_true", help="check the Debian package made by cpack")
    a = p.parse_args()
    samples = os.path.join(a.source, "data", "samples")
    built_cli = os.path.join(a.build, "src", "arbolix-cli")

    work = tempfile.mkdtemp(prefix="arbolix-install-")
    try:
        if a.package:
            prefix = unpacked_package(a, work)
            if not prefix:
                return report()
        else:
            prefix = work
            done = run([a.cmake, "--install", a.build, "--prefix", prefix])
            if not check(done.returncode == 0, "cmake --install failed:\n" + done.stderr.decode()):
                return report()

        # Exactly these files, nothing from the tests, benchmarks or build tree.
        expected = {"bin/arbolix", "bin/arbolix-cli", "share/applications/arbolix.desktop",
                    "share/icons/hicolor/scalable/apps/arbolix.svg",
                    "share/man/man1/arbolix.1.gz", "share/man/man1/arbolix-cli.1.gz",
                    "share/doc/arbolix/copyright"}
        expected |= {"share/arbolix/" + n for n in os.listdir(samples)}
        found = set()
        for folder, _, files in os.walk(prefix):
            found |= {os.path.relpath(os.path.join(folder, n), prefix) for n in files}
        check(found == expected, "installed files differ: missing %s, unexpected %s"
              % (sorted(expected - found), sorted(found - expected)))
        for n in os.listdir(samples):
            installed = os.path.join(prefix, "share", "arbolix", n)
            check(os.path.isfile(installed) and filecmp.cmp(os.path.join(samples, n), installed, shallow=False),
                  f"share/arbolix/{n} is not the bundled file")

        cli = os.path.join(prefix, "bin", "arbolix-cli")
        window = os.path.join(prefix, "bin", "arbolix")
        for program in (cli, window):
            check(os.access(program, os.X_OK), f"{program} is not executable")
            dynamic = run(["readelf", "-d", program]).stdout.decode()
            check(os.path.abspath(a.build) not in dynamic, f"{program} still looks for libraries in the build folder")

        version = run([cli, "--version"])
        check(version.returncode == 0 and version.stdout.decode() == f"arbolix-cli {a.version}\n",
              f"arbolix-cli --version: {version.returncode} {version.stdout!r} {version.stderr!r}")
        # The window answers before it needs a display (the one named here does not exist).
        version = run([window, "--version"], env={"QT_QPA_PLATFORM": "xcb", "DISPLAY": ":4999", "WAYLAND_DISPLAY": ""})
        check(version.returncode == 0 and version.stdout.decode() == f"arbolix {a.version}\n",
              f"arbolix --version: {version.returncode} {version.stdout!r} {version.stderr!r}")

        # The installed programs on the installed data do what the built one does on the source tree.
        data = os.path.join(prefix, "share", "arbolix")
        cases = [
            (["info", os.path.join(data, SAMPLE)], ["info", os.path.join(samples, SAMPLE)]),
            (["go", os.path.join(data, SAMPLE), "--annotation", os.path.join(data, ANNOTATION),
              "--ontology", data, "--term", "GO:0005515"],
             ["go", os.path.join(samples, SAMPLE), "--annotation", os.path.join(samples, ANNOTATION),
              "--ontology", samples, "--term", "GO:0005515"]),
        ]
        for installed_args, built_args in cases:
            installed = run([cli] + installed_args)
            built = run([built_cli] + built_args)
            check(installed.returncode == 0 and installed.stdout and installed.stdout == built.stdout,
                  f"installed arbolix-cli {installed_args[0]}: status {installed.returncode}, "
                  f"{installed.stderr.decode()!r}, output {'equal' if installed.stdout == built.stdout else 'differs'}")
        info = run([cli, "info", os.path.join(data, SAMPLE)]).stdout.decode()
        check("Items: 2000\n" in info and "Value columns: 128\n" in info, "info of the installed sample:\n" + info)

        # The manual pages are the programs' --help at this version; arbolix-cli's also
        # holds every command's own usage.
        pages = {}
        for name in ("arbolix-cli", "arbolix"):
            with gzip.open(os.path.join(prefix, "share", "man", "man1", name + ".1.gz"), "rt", encoding="utf-8") as f:
                pages[name] = f.read()
            check(f'.TH {name.upper()} "1"' in pages[name] and a.version in pages[name],
                  f"{name}.1 is not the manual page of {name} {a.version}")
            check(".SH NAME\n" + name + " \\- " in pages[name], f"{name}.1 has no NAME line")
        listed = run([cli, "--help"]).stdout.decode()
        for command in ("info", "cluster", "go", "lists intersect", "rank scatterplots"):
            check(f"  {command} " in listed and f'.SS "{command}"' in pages["arbolix-cli"] and
                  "Usage: arbolix\\-cli " + command.replace("-", "\\-") in pages["arbolix-cli"],
                  f"arbolix-cli.1 lacks the command {command}")
        check("\\-\\-min\\-sim" in pages["arbolix-cli"], "arbolix-cli.1 lacks the commands' options")
        check(".SH FILES" in pages["arbolix"], "arbolix.1 has no FILES section")

        # The copyright file names every bundled data file with its licence.
        with open(os.path.join(prefix, "share", "doc", "arbolix", "copyright"), encoding="utf-8") as f:
            copyright_text = f.read()
        check(copyright_text.startswith("Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/\n"),
              "share/doc/arbolix/copyright is not in Debian's copyright format")
        for n in os.listdir(samples):
            check(n == "README.md" or "data/samples/" + n in copyright_text, f"the copyright file does not name {n}")

        # The desktop entry: valid, starting the installed program with its installed icon.
        entry_path = os.path.join(prefix, "share", "applications", "arbolix.desktop")
        valid = run(["desktop-file-validate", entry_path])
        check(valid.returncode == 0 and not valid.stdout and not valid.stderr,
              "desktop-file-validate: " + (valid.stdout + valid.stderr).decode())
        entry = desktop_entry(entry_path)
        check(entry.get("Categories") == "Science;Biology;DataVisualization;", f"Categories={entry.get('Categories')}")
        check(entry.get("Exec", "").split()[0] == "arbolix" and "%f" in entry.get("Exec", ""), "Exec=" + entry.get("Exec", ""))
        check(entry.get("Icon") == "arbolix", "Icon=" + entry.get("Icon", ""))
        mime = entry.get("MimeType", "").split(";")
        check({"text/tab-separated-values", "text/csv", "text/plain", "application/vnd.ms-excel",
               "application/vnd.openxmlformats-officedocument.spreadsheetml.sheet"} <= set(mime),
              "MimeType=" + entry.get("MimeType", ""))
        root = ET.parse(os.path.join(prefix, "share", "icons", "hicolor", "scalable", "apps", "arbolix.svg")).getroot()
        check(root.tag == "{http://www.w3.org/2000/svg}svg" and root.get("viewBox") == "0 0 64 64",
              "the icon is not a square SVG")
    finally:
        shutil.rmtree(work, ignore_errors=True)
    return report()


def report():
    for f in failures:
        print("FAIL:", f)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
