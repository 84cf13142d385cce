// The first table of an OpenDocument spreadsheet (content.xml): <office:spreadsheet>
// <table:table table:name="..."><table:table-row table:number-rows-repeated="3">
// <table:table-cell office:value-type="float" office:value="25"><text:p>25</text:p>.
// The part is read twice: once for the names of the tables, which the reader reports before
// any row, then for the rows of the first.
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "input/sheet_row.hpp"
#include "input/xlsx_reader.hpp"
#include "input/xml_part.hpp"

namespace {

const char* const kContent = "content.xml";

struct TableNames {
  std::vector<std::string> names;
  int spreadsheet = 0;
  int tables = 0;  // depth of tables: a table inside a cell is no sheet
};

void onNamesStart(void* context, std::string_view name, const char** attributes) {
  auto& parse = *static_cast<TableNames*>(context);
  parse.spreadsheet += name == "spreadsheet" ? 1 : 0;
  if (name == "table" && parse.spreadsheet > 0 && parse.tables++ == 0) {
    const char* tableName = attributeOf(attributes, "name");
    parse.names.emplace_back(tableName != nullptr ? tableName : "");
  }
}

void onNamesEnd(void* context, std::string_view name) {
  auto& parse = *static_cast<TableNames*>(context);
  parse.spreadsheet -= name == "spreadsheet" ? 1 : 0;
  parse.tables -= name == "table" && parse.tables > 0 ? 1 : 0;
}

void ignoreText(void* /*context*/, const char* /*text*/, int /*length*/) {}

struct TableParse {
  const WorkbookVisitor* visitor;
  SheetRow row;
  int spreadsheet = 0;
  int tables = 0;
  int tablesSeen = 0;
  long rowNumber = 1;  // of the row being read
  long rowRepeat = 1;
  long cellRepeat = 1;
  int paragraphs = 0;  // text:p elements begun in the cell
  int inParagraph = 0;
  int annotation = 0;
  bool formula = false;
  bool typed = false;
  std::string text;
  std::string reference;
};

bool inFirstTable(const TableParse& parse) { return parse.tables == 1 && parse.tablesSeen == 1; }

long repeatOf(const char** attributes, const char* name, long room) {
  const char* value = attributeOf(attributes, name);
  // strtol, not atol: a count past a long's range is held at its end, never undefined.
  const long repeat = value != nullptr ? std::strtol(value, nullptr, 10) : 1;
  return repeat < 1 ? 1 : repeat > room ? room : repeat;
}

// A cell's typed value comes from its attributes; its text is taken from its paragraphs.
void startCell(TableParse& parse, const char** attributes) {
  parse.cellRepeat = repeatOf(attributes, "number-columns-repeated", kSheetColumns);
  parse.formula = attributeOf(attributes, "formula") != nullptr;
  parse.text.clear();
  parse.paragraphs = 0;
  const char* type = attributeOf(attributes, "value-type");
  parse.typed = type != nullptr;
  if (type == nullptr) {
    return;
  }
  const std::string_view kind(type);
  const char* value = attributeOf(attributes, "value");
  const char* date = attributeOf(attributes, "date-value");
  const char* truth = attributeOf(attributes, "boolean-value");
  const char* text = attributeOf(attributes, "string-value");
  if ((kind == "float" || kind == "currency" || kind == "percentage") && value != nullptr) {
    appendNumberText(parse.text, value);
  } else if (kind == "date" && date != nullptr) {
    appendIsoDateText(parse.text, date);
  } else if (kind == "boolean" && truth != nullptr) {
    parse.text += std::strcmp(truth, "true") == 0 ? "TRUE" : "FALSE";
  } else if (kind == "string" && text != nullptr) {
    parse.text += text;
  } else {
    parse.typed = false;
  }
}

void endCell(TableParse& parse) {
  if (parse.formula && !parse.typed && parse.text.empty()) {
    parse.reference.clear();
    appendCellReference(parse.reference, parse.row.next, parse.rowNumber);
    parse.visitor->formulaWithoutValue(parse.visitor->context, parse.rowNumber, parse.reference);
  }
  parse.row.addCell(parse.row.next, parse.text, parse.cellRepeat);
}

void endRow(TableParse& parse) {
  if (!parse.row.text.empty()) {
    parse.visitor->row(parse.visitor->context, parse.rowNumber, parse.rowRepeat, parse.row.text);
  }
  parse.rowNumber += parse.rowRepeat;
}

// Text of a cell: its paragraphs, one blank between them, with text:s, text:tab and
// text:line-break as blanks; an annotation (a comment) is no part of it.
void startCellText(TableParse& parse, std::string_view name, const char** attributes) {
  if (name == "annotation") {
    ++parse.annotation;
  } else if (parse.annotation > 0 || parse.typed) {
    return;
  } else if (name == "p") {
    parse.text += parse.paragraphs++ > 0 ? " " : "";
    ++parse.inParagraph;
  } else if (parse.inParagraph > 0 && (name == "tab" || name == "line-break")) {
    parse.text += ' ';
  } else if (parse.inParagraph > 0 && name == "s") {
    parse.text.append(static_cast<std::size_t>(repeatOf(attributes, "c", 64)), ' ');
  }
}

void onTableStart(void* context, std::string_view name, const char** attributes) {
  auto& parse = *static_cast<TableParse*>(context);
  parse.spreadsheet += name == "spreadsheet" ? 1 : 0;
  if (name == "table" && parse.spreadsheet > 0) {
    parse.tablesSeen += parse.tables++ == 0 ? 1 : 0;
  } else if (!inFirstTable(parse)) {
    return;
  } else if (name == "table-row") {
    parse.rowRepeat =
        repeatOf(attributes, "number-rows-repeated", kSheetRows + 1 - parse.rowNumber);
    parse.row.begin();
  } else if (name == "table-cell" || name == "covered-table-cell") {
    startCell(parse, attributes);
  } else {
    startCellText(parse, name, attributes);
  }
}

void onTableEnd(void* context, std::string_view name) {
  auto& parse = *static_cast<TableParse*>(context);
  parse.spreadsheet -= name == "spreadsheet" ? 1 : 0;
  if (name == "table") {
    parse.tables -= parse.tables > 0 ? 1 : 0;
  } else if (!inFirstTable(parse)) {
    return;
  } else if (name == "table-row") {
    endRow(parse);
  } else if (name == "table-cell" || name == "covered-table-cell") {
    endCell(parse);
  } else if (name == "annotation") {
    --parse.annotation;
  } else if (name == "p" && parse.annotation == 0 && !parse.typed) {
    --parse.inParagraph;
  }
}

void onTableText(void* context, const char* text, int length) {
  auto& parse = *static_cast<TableParse*>(context);
  if (parse.inParagraph > 0 && parse.annotation == 0 && !parse.typed && inFirstTable(parse)) {
    parse.text.append(text, static_cast<std::size_t>(length));
  }
}

}  // namespace

WorkbookOutcome readOdsWorkbook(const ZipArchive& archive, const WorkbookVisitor& visitor) {
  TableNames names;
  PartStatus status =
      parseXmlPart(archive, kContent, XmlHandlers{ &names, onNamesStart, onNamesEnd, ignoreText });
  if (status == PartStatus::read && names.names.empty()) {
    status = PartStatus::missing;
  }
  if (status == PartStatus::read) {
    visitor.sheets(visitor.context, names.names, 0);
    TableParse parse;
    parse.visitor = &visitor;
    status = parseXmlPart(archive, kContent,
                          XmlHandlers{ &parse, onTableStart, onTableEnd, onTableText });
  }
  return outcomeOfPart(status, kContent);
}
