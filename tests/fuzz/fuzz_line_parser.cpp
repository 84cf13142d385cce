// Fuzz target: arbitrary bytes handed to the line parser as one line of a list, and what it read
// booked as the reader books it; then the same line read by the full grammar alone, which must
// come to the same result, the same messages and the same bookings.
//
// The first byte picks the line number (line 1 takes a bad date for a header, later lines
// report it); the rest is the line. Before every reading the ledger holds a donor with an amount
// and a source bound to SALES, so that keyword lines can meet both an entry with amounts and a
// refused change of type. When the first byte's high bit is set, 600 more names follow them in
// a table of 1,000, so that the line meets a table larger than the default, where a new name is
// looked up through the index alone. A first byte ',' makes the rest a whole list instead, read
// by the list reader, so that records of comma-separated lists, of columns a header names and
// of cells that go on over several lines meet the parser too.

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "fuzz/fuzz_support.hpp"
#include "input/line_booking.hpp"
#include "input/line_parser.hpp"
#include "input/list_reader.hpp"
#include "ledger/donor_index.hpp"
#include "ledger/donor_table.hpp"
#include "ledger/source_type.hpp"
#include "output/message_channel.hpp"

namespace {

constexpr long kLineChoices = 8;
constexpr std::time_t kJanuary2020 = 1579064401;  // 15 January 2020 00:00:01 in New York

constexpr int kLargeTableNames = 600;
static_assert(kLargeTableNames > static_cast<int>(kDonorTableSize), "past the default table");

// The names of the large table, written once.
std::array<std::array<char, 16>, kLargeTableNames> largeTableNames;

// Reused for every input, as the reader reuses its own.
ParsedLine parsed;
ParsedLine parsedInFull;

// The ledger every reading starts from: Smith with an amount and Acme Shop bound to SALES, and
// for a large table the 600 names after them. Built once, then restored from its mark for every
// reading: building the large table costs far more than reading the line (its names go into the
// index one by one). A reading that booked into a prepared entry has the table built again.
constexpr std::size_t kSmallEntries = 2;
constexpr std::size_t kLargeEntries = kSmallEntries + kLargeTableNames;
std::array<DonorRecord, kLargeEntries> builtRecords;  // the prepared entries as built
bool smallBuilt = false;
bool largeBuilt = false;
DonorTableMark smallMark;
DonorTableMark largeMark;

// True when the first count entries are as they were built.
bool entriesAsBuilt(std::size_t count) {
  return donorTable.count >= count &&
         std::memcmp(&donorTable[0], builtRecords.data(), count * sizeof(DonorRecord)) == 0;
}

void buildSmallTable() {
  clearDonorTable();
  addDonation("Smith", kJanuary2020, 10000, 1);
  const int acme = findOrCreateDonor("Acme Shop", 1);
  if (acme < 0 || !bindSourceType(acme, 1, SALES)) {
    invariantFailed("the ledger could not be prepared");
  }
  std::memcpy(builtRecords.data(), &donorTable[0], kSmallEntries * sizeof(DonorRecord));
  smallMark = markDonorTable();
  smallBuilt = true;
  largeBuilt = false;
}

// The 600 names go in without a lookup: looking each up first would compare it with every name
// before it, as a new name is up to the default size. The index then takes them all in, as it
// would have taken each one as it was made.
void buildLargeTable() {
  setDonorTableSize(1000);
  for (std::size_t i = 0; i < largeTableNames.size(); ++i) {
    const int entry = appendDonorEntry(largeTableNames[i].data());
    if (entry != static_cast<int>(kSmallEntries + i) ||
        !addYearAmount(entry, 2020 - kBaseYear, 100 + static_cast<Amount>(i))) {
      invariantFailed("the large table could not be prepared");
    }
  }
  if (!syncDonorIndex(donorTable)) {
    invariantFailed("the large table could not be indexed");
  }
  std::memcpy(builtRecords.data() + kSmallEntries, &donorTable[kSmallEntries],
              kLargeTableNames * sizeof(DonorRecord));
  largeMark = markDonorTable();
  largeBuilt = true;
}

void prepareLedger(bool largeTable) {
  resetMessageChannel();
  if (!smallBuilt || !entriesAsBuilt(kSmallEntries)) {
    buildSmallTable();
  } else if (largeTable && largeBuilt && entriesAsBuilt(kLargeEntries)) {
    rollBackDonorTable(largeMark);
  } else {
    rollBackDonorTable(smallMark);
    largeBuilt = false;
  }
  if (largeTable && !largeBuilt) {
    buildLargeTable();
  }
  verbosityLevel = 4;
}

bool isDigitChar(char ch) { return ch >= '0' && ch <= '9'; }

bool isPlainNameChar(char ch) {
  return isDigitChar(ch) || (ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z') || ch == ' ' ||
         ch == ',' || ch == '.' || ch == '\'' || ch == '-' || ch == '&';
}

// Reads digits at p: their count and value.
int readDigits(const char*& p, long long& value) {
  int count = 0;
  value = 0;
  for (; isDigitChar(*p) && count < 12; ++p, ++count) {
    value = value * 10 + (*p - '0');
  }
  return count;
}

// What an independent reading of a line expects of it.
struct PlainLine {
  long year;       // the year the amount is booked in
  Amount cents;    // the amount booked
  int nameLength;  // the name as booked: as written, without the blanks after it
  bool moved;      // the date carries into another year: a warning is due
  bool refused;    // the amount is European, has two points or a stray comma: nothing booked
};

// An independent reading of the most common line: a plain name, a numeric date of a day that
// exists in every month of a year the date parser accepts (or of months 13 to 24, as a date
// written day first gives, which carry into the next year), and an amount of digits, commas and
// a dollar sign with at most two digits of cents. Such a line must book exactly its cents in its
// year under its name without the blanks after it, however the parser gets there. An amount
// with a comma followed by a digit after its point, or with a second point, must book nothing.
bool readPlainDonation(const char* text, PlainLine& plain) {
  const char* p = text;
  if (!isDigitChar(*p) && !((*p >= 'a' && *p <= 'z') || (*p >= 'A' && *p <= 'Z'))) {
    return false;
  }
  int nameLength = 0;
  plain.nameLength = 0;
  for (; *p != '\t'; ++p, ++nameLength) {
    if (!isPlainNameChar(*p) || nameLength >= 60) {
      return false;
    }
    if (*p != ' ') {
      plain.nameLength = nameLength + 1;
    }
  }
  ++p;
  long long month = 0;
  long long day = 0;
  long long written = 0;
  if (readDigits(p, month) == 0 || month < 1 || month > 24 || *p++ != '/') {
    return false;
  }
  if (readDigits(p, day) == 0 || day < 1 || day > 28 || *p++ != '/') {
    return false;
  }
  const int yearDigits = readDigits(p, written);
  long year = 0;
  if (yearDigits == 4 && written >= 1971 && written <= 2036) {
    year = static_cast<long>(written);
  } else if (yearDigits == 2 && (written <= 36 || written >= 71)) {
    year = static_cast<long>(written <= 36 ? 2000 + written : 1900 + written);
  } else {
    return false;
  }
  plain.moved = month > 12;
  plain.year = plain.moved ? year + 1 : year;
  if (*p++ != '\t') {
    return false;
  }
  if (*p == '$') {
    ++p;
  }
  long long whole = 0;
  int wholeDigits = 0;
  // A comma must follow a digit and be followed by three digits, unless it ends the field.
  int sinceComma = -1;
  bool strayComma = false;
  for (; isDigitChar(*p) || *p == ','; ++p) {
    if (*p == ',') {
      strayComma = strayComma || !isDigitChar(p[-1]) || (sinceComma >= 0 && sinceComma != 3);
      sinceComma = 0;
      continue;
    }
    sinceComma += sinceComma >= 0 ? 1 : 0;
    if (++wholeDigits > 10) {
      return false;
    }
    whole = whole * 10 + (*p - '0');
  }
  if (wholeDigits == 0) {
    return false;
  }
  const bool endsField = *p == '\0' || *p == '\t' || *p == '\r';
  strayComma = strayComma || (sinceComma > 0 && sinceComma != 3) || (sinceComma == 0 && !endsField);
  long long fraction = 0;
  int fractionDigits = 0;
  plain.refused = false;
  if (*p == '.') {
    ++p;
    fractionDigits = readDigits(p, fraction);
    // 1.250,00 or 1.250.000: the rest is digits, commas and points.
    for (; isDigitChar(*p) || *p == ',' || *p == '.'; ++p) {
      plain.refused = plain.refused || *p == '.' || (*p == ',' && isDigitChar(p[1]));
    }
    if (fractionDigits > 2 && !plain.refused) {
      return false;
    }
  }
  if (*p == '\r') {
    ++p;
  }
  if (*p != '\0' && *p != '\t') {
    return false;
  }
  plain.refused = plain.refused || strayComma;
  plain.cents = whole * 100 + (fractionDigits == 1 ? fraction * 10 : fraction);
  return (plain.cents != 0 || plain.refused) && p - text < 140;
}

bool sameNameIgnoringCase(const char* stored, const char* written, int length) {
  for (int i = 0; i < length; ++i) {
    const auto lower = [](char ch) {
      return (ch >= 'A' && ch <= 'Z') ? static_cast<char>(ch - 'A' + 'a') : ch;
    };
    if (lower(stored[i]) != lower(written[i])) {
      return false;
    }
  }
  return stored[length] == '\0';
}

Amount ledgerSum() {
  Amount sum = 0;
  for (std::size_t i = 0; i < donorTable.count; ++i) {
    sum += donorTable[i].totalAmount;
  }
  return sum;
}

Amount yearSum(long year) {
  Amount sum = 0;
  for (std::size_t i = 0; i < donorTable.count; ++i) {
    sum += donorTable[i].yearAmounts[static_cast<std::size_t>(year - kBaseYear)];
  }
  return sum;
}

// What booking a line did: its result, the tallies of the messages emitted (the line's own and
// the ledger's), and the ledger afterwards folded into one number: every entry's type and
// amounts by year, and the names of the entries the line created (a booking renames none).
struct Booking {
  int result;
  std::uint32_t entries;
  int infos;
  int warnings;
  int errors;
  std::uint64_t ledger;
};

std::uint64_t fold(std::uint64_t hash, std::uint64_t value) {
  return (hash ^ value) * 0x100000001b3ULL;
}

Booking bookingOf(int result, std::uint32_t entriesBefore) {
  std::uint64_t hash = 0xcbf29ce484222325ULL;
  for (std::uint32_t i = 0; i < donorTable.count; ++i) {
    const DonorRecord& entry = donorTable[i];
    for (const char* ch = entry.name.data(); i >= entriesBefore && *ch != '\0'; ++ch) {
      hash = fold(hash, static_cast<unsigned char>(*ch));
    }
    hash = fold(hash, static_cast<std::uint64_t>(entry.sourceType));
    hash = fold(hash, static_cast<std::uint64_t>(entry.totalAmount));
    for (std::size_t k = 0; k < entry.yearAmounts.count; ++k) {
      hash = fold(hash, static_cast<std::uint64_t>(entry.yearAmounts.pairAt(k)));
    }
  }
  return Booking{ result, donorTable.count, infoCount, warningCount, errorCount, hash };
}

bool sameMessages(const LineMessages& a, const LineMessages& b) {
  if (a.count != b.count || a.raised != b.raised || a.lostLine != b.lostLine) {
    return false;
  }
  for (std::size_t i = 0; i < a.count; ++i) {
    if (a.entries[i].kind != b.entries[i].kind || a.entries[i].line != b.entries[i].line ||
        std::strcmp(a.text(i), b.text(i)) != 0) {
      return false;
    }
  }
  return true;
}

// Reads the line with the shortcuts, books it, and checks what it booked against an independent
// reading of a plain donation line; returns what the booking did.
Booking checkFastPath(const char* text, long line) {
  PlainLine expected{ 0, 0, 0, false, false };
  const bool plain = readPlainDonation(text, expected);
  const Amount before = ledgerSum();
  const Amount yearBefore = plain ? yearSum(expected.year) : 0;
  const std::uint32_t countBefore = donorTable.count;
  const int warningsBefore = warningCount;
  parseDonationLine(text, line, kCalendarYearReading, parsed);
  const auto result = static_cast<int>(bookParsedLine(parsed));

  if (result < static_cast<int>(LineResult::blankLine) ||
      result > static_cast<int>(LineResult::lineRejected)) {
    invariantFailed("the result is no LineResult");
  }
  // Only a booked donation may change what the ledger holds.
  const Amount after = ledgerSum();
  if (result != static_cast<int>(LineResult::donationBooked) && after != before) {
    invariantFailed("an amount was booked by a line that did not book one");
  }
  if (donorTable.count > countBefore + 1) {
    invariantFailed("one line created more than one entry");
  }
  if (plain && expected.refused) {
    if (result == static_cast<int>(LineResult::donationBooked) || after != before) {
      invariantFailed("a European amount was booked");
    }
  } else if (plain) {
    if (result != static_cast<int>(LineResult::donationBooked)) {
      invariantFailed("a plain donation line was not booked");
    }
    if (after - before != expected.cents || yearSum(expected.year) - yearBefore != expected.cents) {
      invariantFailed("a plain donation line booked another amount or year");
    }
    if (expected.moved && warningCount == warningsBefore) {
      invariantFailed("a date carried into another year was booked without a warning");
    }
    bool found = false;
    for (std::uint32_t i = 0; i < donorTable.count; ++i) {
      found = found || sameNameIgnoringCase(donorTable[i].name.data(), text, expected.nameLength);
    }
    if (!found) {
      invariantFailed("a plain donation line was booked under another name");
    }
  }
  return bookingOf(result, countBefore);
}

// The shortcuts only spare the full grammar work: reading the line by the full grammar alone,
// from the same ledger, must come to the same line, messages and bookings.
void checkAgainstFullGrammar(const char* text, long line, const Booking& fast) {
  const std::uint32_t countBefore = donorTable.count;
  parseDonationLineInFull(text, line, kCalendarYearReading, parsedInFull);
  if (parsedInFull.kind != parsed.kind) {
    invariantFailed("the shortcuts and the full grammar read another kind of line");
  }
  if (!sameMessages(parsed.messages, parsedInFull.messages)) {
    invariantFailed("the shortcuts and the full grammar raised other messages");
  }
  const Booking full = bookingOf(static_cast<int>(bookParsedLine(parsedInFull)), countBefore);
  if (full.result != fast.result) {
    invariantFailed("the shortcuts and the full grammar came to another result");
  }
  if (full.infos != fast.infos || full.warnings != fast.warnings || full.errors != fast.errors) {
    invariantFailed("the bookings of the shortcuts and of the full grammar raised other messages");
  }
  if (full.entries != fast.entries || full.ledger != fast.ledger) {
    invariantFailed("the shortcuts and the full grammar booked differently");
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* /*argc*/, char*** /*argv*/) {
  prepareFuzzProcess();
  for (std::size_t i = 0; i < largeTableNames.size(); ++i) {
    std::snprintf(largeTableNames[i].data(), largeTableNames[i].size(), "Giver %zu", i);
  }
  return 0;
}

// The rest of the input as a whole list: only what the ledger may hold is checked.
void readAsList(const std::uint8_t* data, std::size_t size) {
  prepareLedger(false);
  const Amount before = ledgerSum();
  std::FILE* file = std::tmpfile();
  if (file == nullptr || (size > 0 && std::fwrite(data, 1, size, file) != size)) {
    invariantFailed("cannot write the list file");
  }
  std::rewind(file);
  setInputFileName("list.csv");
  readDonationList(file, kCalendarYearReading);
  setInputFileName(nullptr);
  std::fclose(file);
  if (donorTable.count > donorTableSize()) {
    invariantFailed("the donor count is past the table");
  }
  // Only booked gifts change the sum, and each is one line's: it cannot pass what the list
  // could write (a gift of at most 100,000,000,000.00 in every 4 bytes).
  const Amount added = ledgerSum() - before;
  if (added > static_cast<Amount>(size / 4 + 1) * kMaxLineAmount ||
      -added > static_cast<Amount>(size / 4 + 1) * kMaxLineAmount) {
    invariantFailed("more was booked than the list holds");
  }
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) {
    return 0;
  }
  if (data[0] == ',') {
    readAsList(data + 1, size - 1);
    return 0;
  }
  const long line = 1 + static_cast<long>(data[0]) % kLineChoices;
  const auto text = terminatedCopy(data + 1, size - 1);
  const bool largeTable = (data[0] & 0x80) != 0;
  prepareLedger(largeTable);
  const Booking fast = checkFastPath(text.data(), line);
  prepareLedger(largeTable);
  checkAgainstFullGrammar(text.data(), line, fast);
  return 0;
}
