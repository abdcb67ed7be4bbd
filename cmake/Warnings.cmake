# Strict warnings for every target of the project (never for third-party code).
function(tervane_warnings target)
  target_compile_options(${target} PRIVATE
    -Wall -Wextra -Werror -Wshadow -Wnon-virtual-dtor -Wold-style-cast
    -Wcast-align -Woverloaded-virtual -Wformat=2 -Wimplicit-fallthrough)
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
    # GCC 12 reports string concatenation as overlapping copies at -O3 (a
    # false positive inside libstdc++).
    target_compile_options(${target} PRIVATE -Wno-restrict)
  endif()
endfunction()
