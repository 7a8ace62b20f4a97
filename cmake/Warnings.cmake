# Strict warnings for the project's own targets only; third-party headers come in as SYSTEM.
function(milva_warnings target)
  target_compile_options(${target} PRIVATE
    -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Wcast-align -Wunused
    -Woverloaded-virtual -Wdouble-promotion -Wformat=2
    -Wimplicit-fallthrough -Werror)
endfunction()
