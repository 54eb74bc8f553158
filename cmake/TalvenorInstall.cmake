# What `cmake --install` puts where, and the packages CPack makes of it: a Debian
# package on Linux (cpack -G DEB), a ZIP of the same tree for a Windows build.
# Included after every target is defined, so that talvenor-study is seen when it exists.
include(GNUInstallDirs)

set(TALVENOR_PROGRAMS talvenor)
if(TARGET talvenor-study)
  list(APPEND TALVENOR_PROGRAMS talvenor-study)
endif()
install(TARGETS ${TALVENOR_PROGRAMS} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

install(FILES examples/Talvenor.in examples/Talvenor_u.gnu examples/Talvenor_E.gnu
        DESTINATION ${CMAKE_INSTALL_DATADIR}/talvenor/examples)
install(FILES README.md LICENSE DESTINATION ${CMAKE_INSTALL_DOCDIR})
# The user guide and the pictures the README links to, where its links find them.
file(GLOB talvenor_guide CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/docs/*.md
     ${PROJECT_SOURCE_DIR}/docs/*.png)
install(FILES ${talvenor_guide} DESTINATION ${CMAKE_INSTALL_DOCDIR}/docs)

set(CPACK_PACKAGE_CONTACT "talvenor developers <talvenor@example.org>")

# The changelog, in Debian's form; its first entry is this version.
file(STRINGS packaging/changelog changelog_head LIMIT_COUNT 1)
if(NOT changelog_head MATCHES "^talvenor \\(${PROJECT_VERSION}\\) ")
  message(FATAL_ERROR "packaging/changelog does not begin with version ${PROJECT_VERSION}")
endif()

# The copyright file in Debian's machine-readable form, with the permission text
# of LICENSE (a paragraph break is a line holding one dot).
file(READ LICENSE license)
string(REGEX MATCH "Copyright \\(c\\) ([^\n]*)" copyright_line "${license}")
set(copyright_holder "${CMAKE_MATCH_1}")
string(REGEX REPLACE "^.*Copyright \\(c\\) [^\n]*\n" "" permission_text "${license}")
string(STRIP "${permission_text}" permission_text)
string(REPLACE "\n\n" "\n.\n" permission_text "${permission_text}")
string(REPLACE "\n" "\n " permission_text "${permission_text}")
configure_file(packaging/copyright.in ${PROJECT_BINARY_DIR}/doc/copyright @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/doc/copyright DESTINATION ${CMAKE_INSTALL_DOCDIR})

# Manual pages and the changelog go compressed where the system expects them so
# (gzip -n: the same bytes on every build); elsewhere (Windows) they stay plain,
# and the manual pages come as HTML too, since Windows has no man.
find_program(TALVENOR_GZIP gzip)
set(compress_docs OFF)
if(UNIX AND TALVENOR_GZIP)
  set(compress_docs ON)
endif()
if(WIN32)
  find_program(TALVENOR_GROFF groff REQUIRED)  # Debian: groff (groff-base has no HTML)
endif()

# talvenor_doc_file(SOURCE FOLDER OUTPUT_VARIABLE): the file the build makes of
# SOURCE in FOLDER of the build tree, compressed or a plain copy.
function(talvenor_doc_file source folder output_variable)
  get_filename_component(name ${source} NAME)
  set(copy ${PROJECT_BINARY_DIR}/${folder}/${name})
  if(compress_docs)
    add_custom_command(OUTPUT ${copy}.gz
      COMMAND ${CMAKE_COMMAND} -E copy ${source} ${copy}
      COMMAND ${TALVENOR_GZIP} -9 -n -f ${copy}
      DEPENDS ${source} VERBATIM)
    set(${output_variable} ${copy}.gz PARENT_SCOPE)
  else()
    set(${output_variable} ${source} PARENT_SCOPE)
  endif()
endfunction()

set(man_pages)
set(html_pages)
foreach(program IN LISTS TALVENOR_PROGRAMS)
  set(page ${PROJECT_SOURCE_DIR}/man/${program}.1)
  talvenor_doc_file(${page} man man_page)
  list(APPEND man_pages ${man_page})
  if(WIN32)
    set(html ${PROJECT_BINARY_DIR}/man/${program}.1.html)
    add_custom_command(OUTPUT ${html}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/man
      COMMAND ${TALVENOR_GROFF} -man -Thtml ${page} > ${html}
      DEPENDS ${page})
    list(APPEND html_pages ${html})
  endif()
endforeach()
talvenor_doc_file(${PROJECT_SOURCE_DIR}/packaging/changelog doc changelog)
add_custom_target(talvenor_docs ALL DEPENDS ${man_pages} ${html_pages} ${changelog})
install(FILES ${man_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${changelog} ${html_pages} DESTINATION ${CMAKE_INSTALL_DOCDIR})

set(CPACK_PACKAGE_NAME talvenor)
set(CPACK_PACKAGE_VENDOR "the talvenor developers")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CPACK_PACKAGE_CONTACT}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "verify finite-difference schemes on the steady 1-D Burgers equation")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
    "talvenor solves the steady one-dimensional Burgers equation with a\n"
    "manufactured source term on a uniform mesh (upwind with deferred correction,\n"
    "upwind or central differences, successive substitution) and compares the\n"
    "numerical solution with the exact one, node by node and through three\n"
    "variables of interest.")
if(TARGET talvenor-study)
  string(APPEND CPACK_PACKAGE_DESCRIPTION "\n"
         "talvenor-study runs a case on a sequence of meshes and reports the\n"
         "observed orders of convergence.")
endif()
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_RESOURCE_FILE_README ${PROJECT_SOURCE_DIR}/README.md)
set(CPACK_STRIP_FILES ON)
set(CPACK_SOURCE_IGNORE_FILES "/build/;/scratch/;/\\\\.git/")

if(WIN32)
  set(CPACK_GENERATOR ZIP)
else()
  set(CPACK_GENERATOR DEB)
endif()

# Debian: the run-time dependencies are the C and C++ runtimes, found by
# dpkg-shlibdeps from the linked libraries, and sensible-utils for the editor
# chosen when no variable names one; gnuplot draws the plots when it is there.
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_DEPENDS sensible-utils)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SUGGESTS gnuplot)

include(CPack)
