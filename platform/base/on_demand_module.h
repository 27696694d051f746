// A shared module of the port's own that carries one heavy route (metafile drawing, TIFF,
// JPEG, GIF, downloads) with the outside libraries it links, loaded with dlopen the first
// time a run takes that route, so that a run which never takes it never maps those
// libraries.
//
//   struct TiffModule { ModuleTableHeader header; int (*decode)(...); };
//   const TiffModule* tiff() {
//     static OnDemandModule module("libquendeltiff.so", "quendelTiffModule", kTiffModuleVersion,
//                                  sizeof(TiffModule));
//     return module.table<TiffModule>();
//   }
//   if (!tiff()) return DecodeStatus::Damaged;     // the route's own failure
//
// Where: the folder `quendel` beside the shared object that holds this code (found with
// dladdr), so the build tree (<build>/lib/quendel/) and the installed tree
// (<libdir>/quendel/) look alike; QUENDEL_MODULE_DIR names another folder instead (read
// with secure_getenv, so a set-id program ignores it).
// The module exports one C function, `entry`, that takes no arguments and returns its
// table; the table starts with a ModuleTableHeader. A table whose magic, version or size
// differ from what the caller was built with is refused, so a stale module of another
// build is never called.
// Loading happens at most once per object and is thread-safe; a loaded module stays
// loaded (RTLD_NOW | RTLD_LOCAL). On failure table() returns nullptr, now and on every
// later call, error() tells why, and one debug line (asDebugPrint, QUENDEL_DEBUG) names
// the module's file and the loader's text (dlerror) or the mismatch.
#pragma once

#include <cstdint>
#include <mutex>
#include <string>

#include "platform/base/last_error.h"
#include "support/export.h"

QUENDEL_EXPORT_BEGIN

namespace quendel::platform {

// "QMOD", the first four bytes of every module table.
constexpr std::uint32_t kModuleTableMagic = 0x444F4D51u;

struct ModuleTableHeader {
  std::uint32_t magic;    // kModuleTableMagic
  std::uint32_t version;  // the interface's version, raised with every change of the table
  std::uint32_t size;     // sizeof the whole table
};

class OnDemandModule {
 public:
  OnDemandModule(const char* fileName, const char* entry, std::uint32_t version, std::uint32_t tableSize);
  OnDemandModule(const OnDemandModule&) = delete;
  OnDemandModule& operator=(const OnDemandModule&) = delete;

  // The module's table, loading the module on the first call; nullptr when it failed.
  template <class Table>
  const Table* table() {
    return static_cast<const Table*>(load());
  }
  // Why loading failed; empty while it has not (or not yet) failed.
  const std::string& error() const { return error_; }

  // The folder modules are looked for in: QUENDEL_MODULE_DIR, else `quendel` beside the
  // shared object holding this code.
  static std::string folder();

 private:
  const void* load();
  const void* open();

  const char* fileName_;
  const char* entry_;
  std::uint32_t version_;
  std::uint32_t tableSize_;
  std::once_flag once_;
  const void* table_ = nullptr;
  std::string error_;
};

}  // namespace quendel::platform

QUENDEL_EXPORT_END
