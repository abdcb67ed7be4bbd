# Strict warnings for every target of the project (never for third-party code).
# Warnings stop the build only where TERVANE_WERROR is on (the project's own
# scripts and CI); a packager's compiler may know warnings ours does not.
option(TERVANE_WERROR "Treat compiler warnings as errors" OFF)

function(tervane_warnings target)
  target_compile_options(${target} PRIVATE
    -Wall -Wextra -Wshadow -Wnon-virtual-dtor -Wold-style-cast
    -Wcast-align -Woverloaded-virtual -Wformat=2 -Wimplicit-fallthrough)
  if(TERVANE_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
    # GCC 12 reports string concatenation as overlapping copies at -O3 (a
    # false positive inside libstdc++).
    target_compile_options(${target} PRIVATE -Wno-restrict)
  endif()
endfunction()
