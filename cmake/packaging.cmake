# `cpack -G DEB` in a build folder makes the Debian package of the two programs, their
# manual pages, the copyright file and the changelog.
set(SA_DEMO_MAINTAINER "sa_demo developers <developers@sa-demo.org>"
    CACHE STRING "Maintainer of the Debian package, as Name <address>")

set(CPACK_PACKAGE_NAME "sa-demo")
set(CPACK_PACKAGE_VENDOR "the sa_demo authors")
set(CPACK_PACKAGE_CONTACT "${SA_DEMO_MAINTAINER}")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
  "interactive console demonstration of simulated annealing")
set(CPACK_PACKAGE_DESCRIPTION
  "sa_demo searches for the maximum of a fixed sinc-based function of one
variable on [-2, 2] by simulated annealing, with x encoded as a 17-bit vector
and moves that flip one bit. A three-item menu in Portuguese generates a
random solution, improves it by annealing and reports the best solution found.
sa_study explores annealing schedules: it runs many annealings on every core
and reports, writes as CSV and plots how often they find the optimum.")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION "education")
set(CPACK_DEBIAN_PACKAGE_PRIORITY "optional")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS OFF)
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "gnuplot-nox")
set(CPACK_GENERATOR "DEB")
include(CPack)

set(doc_folder ${CMAKE_INSTALL_DATADIR}/doc/${CPACK_PACKAGE_NAME})
configure_file(${PROJECT_SOURCE_DIR}/doc/debian/changelog.in ${PROJECT_BINARY_DIR}/changelog @ONLY)
add_custom_command(OUTPUT ${PROJECT_BINARY_DIR}/changelog.gz
  COMMAND gzip -9nf -k changelog
  DEPENDS ${PROJECT_BINARY_DIR}/changelog
  WORKING_DIRECTORY ${PROJECT_BINARY_DIR}
  COMMENT "Compressing the changelog")
add_custom_target(debian_changelog ALL DEPENDS ${PROJECT_BINARY_DIR}/changelog.gz)
install(FILES ${PROJECT_SOURCE_DIR}/doc/debian/copyright ${PROJECT_BINARY_DIR}/changelog.gz
  DESTINATION ${doc_folder})
