#ifndef QUORVA_INPUT_LIST_RECORDS_HPP
#define QUORVA_INPUT_LIST_RECORDS_HPP

#include <array>
#include <cstddef>
#include <cstdint>

// How a list's lines become records: the separator its first lines show, the cells of a record
// (quoted cells that may hold separators and line breaks), and the columns a header names.

/// Lines looked at to decide a list's separator.
constexpr int kSeparatorSampleLines = 10;
/// Of a comma-separated list, or one whose columns are mapped, the first kWideLineLimit
/// characters of a line are read.
constexpr std::size_t kWideLineLimit = 4095;
/// A record runs over at most this many lines, its first included.
constexpr int kMaxRecordLines = 32;
/// The most text a record can span: that many lines of the longest length and their line feeds.
constexpr std::size_t kMaxRecordText = kMaxRecordLines * (kWideLineLimit + 1);
/// Cells of a record whose places are kept: enough for every column a header may name.
constexpr int kMaxCells = 512;

/// TAB, or comma when the list's first lines hold commas outside quotation marks but no TAB.
char detectSeparator(const char* text, std::size_t length);

/// The columns a record's fields are read from (0-based); the name is one column, or a first-
/// name column and a last-name column joined by a blank.
struct ColumnMap {
  int name;
  int lastName;  ///< -1 unless the name is first name and last name
  int second;
  int amount;
};
/// Columns 1, 2 and 3, as every list is read unless its header says otherwise.
inline constexpr ColumnMap kPlainColumns{ 0, -1, 1, 2 };

/// What a list's records are made of.
struct RecordRules {
  char separator;
  bool csv;       ///< every cell may be quoted (a comma-separated list)
  ColumnMap map;  ///< for a tab-separated list: the cells read, which are never quoted
  std::size_t lineLimit;
};

/// One cell: [start, end) of the record text, with its quotation marks; quoted when it begins
/// with one (after blanks) that quotes it.
struct CellSpan {
  std::uint32_t start;
  std::uint32_t end;
  bool quoted;
};

/// How the record at the start of the unread text came out.
enum class RecordStatus : int {
  none,      ///< no text is left
  complete,  ///< the record's extent and cells are known
  needMore,  ///< the block ends inside it: read more and look again
};

/// The record at the start of the unread text and its cells.
struct RecordScan {
  RecordStatus status;
  std::size_t textLength;  ///< the record without the line feed that ends it
  std::size_t consumed;    ///< textLength and that line feed, when there is one
  int lines;               ///< lines the record runs over
  int lookedAt;            ///< of a record whose quotation mark is not closed: lines looked at
  bool notClosed;          ///< a quoted cell's closing mark was not found: the first line alone
  bool longLine;           ///< the first line goes on past lineLimit characters
  bool textAfterReturn;    ///< a carriage return outside quotation marks is followed by text
  int cellCount;           ///< cells seen (only the first kMaxCells are kept)
  std::array<CellSpan, kMaxCells> cells;
};

/// The extent and cells of the record at the start of text (available characters, the rest of
/// the list when atEnd). With join false, or when a quoted cell is not closed within the rules'
/// lines, the record is its first line. The text is written to while it is looked at (a
/// terminator at each line's end) and given back as it was. A list whose reading failed
/// (dropUnfinished) drops a last line without a line feed.
void scanRecord(char* text, std::size_t available, bool atEnd, bool dropUnfinished,
                const RecordRules& rules, bool join, RecordScan& scan);

/// The columns the header's cells name, when they name all three roles (a name being one name
/// column or a first-name and a last-name column); false otherwise.
bool mapHeaderColumns(const char* text, const RecordScan& scan, ColumnMap& map);

/// True when map reads other columns than 1, 2 and 3.
bool isMappedColumns(const ColumnMap& map);

/// The text of cell index of the record into out (at most room - 1 characters and a NUL): a
/// quoted cell of a comma-separated list without its quotation marks ("" is one), any other as
/// written; a missing cell is empty. TAB, CR and LF become blanks. Returns its length, or
/// room when it does not fit.
std::size_t cellText(const char* text, const RecordScan& scan, int index, bool unquote, char* out,
                     std::size_t room);

/// True when the text [p, end) is exactly three digits, optionally followed by a point and
/// digits: what is left of an amount cut at a thousands comma.
bool isThousandsTail(const char* p, const char* end);
/// isThousandsTail for cell index of the record.
bool isThousandsTail(const char* text, const RecordScan& scan, int index);

#endif
