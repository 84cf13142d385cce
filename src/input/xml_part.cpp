#include "input/xml_part.hpp"

#include <expat.h>

#include <cstring>

namespace {

struct PartParse {
  XML_Parser parser;
  const XmlHandlers* handlers;
};

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

bool takePiece(void* context, const char* bytes, std::size_t count, bool last) {
  auto* parse = static_cast<PartParse*>(context);
  // Pieces are never larger than the ZIP reader's, far below the parser's int.
  return XML_Parse(parse->parser, bytes, static_cast<int>(count), last ? 1 : 0) ==
         XML_STATUS_OK;
}

}  // namespace

std::string_view localName(const char* name) {
  const char* colon = std::strrchr(name, ':');
  return colon != nullptr ? std::string_view(colon + 1) : std::string_view(name);
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
  PartParse parse{ parser, &handlers };
  const PartStatus status = streamZipPart(archive, name, PartSink{ &parse, takePiece });
  XML_ParserFree(parser);
  return status;
}
