#!/usr/bin/env python3
"""Runs every golden case again with a worksheet and checks it against the report.

For each case folder: the run without any -w= and the run with -w=worksheet-check.csv added
must print the same console output, exit status and report file, byte for byte; and when the
report prints Schedule A figures, every amount it prints for a Part's line and column must be
the worksheet's cell for that line and column, the percentages the same figures (the report
truncates to tenths, the worksheet rounds to hundredths), and each box it checks checked.

    check_csv_equals_report.py QUORVA GOLDEN_DIR
"""

import csv
import os
import re
import shutil
import subprocess
import sys
import tempfile

YEAR_OR_F = re.compile(r"^!\s+Part (II|III) line\s+(\d+[abc]?) column ([a-f])\s*(-?\$\d+\.\d\d)")
PERCENT = re.compile(r"^!\s+Part (II|III) line (14|15|17)\s+(?:column f\s+)?(-?[\d.]+%|--) \(")


def read_args(case):
    path = os.path.join(case, "args")
    if not os.path.exists(path):
        return []
    with open(path, "rb") as f:
        return [line.decode("latin-1") for line in f.read().split(b"\n") if line != b""]


def run(binary, case, args):
    work = tempfile.mkdtemp(prefix="quorva-worksheet-check.")
    try:
        shutil.copytree(case, work, dirs_exist_ok=True)
        if os.path.exists(os.path.join(work, "setup")):
            subprocess.run(["bash", "./setup"], cwd=work, check=True, stdout=subprocess.DEVNULL)
        env = {"TZ": "America/New_York", "LC_ALL": "C", "PATH": "/usr/bin:/bin"}
        done = subprocess.run([binary] + args, cwd=work, env=env, stdout=subprocess.PIPE)
        report_name = None
        for arg in args:
            if arg[:3] in ("-o=", "/o="):
                report_name = arg[3:]
        report = None
        if report_name and os.path.isfile(os.path.join(work, report_name)):
            with open(os.path.join(work, report_name), "rb") as f:
                report = f.read()
        sheet = None
        if os.path.isfile(os.path.join(work, "worksheet-check.csv")):
            with open(os.path.join(work, "worksheet-check.csv"), newline="",
                      encoding="latin-1") as f:
                sheet = list(csv.reader(f))
        return done.stdout, done.returncode, report, sheet
    finally:
        shutil.rmtree(work, ignore_errors=True)


def without_refusal(console):
    """The console without the worksheet's refusal and the closing count of errors."""
    kept = [line for line in console.split(b"\n")
            if b"Worksheet file worksheet-check.csv is not written" not in line
            and not line.startswith(b"! INFO: No errors.")
            and not re.match(rb"^! INFO: \d+ Errors? reading", line)]
    return kept


def check_case(binary, case):
    """Returns (problems, amounts checked)."""
    name = os.path.basename(case)
    args = [a for a in read_args(case) if a[:3] not in ("-w=", "/w=")]
    if not args or args in (["--help"], ["--version"]):
        # Alone, these (or no argument) answer and stop; a -w= beside them would change that.
        return [], 0
    plain = run(binary, case, args)
    with_sheet = run(binary, case, args + ["-w=worksheet-check.csv"])
    problems = []
    refused = b"Worksheet file worksheet-check.csv is not written: " in with_sheet[0]
    if refused:
        # Without donations or a computable period the worksheet is refused with an error: the
        # run must differ by that error and its count alone.
        if without_refusal(with_sheet[0]) != without_refusal(plain[0]) or with_sheet[1] != 1:
            problems.append("%s: the refused worksheet changed more than its error" % name)
        return problems, 0
    if plain[:3] != with_sheet[:3]:
        problems.append("%s: console, status or report file differ with -w=" % name)
    text = (plain[2] if plain[2] is not None else plain[0]).decode("latin-1")
    if "FORM 990 INFORMATION Part III" not in text:
        return problems, 0
    sheet = with_sheet[3]
    if sheet is None:
        return problems + ["%s: no worksheet written" % name], 0
    cells = {}
    for row in sheet[2:]:
        if len(row) == 9 and row[0] in ("II", "III"):
            cells[(row[0], row[1])] = row[3:]
    checked = 0
    for line in text.split("\n"):
        match = YEAR_OR_F.match(line)
        if match:
            part, label, column, amount = match.groups()
            want = amount.replace("$", "")
            got = cells.get((part, label), [""] * 6)["abcdef".index(column)]
            if got != want:
                problems.append("%s: Part %s line %s column %s: report %s, worksheet %r"
                                % (name, part, label, column, amount, got))
            checked += 1
            continue
        match = PERCENT.match(line)
        if match:
            part, label, shown = match.groups()
            got = cells.get((part, label), [""] * 6)[5]
            if shown == "--":
                ok = got == ""
            else:
                tenths = float(shown[:-1])
                # The worksheet's figure rounded to hundredths, truncated to tenths, is the
                # report's, unless rounding carried it into the next tenth.
                ok = got != "" and (abs(float(got) - tenths) < 0.1 + 1e-9 or
                                    abs(float(got) - tenths - 0.1) < 1e-9)
            if not ok:
                problems.append("%s: Part %s line %s: report %s, worksheet %r"
                                % (name, part, label, shown, got))
            checked += 1
    young = "Part II line 13            check the box" in text
    # The report names every box the worksheet checks (16b, 17b and 19b from the prior year).
    boxes = [
        ("II", "13", young),
        ("III", "14", "Part III line 14             check the box" in text),
        ("II", "16a", not young and "Part II line 16a support         OK" in text),
        ("II", "16b", "Part II line 16b (33.3% support, prior year) OK" in text),
        ("II", "17a", not young and "Part II line 17a (10% support) OK" in text),
        ("II", "17b", "Part II line 17b (10% support, prior year) OK" in text),
        ("III", "19a", not young and "Part III line 19a 33% support        OK" in text),
        ("III", "19b", "Part III line 19b (more than 33.3% support, prior year) OK" in text),
    ]
    for part, label, expect_checked in boxes:
        got = cells.get((part, label), [""] * 6)[5]
        if expect_checked != (got == "X"):
            problems.append("%s: Part %s line %s box %r" % (name, part, label, got))
    return problems, checked


def main():
    binary = os.path.abspath(sys.argv[1])
    golden = sys.argv[2]
    problems = []
    cases = 0
    amounts = 0
    for entry in sorted(os.listdir(golden)):
        case = os.path.join(golden, entry)
        if not os.path.isdir(case):
            continue
        found, checked = check_case(binary, case)
        problems += found
        if checked:
            cases += 1
            amounts += checked
    for problem in problems:
        print(problem)
    print("%d cases with Schedule A, %d report figures compared, %d problems"
          % (cases, amounts, len(problems)))
    return 1 if problems or cases == 0 else 0


if __name__ == "__main__":
    sys.exit(main())
