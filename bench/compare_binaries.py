#!/usr/bin/env python3
"""Runs two quorva binaries on the same awkward lists and says whether they behave alike.

Meant for changes that must not alter behaviour (speed work): the lists hold every kind of line
the grammar knows and many it refuses (bad and carried-over dates, dates around daylight saving
changes at midnight, amounts in every form, quotation marks, long and cut lines, NUL bytes, CR
LF ends, a full donor table, names in other letter case), and each is run under several time
zones and option sets. Standard output, the exit status and the report file (with --worksheets
also both forms of the worksheet) must be byte-for-byte the same.

    compare_binaries.py REFERENCE_BINARY NEW_BINARY [--lists 40] [--seed 1] [--worksheets]
                        [--no-nul] [--no-negative] [--small-gifts] [--no-keyword-amounts]
                        [--export-lines]

With --export-lines the lists are also shaped like spreadsheet and donor-system exports: names
"Last, First" and amounts "$1,250.00" in quotation marks, check numbers and memos after the
amount, notes cells that go on over the next lines, CR LF line ends, and half of the lists
comma-separated (for builds that read comma-separated lists).
"""

import argparse
import csv
import io
import os
import random
import subprocess
import sys
import tempfile

ZONES = [
    "America/New_York", "UTC", "Asia/Kolkata", "America/Sao_Paulo", "America/Havana",
    "Asia/Beirut", "Australia/Lord_Howe", "Pacific/Apia", "Europe/London",
]
KEYWORDS = [
    "Government", "Charity", "DAF", "DAFDONOR", "Officer", "Director", "Trustee", "Family",
    "Revenue", "Investment", "TAX", "OTHER_INCOME", "FREE_USE", "UNRELATED", "NOT_UNRELATED",
    "OLD_BUSINESS", "ADMISSIONS", "SALES",
]
MONTHS = ["January", "February", "March", "April", "May", "June", "July", "August",
          "September", "October", "November", "December"]
# Days on which clocks jumped at or around midnight somewhere among ZONES.
EDGE_DAYS = [(11, 4, 2018), (10, 16, 2016), (3, 25, 2012), (12, 30, 2011), (3, 11, 2018),
             (11, 4, 2007), (3, 27, 2022), (10, 30, 2022), (1, 19, 2038), (1, 20, 2038),
             (12, 31, 1969), (1, 1, 1970), (2, 29, 2020), (2, 29, 2021)]


def case_mix(rng, text):
    pick = rng.randrange(6)
    if pick == 0:
        return text.upper()
    if pick == 1:
        return text.lower()
    return text


def date_field(rng):
    pick = rng.randrange(20)
    if pick < 6:
        m, d, y = rng.choice(EDGE_DAYS) if rng.randrange(3) == 0 else (
            rng.randint(1, 12), rng.randint(1, 28), rng.randint(2010, 2024))
        return "%d/%d/%d" % (m, d, y)
    if pick < 9:
        m, d, y = rng.choice(EDGE_DAYS) if rng.randrange(3) == 0 else (
            rng.randint(1, 12), rng.randint(1, 28), rng.randint(2010, 2024))
        month = MONTHS[(m - 1) % 12]
        form = rng.randrange(5)
        if form == 0:
            return "%d %s %d" % (d, month[:3], y)
        if form == 1:
            return "%d-%s-%d" % (d, case_mix(rng, month[:3]), y)
        if form == 2:
            return "%d %s %d" % (d, case_mix(rng, month), y)
        if form == 3:
            return "%d %s, %d" % (d, month[:4], y)
        return "%d  %s %d" % (d, month[:3], y)
    if pick < 12:
        m = rng.choice([-2, -1, 0, 1, 2, 12, 13, 14, 99])
        d = rng.choice([-1, 0, 1, 28, 29, 30, 31, 32, 33, 400])
        y = rng.choice([-5, 0, 20, 38, 39, 49, 50, 69, 70, 99, 100, 1850, 1899, 1900, 1969,
                        1970, 2037, 2038, 2039, 99999999999])
        return "%d/%d/%d" % (m, d, y)
    if pick < 14:
        return rng.choice(KEYWORDS) if rng.randrange(2) else case_mix(rng, rng.choice(KEYWORDS))
    return rng.choice(["", " ", "date", "DATE", "When", "2020-01-15", "1-15-2020", "15.01.2020",
                       "Jan 15 2020", "15 Jan", "15 Jan 2020 10:30", "1/15/2020 10:30",
                       "15-Jan-2020-x", "15 Foo 2020", "1/15/20", "15 Janvier 2020", "Officers",
                       "Officer ", "\"1/15/2020\"", "+1/+2/+2020", "15\tJan", "1/15/2020\""])


