// The Global* memory calls of the port: movable and fixed blocks that a program fills and
// hands to the clipboard, as the platform's global heap gives them.
//
//   HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, n);
//   BYTE* p = static_cast<BYTE*>(GlobalLock(h));   // nullptr on failure
//   ...; GlobalUnlock(h);
//   if (!SetClipboardData(CF_TEXT, h)) GlobalFree(h);
//
// Rules. Every block is zero-filled. A fixed block's handle is its address (GlobalLock
// returns the handle itself); a movable block's handle is an opaque value. Handles are
// looked up, never dereferenced, so a stale or invented handle is refused cleanly:
// GlobalLock gives nullptr, GlobalSize 0, GlobalUnlock FALSE, GlobalFree returns the
// handle. GlobalFree returns nullptr on success. A block of 0 bytes is valid (GlobalSize
// 0, GlobalLock a non-null address that must not be read). Requests above 1 GiB, or that
// the heap cannot satisfy, give nullptr. GlobalUnlock returns TRUE while the block stays
// locked, FALSE once the lock count reaches 0 (as on the platform).
// Thread-safe.
#pragma once

#include <cstddef>
#include <memory>
#include <vector>

#include "support/export.h"
#include "support/win_types.h"

QUENDEL_EXPORT_BEGIN

struct HGLOBALHandle;
using HGLOBAL = HGLOBALHandle*;
using SIZE_T = std::size_t;

constexpr UINT GMEM_FIXED = 0x0000;
constexpr UINT GMEM_MOVEABLE = 0x0002;
constexpr UINT GMEM_ZEROINIT = 0x0040;
constexpr UINT GMEM_DDESHARE = 0x2000;
constexpr UINT GMEM_SHARE = 0x2000;
constexpr UINT GHND = GMEM_MOVEABLE | GMEM_ZEROINIT;
constexpr UINT GPTR = GMEM_FIXED | GMEM_ZEROINIT;

HGLOBAL GlobalAlloc(UINT flags, SIZE_T bytes);
void* GlobalLock(HGLOBAL mem);
// Its result tells whether the block is still locked, not whether the call worked.
BOOL GlobalUnlock(HGLOBAL mem);
SIZE_T GlobalSize(HGLOBAL mem);
HGLOBAL GlobalFree(HGLOBAL mem);

namespace quendel::clipboard {

// An immutable run of bytes that keeps its storage alive (a memory block, a mapped file).
struct Bytes {
  std::shared_ptr<const void> keeper;
  const BYTE* data = nullptr;
  std::size_t size = 0;

  static Bytes copyOf(const void* p, std::size_t n);
  static Bytes fromVector(std::vector<BYTE> v);
  bool sameAs(const Bytes& other) const;
};

// Takes a block out of the global heap for the clipboard: the handle becomes invalid and
// the bytes live on in *out. False (and *out untouched) for an unknown handle.
bool takeGlobal(HGLOBAL mem, Bytes* out);
// A new movable block holding a copy of the bytes; nullptr when memory runs out.
HGLOBAL globalFromBytes(const BYTE* data, std::size_t size);

}  // namespace quendel::clipboard

QUENDEL_EXPORT_END
