#include "input/workbook_list.hpp"

#include <sys/stat.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "input/workbook.hpp"
#include "output/message_channel.hpp"

namespace {

// A workbook larger than the largest part it could hold is not read into memory.
constexpr std::size_t kLargestWorkbook = std::size_t{ 1024 } * 1024 * 1024;

// What a sheet gave, kept until the whole sheet is read: a damaged one books nothing.
struct SheetEvent {
  long number;
  long repeat;  // 0 for a formula without a value
  std::size_t start;
  std::size_t length;
};

struct SheetEvents {
  std::vector<std::string> sheets;
  std::size_t read = 0;
  std::string text;
  std::vector<SheetEvent> events;
};

void takeSheets(void* context, const std::vector<std::string>& names, std::size_t read) {
  auto& events = *static_cast<SheetEvents*>(context);
  events.sheets = names;
  events.read = read;
}

void takeRow(void* context, long number, long repeat, std::string_view text) {
  auto& events = *static_cast<SheetEvents*>(context);
  events.events.push_back(SheetEvent{ number, repeat, events.text.size(), text.size() });
  events.text += text;
}

void takeFormula(void* context, long number, std::string_view reference) {
  takeRow(context, number, 0, reference);
}

// The whole file: what the first block holds, then the rest of it.
bool readWholeFile(ListBlocks& blocks, std::vector<unsigned char>& data) {
  struct stat status {};
  if (fstat(fileno(blocks.file), &status) == 0 && S_ISREG(status.st_mode) &&
      static_cast<std::uint64_t>(status.st_size) <= kLargestWorkbook) {
    data.reserve(static_cast<std::size_t>(status.st_size));
  }
  data.assign(listBlock.data() + blocks.start, listBlock.data() + blocks.end);
  std::vector<unsigned char> piece(kReadBlockSize);
  while (!blocks.atEnd && data.size() <= kLargestWorkbook) {
    const std::size_t got = std::fread(piece.data(), 1, piece.size(), blocks.file);
    data.insert(data.end(), piece.data(), piece.data() + got);
    blocks.atEnd = got == 0 || std::feof(blocks.file) != 0 || std::ferror(blocks.file) != 0;
  }
  return std::ferror(blocks.file) == 0 && data.size() <= kLargestWorkbook;
}

const char* reasonOf(const WorkbookOutcome& outcome, std::string& reason) {
  switch (outcome.fault) {
    case WorkbookFault::noWorksheet:
      return "it holds no worksheet";
    case WorkbookFault::partTooLarge:
      return "a part is larger than the limit";
    case WorkbookFault::malformedXml:
      reason = "the XML of " + outcome.part + " is malformed";
      return reason.c_str();
    default:
      return "the archive cannot be read";
  }
}

void reportRefusal(const WorkbookOutcome& outcome) {
  if (outcome.fault == WorkbookFault::notBuilt) {
    message(
        MessageKind::error, 0,
        "List %s is a spreadsheet, and this build of QUORVA cannot read spreadsheets; save it as tab-separated text or build with libzip and expat",
        inputFileNameText());
    return;
  }
  if (outcome.fault == WorkbookFault::libraryMissing) {
    message(
        MessageKind::error, 0,
        "List %s is a spreadsheet, and the library to read it cannot be loaded: %s; install libzip and expat, or save the list as tab-separated text",
        inputFileNameText(), outcome.part.c_str());
    return;
  }
  std::string reason;
  message(MessageKind::error, 0, "List %s is a damaged or unsupported spreadsheet: %s",
          inputFileNameText(), reasonOf(outcome, reason));
}

// The sheet's rows in order, as the reader takes them: the rows it leaves out as blank lines,
// an ODS row repeated as many times as it says, and a formula without a value warned about
// where it stands.
struct SheetCursor {
  SheetEvents& sheet;
  std::size_t event;
  long copy;
  long line;
  char blank[1];
};

bool nextSheetRow(void* context, SheetLine& row) {
  auto& cursor = *static_cast<SheetCursor*>(context);
  SheetEvents& sheet = cursor.sheet;
  while (cursor.event < sheet.events.size()) {
    const SheetEvent& event = sheet.events[cursor.event];
    if (event.repeat == 0) {
      const std::string reference = sheet.text.substr(event.start, event.length);
      message(MessageKind::warning, event.number,
              "Cell %s holds a formula without a value; recalculate and save the sheet",
              reference.c_str());
      ++cursor.event;
      continue;
    }
    if (cursor.line + 1 < event.number) {
      cursor.blank[0] = '\0';
      row = SheetLine{ ++cursor.line, cursor.blank, 0 };
      return true;
    }
    row = SheetLine{ event.number + cursor.copy, &sheet.text[event.start], event.length };
    cursor.line = row.number;
    if (++cursor.copy == event.repeat) {
      cursor.copy = 0;
      ++cursor.event;
    }
    return true;
  }
  return false;
}

void readSheet(ListBlocks& blocks, SheetEvents& sheet, const ReadingOptions& options,
               ListCounts& counts) {
  message(MessageKind::info, 0, "Reading sheet '%s' of %s", sheet.sheets[sheet.read].c_str(),
          inputFileNameText());
  for (std::size_t other = 0; other < sheet.sheets.size(); ++other) {
    if (other != sheet.read) {
      message(MessageKind::warning, 0, "Sheet '%s' of %s is not read; only the first sheet is",
              sheet.sheets[other].c_str(), inputFileNameText());
    }
  }
  SheetCursor cursor{ sheet, 0, 0, 0, { '\0' } };
  readSheetLines(blocks, SheetSource{ &cursor, nextSheetRow }, options, counts);
}

}  // namespace

ListSignature listSignatureOf(const char* bytes, std::size_t count) {
  if (count >= 4 && std::memcmp(bytes, "PK\3\4", 4) == 0) {
    return ListSignature::zipArchive;
  }
  if (count >= 4 && std::memcmp(bytes, "\xD0\xCF\x11\xE0", 4) == 0) {
    return ListSignature::compoundFile;
  }
  return ListSignature::text;
}

bool readWorkbookList(ListBlocks& blocks, const ReadingOptions& options, ListCounts& counts) {
  const ListSignature signature =
      listSignatureOf(listBlock.data() + blocks.start, blocks.end - blocks.start);
  if (signature == ListSignature::text) {
    return false;
  }
  if (signature == ListSignature::compoundFile) {
    message(
        MessageKind::error, 0,
        "List %s is an Excel 97-2003 workbook or an encrypted workbook; save it as .xlsx without a password, or as tab-separated text",
        inputFileNameText());
    return true;
  }
  std::vector<unsigned char> data;
  SheetEvents sheet;
  WorkbookOutcome outcome;
  outcome.fault = workbooksSupported() ? WorkbookFault::archive : WorkbookFault::notBuilt;
  if (workbooksSupported() && readWholeFile(blocks, data)) {
    outcome = readWorkbook(data.data(), data.size(),
                           WorkbookVisitor{ &sheet, takeSheets, takeRow, takeFormula });
  }
  if (outcome.fault != WorkbookFault::none) {
    reportRefusal(outcome);
    return true;
  }
  readSheet(blocks, sheet, options, counts);
  return true;
}
