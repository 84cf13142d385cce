#include "input/xlsx_reader.hpp"

#include <climits>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "input/xml_part.hpp"

namespace {

struct Relationship {
  std::string id;
  std::string type;
  std::string target;
};

// The part a relationship's target names, from the folder of the part that holds it; a path
// only ever names a part inside the archive.
std::string resolveTarget(const std::string& folder, const std::string& target) {
  return target.rfind('/', 0) == 0 ? target.substr(1) : folder + target;
}

std::string folderOf(const std::string& part) {
  const std::size_t slash = part.rfind('/');
  return slash == std::string::npos ? std::string() : part.substr(0, slash + 1);
}

std::string relationshipsOf(const std::string& part) {
  const std::size_t slash = part.rfind('/');
  const std::size_t start = slash == std::string::npos ? 0 : slash + 1;
  return part.substr(0, start) + "_rels/" + part.substr(start) + ".rels";
}

bool endsWith(std::string_view text, std::string_view end) {
  return text.size() >= end.size() && text.substr(text.size() - end.size()) == end;
}

void ignoreEnd(void* /*context*/, std::string_view /*name*/) {}
void ignoreText(void* /*context*/, const char* /*text*/, int /*length*/) {}

void onRelationship(void* context, std::string_view name, const char** attributes) {
  const char* id = attributeOf(attributes, "Id");
  const char* type = attributeOf(attributes, "Type");
  const char* target = attributeOf(attributes, "Target");
  if (name == "Relationship" && id != nullptr && type != nullptr && target != nullptr) {
    static_cast<std::vector<Relationship>*>(context)->push_back(Relationship{ id, type, target });
  }
}

PartStatus readRelationships(const ZipArchive& archive, const std::string& part,
                             std::vector<Relationship>& relationships) {
  return parseXmlPart(archive, part,
                      XmlHandlers{ &relationships, onRelationship, ignoreEnd, ignoreText });
}

const Relationship* relationshipOfType(const std::vector<Relationship>& relationships,
                                       std::string_view type) {
  for (const Relationship& relationship : relationships) {
    if (endsWith(relationship.type, type)) {
      return &relationship;
    }
  }
  return nullptr;
}

struct WorkbookPart {
  std::vector<std::string> names;
  std::vector<std::string> ids;
  bool date1904 = false;
};

void onWorkbookElement(void* context, std::string_view name, const char** attributes) {
  auto& workbook = *static_cast<WorkbookPart*>(context);
  if (name == "workbookPr") {
    const char* date1904 = attributeOf(attributes, "date1904");
    workbook.date1904 = date1904 != nullptr &&
                        (std::strcmp(date1904, "1") == 0 || std::strcmp(date1904, "true") == 0);
  } else if (name == "sheet") {
    const char* sheetName = attributeOf(attributes, "name");
    const char* id = attributeOf(attributes, "id");
    workbook.names.emplace_back(sheetName != nullptr ? sheetName : "");
    workbook.ids.emplace_back(id != nullptr ? id : "");
  }
}

// Shared strings: each <si> is one, its <t> texts (rich text runs) joined; phonetic readings
// (<rPh>) are no part of the text.
struct SharedStringsParse {
  XlsxTables* tables;
  int phonetic = 0;
  bool inText = false;
};

void onSharedStart(void* context, std::string_view name, const char** /*attributes*/) {
  auto& parse = *static_cast<SharedStringsParse*>(context);
  if (name == "si") {
    parse.tables->sharedStarts.push_back(parse.tables->sharedText.size());
  } else if (name == "rPh") {
    ++parse.phonetic;
  }
  parse.inText = name == "t" && parse.phonetic == 0;
}

void onSharedEnd(void* context, std::string_view name) {
  auto& parse = *static_cast<SharedStringsParse*>(context);
  parse.phonetic -= name == "rPh" ? 1 : 0;
  parse.inText = false;
}

void onSharedText(void* context, const char* text, int length) {
  auto& parse = *static_cast<SharedStringsParse*>(context);
  if (parse.inText && !parse.tables->sharedStarts.empty()) {
    parse.tables->sharedText.append(text, static_cast<std::size_t>(length));
  }
}

// Styles: the custom number formats, then the cell formats (<cellXfs>) that name them.
struct StylesParse {
  XlsxTables* tables;
  std::vector<std::pair<int, std::string>> formats;
  std::vector<int> cellFormats;
  bool inCellFormats = false;
};

int numberAttribute(const char** attributes, std::string_view name) {
  const char* value = attributeOf(attributes, name);
  if (value == nullptr) {
    return 0;
  }
  // strtol, not atoi: a number past an int's range is no format the sheet defines, and must not
  // be undefined.
  const long number = std::strtol(value, nullptr, 10);
  return number < INT_MIN || number > INT_MAX ? -1 : static_cast<int>(number);
}

void onStylesStart(void* context, std::string_view name, const char** attributes) {
  auto& parse = *static_cast<StylesParse*>(context);
  if (name == "numFmt") {
    const char* code = attributeOf(attributes, "formatCode");
    parse.formats.emplace_back(numberAttribute(attributes, "numFmtId"),
                               code != nullptr ? code : "");
  } else if (name == "cellXfs") {
    parse.inCellFormats = true;
  } else if (name == "xf" && parse.inCellFormats) {
    parse.cellFormats.push_back(numberAttribute(attributes, "numFmtId"));
  }
}

void onStylesEnd(void* context, std::string_view name) {
  auto& parse = *static_cast<StylesParse*>(context);
  parse.inCellFormats = parse.inCellFormats && name != "cellXfs";
}

void markDateStyles(const StylesParse& parse, XlsxTables& tables) {
  for (int id : parse.cellFormats) {
    std::string_view code;
    for (const auto& format : parse.formats) {
      code = format.first == id ? std::string_view(format.second) : code;
    }
    tables.dateStyles.push_back(isDateFormat(id, code));
  }
}

// Reads the shared strings and the styles the workbook names; a workbook may have neither.
PartStatus readTables(const ZipArchive& archive, const std::vector<Relationship>& relationships,
                      const std::string& folder, XlsxTables& tables, std::string& part) {
  PartStatus status = PartStatus::read;
  if (const Relationship* shared = relationshipOfType(relationships, "/sharedStrings")) {
    part = resolveTarget(folder, shared->target);
    SharedStringsParse parse{ &tables };
    status = parseXmlPart(archive, part,
                          XmlHandlers{ &parse, onSharedStart, onSharedEnd, onSharedText });
  }
  const Relationship* styles = relationshipOfType(relationships, "/styles");
  if ((status == PartStatus::read || status == PartStatus::missing) && styles != nullptr) {
    part = resolveTarget(folder, styles->target);
    StylesParse parse{ &tables, {}, {}, false };
    status =
        parseXmlPart(archive, part, XmlHandlers{ &parse, onStylesStart, onStylesEnd, ignoreText });
    markDateStyles(parse, tables);
  }
  return status == PartStatus::missing ? PartStatus::read : status;
}

// The part of the workbook itself, which the package's relationships name.
std::string workbookPartOf(const ZipArchive& archive) {
  std::vector<Relationship> relationships;
  readRelationships(archive, "_rels/.rels", relationships);
  const Relationship* document = relationshipOfType(relationships, "/officeDocument");
  return document != nullptr ? resolveTarget("", document->target) : "xl/workbook.xml";
}

// The first sheet that is a worksheet (not a chart sheet), or the count of sheets.
std::size_t firstWorksheet(const WorkbookPart& workbook,
                           const std::vector<Relationship>& relationships, std::string& target) {
  for (std::size_t sheet = 0; sheet < workbook.ids.size(); ++sheet) {
    for (const Relationship& relationship : relationships) {
      if (relationship.id == workbook.ids[sheet] && endsWith(relationship.type, "/worksheet")) {
        target = relationship.target;
        return sheet;
      }
    }
  }
  return workbook.ids.size();
}

}  // namespace

