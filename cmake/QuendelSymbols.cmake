# What each shared library exports. Sources are compiled with hidden visibility (the
# top-level CMakeLists.txt); what headers declare is exported (support/export.h). The
# version script cmake/symbols/<target>.map files every exported symbol under the
# library's public node (the API of the installed headers and the entry points found
# with dlsym) or under QUENDEL_PRIVATE (interfaces between our own libraries and their
# tests), and keeps the rest local. The symbol tests compare the public node with
# testdata/symbols/<target>.txt and check that the private node holds only our own
# interfaces; `scripts/check-symbols --update <build>` rewrites the lists after an
# intended change of the API.

# Links the target with its version script; registers it for the symbol tests.
function(quendel_library_symbols target)
  set(map ${PROJECT_SOURCE_DIR}/cmake/symbols/${target}.map)
  target_link_options(${target} PRIVATE "LINKER:--version-script=${map}")
  set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${map})
  set_property(GLOBAL APPEND PROPERTY QUENDEL_SYMBOL_LIBRARIES ${target})
endfunction()

# One test per registered library, after every library is defined, and one that every
# library header exports what it declares.
function(quendel_symbol_tests)
  if(NOT QUENDEL_TESTS)
    return()
  endif()
  add_test(NAME symbols.headers COMMAND ${PROJECT_SOURCE_DIR}/scripts/check-symbols --headers)
  get_property(targets GLOBAL PROPERTY QUENDEL_SYMBOL_LIBRARIES)
  foreach(target ${targets})
    add_test(NAME symbols.${target}
             COMMAND ${PROJECT_SOURCE_DIR}/scripts/check-symbols $<TARGET_FILE:${target}>
                     ${PROJECT_SOURCE_DIR}/testdata/symbols/${target}.txt)
  endforeach()
endfunction()
