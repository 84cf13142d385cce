#include "input/workbook_libraries.hpp"

#include <dlfcn.h>

#include <cstdio>

namespace {

// Bound at once, so that a library without a function fails here rather than in the middle of
// a sheet; local, so that nothing else in the process resolves against them.
constexpr int kLoadMode = RTLD_NOW | RTLD_LOCAL;

// Takes one function from the library into its typed pointer; when the library lacks it, the
// name is kept as missing. Counted by the caller, so that a missing function costs no branch
// of its own.
template <typename Function>
int take(void* library, const char* name, Function& function, const char*& missing) {
  void* const symbol = dlsym(library, name);
  function = reinterpret_cast<Function>(symbol);
  missing = symbol != nullptr ? missing : name;
  return static_cast<int>(symbol != nullptr);
}

bool takeZipFunctions(void* zip, WorkbookLibraries& f, const char*& missing) {
  int found = take(zip, "zip_discard", f.zip_discard, missing);
  found += take(zip, "zip_error_fini", f.zip_error_fini, missing);
  found += take(zip, "zip_error_init", f.zip_error_init, missing);
  found += take(zip, "zip_fclose", f.zip_fclose, missing);
  found += take(zip, "zip_fopen_index", f.zip_fopen_index, missing);
  found += take(zip, "zip_fread", f.zip_fread, missing);
  found += take(zip, "zip_name_locate", f.zip_name_locate, missing);
  found += take(zip, "zip_open_from_source", f.zip_open_from_source, missing);
  found += take(zip, "zip_source_buffer_create", f.zip_source_buffer_create, missing);
  found += take(zip, "zip_source_free", f.zip_source_free, missing);
  return found == 10;
}

bool takeXmlFunctions(void* xml, WorkbookLibraries& f, const char*& missing) {
  int found = take(xml, "XML_GetBuffer", f.XML_GetBuffer, missing);
  found += take(xml, "XML_ParseBuffer", f.XML_ParseBuffer, missing);
  found += take(xml, "XML_ParserCreate", f.XML_ParserCreate, missing);
  found += take(xml, "XML_ParserFree", f.XML_ParserFree, missing);
  found += take(xml, "XML_SetCharacterDataHandler", f.XML_SetCharacterDataHandler, missing);
  found += take(xml, "XML_SetElementHandler", f.XML_SetElementHandler, missing);
  found += take(xml, "XML_SetStartDoctypeDeclHandler", f.XML_SetStartDoctypeDeclHandler, missing);
  found += take(xml, "XML_SetUserData", f.XML_SetUserData, missing);
  found += take(xml, "XML_StopParser", f.XML_StopParser, missing);
  found += take(xml, "XML_UseParserAsHandlerArg", f.XML_UseParserAsHandlerArg, missing);
  return found == 10;
}

// What the last failed load was; the loader always says, the guard only keeps a string from a
// null pointer.
std::string loadError() {
  const char* const error = dlerror();
  return error != nullptr ? error : "the library cannot be opened";
}

}  // namespace

// The handles are never closed: the functions are used until the process ends.
bool loadWorkbookLibraries(const char* zipLibrary, const char* xmlLibrary,
                           WorkbookLibraries& libraries, std::string& reason) {
  void* const zip = dlopen(zipLibrary, kLoadMode);
  void* const xml = zip != nullptr ? dlopen(xmlLibrary, kLoadMode) : nullptr;
  if (xml == nullptr) {
    reason = loadError();
    return false;
  }
  const char* missing = nullptr;
  const bool zipWhole = takeZipFunctions(zip, libraries, missing);
  if (!zipWhole || !takeXmlFunctions(xml, libraries, missing)) {
    reason = std::string(zipWhole ? xmlLibrary : zipLibrary) + " has no function " + missing;
    return false;
  }
  return true;
}

const WorkbookLibraries* workbookLibraries(std::string& reason) {
  // What the first call gave, kept for the rest of the run: the libraries, once mapped, are the
  // whole process's anyway, and a load that failed would fail the same way again. Zero before
  // the first call, so it needs no guard; lists are read on one thread.
  static struct {
    bool tried;
    bool loaded;
    WorkbookLibraries functions;
    char reason[512];
  } once;
  if (!once.tried) {
    std::string failure;
    once.tried = true;
    once.loaded = loadWorkbookLibraries(QUORVA_LIBZIP_SONAME, QUORVA_EXPAT_SONAME,
                                        once.functions, failure);
    std::snprintf(once.reason, sizeof once.reason, "%s", failure.c_str());
  }
  reason = once.reason;
  return once.loaded ? &once.functions : nullptr;
}
