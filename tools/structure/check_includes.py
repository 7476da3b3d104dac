#!/usr/bin/env python3
"""Checks every #include line of the C++ sources against module_dependencies.txt.

Fails when a file includes a module it may not use, another module's private header, a header
of its own module by a path that is not its public one, or Qt where Qt is forbidden.
Usage: check_includes.py [SOURCE_ROOT]
"""
import os
import re
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
TABLE = os.path.join(HERE, "module_dependencies.txt")
SOURCE_SUFFIXES = (".h", ".cpp", ".inc")
TEST_FILE = re.compile(r"_(test|benchmark|fuzz|test_main)\.cpp$|_test_fixture\.h$")
INCLUDE = re.compile(r'^\s*#\s*include\s+([<"])([^>"]+)[>"]', re.M)
QT_HEADER = re.compile(r"^Q[A-Z]|^Qt[A-Z]|^qt")


class Module:
    def __init__(self, name):
        self.name = name
        self.uses = set()
        self.test_uses = set()
        self.generated = set()
        self.no_qt = False


def read_table(path):
    modules = {}
    current = None
    for number, raw in enumerate(open(path, encoding="utf-8"), 1):
        line = raw.split("#", 1)[0].rstrip()
        if not line:
            continue
        if not line[0].isspace():
            name, _, uses = line.partition(":")
            current = modules.setdefault(name.strip(), Module(name.strip()))
            current.uses.update(uses.split())
        elif current is None:
            raise SystemExit(f"{path}:{number}: an indented line before any module")
        elif line.strip() == "no-qt":
            current.no_qt = True
        elif line.strip().startswith("| tests:"):
            current.test_uses.update(line.split(":", 1)[1].split())
        elif line.strip().startswith("| generated:"):
            current.generated.update(line.split(":", 1)[1].split())
        else:
            raise SystemExit(f"{path}:{number}: cannot read {line.strip()!r}")
    for module in modules.values():
        for used in module.uses | module.test_uses:
            if used.endswith(".h"):
                used = owner(used, modules) or used
            if used not in modules:
                raise SystemExit(f"{path}: {module.name} uses {used}, which is not a module")
    return modules


def owner(path, modules):
    """The deepest module folder holding path, or None."""
    folder = os.path.dirname(path)
    while folder:
        if folder in modules:
            return folder
        folder = os.path.dirname(folder)
    return None


def public_header_exists(root, module, included):
    return os.path.isfile(os.path.join(root, module, "include", included)) or os.path.isfile(
        os.path.join(root, module, "include", included + ".in")) or os.path.isfile(
        os.path.join(root, module, os.path.basename(included) + ".in"))


def check_file(root, path, modules):
    problems = []
    mine = owner(path, modules)
    if mine is None:
        return [f"{path}: the file belongs to no module"]
    module = modules[mine]
    allowed = {mine} | module.uses
    if TEST_FILE.search(path):
        allowed |= module.test_uses
    text = open(os.path.join(root, path), encoding="utf-8", errors="replace").read()
    for match in INCLUDE.finditer(text):
        quote, included = match.group(1), match.group(2)
        line = text.count("\n", 0, match.start()) + 1
        where = f"{path}:{line}: #include {quote}{included}"
        if quote == "<":
            if module.no_qt and QT_HEADER.search(included):
                problems.append(f"{where}: {mine} must not use Qt")
            continue
        if ".." in included.split("/"):
            problems.append(f"{where}: reaches out of its folder")
            continue
        if "/" not in included:
            if included not in module.generated and not os.path.isfile(os.path.join(root, os.path.dirname(path), included)):
                problems.append(f"{where}: a bare name must be a private header of this folder")
            continue
        target = owner(included, modules)
        if target is None:
            problems.append(f"{where}: belongs to no module")
        elif target not in allowed and included not in allowed:
            problems.append(f"{where}: {mine} may not use {target}")
        elif not public_header_exists(root, target, included):
            problems.append(f"{where}: not a public header of {target}")
    return problems


def main():
    root = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else os.path.join(HERE, "..", ".."))
    modules = read_table(TABLE)
    problems = []
    checked = 0
    for top in ("lookup", "netpull", "tools"):
        for folder, _, files in os.walk(os.path.join(root, top)):
            for name in sorted(files):
                if name.endswith(SOURCE_SUFFIXES):
                    path = os.path.relpath(os.path.join(folder, name), root)
                    problems += check_file(root, path, modules)
                    checked += 1
    for problem in problems:
        print(problem)
    print(f"{checked} files checked, {len(problems)} problems")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
