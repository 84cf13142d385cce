# Checks a report of names.txt against sums made here, independently of the program:
#   awk -f check_totals.awk names.txt expected.out expected.report
# Money is kept in whole cents. Prints each figure checked and ends with status 1 on a mismatch.
function money(cents) { return sprintf("$%d.%02d", int(cents / 100), cents % 100) }
function expect(what, line) {
  if (!(line in seen)) { print "MISSING " what ": " line; failed = 1 } else { print "ok " what ": " line }
}
function expectIn(what, prefix, text,    found) {
  found = 0
  for (l in seen) if (index(l, prefix) == 1 && index(l, text) > 0) found = 1
  if (!found) { print "MISSING " what ": " prefix " ... " text; failed = 1 } else { print "ok " what ": " prefix " ... " text }
}
BEGIN { FS = "\t" }
FILENAME == ARGV[1] && FNR == 1 { next }  # the column names
FILENAME == ARGV[1] && NF == 2 { type[tolower($1)] = toupper($2); next }
FILENAME == ARGV[1] {
  key = tolower($1)
  split($2, date, "/")
  amount = $3
  gsub(/[$,]/, "", amount)
  split(amount, part, ".")
  cents = part[1] * 100 + part[2]
  year = date[3]
  byYear[year] += cents
  byDonor[key] += cents
  if (!(key in type)) type[key] = "DONOR"
  byType[type[key]] += cents
  total += cents
  lines++
  next
}
{ seen[$0] = 1 }
END {
  # The period is 2016 to 2020: every gift is in it, and all are gifts (Part II line 1).
  limit = int(total / 50)
  for (key in byDonor) {
    tested = type[key] == "DONOR" || type[key] == "OFFICER"
    if (tested && byDonor[key] > limit) { excess += byDonor[key] - limit; over++ }
  }
  expect("amounts seen", "!        " lines " funding amounts seen")
  expect("no errors", "! INFO: No errors.")
  expect("total", "! Total of all years " money(total))
  expect("two percent", "!     " money(limit) " is two percent of all donations")
  column["2020"] = "e"; column["2019"] = "d"; column["2018"] = "c"; column["2017"] = "b"; column["2016"] = "a"
  for (year = 2016; year <= 2020; year++) {
    expectIn("year " year, "!   " year " ", " " money(byYear[year]) " ")
    expect("line 1 " year, sprintf("!            Part II line 1 column %s %12s", column[year], money(byYear[year])))
  }
  expect("line 1 f", sprintf("!       Part II line  1 column f %12s", money(total)))
  expect("line 5 f", sprintf("!       Part II line  5 column f %12s (exceeds 2 percent)", money(excess)))
  expect("line 6 f", sprintf("!       Part II line  6 column f %12s (public support)", money(total - excess)))
  expectIn("donors", "!    ", "% " money(byType["DONOR"]) " from source DONOR")
  expectIn("government", "!    ", "% " money(byType["GOVERNMENT"]) " from source GOVERNMENT")
  expectIn("officer", "!    ", "% " money(byType["OFFICER"]) " from source OFFICER")
  print over " givers over the two percent limit"
  exit failed
}