WorkbookOutcome outcomeOfPart(PartStatus status, const std::string& part) {
  WorkbookOutcome outcome;
  outcome.fault = status == PartStatus::read       ? WorkbookFault::none
                  : status == PartStatus::tooLarge ? WorkbookFault::partTooLarge
                  : status == PartStatus::archive  ? WorkbookFault::archive
                  : status == PartStatus::missing  ? WorkbookFault::noWorksheet
                                                   : WorkbookFault::malformedXml;
  outcome.part = part;
  return outcome;
}

bool isXlsxArchive(const ZipArchive& archive) { return hasZipPart(archive, "[Content_Types].xml"); }

WorkbookOutcome readXlsxWorkbook(const ZipArchive& archive, const WorkbookVisitor& visitor) {
  std::string part = workbookPartOf(archive);
  WorkbookPart workbook;
  PartStatus status = parseXmlPart(
      archive, part, XmlHandlers{ &workbook, onWorkbookElement, ignoreEnd, ignoreText });
  std::vector<Relationship> relationships;
  const std::string folder = folderOf(part);
  if (status == PartStatus::read) {
    part = relationshipsOf(part);
    status = readRelationships(archive, part, relationships);
  }
  std::string target;
  const std::size_t sheet = firstWorksheet(workbook, relationships, target);
  if (status == PartStatus::read && sheet == workbook.ids.size()) {
    status = PartStatus::missing;
  }
  XlsxTables tables;
  tables.dateSystem = workbook.date1904 ? DateSystem::from1904 : DateSystem::from1900;
  if (status == PartStatus::read) {
    status = readTables(archive, relationships, folder, tables, part);
  }
  if (status == PartStatus::read) {
    visitor.sheets(visitor.context, workbook.names, sheet);
    part = resolveTarget(folder, target);
    status = readXlsxSheet(archive, part, tables, visitor);
  }
  return outcomeOfPart(status, part);
}