ODD_AMOUNTS = ["0", "0.00", "-12.50", "-0.50", ".50", "1.2.3", "12a", "1-2", "", " 5", "5.",
               "12.5", "12.345", "-", "-.5", "99999999999999999", "1e5", "$", "5\t6", "7\"",
               "$ 8", "100000000000.00", "100000000000.01"]


# Amounts no name of a generated list can add up to $5,000 with: no substantial contributor.
SMALL_DOLLARS = 8


def amount_field(rng, negative=True, small=False):
    pick = rng.randrange(12)
    if pick < 5:
        dollars = rng.randint(1, SMALL_DOLLARS if small else 100000)
        return rng.choice(["%d" % dollars, "%d.%02d" % (dollars, rng.randrange(100)),
                           "$%d.00" % dollars, "${:,}.50".format(dollars), "{:,}".format(dollars),
                           "\"${:,}.00\"".format(dollars)])
    # The largest amount booked is left out of small gifts.
    odd = [text for text in ODD_AMOUNTS if not small or text != "100000000000.00"]
    if not negative:
        return rng.choice([text for text in odd if not text.startswith("-")])
    return rng.choice(odd)


def is_keyword_or_column_name(second):
    word = second.replace('"', "").strip(" ").lower()
    return word in [keyword.lower() for keyword in KEYWORDS] or word == "date"


def name_field(rng, names):
    pick = rng.randrange(30)
    if pick == 0:
        return ""
    if pick == 1:
        return "   "
    if pick == 2:
        return "\"%s\"" % rng.choice(names)
    if pick == 3:
        return " \"%s\"" % rng.choice(names)
    if pick == 4:
        return "x" * rng.choice([126, 127, 128, 149, 150, 200])
    return case_mix(rng, rng.choice(names)) if rng.randrange(4) == 0 else rng.choice(names)


def make_list(rng, distinct, nul=True, negative=True, small=False, keyword_amounts=True):
    names = ["Donor %d" % i for i in range(distinct)] + ["Baker, Susan", "O'Neil", "Smith"]
    lines = []
    if rng.randrange(2):
        lines.append("Name\tDate\tAmount")
    # Enough lines over many names to fill the donor table and go past it.
    count = rng.randint(50, 1500) if distinct < 400 else rng.randint(3000, 6000)
    for _ in range(count):
        pick = rng.randrange(40)
        if pick < 28:
            name = name_field(rng, names)
            second = date_field(rng)
            amount = amount_field(rng, negative, small)
            if not keyword_amounts and is_keyword_or_column_name(second):
                amount = ""
            line = "%s\t%s\t%s" % (name, second, amount)
            if rng.randrange(10) == 0:
                line += "\textra"
        elif pick < 31:
            line = "%s\t%s" % (name_field(rng, names), case_mix(rng, rng.choice(KEYWORDS)))
        elif pick == 31:
            line = rng.choice(["", "   ", "\t \t", "! comment", "   ! note", "\tSmith\t1/1/2020\t5"])
        elif pick == 32:
            line = name_field(rng, names)
        elif pick == 33:
            line = name_field(rng, names) + "\t"
        elif pick == 34:
            line = "y" * rng.choice([509, 510, 511, 512, 600, 1100]) + "\t1/1/2020\t5"
        elif pick == 35:
            line = "Smith\t1/1/2020\t" + "9" * rng.choice([100, 140, 600])
        elif pick == 36 and nul:
            line = "Nul\x00Name\t1/1/2020\t5" if rng.randrange(2) else "Smith\t1/1/2020\t5\x00junk"
        elif pick == 36:
            line = "Smith\t1/1/2020\t5"
        elif pick == 37:
            name = rng.choice(names)
            second = date_field(rng)
            amount = amount_field(rng, negative, small)
            if not keyword_amounts and is_keyword_or_column_name(second):
                amount = ""
            line = "%s\t%s\t%s\r" % (name, second, amount)
        elif pick == 38:
            line = "%s\t%s\t%s" % (rng.choice(names), date_field(rng), "\xe9\xff")
        else:
            line = "%s|%s|%s" % (rng.choice(names), date_field(rng),
                                 amount_field(rng, negative, small))
        lines.append(line)
    text = "\n".join(lines)
    if rng.randrange(4):
        text += "\n"
    return text.encode("latin-1")


