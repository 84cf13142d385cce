// Property: no line of a donation list is lost. Lists are generated at random from the kinds of
// line a treasurer's export can hold (donations in every date and amount form, keyword lines,
// headers, comments, blank lines, bad dates and amounts, long lines, quoted names, CR LF ends,
// binary bytes, and what spreadsheets and hand typing add: a byte order mark, blanks after a
// name or keyword, a letter typed in a year, days off the calendar, a gift on line 1 with a bad
// date, rows without a name, European amounts), each with the outcome the line grammar gives
// it, worked out here from the grammar's rules and not from the program. Every list is then read
// by the real reader and checked: each line is blank, a comment, booked, a keyword binding, a
// line of unexpected format, or has an error or warning with its own line number; every line
// with a digit in it is booked (or a comment or keyword binding) or named in an error or
// warning; the amounts booked are those of the list, each in its year; and the totals add up.
// Some lists hold well over the default 512 names, read into a larger table; some are read
// for tax years that begin in another month than January, each gift booked in its tax year.
// Keyword lines include Related lines, which group two names, and figures after a keyword or
// in a line of column names, which are not booked and must be warned about. Some lists are
// written as exporters write them instead: comma-separated (quoted cells, "" in names, amounts
// cut at a thousands comma), or with columns a header names in another order, and notes cells
// with line breaks.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "console_capture.hpp"
#include "input/list_reader.hpp"
#include "ledger/donor_table.hpp"
#include "ledger/source_type.hpp"
#include "ledger/totals.hpp"
#include "output/message_channel.hpp"

namespace {

constexpr const char* kListName = "list.txt";
constexpr std::size_t kLongestLine = kLineLength - 1;

// What the reader should make of one line of the list.
enum class Outcome { blank, comment, booked, keyword, unexpected, errorOnly };

struct Expectation {
  Outcome outcome;
  bool error;    // an error with the line's number
  bool warning;  // a warning with the line's number
};

// The keywords of the source types, in the types' order.
struct Keyword {
  const char* text;
  int type;
};

std::vector<Keyword> keywords() {
  std::vector<Keyword> all;
  for (int type = 0; type < kSourceTypeCount; ++type) {
    if (kSourceTypes[type].keyword != nullptr) {
      all.push_back(Keyword{ kSourceTypes[type].keyword, type });
    }
  }
  return all;
}

const std::vector<Keyword> kKeywords = keywords();

constexpr std::array<const char*, 12> kMonths = {
  "January", "February", "March",     "April",   "May",      "June",
  "July",    "August",   "September", "October", "November", "December",
};

std::string asciiLower(std::string text) {
  for (char& ch : text) {
    if (ch >= 'A' && ch <= 'Z') {
      ch = static_cast<char>(ch - 'A' + 'a');
    }
  }
  return text;
}

// A name as the ledger keeps it: without the blanks after it.
std::string storedName(std::string name) {
  while (!name.empty() && name.back() == ' ') {
    name.pop_back();
  }
  return name;
}

// What the generator knows about the ledger as the lines go by: a name's type and total.
struct Source {
  int type = 0;
  std::int64_t total = 0;
};

// One list being generated, with everything the checks need.
struct GeneratedList {
  std::string bytes;
  std::vector<Expectation> lines;         // by line number - 1
  std::vector<std::string> texts;         // by line number - 1, as written
  std::map<std::string, Source> sources;  // by lower-case name
  std::map<long, std::int64_t> yearTotals;
  std::int64_t bookedSum = 0;
};

class Generator {
 public:
  // Dates are booked in the tax years that begin in startMonth (1 to 12).
  Generator(std::uint32_t seed, int startMonth) : random_(seed), startMonth_(startMonth) {}

  // Names are drawn from nameCount donors (and 20 agencies).
  GeneratedList makeList(int lineCount, int nameCount) {
    list_ = GeneratedList{};
    nameCount_ = nameCount;
    binaryNames_ = 0;
    if (chance(20)) {
      list_.bytes = "\xEF\xBB\xBF";  // a byte order mark, as Excel's "CSV UTF-8" writes
    }
    for (int i = 0; i < lineCount; ++i) {
      addLine();
    }
    return list_;
  }

  // A list as a spreadsheet or a donor system exports it: comma-separated or tab-separated,
  // its columns in the order of a header (mapped) or name, date, amount and notes.
  GeneratedList makeRecordList(int recordCount, int nameCount, bool csv, bool mapped) {
    list_ = GeneratedList{};
    nameCount_ = nameCount;
    csv_ = csv;
    // Notes come last, as exporters put them: the lines a notes cell goes on over hold no
    // other cell.
    columns_ = { kNameColumn, kDateColumn, kAmountColumn };
    if (mapped) {
      columns_.push_back(kCheckColumn);
      std::shuffle(columns_.begin(), columns_.end(), random_);
    }
    columns_.push_back(kNotesColumn);
    crlf_ = chance(30);
    if (mapped || chance(50)) {
      putRecord(headerCells(), { Outcome::unexpected, false, false });
    }
    for (int i = 0; i < recordCount; ++i) {
      addRecord();
    }
    return list_;
  }

