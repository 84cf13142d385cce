// Loading the ZIP and XML libraries when a workbook is read: a library that is not there, or
// one that lacks a function, is refused with the reason; the libraries of the build load.

#include "input/workbook_libraries.hpp"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(WorkbookLibrariesTest, ALibraryMissingOrWithoutAFunctionIsRefusedWithTheReason) {
  const struct {
    const char* zip;
    const char* xml;
    bool loaded;
    const char* reason;  // a part of the reason
  } kCases[] = {
    { "libquorva-absent.so.0", QUORVA_EXPAT_SONAME, false, "libquorva-absent.so.0: cannot open" },
    { QUORVA_LIBZIP_SONAME, "libquorva-absent.so.0", false, "libquorva-absent.so.0: cannot open" },
    { "libc.so.6", QUORVA_EXPAT_SONAME, false, "libc.so.6 has no function zip_" },
    { QUORVA_LIBZIP_SONAME, "libc.so.6", false, "libc.so.6 has no function XML_" },
    { QUORVA_LIBZIP_SONAME, QUORVA_EXPAT_SONAME, true, "" },
  };
  for (const auto& c : kCases) {
    WorkbookLibraries libraries{};
    std::string reason;
    EXPECT_EQ(loadWorkbookLibraries(c.zip, c.xml, libraries, reason), c.loaded) << c.zip << c.xml;
    EXPECT_NE(reason.find(c.reason), std::string::npos) << reason;
    EXPECT_EQ(libraries.XML_UseParserAsHandlerArg != nullptr, c.loaded) << c.zip << c.xml;
  }
  // Loaded once for the whole run, the same on every call.
  std::string reason;
  const WorkbookLibraries* first = workbookLibraries(reason);
  ASSERT_NE(first, nullptr) << reason;
  EXPECT_EQ(workbookLibraries(reason), first);
}

}  // namespace
