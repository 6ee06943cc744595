#!/usr/bin/env python3
"""Keeps mdhost's manual (docs/mdhost.md) and `mdhost help` from drifting apart.

The manual holds what `mdhost help` prints, between two comment lines, and a
heading naming each command; a command, option or usage changed in the
command table without the manual fails here, and so does a heading for a
command mdhost no longer has.
  help_manual_check.py MDHOST MANUAL          check
  help_manual_check.py MDHOST MANUAL --write  put mdhost help's text in the manual
"""
import difflib
import re
import subprocess
import sys

BEGIN = "<!-- mdhost help: begin (written by help_manual_check.py --write) -->"
END = "<!-- mdhost help: end -->"


def main(argv):
    mdhost, manual_path = argv[1], argv[2]
    usage = subprocess.run([mdhost, "help"], capture_output=True, text=True, check=True).stdout
    block = f"{BEGIN}\n\n```text\n{usage}```\n\n{END}"
    with open(manual_path, encoding="utf-8") as f:
        manual = f.read()
    found = re.search(re.escape(BEGIN) + ".*?" + re.escape(END), manual, re.S)
    if not found:
        print(f"{manual_path}: no block between {BEGIN} and {END}")
        return 1
    if "--write" in argv[3:]:
        with open(manual_path, "w", encoding="utf-8") as f:
            f.write(manual[:found.start()] + block + manual[found.end():])
        print(f"wrote mdhost help into {manual_path}")
        return 0
    problems = []
    if found.group(0) != block:
        diff = difflib.unified_diff(found.group(0).split("\n"), block.split("\n"), "the manual", "mdhost help",
                                    lineterm="")
        problems.append("the manual's usage is not what mdhost help prints:\n" + "\n".join(diff) +
                        f"\n(refresh it with: {argv[0]} {mdhost} {manual_path} --write, then describe the change)")
    commands = set(re.findall(r"^  mdhost (\S+)", usage, re.M))
    headings = re.findall(r"^#+ .*$", manual, re.M)
    described = {name for heading in headings for name in re.findall(r"`mdhost (\S+?)`", heading)}
    for name in sorted(commands - described):
        problems.append(f"no heading of the manual names `mdhost {name}`")
    for name in sorted(described - commands - {"help"}):
        problems.append(f"a heading of the manual names `mdhost {name}`, which mdhost help does not list")
    for problem in problems:
        print(problem)
    if problems:
        return 1
    print(f"passed: the manual shows mdhost help and describes its {len(commands)} commands")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