  enum Column { kNameColumn, kDateColumn, kAmountColumn, kNotesColumn, kCheckColumn };

  std::vector<std::string> headerCells() {
    static constexpr std::array<std::array<const char*, 3>, 5> kWords = { {
        { "Name", "Donor", "Contributor Name" },
        { "Date", "Gift Date", "Received" },
        { "Amount", "Gift Amount", "Total" },
        { "Notes", "Memo", "Comment" },
        { "Check #", "Reference", "Batch" },
    } };
    std::vector<std::string> cells;
    for (const Column column : columns_) {
      std::string word = oddCase(kWords[column][static_cast<std::size_t>(below(3))]);
      cells.push_back(csv_ && chance(30) ? "\"" + word + "\"" : word);
    }
    return cells;
  }

  // A cell as the list's format writes it: quoted when it must be (or at random) in a
  // comma-separated list, each quotation mark in it doubled.
  std::string cell(const std::string& text) {
    if (!csv_ || (text.find_first_of(",\"\n") == std::string::npos && !chance(10))) {
      return text;
    }
    std::string quoted = "\"";
    for (const char ch : text) {
      quoted += ch;
      if (ch == '"') {
        quoted += '"';
      }
    }
    return quoted + "\"";
  }

  // The cells of a record by role, in the list's column order, joined; a notes cell may hold
  // line breaks. Each physical line gets its own expectation: the record's on its first line,
  // nothing on the others (which hold no figure).
  void putRecord(const std::array<std::string, 5>& byRole, Expectation expected) {
    std::string text;
    for (std::size_t i = 0; i < columns_.size(); ++i) {
      text += (i == 0 ? "" : csv_ ? "," : "\t") + byRole[columns_[i]];
    }
    putLines(text, expected);
  }
  void putRecord(const std::vector<std::string>& cells, Expectation expected) {
    std::string text;
    for (std::size_t i = 0; i < cells.size(); ++i) {
      text += (i == 0 ? "" : csv_ ? "," : "\t") + cells[i];
    }
    putLines(text, expected);
  }
  void putLines(const std::string& text, Expectation expected) {
    std::size_t start = 0;
    for (;;) {
      const std::size_t lineFeed = text.find('\n', start);
      const std::string line = text.substr(start, lineFeed - start);
      put(line + (crlf_ ? "\r" : ""), expected);
      expected = { Outcome::blank, false, false };
      if (lineFeed == std::string::npos) {
        return;
      }
      start = lineFeed + 1;
    }
  }

  // A notes cell: empty, words, or words over several lines, quoted; never a figure.
  std::string notesCell() {
    switch (below(4)) {
      case 0:
        return "";
      case 1:
        return cell("paid by check");
      case 2:
        return "\"In memory of\nher mother, who said \"\"thanks\"\"\"";
      default:
        return "\"first line\n\nthird line\"";
    }
  }

  void addRecordDonation() {
    long year = 0;
    std::int64_t cents = 0;
    std::array<std::string, 5> byRole;
    std::string name = donorName();
    Expectation expected{ Outcome::booked, false, false };
    if (csv_ && chance(20)) {
      name = chance(50) ? "Baker, " + name : name + " \"Jr\"";
    }
    byRole[kNameColumn] = cell(name);
    byRole[kDateColumn] = cell(makeDate(year));
    std::string amount = makeAmount(cents);
    // An amount cut at its comma moves the cells after it; left unquoted only where the name
    // and the date come before it, so that the cut is what refuses the line.
    const auto at = [this](Column column) {
      return std::find(columns_.begin(), columns_.end(), column) - columns_.begin();
    };
    const bool mayCut = at(kAmountColumn) > at(kNameColumn) && at(kAmountColumn) > at(kDateColumn);
    if (csv_ && amount.find(',') != std::string::npos && amount[0] != '"' &&
        (!mayCut || chance(80))) {
      amount = "\"" + amount + "\"";
    }
    byRole[kAmountColumn] = amount;
    byRole[kNotesColumn] = notesCell();
    byRole[kCheckColumn] = std::to_string(1000 + below(9000));
    const bool cut = csv_ && amount[0] != '"' && amount.find(',') != std::string::npos;
    if (cut) {
      expected = { Outcome::errorOnly, true, false };  // read as $1 and a cell 250.00: refused
    } else {
      book(name, year, cents);
    }
    putRecord(byRole, expected);
  }

