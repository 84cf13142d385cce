#ifndef QUORVA_INPUT_WORKBOOK_LIBRARIES_HPP
#define QUORVA_INPUT_WORKBOOK_LIBRARIES_HPP

#include <expat.h>
#include <zip.h>

#include <string>

/// The functions of libzip and expat that reading a workbook calls. The libraries are loaded
/// when the first workbook is read, not when the program starts: a text list, the common case,
/// never maps them (nor the compression and crypto libraries libzip brings in).
struct WorkbookLibraries {
  decltype(&::zip_discard) zip_discard;
  decltype(&::zip_error_fini) zip_error_fini;
  decltype(&::zip_error_init) zip_error_init;
  decltype(&::zip_fclose) zip_fclose;
  decltype(&::zip_fopen_index) zip_fopen_index;
  decltype(&::zip_fread) zip_fread;
  decltype(&::zip_name_locate) zip_name_locate;
  decltype(&::zip_open_from_source) zip_open_from_source;
  decltype(&::zip_source_buffer_create) zip_source_buffer_create;
  decltype(&::zip_source_free) zip_source_free;
  decltype(&::XML_GetBuffer) XML_GetBuffer;
  decltype(&::XML_ParseBuffer) XML_ParseBuffer;
  decltype(&::XML_ParserCreate) XML_ParserCreate;
  decltype(&::XML_ParserFree) XML_ParserFree;
  decltype(&::XML_SetCharacterDataHandler) XML_SetCharacterDataHandler;
  decltype(&::XML_SetElementHandler) XML_SetElementHandler;
  decltype(&::XML_SetStartDoctypeDeclHandler) XML_SetStartDoctypeDeclHandler;
  decltype(&::XML_SetUserData) XML_SetUserData;
  decltype(&::XML_StopParser) XML_StopParser;
  decltype(&::XML_UseParserAsHandlerArg) XML_UseParserAsHandlerArg;
};

/// Loads the ZIP library and the XML library of these names and takes every function from
/// them; false with the reason (what the loader said, or the function a library lacks) when a
/// library cannot be loaded or lacks one.
bool loadWorkbookLibraries(const char* zipLibrary, const char* xmlLibrary,
                           WorkbookLibraries& libraries, std::string& reason);

/// The libraries this program was built against, loaded on the first call; nullptr with the
/// reason when they cannot be.
const WorkbookLibraries* workbookLibraries(std::string& reason);

#endif
