#!/usr/bin/env python3
"""Writes a synthetic donation list for timing runs.

The list is fully determined by its arguments (its own pseudo-random sequence, not Python's),
so two machines time the same bytes. It holds a column-names line, one keyword line for each
of 13 kinds of funding source, and donation lines over the given number of distinct names,
spread over ten years, with the three date forms a spreadsheet gives ("1/15/2020",
"15 Jan 2020", "15-Jan-2020") and amounts written with and without "$" and ",".

    generate_list.py --lines 1000000 --names 500 --out list.txt [--seed 1] [--first-year 2015]

With --shape export the list looks like a spreadsheet's or donor system's export instead: 40% of
the names written "Last, First" in quotation marks, amounts as "$1,250.00" (quoted when they
hold a comma), CR LF line ends and extra columns (a check number and a memo) on 20% of the
lines; --separator comma writes the same records comma-separated, quoted as RFC 4180 quotes.
"""

import argparse
import sys

# The 13 kinds bound by keyword lines; the names behind them also give amounts.
KEYWORDS = [
    "Government", "Charity", "DAF", "DAFDONOR", "Officer", "Director", "Trustee", "Family",
    "Revenue", "Investment", "TAX", "OTHER_INCOME", "ADMISSIONS",
]

FIRST_NAMES = [
    "Susan", "Robert", "Maria", "James", "Linda", "David", "Patricia", "Michael", "Barbara",
    "William", "Elizabeth", "Richard", "Jennifer", "Joseph", "Margaret", "Thomas", "Dorothy",
    "Charles", "Nancy", "Daniel", "Karen", "Matthew", "Betty", "Anthony", "Helen", "Mark",
]
LAST_NAMES = [
    "Baker", "Chen", "Garcia", "Okafor", "Smith", "Johnson", "Williams", "Brown", "Jones",
    "Miller", "Davis", "Rodriguez", "Martinez", "Hernandez", "Lopez", "Gonzalez", "Wilson",
    "Anderson", "Taylor", "Moore", "Jackson", "Martin", "Lee", "Perez", "Thompson", "White",
]
MONTHS = ["Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"]
DAYS_IN_MONTH = [31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31]
MASK64 = (1 << 64) - 1


class Sequence:
    """xorshift64*: small, fast enough, and the same everywhere."""

    def __init__(self, seed):
        self.state = (seed * 0x9E3779B97F4A7C15 + 0x2545F4914F6CDD1D) & MASK64 or 1

    def below(self, bound):
        x = self.state
        x ^= x >> 12
        x ^= (x << 25) & MASK64
        x ^= x >> 27
        self.state = x
        return (((x * 0x2545F4914F6CDD1D) & MASK64) >> 32) % bound


def make_names(count, rng):
    """count distinct names; the first 13 are funding sources bound by keyword lines."""
    names = []
    for i in range(len(KEYWORDS)):
        names.append("%s Fund %d" % (LAST_NAMES[rng.below(len(LAST_NAMES))], i + 1))
    pairs = [(f, l) for l in LAST_NAMES for f in FIRST_NAMES]
    # A seeded shuffle, so other seeds give other names in another order of first appearance.
    for i in range(len(pairs) - 1, 0, -1):
        j = rng.below(i + 1)
        pairs[i], pairs[j] = pairs[j], pairs[i]
    for i in range(count - len(names)):
        first, last = pairs[i % len(pairs)]
        round_ = i // len(pairs)
        names.append("%s %s" % (first, last) if round_ == 0 else "%s %s %d" % (first, last, round_))
    return names


def spelled(name, rng):
    """Mostly as first written; sometimes in other letter case, as lists typed by hand are."""
    pick = rng.below(16)
    if pick == 0:
        return name.upper()
    if pick == 1:
        return name.lower()
    return name


FULL_MONTHS = ["January", "February", "March", "April", "May", "June", "July", "August",
               "September", "October", "November", "December"]


def date_text(rng, first_year, forms):
    year = first_year + rng.below(10)
    month = rng.below(12)
    day = 1 + rng.below(DAYS_IN_MONTH[month])
    form = forms[rng.below(len(forms))]
    if form == "n":
        return "%d/%d/%d" % (month + 1, day, year)
    if form == "y":
        return "%d/%d/%02d" % (month + 1, day, year % 100)
    if form == "b":
        return "%d %s %d" % (day, MONTHS[month], year)
    if form == "f":
        return "%d %s %d" % (day, FULL_MONTHS[month], year)
    return "%d-%s-%d" % (day, MONTHS[month], year)


