#include "input/xml_part.hpp"

#include "input/workbook_libraries.hpp"

namespace {

// What every handler is given (as the parser's user data) and what the pieces are parsed
// with: the parser, the functions of the library it comes from, and the caller's handlers.
struct XmlParse {
  XML_Parser parser;
  const WorkbookLibraries& libraries;
  const XmlHandlers& handlers;
};

const XmlParse& parseOf(void* parser) {
  return *static_cast<const XmlParse*>(XML_GetUserData(static_cast<XML_Parser>(parser)));
}

void XMLCALL onStart(void* data, const XML_Char* name, const XML_Char** attributes) {
  const XmlHandlers& handlers = parseOf(data).handlers;
  handlers.start(handlers.context, localName(name), attributes);
}

void XMLCALL onEnd(void* data, const XML_Char* name) {
  const XmlHandlers& handlers = parseOf(data).handlers;
  handlers.end(handlers.context, localName(name));
}

void XMLCALL onText(void* data, const XML_Char* text, int length) {
  const XmlHandlers& handlers = parseOf(data).handlers;
  handlers.text(handlers.context, text, length);
}

// Any document type declaration is refused: a workbook needs none, and its entities are the
// way to a billion laughs.
void XMLCALL onDoctype(void* data, const XML_Char* /*name*/, const XML_Char* /*system*/,
                       const XML_Char* /*public*/, int /*internalSubset*/) {
  const XmlParse& parse = parseOf(data);
  parse.libraries.XML_StopParser(parse.parser, XML_FALSE);
}

// Pieces are never larger than the ZIP reader's, far below the parser's int.
char* pieceRoom(void* context, std::size_t count) {
  const auto& parse = *static_cast<const XmlParse*>(context);
  return static_cast<char*>(
      parse.libraries.XML_GetBuffer(parse.parser, static_cast<int>(count)));
}

bool takePiece(void* context, std::size_t count, bool last) {
  const auto& parse = *static_cast<const XmlParse*>(context);
  return parse.libraries.XML_ParseBuffer(parse.parser, static_cast<int>(count), last ? 1 : 0) ==
         XML_STATUS_OK;
}

}  // namespace

// One pass over the name: it is called for every element and attribute of a sheet.
std::string_view localName(const char* name) {
  const char* start = name;
  const char* at = name;
  for (; *at != '\0'; ++at) {
    start = *at == ':' ? at + 1 : start;
  }
  return std::string_view(start, static_cast<std::size_t>(at - start));
}

const char* attributeOf(const char** attributes, std::string_view name) {
  for (const char** at = attributes; *at != nullptr; at += 2) {
    if (localName(*at) == name) {
      return at[1];
    }
  }
  return nullptr;
}

PartStatus parseXmlPart(const ZipArchive& archive, const std::string& name,
                        const XmlHandlers& handlers) {
  const WorkbookLibraries& f = *archive.libraries;
  XmlParse parse{ f.XML_ParserCreate("UTF-8"), f, handlers };
  f.XML_SetUserData(parse.parser, &parse);
  f.XML_SetElementHandler(parse.parser, onStart, onEnd);
  f.XML_SetCharacterDataHandler(parse.parser, onText);
  f.XML_SetStartDoctypeDeclHandler(parse.parser, onDoctype);
  // Every handler is given the parser, so that the doctype handler can stop it.
  f.XML_UseParserAsHandlerArg(parse.parser);
  const PartStatus status = streamZipPart(archive, name, PartSink{ &parse, pieceRoom, takePiece });
  f.XML_ParserFree(parse.parser);
  return status;
}
