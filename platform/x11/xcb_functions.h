// The xcb and xcb-randr functions the platform calls, one X(result, name, (parameters),
// (arguments)) each, for xcb_library.cpp, which defines them over the libraries it loads
// at first use. The prototypes are those of <xcb/xcb.h> and <xcb/randr.h>: a definition
// that differs from its header does not compile. A function the platform starts calling
// goes into its list here; until it does, linking the platform fails with that function
// undefined.
#pragma once

#include "support/export.h"

QUENDEL_EXPORT_BEGIN

// clang-format off
#define QUENDEL_XCB_FUNCTIONS(X) \
  X(xcb_void_cookie_t, xcb_bell_checked, (xcb_connection_t* c, int8_t percent), (c, percent)) \
  X(xcb_void_cookie_t, xcb_change_property, \
    (xcb_connection_t* c, uint8_t mode, xcb_window_t window, xcb_atom_t property, xcb_atom_t type, uint8_t format, \
     uint32_t data_len, const void* data), \
    (c, mode, window, property, type, format, data_len, data)) \
  X(xcb_void_cookie_t, xcb_change_property_checked, \
    (xcb_connection_t* c, uint8_t mode, xcb_window_t window, xcb_atom_t property, xcb_atom_t type, uint8_t format, \
     uint32_t data_len, const void* data), \
    (c, mode, window, property, type, format, data_len, data)) \
  X(xcb_void_cookie_t, xcb_change_window_attributes_checked, \
    (xcb_connection_t* c, xcb_window_t window, uint32_t value_mask, const void* value_list), \
    (c, window, value_mask, value_list)) \
  X(xcb_void_cookie_t, xcb_configure_window_checked, \
    (xcb_connection_t* c, xcb_window_t window, uint16_t value_mask, const void* value_list), \
    (c, window, value_mask, value_list)) \
  X(xcb_connection_t*, xcb_connect, (const char* displayname, int* screenp), (displayname, screenp)) \
  X(int, xcb_connection_has_error, (xcb_connection_t* c), (c)) \
  X(xcb_void_cookie_t, xcb_convert_selection, \
    (xcb_connection_t* c, xcb_window_t requestor, xcb_atom_t selection, xcb_atom_t target, xcb_atom_t property, \
     xcb_timestamp_t time), \
    (c, requestor, selection, target, property, time)) \
  X(xcb_void_cookie_t, xcb_create_window, \
    (xcb_connection_t* c, uint8_t depth, xcb_window_t wid, xcb_window_t parent, int16_t x, int16_t y, \
     uint16_t width, uint16_t height, uint16_t border_width, uint16_t _class, xcb_visualid_t visual, \
     uint32_t value_mask, const void* value_list), \
    (c, depth, wid, parent, x, y, width, height, border_width, _class, visual, value_mask, value_list)) \
  X(xcb_void_cookie_t, xcb_delete_property, \
    (xcb_connection_t* c, xcb_window_t window, xcb_atom_t property), \
    (c, window, property)) \
  X(xcb_void_cookie_t, xcb_delete_property_checked, \
    (xcb_connection_t* c, xcb_window_t window, xcb_atom_t property), \
    (c, window, property)) \
  X(xcb_void_cookie_t, xcb_destroy_window, (xcb_connection_t* c, xcb_window_t window), (c, window)) \
  X(void, xcb_disconnect, (xcb_connection_t* c), (c)) \
  X(int, xcb_flush, (xcb_connection_t* c), (c)) \
  X(uint32_t, xcb_generate_id, (xcb_connection_t* c), (c)) \
  X(xcb_get_atom_name_cookie_t, xcb_get_atom_name, (xcb_connection_t* c, xcb_atom_t atom), (c, atom)) \
  X(char*, xcb_get_atom_name_name, (const xcb_get_atom_name_reply_t* reply), (reply)) \
  X(int, xcb_get_atom_name_name_length, (const xcb_get_atom_name_reply_t* reply), (reply)) \
  X(xcb_get_atom_name_reply_t*, xcb_get_atom_name_reply, \
    (xcb_connection_t* c, xcb_get_atom_name_cookie_t cookie, xcb_generic_error_t** e), \
    (c, cookie, e)) \
  X(const xcb_query_extension_reply_t*, xcb_get_extension_data, \
    (xcb_connection_t* c, xcb_extension_t* ext), \
    (c, ext)) \
  X(int, xcb_get_file_descriptor, (xcb_connection_t* c), (c)) \
  X(xcb_get_geometry_cookie_t, xcb_get_geometry, (xcb_connection_t* c, xcb_drawable_t drawable), (c, drawable)) \
  X(xcb_get_geometry_reply_t*, xcb_get_geometry_reply, \
    (xcb_connection_t* c, xcb_get_geometry_cookie_t cookie, xcb_generic_error_t** e), \
    (c, cookie, e)) \
  X(uint32_t, xcb_get_maximum_request_length, (xcb_connection_t* c), (c)) \
  X(xcb_get_property_cookie_t, xcb_get_property, \
    (xcb_connection_t* c, uint8_t _delete, xcb_window_t window, xcb_atom_t property, xcb_atom_t type, \
     uint32_t long_offset, uint32_t long_length), \
    (c, _delete, window, property, type, long_offset, long_length)) \
  X(xcb_get_property_reply_t*, xcb_get_property_reply, \
    (xcb_connection_t* c, xcb_get_property_cookie_t cookie, xcb_generic_error_t** e), \
    (c, cookie, e)) \
  X(void*, xcb_get_property_value, (const xcb_get_property_reply_t* reply), (reply)) \
  X(int, xcb_get_property_value_length, (const xcb_get_property_reply_t* reply), (reply)) \
  X(xcb_get_selection_owner_cookie_t, xcb_get_selection_owner, \
    (xcb_connection_t* c, xcb_atom_t selection), \
    (c, selection)) \
  X(xcb_get_selection_owner_reply_t*, xcb_get_selection_owner_reply, \
    (xcb_connection_t* c, xcb_get_selection_owner_cookie_t cookie, xcb_generic_error_t** e), \
    (c, cookie, e)) \
  X(const xcb_setup_t*, xcb_get_setup, (xcb_connection_t* c), (c)) \
  X(xcb_get_window_attributes_cookie_t, xcb_get_window_attributes, \
    (xcb_connection_t* c, xcb_window_t window), \
    (c, window)) \
  X(xcb_get_window_attributes_reply_t*, xcb_get_window_attributes_reply, \
    (xcb_connection_t* c, xcb_get_window_attributes_cookie_t cookie, xcb_generic_error_t** e), \
    (c, cookie, e)) \
  X(xcb_intern_atom_cookie_t, xcb_intern_atom, \
    (xcb_connection_t* c, uint8_t only_if_exists, uint16_t name_len, const char* name), \
    (c, only_if_exists, name_len, name)) \
  X(xcb_intern_atom_reply_t*, xcb_intern_atom_reply, \
    (xcb_connection_t* c, xcb_intern_atom_cookie_t cookie, xcb_generic_error_t** e), \
    (c, cookie, e)) \
  X(xcb_void_cookie_t, xcb_map_window, (xcb_connection_t* c, xcb_window_t window), (c, window)) \
  X(xcb_void_cookie_t, xcb_map_window_checked, (xcb_connection_t* c, xcb_window_t window), (c, window)) \
  X(xcb_generic_event_t*, xcb_poll_for_event, (xcb_connection_t* c), (c)) \
  X(xcb_generic_event_t*, xcb_poll_for_queued_event, (xcb_connection_t* c), (c)) \
  X(xcb_query_tree_cookie_t, xcb_query_tree, (xcb_connection_t* c, xcb_window_t window), (c, window)) \
  X(xcb_window_t*, xcb_query_tree_children, (const xcb_query_tree_reply_t* reply), (reply)) \
  X(int, xcb_query_tree_children_length, (const xcb_query_tree_reply_t* reply), (reply)) \
  X(xcb_query_tree_reply_t*, xcb_query_tree_reply, \
    (xcb_connection_t* c, xcb_query_tree_cookie_t cookie, xcb_generic_error_t** e), \
    (c, cookie, e)) \
  X(xcb_generic_error_t*, xcb_request_check, (xcb_connection_t* c, xcb_void_cookie_t cookie), (c, cookie)) \
  X(void, xcb_screen_next, (xcb_screen_iterator_t* i), (i)) \
  X(xcb_void_cookie_t, xcb_send_event, \
    (xcb_connection_t* c, uint8_t propagate, xcb_window_t destination, uint32_t event_mask, const char* event), \
    (c, propagate, destination, event_mask, event)) \
  X(xcb_void_cookie_t, xcb_send_event_checked, \
    (xcb_connection_t* c, uint8_t propagate, xcb_window_t destination, uint32_t event_mask, const char* event), \
    (c, propagate, destination, event_mask, event)) \
  X(xcb_void_cookie_t, xcb_set_input_focus_checked, \
    (xcb_connection_t* c, uint8_t revert_to, xcb_window_t focus, xcb_timestamp_t time), \
    (c, revert_to, focus, time)) \
  X(xcb_screen_iterator_t, xcb_setup_roots_iterator, (const xcb_setup_t* reply), (reply)) \
  X(xcb_translate_coordinates_cookie_t, xcb_translate_coordinates, \
    (xcb_connection_t* c, xcb_window_t src_window, xcb_window_t dst_window, int16_t src_x, int16_t src_y), \
    (c, src_window, dst_window, src_x, src_y)) \
  X(xcb_translate_coordinates_reply_t*, xcb_translate_coordinates_reply, \
    (xcb_connection_t* c, xcb_translate_coordinates_cookie_t cookie, xcb_generic_error_t** e), \
    (c, cookie, e)) \
  X(xcb_void_cookie_t, xcb_unmap_window, (xcb_connection_t* c, xcb_window_t window), (c, window))

