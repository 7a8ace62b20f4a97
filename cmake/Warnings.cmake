# Strict warnings for the project's own targets only; third-party headers come in as SYSTEM.
# Warnings are errors where CI and the test command build; the play command turns that
# off, so a newer compiler's new warning never stops a player's build.
option(MILVA_WERROR "Treat warnings as errors" ON)

function(milva_warnings target)
  target_compile_options(${target} PRIVATE
    -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Wcast-align -Wunused
    -Woverloaded-virtual -Wdouble-promotion -Wformat=2
    -Wimplicit-fallthrough)
  # GCC 12 at -O3 reports string concatenation inside the standard library as
  # overlapping copies; the warning is wrong there and says nothing about our code.
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
    target_compile_options(${target} PRIVATE -Wno-restrict)
  endif()
  if(MILVA_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()
