// The rows of an Office Open XML worksheet, streamed: <sheetData><row r="2"><c r="B2" t="s"
// s="1"><f>...</f><v>...</v></c></row>; an inline string is <c t="inlineStr"><is><t>.
#include <cstring>
#include <string_view>

#include "input/sheet_row.hpp"
#include "input/xlsx_reader.hpp"
#include "input/xml_part.hpp"

namespace {

enum class CellType { number, shared, text, boolean, error, date };

struct SheetParse {
  const XlsxTables* tables;
  const WorkbookVisitor* visitor;
  SheetRow row;
  long rowNumber = 0;
  bool malformed = false;
  // The cell being read.
  CellType type = CellType::number;
  long column = 0;
  std::size_t style = 0;
  bool formula = false;
  bool value = false;
  bool inValue = false;
  bool inInlineText = false;
  int phonetic = 0;
  std::string raw;
  std::string text;
  std::string reference;
};

// A row or column number of at most seven digits; -1 when it is none.
long numberOf(std::string_view digits) {
  long number = 0;
  for (char ch : digits) {
    if (ch < '0' || ch > '9' || number > kSheetRows) {
      return -1;
    }
    number = number * 10 + (ch - '0');
  }
  return digits.empty() ? -1 : number;
}

CellType cellTypeOf(const char* type) {
  static constexpr std::pair<const char*, CellType> kTypes[] = {
    { "s", CellType::shared },  { "str", CellType::text }, { "inlineStr", CellType::text },
    { "b", CellType::boolean }, { "e", CellType::error },  { "d", CellType::date },
  };
  for (const auto& entry : kTypes) {
    if (type != nullptr && std::strcmp(type, entry.first) == 0) {
      return entry.second;
    }
  }
  return CellType::number;
}

void startRow(SheetParse& parse, const char** attributes) {
  const char* number = attributeOf(attributes, "r");
  const long next = number != nullptr ? numberOf(number) : parse.rowNumber + 1;
  parse.malformed = parse.malformed || next <= parse.rowNumber || next > kSheetRows;
  parse.rowNumber = next;
  parse.row.begin();
}

void startCell(SheetParse& parse, const char** attributes) {
  // One pass over the attributes: a sheet has a cell for every gift's every column.
  const char* reference = nullptr;
  const char* type = nullptr;
  const char* style = nullptr;
  for (const char** at = attributes; *at != nullptr; at += 2) {
    const std::string_view name = localName(*at);
    reference = name == "r" ? at[1] : reference;
    type = name == "t" ? at[1] : type;
    style = name == "s" ? at[1] : style;
  }
  const long column = reference != nullptr ? columnOfReference(reference) : parse.row.next;
  parse.malformed = parse.malformed || column < parse.row.next || column >= kSheetColumns;
  parse.column = column;
  parse.type = cellTypeOf(type);
  parse.style = style != nullptr ? static_cast<std::size_t>(numberOf(style)) : 0;
  parse.formula = false;
  parse.value = false;
  parse.raw.clear();
}

// The cell's text as its type says; a shared string that is not in the table is malformed.
void appendCellValue(SheetParse& parse) {
  const XlsxTables& tables = *parse.tables;
  switch (parse.type) {
    case CellType::shared: {
      const long index = numberOf(parse.raw);
      if (index < 0 || static_cast<std::size_t>(index) >= tables.sharedStarts.size()) {
        parse.malformed = true;
        return;
      }
      const auto at = static_cast<std::size_t>(index);
      const std::size_t end = at + 1 < tables.sharedStarts.size() ? tables.sharedStarts[at + 1]
                                                                  : tables.sharedText.size();
      parse.text.append(tables.sharedText, tables.sharedStarts[at], end - tables.sharedStarts[at]);
      return;
    }
    case CellType::boolean:
      parse.text += parse.raw == "1" ? "TRUE" : "FALSE";
      return;
    case CellType::date:
      appendIsoDateText(parse.text, parse.raw);
      return;
    case CellType::number:
      if (parse.style < tables.dateStyles.size() && tables.dateStyles[parse.style]) {
        appendSerialDateText(parse.text, parse.raw, tables.dateSystem);
      } else {
        appendNumberText(parse.text, parse.raw);
      }
      return;
    case CellType::text:
    case CellType::error:
      parse.text += parse.raw;
      return;
  }
}

void endCell(SheetParse& parse) {
  parse.text.clear();
  if (parse.value) {
    appendCellValue(parse);
  } else if (parse.formula) {
    parse.reference.clear();
    appendCellReference(parse.reference, parse.column, parse.rowNumber);
    parse.visitor->formulaWithoutValue(parse.visitor->context, parse.rowNumber, parse.reference);
  }
  // A cell before the one already read leaves the sheet malformed, and is not put in the row.
  if (!parse.malformed) {
    parse.row.addCell(parse.column, parse.text, 1);
  }
}

void onSheetStart(void* context, std::string_view name, const char** attributes) {
  auto& parse = *static_cast<SheetParse*>(context);
  if (name == "row") {
    startRow(parse, attributes);
  } else if (name == "c") {
    startCell(parse, attributes);
  } else if (name == "f") {
    parse.formula = true;
  } else if (name == "v") {
    parse.value = true;
    parse.inValue = true;
  } else if (name == "is") {
    parse.value = true;
  } else if (name == "rPh") {
    ++parse.phonetic;
  } else if (name == "t") {
    parse.inInlineText = parse.phonetic == 0;
  }
}

void onSheetEnd(void* context, std::string_view name) {
  auto& parse = *static_cast<SheetParse*>(context);
  parse.inValue = false;
  parse.inInlineText = false;
  if (name == "c") {
    endCell(parse);
  } else if (name == "row" && !parse.row.text.empty()) {
    parse.visitor->row(parse.visitor->context, parse.rowNumber, 1, parse.row.text);
  } else if (name == "rPh") {
    --parse.phonetic;
  }
}

void onSheetText(void* context, const char* text, int length) {
  auto& parse = *static_cast<SheetParse*>(context);
  if (parse.inValue || parse.inInlineText) {
    parse.raw.append(text, static_cast<std::size_t>(length));
  }
}

}  // namespace

PartStatus readXlsxSheet(const ZipArchive& archive, const std::string& part,
                         const XlsxTables& tables, const WorkbookVisitor& visitor) {
  SheetParse parse;
  parse.tables = &tables;
  parse.visitor = &visitor;
  const PartStatus status =
      parseXmlPart(archive, part, XmlHandlers{ &parse, onSheetStart, onSheetEnd, onSheetText });
  return status == PartStatus::read && parse.malformed ? PartStatus::malformed : status;
}
