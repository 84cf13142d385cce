#include "input/xml_part.hpp"

#include <expat.h>

namespace {

void XMLCALL onStart(void* data, const XML_Char* name, const XML_Char** attributes) {
  const XmlHandlers& handlers =
      *static_cast<const XmlHandlers*>(XML_GetUserData(static_cast<XML_Parser>(data)));
  handlers.start(handlers.context, localName(name), attributes);
}

void XMLCALL onEnd(void* data, const XML_Char* name) {
  const XmlHandlers& handlers =
      *static_cast<const XmlHandlers*>(XML_GetUserData(static_cast<XML_Parser>(data)));
  handlers.end(handlers.context, localName(name));
}

void XMLCALL onText(void* data, const XML_Char* text, int length) {
  const XmlHandlers& handlers =
      *static_cast<const XmlHandlers*>(XML_GetUserData(static_cast<XML_Parser>(data)));
  handlers.text(handlers.context, text, length);
}

// Any document type declaration is refused: a workbook needs none, and its entities are the
// way to a billion laughs.
void XMLCALL onDoctype(void* data, const XML_Char* /*name*/, const XML_Char* /*system*/,
                       const XML_Char* /*public*/, int /*internalSubset*/) {
  XML_StopParser(static_cast<XML_Parser>(data), XML_FALSE);
}

// Pieces are never larger than the ZIP reader's, far below the parser's int.
char* pieceRoom(void* context, std::size_t count) {
  return static_cast<char*>(
      XML_GetBuffer(static_cast<XML_Parser>(context), static_cast<int>(count)));
}

bool takePiece(void* context, std::size_t count, bool last) {
  return XML_ParseBuffer(static_cast<XML_Parser>(context), static_cast<int>(count), last ? 1 : 0) ==
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
  XML_Parser parser = XML_ParserCreate("UTF-8");
  XML_SetUserData(parser, const_cast<XmlHandlers*>(&handlers));
  XML_SetElementHandler(parser, onStart, onEnd);
  XML_SetCharacterDataHandler(parser, onText);
  XML_SetStartDoctypeDeclHandler(parser, onDoctype);
  // Every handler is given the parser, so that the doctype handler can stop it.
  XML_UseParserAsHandlerArg(parser);
  const PartStatus status = streamZipPart(archive, name, PartSink{ parser, pieceRoom, takePiece });
  XML_ParserFree(parser);
  return status;
}
