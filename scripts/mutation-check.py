#!/usr/bin/env python3
"""A small mutation check: how many deliberately planted faults the test suite notices.

Each mutant changes one spot of one source file (a comparison flipped, a
constant moved by one, && turned into ||, true into false). The tree is
rebuilt and the suite run; a mutant is killed when a test fails, it survives
when all pass. Mutants that do not compile are left out of the score.

    scripts/mutation-check.py generate --count 40 > mutants.txt
    scripts/mutation-check.py run --build build mutants.txt

Mutants are named by file name (not path), the exact text of the line and
the column of the change, so the same list can be applied again after files
have moved between folders.
"""
import argparse
import os
import re
import subprocess
import sys
import time

ROOT = subprocess.run(["git", "rev-parse", "--show-toplevel"], capture_output=True, text=True).stdout.strip() or os.getcwd()

# The logic whose faults the suite must catch: the device link, the
# registration file, the database statements and the INI store.
DEFAULT_FILES = [
    "CardData.cpp", "KeyboardLine.cpp", "UserArea.cpp", "ReadAssembly.cpp", "TextSender.cpp",
    "FTDIHelper.h", "C_RegFile.cpp", "RegFileReader.cpp", "RegistrationCall.cpp",
    "RegistrationImport.cpp", "IniFile.cpp", "Configuration.cpp",
]

SWAPS = [
    (r"==", "!="), (r"!=", "=="), (r"<=", "<"), (r">=", ">"),
    (r"(?<![<>=-])<(?![<=])", "<="), (r"(?<![<>=-])>(?![>=])", ">="),
    (r"&&", "||"), (r"\|\|", "&&"), (r"\btrue\b", "false"), (r"\bfalse\b", "true"),
]
NUMBER = re.compile(r"(?<![\w.])(\d+)(?![\w.])")
SKIP_LINE = re.compile(r"^\s*(#|//|\*|/\*)|static_assert|template\s*<|\bassert\(")


def find_file(name):
    hits = []
    for base, dirs, files in os.walk(ROOT):
        dirs[:] = [d for d in dirs if not d.startswith((".", "build")) and d not in ("tests", "bench", "fuzz")]
        if name in files:
            hits.append(os.path.join(base, name))
    return hits[0] if len(hits) == 1 else None


def sites(path):
    """Every candidate change of a file: (line number, column, old, new)."""
    out = []
    with open(path, encoding="latin-1") as f:
        lines = f.read().split("\n")
    for number, line in enumerate(lines):
        code = line.split("//")[0]
        if SKIP_LINE.search(code) or '"' in code and code.count('"') % 2:
            continue
        stripped = re.sub(r'"(\\.|[^"\\])*"|\'(\\.|[^\'\\])*\'', lambda m: " " * len(m.group(0)), code)
        # Template brackets and stream operators are not comparisons.
        if re.search(r"\b(std::|include|template|static_cast|reinterpret_cast|const_cast)\b.*<", stripped):
            continue
        for pattern, new in SWAPS:
            for m in re.finditer(pattern, stripped):
                out.append((number, m.start(), m.group(0), new))
        for m in NUMBER.finditer(stripped):
            if re.search(r"\w\s*\[\s*$", stripped[:m.start()]) or "<<" in stripped:
                continue  # array sizes and shifts: changing them rarely changes behaviour
            value = int(m.group(1))
            out.append((number, m.start(), m.group(1), str(value + 1)))
    return lines, out


def generate(args):
    files = args.files or DEFAULT_FILES
    per_file = max(1, args.count // len(files))
    for name in files:
        path = find_file(name)
        if not path:
            print(f"# {name}: not found", file=sys.stderr)
            continue
        lines, candidates = sites(path)
        if not candidates:
            continue
        step = max(1, len(candidates) // per_file)
        for index in range(0, len(candidates), step)[:per_file]:
            number, column, old, new = candidates[index]
            text = lines[number].strip()
            occurrence = sum(1 for line in lines[:number] if line.strip() == text)
            print("\t".join([name, str(occurrence), str(column), old, new, text]))


def apply(mutant):
    name, occurrence, column, old, new, text = mutant
    path = find_file(name)
    if not path:
        return None, None
    with open(path, encoding="latin-1") as f:
        original = f.read()
    lines = original.split("\n")
    matches = [i for i, line in enumerate(lines) if line.strip() == text]
    if int(occurrence) >= len(matches):
        return None, None
    row = matches[int(occurrence)]
    line = lines[row]
    at = int(column)
    if line[at:at + len(old)] != old:
        return None, None
    lines[row] = line[:at] + new + line[at + len(old):]
    with open(path, "w", encoding="latin-1") as f:
        f.write("\n".join(lines))
    return path, original


def quiet(cmd, timeout):
    try:
        return subprocess.run(cmd, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=timeout).returncode
    except subprocess.TimeoutExpired:
        return -1


def run(args):
    with open(args.list) as f:
        mutants = [line.rstrip("\n").split("\t") for line in f if line.strip() and not line.startswith("#")]
    build = os.path.abspath(args.build)
    ctest = ["ctest", "--test-dir", build, "-j", str(args.jobs), "--timeout", "120", "--stop-on-failure"]
    if args.exclude:
        ctest += ["-E", args.exclude]
    if quiet(["cmake", "--build", build, "-j", str(args.jobs)], 3600) != 0:
        sys.exit("the unchanged tree does not build")
    killed = survived = stillborn = missing = 0
    for mutant in mutants:
        started = time.time()
        path, original = apply(mutant)
        if path is None:
            missing += 1
            verdict = "not found"
        else:
            try:
                if quiet(["cmake", "--build", build, "-j", str(args.jobs)], 1800) != 0:
                    stillborn += 1
                    verdict = "does not build"
                elif quiet(ctest, 1800) != 0:
                    killed += 1
                    verdict = "killed"
                else:
                    survived += 1
                    verdict = "SURVIVED"
            finally:
                with open(path, "w", encoding="latin-1") as f:
                    f.write(original)
        print(f"{verdict:14} {time.time() - started:5.0f}s  {mutant[0]}: {mutant[3]} -> {mutant[4]} in `{mutant[5]}`",
              flush=True)
    quiet(["cmake", "--build", build, "-j", str(args.jobs)], 3600)
    scored = killed + survived
    print(f"\nkilled {killed} of {scored} mutants that build"
          f" ({100 * killed // max(1, scored)} %); {stillborn} do not build, {missing} not found")


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    sub = parser.add_subparsers(dest="command", required=True)
    g = sub.add_parser("generate", help="print a list of mutants")
    g.add_argument("--count", type=int, default=40)
    g.add_argument("files", nargs="*", help="file names (default: the core logic)")
    r = sub.add_parser("run", help="apply each mutant of a list and run the suite")
    r.add_argument("--build", default=os.path.join(ROOT, "build"))
    r.add_argument("--jobs", type=int, default=2)
    r.add_argument("--exclude", help="ctest -E regex of tests to leave out")
    r.add_argument("list")
    args = parser.parse_args()
    generate(args) if args.command == "generate" else run(args)


if __name__ == "__main__":
    main()
