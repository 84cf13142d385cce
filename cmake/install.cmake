# Install layout and the Debian package.
#
#   cmake --install build --prefix P   puts the program in P/bin, its manual page in
#   P/share/man/man1 and the user guide with the worked examples in P/share/doc/quorva
#   (docs/ and examples/ side by side, so the links between them keep working).
#   cpack -G DEB (or `make package`)   builds quorva_<version>_<arch>.deb for /usr.

include(GNUInstallDirs)

install(TARGETS quorva RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${CMAKE_SOURCE_DIR}/docs/quorva.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${CMAKE_SOURCE_DIR}/docs/user-guide.md DESTINATION ${CMAKE_INSTALL_DOCDIR}/docs)
install(DIRECTORY ${CMAKE_SOURCE_DIR}/examples/ DESTINATION ${CMAKE_INSTALL_DOCDIR}/examples)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quorva)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "QUORVA developers <quorva@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "public support calculator for Form 990 Schedule A")
set(CPACK_PACKAGE_DESCRIPTION
    "quorva reads the donation lists of a 501(c)(3) charity, as tab-separated text exported
from a spreadsheet or as the .xlsx or .ods workbook itself, and prints what Form 990 Schedule A asks for: the totals by year,
the two percent limit on large donors, the Part II and Part III line values for the
five-year period and whether each public support test is passed. Worked examples and
a user guide are in /usr/share/doc/quorva.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# dpkg-shlibdeps (from dpkg-dev) works out the libraries the program links against where it
# is installed; elsewhere they are named here. libzip and expat, loaded only when a workbook is
# read, are seen by no tool and named either way, by the packages of the sonames the program
# loads (Debian names a library's package after its soname: libzip.so.4 is in libzip4).
set(quorva_loaded_packages "")
if(QUORVA_SPREADSHEETS_BUILT)
  foreach(soname IN ITEMS ${QUORVA_LIBZIP_LIBRARY_SONAME} ${EXPAT_LIBRARY_SONAME})
    string(REGEX REPLACE "\\.so\\.([0-9]+)$" "\\1" package "${soname}")
    list(APPEND quorva_loaded_packages ${package})
  endforeach()
endif()
find_program(QUORVA_DPKG_SHLIBDEPS dpkg-shlibdeps)
if(QUORVA_DPKG_SHLIBDEPS)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  list(JOIN quorva_loaded_packages ", " CPACK_DEBIAN_PACKAGE_DEPENDS)
else()
  list(JOIN quorva_loaded_packages ", " quorva_loaded_packages)
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "libc6")
  if(quorva_loaded_packages)
    string(APPEND CPACK_DEBIAN_PACKAGE_DEPENDS ", ${quorva_loaded_packages}")
  endif()
endif()
include(CPack)