  void addRecordKeyword() {
    const int keywordCount = static_cast<int>(kKeywords.size());
    const int agency = below(20);
    const Keyword& chosen = kKeywords[static_cast<std::size_t>(chance(85) ? agency % keywordCount
                                                                          : below(keywordCount))];
    const std::string name = "Agency " + std::to_string(agency);
    Source& source = list_.sources[asciiLower(name)];
    Expectation expected{ Outcome::keyword, false, false };
    if (source.type != 0 && source.type != chosen.type) {
      expected = { Outcome::errorOnly, true, false };
    } else {
      source.type = chosen.type;
      expected.error = source.total != 0;
    }
    std::array<std::string, 5> byRole;
    byRole[kNameColumn] = cell(oddCase(name));
    byRole[kDateColumn] = cell(oddCase(chosen.text));
    byRole[kNotesColumn] = notesCell();
    putRecord(byRole, expected);
  }

  void addRecord() {
    const int pick = below(100);
    if (pick < 70) {
      addRecordDonation();
    } else if (pick < 80) {
      addRecordKeyword();
    } else if (pick < 85) {
      putRecord(std::vector<std::string>{ csv_ ? "\"! Total\"" : "! Total", "", "$5.00" },
                { Outcome::comment, false, false });
    } else if (pick < 90) {
      putRecord(std::vector<std::string>(columns_.size(), std::string()),
                { Outcome::blank, false, false });
    } else {  // no name: not read, and the figure in it warned about
      std::array<std::string, 5> byRole;
      byRole[kDateColumn] = "1/15/2020";
      byRole[kAmountColumn] = "5";
      putRecord(byRole, { Outcome::unexpected, false, true });
    }
  }

 private:
  int below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(random_); }
  bool chance(int percent) { return below(100) < percent; }
  long nextLineNumber() const { return static_cast<long>(list_.lines.size()) + 1; }

  std::string oddCase(const std::string& text) {
    std::string out = text;
    for (char& ch : out) {
      if (chance(30) && ch >= 'a' && ch <= 'z') {
        ch = static_cast<char>(ch - 'a' + 'A');
      } else if (chance(30) && ch >= 'A' && ch <= 'Z') {
        ch = static_cast<char>(ch - 'A' + 'a');
      }
    }
    return out;
  }

  // The tax year of a day in month (1 to 12) of a calendar year: the one that begins in it
  // when the month is the start month or later.
  long taxYear(long year, int month) const { return month >= startMonth_ ? year : year - 1; }

  // A date in one of the accepted forms, and the tax year it is booked in.
  std::string makeDate(long& taxYearOfDate) {
    const long year = 1975 + below(63);  // 1975 to 2037
    const int month = 1 + below(12);
    const int day = 1 + below(28);
    taxYearOfDate = taxYear(year, month);
    const std::string twoDigits = std::to_string(100 + year % 100).substr(1);
    const std::string name = kMonths[static_cast<std::size_t>(month - 1)];
    switch (below(8)) {
      case 6: {
        const std::string separator = chance(50) ? "-" : "/";
        return std::to_string(year) + separator + std::to_string(month) + separator +
               std::to_string(day) + (chance(30) ? "T10:30:00" : "");
      }
      case 7:
        return oddCase(chance(50) ? name.substr(0, 3) : name) + " " + std::to_string(day) +
               (chance(50) ? ", " : " ") + std::to_string(year);
      case 0:
        return std::to_string(month) + "/" + std::to_string(day) + "/" + std::to_string(year);
      case 1:
        return std::to_string(month) + "/" + std::to_string(day) + "/" + twoDigits;
      case 2:
        return std::to_string(day) + " " + oddCase(name.substr(0, 3)) + " " + std::to_string(year);
      case 3:
        return std::to_string(day) + "-" + oddCase(name.substr(0, 3)) + "-" + twoDigits;
      case 4:
        return std::to_string(day) + " " + oddCase(name) + " " + std::to_string(year);
      default:
        return std::to_string(day) + " " + name.substr(0, 4) + ", " + std::to_string(year);
    }
  }

  static std::string withThousands(std::int64_t dollars) {
    std::string digits = std::to_string(dollars);
    for (int at = static_cast<int>(digits.size()) - 3; at > 0; at -= 3) {
      digits.insert(static_cast<std::size_t>(at), ",");
    }
    return digits;
  }