def export_cells(rng, names):
    """The cells of one row of an export: name, date, amount and perhaps more, unquoted."""
    name = rng.choice(names)
    if rng.randrange(5) < 2 and " " in name:
        first, last = name.rsplit(" ", 1)
        name = "%s, %s" % (last, first)
    cells = [name, date_field(rng), rng.choice(
        ["$%s.%02d" % ("{:,}".format(rng.randint(0, 99999)), rng.randrange(100)),
         "%d.%02d" % (rng.randint(0, 9999), rng.randrange(100)), "%d" % rng.randint(1, 5000),
         "($12.50)", "-$5.00", "$1,25", "1,250", "", "abc"])]
    if rng.randrange(5) == 0:
        cells += [str(rng.randint(1000, 9999)), rng.choice(
            ["Memo", "Gala, table 4", "note\nline two", "a \"quoted\" word", "", "x\r\ny"])]
    elif rng.randrange(12) == 0:
        cells = [rng.choice(["", "! Total", "Name", "Donor"])] + cells[1:rng.randint(1, 3)]
    return cells


def tab_row(rng, cells):
    """A tab-separated row as exporters write one: cells with a comma, a line break or a
    quotation mark in quotation marks, amounts with a comma too; sometimes a stray mark."""
    written = []
    for cell in cells:
        if any(ch in cell for ch in ",\n\r\"") or (cell.startswith("$") and rng.randrange(2)):
            cell = "\"%s\"" % cell.replace("\"", "\"\"")
        written.append(cell)
    if rng.randrange(40) == 0:
        written[0] = "\"" + written[0]
    return "\t".join(written)


def make_export_list(rng, distinct):
    names = ["Donor %d" % i for i in range(distinct)] + ["Susan Baker", "Ann Lee", "Zoë Ortiz"]
    comma = rng.randrange(2) == 0
    rows = [["Name", "Date", "Amount", "Check", "Memo"]] if rng.randrange(2) else []
    rows += [[name, rng.choice(KEYWORDS)] for name in rng.sample(names, min(5, len(names)))]
    rows += [export_cells(rng, names) for _ in range(rng.randint(50, 1500))]
    end = "\r\n" if rng.randrange(2) else "\n"
    if comma:
        out = io.StringIO()
        csv.writer(out, lineterminator=end).writerows(rows)
        text = out.getvalue()
    else:
        text = "".join(tab_row(rng, row) + end for row in rows)
    return text.encode("utf-8")


# Every file a run may write: the report and the two forms of the worksheet.
WRITTEN = ["report.txt", "sheet.csv", "sheet.html"]


