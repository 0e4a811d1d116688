# One place for the warning flags every target of ours uses.
add_library(tugworth_warnings INTERFACE)
target_compile_options(tugworth_warnings INTERFACE
  -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wsign-conversion
  -Wnon-virtual-dtor -Woverloaded-virtual -Wold-style-cast)
if(TUGWORTH_WERROR)
  target_compile_options(tugworth_warnings INTERFACE -Werror)
endif()
# GCC 12 reports std::string appends as overlapping memcpy at -O2 and above (GCC bug 105329):
# a false alarm inside libstdc++ that would fail every optimised build.
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
  target_compile_options(tugworth_warnings INTERFACE -Wno-restrict)
endif()
