// The process's table of kernel object handles: the one numbering that every kind of
// kernel object of the port shares (named mutexes, module snapshots), so that one
// CloseHandle (platform/base/handles.h) closes any of them.
//
//   HANDLE h = quendel::addKernelHandle(std::make_shared<Snapshot>(...));
//   auto object = quendel::findKernelHandle(h, KernelObjectKind::ModuleSnapshot);
//   quendel::closeKernelHandle(h);   // true once; the object ends with its last user
//
// Handles are small multiples of 4 from 0x104 and never reused, so a closed or made-up
// handle is refused instead of reaching another object. Lookups hand out shared owners:
// a handle closed by one thread while another still uses its object keeps the object
// alive until that use ends. Thread-safe.
#pragma once

#include <memory>

#include "support/export.h"
#include "support/win_types.h"

QUENDEL_EXPORT_BEGIN

namespace quendel {

enum class KernelObjectKind { Mutex, ModuleSnapshot };

// A kernel object; its destructor releases what the object holds.
class KernelObject {
 public:
  explicit KernelObject(KernelObjectKind kind) : kind_(kind) {}
  KernelObject(const KernelObject&) = delete;
  KernelObject& operator=(const KernelObject&) = delete;
  virtual ~KernelObject() = default;
  KernelObjectKind kind() const { return kind_; }

 private:
  KernelObjectKind kind_;
};

// A new handle for object (never null, never INVALID_HANDLE_VALUE).
[[nodiscard]] HANDLE addKernelHandle(std::shared_ptr<KernelObject> object);
// The object of an open handle of that kind, or null.
[[nodiscard]] std::shared_ptr<KernelObject> findKernelHandle(HANDLE handle, KernelObjectKind kind);
// Closes an open handle: false for a closed or unknown one. The object is released here
// unless a lookup still holds it.
[[nodiscard]] bool closeKernelHandle(HANDLE handle);

}  // namespace quendel

QUENDEL_EXPORT_END