#define QUENDEL_XCB_RANDR_FUNCTIONS(X) \
  X(xcb_randr_get_monitors_cookie_t, xcb_randr_get_monitors, \
    (xcb_connection_t* c, xcb_window_t window, uint8_t get_active), \
    (c, window, get_active)) \
  X(xcb_randr_monitor_info_iterator_t, xcb_randr_get_monitors_monitors_iterator, \
    (const xcb_randr_get_monitors_reply_t* reply), \
    (reply)) \
  X(xcb_randr_get_monitors_reply_t*, xcb_randr_get_monitors_reply, \
    (xcb_connection_t* c, xcb_randr_get_monitors_cookie_t cookie, xcb_generic_error_t** e), \
    (c, cookie, e)) \
  X(void, xcb_randr_monitor_info_next, (xcb_randr_monitor_info_iterator_t* i), (i)) \
  X(xcb_randr_query_version_cookie_t, xcb_randr_query_version, \
    (xcb_connection_t* c, uint32_t major_version, uint32_t minor_version), \
    (c, major_version, minor_version)) \
  X(xcb_randr_query_version_reply_t*, xcb_randr_query_version_reply, \
    (xcb_connection_t* c, xcb_randr_query_version_cookie_t cookie, xcb_generic_error_t** e), \
    (c, cookie, e))
// clang-format on

QUENDEL_EXPORT_END
