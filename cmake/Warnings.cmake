# One place for the warning flags every target of ours uses.
add_library(tugworth_warnings INTERFACE)
target_compile_options(tugworth_warnings INTERFACE
  -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wsign-conversion
  -Wnon-virtual-dtor -Woverloaded-virtual -Wold-style-cast)
if(TUGWORTH_WERROR)
  target_compile_options(tugworth_warnings INTERFACE -Werror)
endif()
