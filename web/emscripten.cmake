# What the libraries need before emscripten can build them for the page: included by the
# top-level CMakeLists.txt ahead of src/.

# libc++ 13, in Debian's emscripten, lacks a few C++20 pieces that src/ uses.
add_compile_options(-include ${CMAKE_CURRENT_LIST_DIR}/libcxx_compat.hpp)