  // A non-zero amount as a spreadsheet may write it, and its value in cents.
  std::string makeAmount(std::int64_t& cents) {
    const bool negative = chance(10);
    std::int64_t magnitude = 0;
    std::string text;
    switch (below(6)) {
      case 0: {  // whole dollars
        const std::int64_t dollars = 1 + below(20000);
        magnitude = dollars * 100;
        text = chance(50) ? std::to_string(dollars) : "$" + withThousands(dollars);
        break;
      }
      case 1: {  // dollars and cents with separators
        magnitude = 1 + below(5000000);
        text = "$" + withThousands(magnitude / 100) + "." +
               std::to_string(100 + magnitude % 100).substr(1);
        break;
      }
      case 2: {  // one digit after the point is tenths
        const std::int64_t tenths = 1 + below(100000);
        magnitude = tenths * 10;
        text = std::to_string(tenths / 10) + "." + std::to_string(tenths % 10);
        break;
      }
      case 3: {  // three digits after the point round half away from zero
        const std::int64_t mills = 1 + below(1000000);
        magnitude = (mills + 5) / 10;
        text = std::to_string(mills / 1000) + "." + std::to_string(1000 + mills % 1000).substr(1);
        if (magnitude == 0) {
          magnitude = 1;
          text = "0.01";
        }
        break;
      }
      case 4: {  // quoted, as a spreadsheet quotes a cell with a comma
        magnitude = 100 * (1 + below(9999)) + below(100);
        if (magnitude % 100 == 0) {
          magnitude += 1;
        }
        text = "\"$" + withThousands(magnitude / 100) + "." +
               std::to_string(100 + magnitude % 100).substr(1) + "\"";
        break;
      }
      default: {  // blanks inside the number
        const std::int64_t dollars = 1000 + below(90000);
        magnitude = dollars * 100;
        const std::string digits = std::to_string(dollars);
        text = digits.substr(0, digits.size() - 3) + " " + digits.substr(digits.size() - 3);
        break;
      }
    }
    cents = negative ? -magnitude : magnitude;
    // A negative amount with a minus sign, the minus sign U+2212, or in parentheses.
    const int sign = below(3);
    const std::string quote = text[0] == '"' ? "\"" : "";
    const std::string bare = text.substr(quote.size(), text.size() - 2 * quote.size());
    if (negative) {
      text = sign == 2 ? quote + "(" + bare + ")" + quote
                       : quote + (sign == 0 ? "-" : "\u2212") + bare + quote;
    }
    return text;
  }

  std::string donorName() {
    if (chance(15)) {
      return "Agency " + std::to_string(below(20));
    }
    return oddCase("Donor " + std::to_string(below(nameCount_)));
  }

  // Bytes that no grammar rule treats specially, high bytes included.
  char plainByte() {
    for (;;) {
      const char ch = static_cast<char>(1 + below(255));
      if (ch != '\t' && ch != '\r' && ch != '\n' && ch != '"') {
        return ch;
      }
    }
  }

  std::string binaryName() {
    std::string name(1, 'B');
    const int length = 1 + below(40);
    for (int i = 0; i < length; ++i) {
      name += plainByte();
    }
    return name;
  }

  std::string lineEnd() { return chance(25) ? "\r" : ""; }

  // Records the line's bytes and what the reader should make of it. Past its first 511
  // characters a line is not read, with a warning unless all that is left is the CR of a CR LF.
  void put(const std::string& line, Expectation expected) {
    list_.bytes += line;
    list_.bytes += '\n';
    if (line.size() > kLongestLine && line.substr(kLongestLine) != "\r") {
      expected.warning = true;
    }
    list_.lines.push_back(expected);
    list_.texts.push_back(line);
  }

  void book(const std::string& name, long year, std::int64_t cents) {
    Source& source = list_.sources[asciiLower(storedName(name))];
    source.total += cents;
    list_.yearTotals[year] += cents;
    list_.bookedSum += cents;
  }

  void addDonation() {
    long year = 0;
    std::int64_t cents = 0;
    const std::string date = makeDate(year);
    const std::string amount = makeAmount(cents);
    std::string name = donorName();
    std::string field = name;
    bool warning = false;
    bool error = false;
    const int form = below(10);
    if (form == 0) {  // quotation marks around the whole name are dropped with a warning
      name = "Baker, " + name;
      field = "\"" + name + "\"";
      warning = true;
    } else if (form == 1) {  // a blank before the opening mark makes it an error, still booked
      name = "Chen, " + name;
      field = " \"" + name + "\"";
      error = true;
    } else if (form == 2 && binaryNames_ < 40) {
      ++binaryNames_;
      name = binaryName();
      field = name;
    }
    std::string tail = lineEnd();
    if (chance(10)) {
      tail = "\tnote " + std::to_string(below(100)) + tail;
    }
    if (form > 2 && chance(20)) {
      field += std::string(static_cast<std::size_t>(1 + below(3)), ' ');  // a hand-typed cell
    }
    book(name, year, cents);
    put(field + "\t" + date + "\t" + amount + tail, { Outcome::booked, error, warning });
  }

