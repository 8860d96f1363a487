# What the libraries need before emscripten can build them for the page: included by the
# top-level CMakeLists.txt ahead of src/.

# libc++ 13, in Debian's emscripten, lacks a few C++20 pieces that src/ uses.
add_compile_options(-include ${CMAKE_CURRENT_LIST_DIR}/libcxx_compat.hpp)

# sa_study's command line reports bad values by exceptions, which emscripten leaves out
# unless asked.
add_compile_options(-fexceptions)
add_link_options(-fexceptions)

# CLI11 is header-only, but its package points the compiler at the host's /usr/include, whose
# C library would shadow emscripten's. The page takes CLI11's own folder alone, through a
# package of the same name that find_package(CLI11) finds first.
find_path(SA_WEB_CLI11_HEADERS CLI/CLI.hpp PATHS /usr/include NO_DEFAULT_PATH
          NO_CMAKE_FIND_ROOT_PATH)
if(SA_WEB_CLI11_HEADERS)
  set(cli11_package ${PROJECT_BINARY_DIR}/cli11)
  file(COPY ${SA_WEB_CLI11_HEADERS}/CLI DESTINATION ${cli11_package}/include)
  file(WRITE ${cli11_package}/CLI11Config.cmake
    "if(NOT TARGET CLI11::CLI11)\n"
    "  add_library(CLI11::CLI11 INTERFACE IMPORTED)\n"
    "  set_target_properties(CLI11::CLI11 PROPERTIES\n"
    "    INTERFACE_INCLUDE_DIRECTORIES \"${cli11_package}/include\")\n"
    "endif()\n")
  set(CLI11_DIR ${cli11_package} CACHE PATH "CLI11 for the web build" FORCE)
endif()
