#ifndef QUORVA_INPUT_XML_PART_HPP
#define QUORVA_INPUT_XML_PART_HPP

#include <string>
#include <string_view>

#include "input/zip_part.hpp"

/// What a part's XML is handed to, element by element, with names and attribute names
/// without their namespace prefix ("table:table-row" is "table-row").
struct XmlHandlers {
  void* context;
  void (*start)(void* context, std::string_view name, const char** attributes);
  void (*end)(void* context, std::string_view name);
  /// Character data, entities and character references decoded; may come in several pieces.
  void (*text)(void* context, const char* text, int length);
};

/// Streams a part of the archive through an XML parser. A document type declaration makes the
/// XML malformed, so no entity of the document's own is ever expanded.
PartStatus parseXmlPart(const ZipArchive& archive, const std::string& name,
                        const XmlHandlers& handlers);

/// The value of the attribute of this name without prefix, or nullptr.
const char* attributeOf(const char** attributes, std::string_view name);

/// The name without its namespace prefix.
std::string_view localName(const char* name);

#endif
