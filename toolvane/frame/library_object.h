// LibraryObject: the base of every object the library hands out.
//
// It counts the library's live objects, so that DllCanUnloadNow can tell a client
// whether unloading the library is safe, and gives each class its member table.
#pragma once

#include <atomic>

#include "automation/dispatch.h"
#include "support/export.h"

QUENDEL_EXPORT_BEGIN

namespace quendel::toolvane {

using namespace quendel::automation;  // the library's classes speak the runtime's types

class LibraryObject : public Object {
 public:
  LibraryObject() { ++liveObjects_; }
  ~LibraryObject() override { --liveObjects_; }
  static long liveObjects() { return liveObjects_.load(); }

 private:
  static inline std::atomic<long> liveObjects_{0};
};

}  // namespace quendel::toolvane

QUENDEL_EXPORT_END