def amount_text(rng):
    dollars = 1 + rng.below(5000 if rng.below(8) else 250000)
    cents = rng.below(100) if rng.below(2) else 0
    grouped = "{:,}".format(dollars)
    pick = rng.below(5)
    if pick == 0:
        return "%d" % dollars
    if pick == 1:
        return "%d.%02d" % (dollars, cents)
    if pick == 2:
        return "$%d.%02d" % (dollars, cents)
    if pick == 3:
        return "$%s.%02d" % (grouped, cents)
    return "%s" % grouped


def export_name(name, index):
    """Two names in five as a donor system writes them for sorting: "Last, First"."""
    parts = name.split(" ")
    if index < len(KEYWORDS) or index % 5 >= 2 or len(parts) < 2:
        return name
    return "%s, %s" % (" ".join(parts[1:]), parts[0])


def export_amount(rng):
    dollars = 1 + rng.below(5000 if rng.below(8) else 250000)
    cents = rng.below(100) if rng.below(2) else 0
    return "${:,}.{:02d}".format(dollars, cents)


def export_extra(rng):
    """The columns after the amount on one line in five: a check number and a memo."""
    if rng.below(5) != 0:
        return []
    return ["%d" % (1000 + rng.below(9000)), "General fund"]


def field_text(text, separator):
    """A cell as a spreadsheet saves it: quoted when it holds the separator, a comma or a mark."""
    if separator in text or "," in text or '"' in text:
        return '"%s"' % text.replace('"', '""')
    return text


def export_lines(args, rng, names):
    sep = "," if args.separator == "comma" else "\t"
    def record(cells):
        return sep.join(field_text(cell, sep) for cell in cells) + "\r\n"
    written = [export_name(name, i) for i, name in enumerate(names)]
    yield record(["Name", "Date", "Amount", "Check", "Memo"])
    for name, keyword in zip(written, KEYWORDS):
        yield record([name, keyword])
    for name in written:
        yield record([name, date_text(rng, args.first_year, args.date_forms), export_amount(rng)])
    for _ in range(args.lines - 1 - len(KEYWORDS) - len(names)):
        name = written[rng.below(len(written))]
        yield record([name, date_text(rng, args.first_year, args.date_forms),
                      export_amount(rng)] + export_extra(rng))


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--lines", type=int, required=True, help="lines in the list, all told")
    parser.add_argument("--names", type=int, required=True, help="distinct names, 14 to 1000000")
    parser.add_argument("--out", required=True, help="file to write")
    parser.add_argument("--seed", type=int, default=1)
    parser.add_argument("--first-year", type=int, default=2015, help="first of ten years")
    parser.add_argument("--date-forms", default="nnbd",
                        help="mix of date forms, one letter per share: n 1/15/2020, y 1/15/20, "
                             "b 15 Jan 2020, f 15 January 2020, d 15-Jan-2020")
    parser.add_argument("--shape", choices=["bench", "export"], default="bench")
    parser.add_argument("--separator", choices=["tab", "comma"], default="tab",
                        help="for --shape export: the cells' separator")
    args = parser.parse_args()
    if not len(KEYWORDS) < args.names <= 1000000:
        sys.exit("--names must be from %d to 1000000" % (len(KEYWORDS) + 1))
    if args.lines < 1 + len(KEYWORDS) + args.names:
        sys.exit("--lines must leave room for every name")
    if any(form not in "nybfd" for form in args.date_forms) or not args.date_forms:
        sys.exit("--date-forms takes the letters n, y, b, f and d")
    if not 1970 <= args.first_year <= 2029:
        sys.exit("--first-year must be 1970 to 2029")

    rng = Sequence(args.seed)
    names = make_names(args.names, rng)
    if args.shape == "export":
        with open(args.out, "w", encoding="ascii", newline="") as out:
            chunk = []
            for line in export_lines(args, rng, names):
                chunk.append(line)
                if len(chunk) == 65536:
                    out.write("".join(chunk))
                    chunk = []
            out.write("".join(chunk))
        return
    lines = ["Name\tDate\tAmount"]
    for name, keyword in zip(names, KEYWORDS):
        lines.append("%s\t%s" % (name, keyword))
    # Every name appears once before the random part, so the list really has them all.
    for name in names:
        lines.append("%s\t%s\t%s" % (name, date_text(rng, args.first_year, args.date_forms),
                                     amount_text(rng)))
    with open(args.out, "w", encoding="ascii", newline="\n") as out:
        out.write("\n".join(lines))
        out.write("\n")
        chunk = []
        for _ in range(args.lines - len(lines)):
            name = names[rng.below(len(names))]
            chunk.append("%s\t%s\t%s\n" % (spelled(name, rng),
                                           date_text(rng, args.first_year, args.date_forms),
                                           amount_text(rng)))
            if len(chunk) == 65536:
                out.write("".join(chunk))
                chunk = []
        out.write("".join(chunk))


if __name__ == "__main__":
    main()
