# quendel_add_resources: embeds a version block, icons, bitmaps and cursors into a
# program or library, in the ELF section ".quendel.rsrc" that the resource calls read
# (GetFileVersionInfoA, VerQueryValueA, LoadImageA, LoadIconA, LoadBitmapA, LoadCursorA).
#
#   include(QuendelResources)
#   quendel_add_resources(myclient
#     VERSION 1.2.0.7                      # numeric file and product version
#     FILE_VERSION "1.02.0007"             # texts; FILE_VERSION defaults to VERSION
#     COMPANY_NAME "Example" FILE_DESCRIPTION "My client" PRODUCT_NAME "My client"
#     INTERNAL_NAME myclient               # defaults to the target's name
#     ORIGINAL_FILENAME myclient           # defaults to the target's file name
#     LANGUAGE 0x0409 CODEPAGE 1252        # the string table's translation (these are the defaults)
#     STRINGS "Comments=Built with CMake"  # any other Name=Value
#     ICONS A_MAIN=icons/main.ico BITMAPS LOGO=pictures/logo.bmp CURSORS HAND=cursors/hand.cur)
#
# Files are named relative to the calling folder. A target gets its resources once.
set(QUENDEL_RESOURCE_SCRIPT ${CMAKE_CURRENT_LIST_DIR}/../scripts/make-resource-section.py)

function(quendel_add_resources target)
  set(single VERSION FILE_VERSION PRODUCT_VERSION COMPANY_NAME FILE_DESCRIPTION INTERNAL_NAME ORIGINAL_FILENAME
             PRODUCT_NAME LEGAL_COPYRIGHT LANGUAGE CODEPAGE)
  cmake_parse_arguments(R "" "${single}" "STRINGS;ICONS;BITMAPS;CURSORS" ${ARGN})
  if(NOT R_VERSION)
    message(FATAL_ERROR "quendel_add_resources(${target}): VERSION is required")
  endif()
  get_target_property(done ${target} QUENDEL_RESOURCES)
  if(done)
    message(FATAL_ERROR "quendel_add_resources(${target}): the target has its resources already")
  endif()
  set_target_properties(${target} PROPERTIES QUENDEL_RESOURCES ON)
  find_package(Python3 REQUIRED COMPONENTS Interpreter)

  get_target_property(type ${target} TYPE)
  set(file_type app)
  if(type STREQUAL "SHARED_LIBRARY" OR type STREQUAL "MODULE_LIBRARY")
    set(file_type dll)
  endif()
  foreach(field FILE_VERSION PRODUCT_VERSION)
    if(NOT R_${field})
      set(R_${field} ${R_VERSION})
    endif()
  endforeach()
  if(NOT R_INTERNAL_NAME)
    set(R_INTERNAL_NAME ${target})
  endif()
  if(NOT R_ORIGINAL_FILENAME)
    set(R_ORIGINAL_FILENAME "$<TARGET_FILE_NAME:${target}>")
  endif()
  if(NOT R_LANGUAGE)
    set(R_LANGUAGE 0x0409)
  endif()
  if(NOT R_CODEPAGE)
    set(R_CODEPAGE 1252)
  endif()

  set(args --version ${R_VERSION} --file-type ${file_type} --language ${R_LANGUAGE} --codepage ${R_CODEPAGE})
  foreach(pair "CompanyName;COMPANY_NAME" "FileDescription;FILE_DESCRIPTION" "FileVersion;FILE_VERSION"
               "InternalName;INTERNAL_NAME" "LegalCopyright;LEGAL_COPYRIGHT" "OriginalFilename;ORIGINAL_FILENAME"
               "ProductName;PRODUCT_NAME" "ProductVersion;PRODUCT_VERSION")
    list(GET pair 0 name)
    list(GET pair 1 field)
    if(DEFINED R_${field})
      list(APPEND args --string "${name}=${R_${field}}")
    endif()
  endforeach()
  foreach(item ${R_STRINGS})
    list(APPEND args --string "${item}")
  endforeach()
  set(depends ${QUENDEL_RESOURCE_SCRIPT})
  foreach(kind ICONS:icon BITMAPS:bitmap CURSORS:cursor)
    string(REPLACE ":" ";" kind ${kind})
    list(GET kind 0 list)
    list(GET kind 1 option)
    foreach(item ${R_${list}})
      string(FIND "${item}" "=" cut)
      string(SUBSTRING "${item}" 0 ${cut} name)
      math(EXPR from "${cut} + 1")
      string(SUBSTRING "${item}" ${from} -1 file)
      get_filename_component(file "${file}" ABSOLUTE BASE_DIR ${CMAKE_CURRENT_SOURCE_DIR})
      list(APPEND args --${option} "${name}=${file}")
      list(APPEND depends "${file}")
    endforeach()
  endforeach()

  set(dir ${CMAKE_CURRENT_BINARY_DIR}/${target}_resources)
  add_custom_command(OUTPUT ${dir}/section.bin
    COMMAND ${CMAKE_COMMAND} -E make_directory ${dir}
    COMMAND Python3::Interpreter ${QUENDEL_RESOURCE_SCRIPT} --output ${dir}/section.bin ${args}
    DEPENDS ${depends}
    COMMENT "Resources of ${target}"
    VERBATIM)
  # The section is allocated so that no strip removes it; it is read from the file.
  file(WRITE ${dir}/section.S.in
    "  .section .quendel.rsrc,\"a\",@progbits\n  .balign 16\n  .incbin \"${dir}/section.bin\"\n"
    "  .section .note.GNU-stack,\"\",@progbits\n")
  configure_file(${dir}/section.S.in ${dir}/section.S COPYONLY)
  set_source_files_properties(${dir}/section.S PROPERTIES OBJECT_DEPENDS ${dir}/section.bin)
  target_sources(${target} PRIVATE ${dir}/section.S)
endfunction()
