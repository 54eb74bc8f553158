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

# Manual pages go compressed where the system's man expects them so (gzip -n: the
# same bytes on every build).
find_program(TALVENOR_GZIP gzip)
set(man_pages)
foreach(program IN LISTS TALVENOR_PROGRAMS)
  set(page ${PROJECT_SOURCE_DIR}/man/${program}.1)
  if(UNIX AND TALVENOR_GZIP)
    set(compressed ${PROJECT_BINARY_DIR}/man/${program}.1.gz)
    add_custom_command(OUTPUT ${compressed}
      COMMAND ${CMAKE_COMMAND} -E copy ${page} ${PROJECT_BINARY_DIR}/man/${program}.1
      COMMAND ${TALVENOR_GZIP} -9 -n -f ${PROJECT_BINARY_DIR}/man/${program}.1
      DEPENDS ${page} VERBATIM)
    list(APPEND man_pages ${compressed})
  else()
    list(APPEND man_pages ${page})
  endif()
endforeach()
add_custom_target(talvenor_man_pages ALL DEPENDS ${man_pages})
install(FILES ${man_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

set(CPACK_PACKAGE_NAME talvenor)
set(CPACK_PACKAGE_VENDOR "the talvenor developers")
set(CPACK_PACKAGE_CONTACT "the talvenor developers <talvenor@example.org>")
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

# Debian: the run-time dependencies are the C and C++ runtimes alone, found by
# dpkg-shlibdeps from the linked libraries; gnuplot draws the plots when it is there.
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SUGGESTS gnuplot)

include(CPack)