  void addKeywordLine() {
    const int keywordCount = static_cast<int>(kKeywords.size());
    const Keyword& keyword = kKeywords[static_cast<std::size_t>(below(keywordCount))];
    // Agencies keep one keyword each, so most lines agree; some name a second one.
    const int agency = below(20);
    const Keyword& chosen =
        chance(85) ? kKeywords[static_cast<std::size_t>(agency % keywordCount)] : keyword;
    const std::string name =
        chance(90) ? "Agency " + std::to_string(agency) : "Donor " + std::to_string(below(150));
    Source& source = list_.sources[asciiLower(name)];
    const std::string blanks = chance(20) ? " " : "";
    Expectation expected{ Outcome::keyword, false, false };
    if (source.type != 0 && source.type != chosen.type) {
      expected = { Outcome::errorOnly, true, false };  // a change of type is refused
    } else {
      source.type = chosen.type;
      expected.error = source.total != 0;  // bound after its amounts
    }
    // A figure after the keyword is not booked, and warned about; a note is not.
    std::string third;
    if (chance(10)) {
      third = "\t$" + withThousands(1 + below(90000)) + ".00";
      expected.warning = true;
    } else if (chance(5)) {
      third = "\tsee the grant letter";
    }
    put(oddCase(name) + blanks + "\t" + oddCase(chosen.text) + blanks + third + lineEnd(),
        expected);
  }

  // A Related line groups two givers that can be persons; any other pair, or a line without the
  // related name, is refused with an error. A name it creates is a donor.
  void addRelatedLine() {
    const auto pick = [this] {
      return chance(30) ? "Agency " + std::to_string(below(20))
                        : "Donor " + std::to_string(below(150));
    };
    const std::string name = pick();
    const std::string other = chance(5) ? name : pick();
    const int nameType = list_.sources[asciiLower(name)].type;
    const int otherType = list_.sources[asciiLower(other)].type;
    const std::string related = oddCase("Related") + (chance(20) ? " " : "");
    if (chance(5)) {
      put(oddCase(name) + "\t" + related + lineEnd(), { Outcome::errorOnly, true, false });
      return;
    }
    const bool allowed = name == other || (mayBeRelated(static_cast<SourceType>(nameType)) &&
                                           mayBeRelated(static_cast<SourceType>(otherType)));
    const std::string written = chance(20) ? " \"" + oddCase(other) + "\" " : oddCase(other);
    put(oddCase(name) + "\t" + related + "\t" + written + lineEnd(),
        allowed ? Expectation{ Outcome::keyword, false, false }
                : Expectation{ Outcome::errorOnly, true, false });
  }

  // A second field that is neither a keyword nor a date: an error, but on line 1 a header when
  // its amount cell holds no figure.
  void addNotADate(const std::string& date) {
    const bool first = nextLineNumber() == 1;
    if (first && chance(50)) {
      put("Donor\tReceived\tAmount\tFY" + lineEnd(), { Outcome::unexpected, false, false });
      return;
    }
    put(donorName() + "\t" + date + "\t100" + lineEnd(), { Outcome::unexpected, true, false });
  }

  // A day or month off the calendar carries into the next months; into another tax year, with a
  // warning, since the amount is booked there. The date as written is in the tax year of its
  // year and month, a month after December taken as December.
  void addOffCalendarDate() {
    const long year = 1975 + below(60);  // 1975 to 2034
    std::int64_t cents = 0;
    const std::string amount = makeAmount(cents);
    const std::string name = donorName();
    std::string date;
    long booked = taxYear(year + 1, 1);
    long written = year;
    switch (below(3)) {
      case 0: {  // written day first: 15/01/2024 is the 3rd month of the next year
        const int month = 13 + below(19);
        booked = taxYear(year + (month - 1) / 12, (month - 1) % 12 + 1);
        date = std::to_string(month) + "/" + std::to_string(1 + below(12)) + "/" +
               std::to_string(year);
        break;
      }
      case 1:
        date = "12/32/" + std::to_string(year);
        break;
      default:  // carried into March: another tax year only when it begins in March
        date = "2/30/" + std::to_string(year);
        booked = taxYear(year, 3);
        written = taxYear(year, 2);
        break;
    }
    book(name, booked, cents);
    put(name + "\t" + date + "\t" + amount + lineEnd(),
        { Outcome::booked, false, booked != written });
  }

  void addEuropeanAmount() {
    static constexpr std::array<const char*, 6> kAmounts = {
      "1.250,00", "1.250.000,00", "12.345,67", "\"1.234,5\"", "$250,00", "1, 250.00",
    };
    long year = 0;
    const std::string date = makeDate(year);
    put(donorName() + "\t" + date + "\t" + kAmounts[static_cast<std::size_t>(below(6))] + lineEnd(),
        { Outcome::errorOnly, true, false });
  }

  // A line of exactly the longest length read, with a line feed or a CR LF after it, or one
  // character more: the gift at its start is booked either way.
  void addLineOfTheLongestLength() {
    long year = 0;
    std::int64_t cents = 0;
    const std::string name = donorName();
    std::string line = name + "\t" + makeDate(year) + "\t" + makeAmount(cents) + "\t";
    line += std::string(kLongestLine - line.size(), 'n');
    const int end = below(3);
    line += end == 0 ? "" : end == 1 ? "\r" : "n";
    book(name, year, cents);
    put(line, { Outcome::booked, false, false });
  }

