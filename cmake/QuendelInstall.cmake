# What `make install` puts beside the libraries for clients that build against them:
# the public headers under include/quendel/ (source layout kept), the CMake package
# Toolvane0305 (imported targets Quendel::support, Quendel::platform,
# Quendel::automation, Quendel::toolvane0305, Quendel::toolvane0305qt and the function
# quendel_add_resources), the pkg-config file toolvane0305.pc and the manual page.
#
# The header list is the closure of what clients include: the automation runtime, the
# early-bound class headers, the Qt adapter, and the support and platform headers these
# include. The installed-tree test compiles every one of them alone against the installed
# folder, so a header that includes one left out fails there.
include(CMakePackageConfigHelpers)

set(QUENDEL_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/Toolvane0305)

set(QUENDEL_PUBLIC_HEADERS
  automation/activation.h automation/app_object.h automation/collection.h automation/dispatch.h
  automation/err_object.h automation/mouse_pointer.h automation/object.h automation/property_bag.h
  automation/safe_array.h automation/std_font.h automation/std_picture.h automation/text_compare.h
  automation/variant.h
  support/codepage.h support/export.h support/guid.h support/quendelsupport.h support/quendelsupportfbe.h support/runtime_error.h support/win_types.h
  platform/base/handles.h platform/base/last_error.h platform/monitor/monitor.h platform/sync/named_mutex.h
  platform/window/window.h
  toolvane/about/module_entry.h toolvane/about/module_list.h toolvane/about/psapi_info.h
  toolvane/about/tool_help_info.h
  toolvane/clipboard/html_clip.h toolvane/clipboard/qnd_clipboard.h
  toolvane/controls/list_dialog_request.h toolvane/controls/qnd_simple_list_dialog.h
  toolvane/controls/qnd_tab_control.h toolvane/controls/qnd_text_box_def_button_watcher.h
  toolvane/controls/text_box_insert_hook.h toolvane/controls/uc_icon_control.h
  toolvane/errors/qnd_err.h
  toolvane/frame/library_object.h
  toolvane/general/command_line_parser.h toolvane/general/qnd_bench_mark.h toolvane/general/qnd_bench_mark_hp.h
  toolvane/general/qnd_main.h
  toolvane/instance/qnd_alone.h
  toolvane/monitors/monitor.h toolvane/monitors/qnd_multi_monitor.h
  toolvane/settings/qnd_autorun_support.h toolvane/settings/qnd_quendel_settings.h
  toolvane/settings/qnd_registry.h toolvane/settings/registry_values.h
  toolvane/settings/settings_key_paths.h
  toolvane/ui_api/ui_api.h)
set(QUENDEL_QT_HEADERS
  toolvane/qt/control_array.h toolvane/qt/controls_collection.h toolvane/qt/font_adapter.h
  toolvane/qt/icon_cursor.h toolvane/qt/key_codes_qt.h toolvane/qt/modal_loop.h toolvane/qt/mouse_icon.h
  toolvane/qt/mouse_pointer.h toolvane/qt/qstring_text.h toolvane/qt/widget_adapter.h
  toolvane/qt/widget_properties.h)

function(quendel_install_headers)
  foreach(header ${ARGN})
    get_filename_component(folder ${header} DIRECTORY)
    install(FILES ${PROJECT_SOURCE_DIR}/${header} DESTINATION ${QUENDEL_INCLUDE_DIR}/${folder})
  endforeach()
endfunction()

quendel_install_headers(${QUENDEL_PUBLIC_HEADERS})
if(QUENDEL_UI)
  quendel_install_headers(${QUENDEL_QT_HEADERS})
endif()

install(EXPORT QuendelTargets NAMESPACE Quendel:: FILE Toolvane0305Targets.cmake DESTINATION ${QUENDEL_CMAKE_DIR})
configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/Toolvane0305Config.cmake.in
  ${CMAKE_BINARY_DIR}/Toolvane0305Config.cmake INSTALL_DESTINATION ${QUENDEL_CMAKE_DIR})
write_basic_package_version_file(${CMAKE_BINARY_DIR}/Toolvane0305ConfigVersion.cmake
  VERSION ${PROJECT_VERSION} COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_BINARY_DIR}/Toolvane0305Config.cmake ${CMAKE_BINARY_DIR}/Toolvane0305ConfigVersion.cmake
              ${PROJECT_SOURCE_DIR}/cmake/QuendelResources.cmake ${PROJECT_SOURCE_DIR}/scripts/make-resource-section.py
        DESTINATION ${QUENDEL_CMAKE_DIR})

# The .pc file names its prefix relative to itself, so that an installed tree can be moved
# (and `cmake --install --prefix` can put it anywhere).
file(RELATIVE_PATH QUENDEL_PC_TO_PREFIX /${CMAKE_INSTALL_LIBDIR}/pkgconfig /)
string(REGEX REPLACE "/$" "" QUENDEL_PC_TO_PREFIX "${QUENDEL_PC_TO_PREFIX}")
configure_file(${PROJECT_SOURCE_DIR}/cmake/toolvane0305.pc.in ${CMAKE_BINARY_DIR}/toolvane0305.pc @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/toolvane0305.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)

install(FILES ${PROJECT_SOURCE_DIR}/pixgrow/pixgrow.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
