// The handle table behind every GDI handle of the port (internal to platform/gdi).
//
// Handle values are drawn from a counter and never reused, so a stale handle finds
// nothing. The table is guarded by one mutex; objects are held by shared_ptr, so an
// object being used by one call outlives a concurrent delete.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>

#include "platform/gdi/gdi_types.h"
#include "platform/gdi/row_source.h"
#include "support/export.h"

QUENDEL_EXPORT_BEGIN

namespace quendel::gdi::detail {

enum class Kind { Bitmap, Dc, Icon, Metafile, EnhMetafile };

struct BitmapObject {
  int width = 0;
  int height = 0;
  int bitsPixel = 32;
  std::shared_ptr<PixelStore> store;             // set unless virtual
  std::shared_ptr<const RowSource> virtualRows;  // set for a virtual bitmap
  std::uintptr_t selectedInto = 0;               // DC handle value, 0 when free
  bool stock = false;                            // the DC's default bitmap

  // Stored and unshared pixels, ready to be written; false if memory runs out.
  bool makeWritable();
};

struct DcObject {
  std::uintptr_t bitmap = 0;  // selected bitmap handle value
  std::uintptr_t stockBitmap = 0;
};

struct IconObject {
  bool isIcon = true;
  DWORD xHotspot = 0;
  DWORD yHotspot = 0;
  int width = 0;
  int height = 0;
  int colorBits = 32;
  bool hasAlpha = false;                    // colour pixels carry their own alpha
  std::shared_ptr<const PixelStore> color;  // 0xAARRGGBB
  std::shared_ptr<const PixelStore> mask;   // 0 (opaque) or 0x00FFFFFF (transparent)
};

std::uintptr_t addObject(Kind kind, std::shared_ptr<void> object);
std::shared_ptr<void> findObject(std::uintptr_t handle, Kind kind);
bool removeObject(std::uintptr_t handle, Kind kind);
std::recursive_mutex& tableMutex();

template <class T>
std::shared_ptr<T> find(const void* handle, Kind kind) {
  return std::static_pointer_cast<T>(findObject(reinterpret_cast<std::uintptr_t>(handle), kind));
}

}  // namespace quendel::gdi::detail

QUENDEL_EXPORT_END