  void addBadAmount() {
    long year = 0;
    const std::string date = makeDate(year);
    static constexpr std::array<const char*, 6> kBadAmounts = {
      "12a", "1-2", ".50", "-", "1234567890123456789012345", "-9999999999999999999999999",
    };
    const std::string amount = below(7) == 0 ? "" : kBadAmounts[static_cast<std::size_t>(below(6))];
    put(donorName() + "\t" + date + "\t" + amount + lineEnd(), { Outcome::errorOnly, true, false });
  }

  void addJunk() {
    std::string junk(1, static_cast<char>('A' + below(26)));
    const int length = below(chance(20) ? 400 : 60);
    for (int i = 0; i < length; ++i) {
      junk += plainByte();
    }
    put(junk + lineEnd(), { Outcome::errorOnly, true, false });
  }

  void addNulLine() {
    std::string line;
    switch (below(3)) {
      case 0:  // text saved as UTF-16: a NUL after every character
        for (const char ch : std::string("Smith\t1/15/2020\t100")) {
          line += ch;
          line += '\0';
        }
        line = std::string(1, '\0') + line;
        break;
      case 1:
        line = "  " + std::string(1, '\0') + "Smith\t1/15/2020\t100";
        break;
      default:
        line = "Smith\t1/15/2020\t100" + std::string(1, '\0') + "Jones\t1/16/2020\t200";
        break;
    }
    put(line, { Outcome::errorOnly, true, false });
  }

  void addLongLine() {
    long year = 0;
    std::int64_t cents = 0;
    const std::string date = makeDate(year);
    const std::string amount = makeAmount(cents);
    const std::string name = donorName();
    std::string line = name + "\t" + date + "\t" + amount + "\t";
    line += std::string(static_cast<std::size_t>(520 + below(1200)) - line.size(), 'x');
    book(name, year, cents);
    put(line + lineEnd(), { Outcome::booked, false, false });
  }

  void addLine() {
    const int pick = below(100);
    if (pick < 34) {
      addDonation();
    } else if (pick < 41) {
      addKeywordLine();
    } else if (pick < 43) {
      addRelatedLine();
    } else if (pick < 46) {
      // Column names anywhere; after line 1, a figure in them is warned about.
      if (nextLineNumber() > 1 && chance(20)) {
        put("Total\t" + oddCase("Date") + "\t$" + withThousands(1 + below(90000)) + lineEnd(),
            { Outcome::unexpected, false, true });
      } else {
        put(oddCase("Name\tDate\tAmount") + lineEnd(), { Outcome::unexpected, false, false });
      }
    } else if (pick < 49) {
      put((chance(50) ? "! " : "   !") + std::string("comment\t1/1/2020\t5") + lineEnd(),
          { Outcome::comment, false, false });
    } else if (pick < 54) {
      static constexpr std::array<const char*, 5> kBlank = { "", "   ", "\t \t", " \r", "\t" };
      put(kBlank[static_cast<std::size_t>(below(5))], { Outcome::blank, false, false });
    } else if (pick < 58) {
      static constexpr std::array<const char*, 5> kNotDates = {
        "2021-02-29", "15.01.2020", "Jan 32 2020", "99999999999999999999999/1/2020", "13 Foo 2020",
      };
      addNotADate(kNotDates[static_cast<std::size_t>(below(5))]);
    } else if (pick < 60) {  // a year the parser refuses outright, then the date error
      put(donorName() + "\t1/15/1850\t100", { Outcome::unexpected, true, false });
    } else if (pick < 64) {
      addBadAmount();
    } else if (pick < 66) {
      long year = 0;
      put(donorName() + "\t" + makeDate(year) + "\t0.00" + lineEnd(),
          { Outcome::unexpected, false, true });
    } else if (pick < 68) {
      put(donorName() + "\t\t100" + lineEnd(), { Outcome::unexpected, true, false });
    } else if (pick < 71) {  // no name: not read, with a warning when it holds a figure
      static constexpr std::array<const char*, 4> kRows = { "\tDonor\t1/1/2020\t5",
                                                            "  \t\t$12,345.00", "\tnote",
                                                            "\t\"\"" };
      const std::size_t row = static_cast<std::size_t>(below(4));
      put(kRows[row] + lineEnd(), { Outcome::unexpected, false, row < 2 });
    } else if (pick < 75) {
      addJunk();
    } else if (pick < 78) {
      addNulLine();
    } else if (pick < 81) {
      addLongLine();
    } else if (pick < 83) {  // a name longer than a field holds is refused, not cut
      put(std::string(static_cast<std::size_t>(128 + below(15)), 'N') + "\t1/1/2020\t5",
          { Outcome::errorOnly, true, false });
    } else if (pick < 87) {
      addOffCalendarDate();
    } else if (pick < 89) {  // a letter typed in the year: no date, and no year message
      static constexpr std::array<const char*, 3> kTypos = { "1/15/2O24", "1/15/202O",
                                                             "15 Jan 2O24" };
      put(donorName() + "\t" + kTypos[static_cast<std::size_t>(below(3))] + "\t5" + lineEnd(),
          { Outcome::unexpected, true, false });
    } else if (pick < 92) {
      addEuropeanAmount();
    } else if (pick < 96) {
      addLineOfTheLongestLength();
    } else {  // a CR-only line end hides the next record: reported, the first record booked
      long year = 0;
      std::int64_t cents = 0;
      const std::string name = donorName();
      const std::string first = name + "\t" + makeDate(year) + "\t" + makeAmount(cents);
      book(name, year, cents);
      put(first + "\rSmith\t1/15/2020\t100", { Outcome::booked, true, false });
    }
  }

