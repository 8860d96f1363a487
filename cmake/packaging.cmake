# `cpack -G DEB` in a build folder makes the Debian package of the two programs and
# their manual pages.
set(CPACK_PACKAGE_NAME "sa-demo")
set(CPACK_PACKAGE_VENDOR "sa_demo developers")
set(CPACK_PACKAGE_CONTACT "sa_demo developers <sa-demo@example.org>")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
  "interactive console demonstration of simulated annealing")
set(CPACK_PACKAGE_DESCRIPTION
  "sa_demo searches for the maximum of a fixed sinc-based function of one variable on
[-2, 2] by simulated annealing, with x encoded as a 17-bit vector and moves that flip
one bit. A three-item menu in Portuguese generates a random solution, improves it by
annealing and reports the best solution found. sa_study runs the same annealing many
times and reports how often it finds the optimum.")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION "education")
set(CPACK_DEBIAN_PACKAGE_PRIORITY "optional")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS OFF)
set(CPACK_GENERATOR "DEB")
include(CPack)
