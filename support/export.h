// What a shared library of the project exports.
//
// Every library is compiled with hidden visibility: a .cpp file's own helpers, inline
// functions and the standard library's template instances stay inside the library.
// What a header declares is an interface between libraries and is exported:
//
//   #include "support/export.h"
//   QUENDEL_EXPORT_BEGIN            // after the header's includes
//   class Variant { ... };
//   HRESULT asTrimEx(const BStr& s, BStr* out);
//   QUENDEL_EXPORT_END              // at the header's end
//
// QUENDEL_EXPORT marks one declaration that no header makes (an entry point found with
// dlsym). Each library's version script (cmake/symbols/<library>.map) then files the
// exported symbols under its public version node (what the installed headers declare)
// or under QUENDEL_PRIVATE (interfaces between our own libraries and their tests, which
// clients must not use); anything else it keeps local.
#pragma once

#define QUENDEL_EXPORT __attribute__((visibility("default")))
#define QUENDEL_EXPORT_BEGIN _Pragma("GCC visibility push(default)")
#define QUENDEL_EXPORT_END _Pragma("GCC visibility pop")