  std::mt19937 random_;
  int startMonth_;
  GeneratedList list_;
  int binaryNames_ = 0;
  int nameCount_ = 150;
  bool csv_ = false;
  bool crlf_ = false;
  std::vector<Column> columns_;
};

// Messages that carry a line number of the list, by kind.
struct LineMessages {
  std::set<long> errors;
  std::set<long> warnings;
  std::set<long> bugs;
};

LineMessages lineMessages(const std::string& console) {
  LineMessages found;
  const std::string prefix = std::string(kListName) + ":";
  std::size_t start = 0;
  while (start < console.size()) {
    std::size_t end = console.find('\n', start);
    if (end == std::string::npos) {
      end = console.size();
    }
    const std::string line = console.substr(start, end - start);
    start = end + 1;
    if (line.compare(0, prefix.size(), prefix) != 0) {
      continue;
    }
    std::size_t at = prefix.size();
    long number = 0;
    while (at < line.size() && line[at] >= '0' && line[at] <= '9') {
      number = number * 10 + (line[at] - '0');
      ++at;
    }
    const std::string kind = line.substr(at, 12);
    if (kind.compare(0, 9, " ? ERROR:") == 0) {
      found.errors.insert(number);
    } else if (kind.compare(0, 11, " % WARNING:") == 0) {
      found.warnings.insert(number);
    } else if (kind.compare(0, 7, " ? BUG:") == 0) {
      found.bugs.insert(number);
    }
  }
  return found;
}

// The number printed by the statistics line that ends with the given words; 0 when absent.
long statistic(const std::string& console, const std::string& words) {
  const std::size_t at = console.find(words + "\n");
  if (at == std::string::npos) {
    return 0;
  }
  std::size_t begin = console.rfind("!", at);
  long value = 0;
  for (std::size_t i = begin + 1; i < at; ++i) {
    if (console[i] >= '0' && console[i] <= '9') {
      value = value * 10 + (console[i] - '0');
    }
  }
  return value;
}

std::string readThroughReader(const std::string& bytes, const ReadingOptions& options) {
  std::FILE* file = std::tmpfile();
  std::fwrite(bytes.data(), 1, bytes.size(), file);
  std::rewind(file);
  setInputFileName(kListName);
  ConsoleCapture capture;
  readDonationList(file, options);
  const std::string console = capture.take();
  setInputFileName(nullptr);
  std::fclose(file);
  return console;
}

const DonorRecord* findEntry(const std::string& key) {
  for (std::size_t i = 0; i < donorTable.count; ++i) {
    if (asciiLower(donorTable[i].name.data()) == key) {
      return &donorTable[i];
    }
  }
  return nullptr;
}

class NothingLostTest : public ::testing::TestWithParam<std::uint32_t> {
 protected:
  void SetUp() override {
    resetMessageChannel();
    resetDonorTable();
    resetTotals();
  }
  void TearDown() override {
    resetMessageChannel();
    resetDonorTable();
    resetTotals();
  }
};