def run(binary, args, zone, folder):
    for name in WRITTEN:
        if os.path.exists(os.path.join(folder, name)):
            os.remove(os.path.join(folder, name))
    env = {"TZ": zone, "LC_ALL": "C", "PATH": "/usr/bin:/bin"}
    done = subprocess.run([binary] + args, cwd=folder, env=env, stdout=subprocess.PIPE,
                          stderr=subprocess.PIPE, timeout=120, check=False)
    written = []
    for name in WRITTEN:
        path = os.path.join(folder, name)
        written.append(open(path, "rb").read() if os.path.exists(path) else None)
    return done.returncode, done.stdout, done.stderr, written


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("reference")
    parser.add_argument("candidate")
    parser.add_argument("--lists", type=int, default=40)
    parser.add_argument("--seed", type=int, default=1)
    parser.add_argument("--worksheets", action="store_true",
                        help="also run with -w= and compare the worksheets (both binaries "
                             "must know -w=)")
    parser.add_argument("--no-nul", action="store_true",
                        help="no NUL bytes in the lists (for a reference that cuts lines at one)")
    parser.add_argument("--no-negative", action="store_true",
                        help="no negative amounts in the lists, so that no year's income is a "
                             "loss and no total support is below 0")
    parser.add_argument("--small-gifts", action="store_true",
                        help="amounts so small that no name gives more than $5,000 in all, so "
                             "that no name is a substantial contributor")
    parser.add_argument("--export-lines", action="store_true",
                        help="also lists shaped like exports: quoted cells, notes over several "
                             "lines, CR LF ends, comma-separated lists")
    parser.add_argument("--no-keyword-amounts", action="store_true",
                        help="no figure after a keyword or after a second field \"Date\", "
                             "where it would be warned about as an amount that is not booked")
    args = parser.parse_args()
    rng = random.Random(args.seed)
    reference = os.path.abspath(args.reference)
    candidate = os.path.abspath(args.candidate)
    runs = 0
    differences = 0
    with tempfile.TemporaryDirectory() as folder:
        for number in range(args.lists):
            distinct = rng.choice([5, 60, 400, 700])
            with open(os.path.join(folder, "a.txt"), "wb") as out:
                out.write(make_list(rng, distinct, not args.no_nul, not args.no_negative,
                                    args.small_gifts, not args.no_keyword_amounts))
            with open(os.path.join(folder, "b.txt"), "wb") as out:
                if args.export_lines:
                    out.write(make_export_list(rng, distinct))
                else:
                    out.write(make_list(rng, distinct, not args.no_nul, not args.no_negative,
                                        args.small_gifts, not args.no_keyword_amounts))
            option_sets = [["a.txt"], ["-d=4", "a.txt", "b.txt"],
                           ["-o=report.txt", "-d=3", "-r=2016", "a.txt", "-i=b.txt"]]
            if args.worksheets:
                option_sets += [["-w=sheet.csv", "-d=2", "a.txt", "b.txt"],
                                ["-w=sheet.html", "-o=report.txt", "-r=%d" % rng.choice(
                                    [2014, 2018, 2020, 2024]), "a.txt"]]
            for zone in rng.sample(ZONES, 3):
                for options in option_sets:
                    runs += 1
                    first = run(reference, options, zone, folder)
                    second = run(candidate, options, zone, folder)
                    if first != second:
                        differences += 1
                        keep = os.path.join(tempfile.gettempdir(), "quorva-difference-%d" % number)
                        os.makedirs(keep, exist_ok=True)
                        for name in ("a.txt", "b.txt"):
                            with open(os.path.join(folder, name), "rb") as src, \
                                    open(os.path.join(keep, name), "wb") as dst:
                                dst.write(src.read())
                        print("differ: list %d, TZ=%s, %s (lists kept in %s)"
                              % (number, zone, " ".join(options), keep))
    print("%d runs, %d differ" % (runs, differences))
    return 1 if differences else 0


if __name__ == "__main__":
    sys.exit(main())