TEST_P(NothingLostTest, EveryLineIsAccountedForAndEveryAmountBooked) {
  // One list in three is read for tax years that begin in February to December.
  const int startMonth = (GetParam() >> 4) % 3 == 0 ? 2 + static_cast<int>(GetParam() % 11) : 1;
  ASSERT_TRUE(setTaxYearStartMonth(startMonth));
  Generator generator(GetParam(), startMonth);
  // One list in six has well over 512 names, read into a table made larger for it.
  const bool largeTable = (GetParam() >> 8) % 6 == 0;
  if (largeTable) {
    ASSERT_TRUE(setDonorTableSize(5000));
  }
  // One list in three is written as an exporter writes it: comma-separated, or with columns
  // a header names, notes cells with line breaks.
  const int layout = static_cast<int>((GetParam() >> 12) % 9);
  const GeneratedList list =
      largeTable   ? generator.makeList(1500 + static_cast<int>(GetParam() % 500), 3000)
      : layout < 3 ? generator.makeRecordList(20 + static_cast<int>(GetParam() % 200), 150,
                                              layout != 2, layout != 0)
                   : generator.makeList(20 + static_cast<int>(GetParam() % 280), 150);
  verbosityLevel = static_cast<int>(GetParam() % 5);
  const std::string console = readThroughReader(list.bytes, ReadingOptions{ startMonth });

  long blank = 0;
  long comment = 0;
  long booked = 0;
  long keyword = 0;
  long unexpected = 0;
  long errorOnly = 0;
  std::set<long> expectedErrors;
  std::set<long> expectedWarnings;
  for (std::size_t i = 0; i < list.lines.size(); ++i) {
    const Expectation& piece = list.lines[i];
    const long number = static_cast<long>(i) + 1;
    switch (piece.outcome) {
      case Outcome::blank:
        ++blank;
        break;
      case Outcome::comment:
        ++comment;
        break;
      case Outcome::booked:
        ++booked;
        break;
      case Outcome::keyword:
        ++keyword;
        break;
      case Outcome::unexpected:
        ++unexpected;
        break;
      case Outcome::errorOnly:
        ++errorOnly;
        break;
    }
    if (piece.error) {
      expectedErrors.insert(number);
    }
    if (piece.warning) {
      expectedWarnings.insert(number);
    }
  }

  const long linesRead = statistic(console, " lines read");
  ASSERT_EQ(linesRead, static_cast<long>(list.lines.size()));
  EXPECT_EQ(linesRead, blank + comment + booked + keyword + unexpected + errorOnly);
  EXPECT_EQ(statistic(console, " funding amounts seen"), booked);
  EXPECT_EQ(statistic(console, " funding source names associated with a keyword (type of source)"),
            keyword);
  EXPECT_EQ(statistic(console, unexpected == 1 ? " line with unexpected format"
                                               : " lines with unexpected format"),
            unexpected);

  const LineMessages messages = lineMessages(console);
  EXPECT_EQ(messages.errors, expectedErrors) << console;
  EXPECT_EQ(messages.warnings, expectedWarnings);
  EXPECT_TRUE(messages.bugs.empty());
  // A line that is neither passed over nor counted must have told the treasurer why.
  for (std::size_t i = 0; i < list.lines.size(); ++i) {
    if (list.lines[i].outcome == Outcome::errorOnly) {
      EXPECT_EQ(messages.errors.count(static_cast<long>(i) + 1), 1u) << "line " << i + 1;
    }
  }
  // A line with a digit in it may hold a figure: it is booked, or a comment or keyword binding
  // (which hold none to book), or it is named in an error or warning.
  for (std::size_t i = 0; i < list.lines.size(); ++i) {
    const std::string& text = list.texts[i];
    const Outcome outcome = list.lines[i].outcome;
    const long number = static_cast<long>(i) + 1;
    if (text.find_first_of("0123456789") == std::string::npos || outcome == Outcome::booked ||
        outcome == Outcome::comment || outcome == Outcome::keyword) {
      continue;
    }
    EXPECT_TRUE(messages.errors.count(number) + messages.warnings.count(number) > 0)
        << "line " << number << ": " << text;
  }

  // The amounts booked, name by name and in all, are those of the list.
  std::int64_t tableSum = 0;
  for (std::size_t i = 0; i < donorTable.count; ++i) {
    tableSum += donorTable[i].totalAmount;
  }
  EXPECT_EQ(tableSum, list.bookedSum);
  if (largeTable) {
    EXPECT_GT(donorTable.count, kDonorTableSize);
  }
  for (const auto& [key, source] : list.sources) {
    const DonorRecord* entry = findEntry(key);
    if (source.total != 0) {
      ASSERT_NE(entry, nullptr) << key;
      EXPECT_EQ(entry->totalAmount, source.total) << key;
    }
    if (entry != nullptr) {
      EXPECT_EQ(entry->sourceType, source.type) << key;
    }
  }

  {
    ConsoleCapture quiet;  // what computeTotals says is not checked here
    computeTotals();
  }
  std::int64_t sumOfYears = 0;
  for (std::size_t y = 0; y < ledgerTotals.yearTotals.size(); ++y) {
    sumOfYears += ledgerTotals.yearTotals[y];
    const auto expected = list.yearTotals.find(static_cast<long>(y) + kBaseYear);
    EXPECT_EQ(ledgerTotals.yearTotals[y], expected == list.yearTotals.end() ? 0 : expected->second)
        << "year " << y + kBaseYear;
  }
  EXPECT_EQ(ledgerTotals.grandTotal, sumOfYears);
  EXPECT_EQ(ledgerTotals.grandTotal, list.bookedSum);
  std::int64_t sumOfTypes = 0;
  for (const std::int64_t total : ledgerTotals.typeTotals) {
    sumOfTypes += total;
  }
  EXPECT_EQ(sumOfTypes, ledgerTotals.grandTotal);
}

std::vector<std::uint32_t> seeds() {
  std::vector<std::uint32_t> all;
  for (std::uint32_t seed = 1; seed <= 300; ++seed) {
    all.push_back(seed * 2654435761u);
  }
  return all;
}

INSTANTIATE_TEST_SUITE_P(GeneratedLists, NothingLostTest, ::testing::ValuesIn(seeds()));

}  // namespace
