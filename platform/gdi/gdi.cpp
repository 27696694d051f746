#include "platform/gdi/gdi.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <unordered_map>

#include "platform/gdi/gdi_handles.h"
#include "platform/gdi/picture_limits.h"

namespace quendel::gdi {

std::shared_ptr<PixelStore> PixelStore::create(int width, int height, bool zero) {
  if (width < 0 || height < 0) return nullptr;
  const std::size_t count = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
  std::unique_ptr<std::uint32_t[]> data(new (std::nothrow) std::uint32_t[count ? count : 1]);
  if (!data) return nullptr;
  if (zero) std::memset(data.get(), 0, count * sizeof(std::uint32_t));
  return std::shared_ptr<PixelStore>(new PixelStore(width, height, std::move(data)));
}

std::shared_ptr<PixelStore> PixelStore::clone() const {
  auto copy = create(width_, height_, false);
  if (copy) std::memcpy(copy->data(), data(), pixelCount() * sizeof(std::uint32_t));
  return copy;
}

namespace detail {

namespace {
struct Entry {
  Kind kind;
  std::shared_ptr<void> object;
};
struct Table {
  std::unordered_map<std::uintptr_t, Entry> entries;
  std::uintptr_t next = 0x10000;
};
Table& table() {
  static Table t;
  return t;
}
}  // namespace

std::recursive_mutex& tableMutex() {
  static std::recursive_mutex m;
  return m;
}

std::uintptr_t addObject(Kind kind, std::shared_ptr<void> object) {
  std::lock_guard lock(tableMutex());
  Table& t = table();
  const std::uintptr_t handle = t.next;
  t.next += 4;
  t.entries.emplace(handle, Entry{kind, std::move(object)});
  return handle;
}

std::shared_ptr<void> findObject(std::uintptr_t handle, Kind kind) {
  std::lock_guard lock(tableMutex());
  auto it = table().entries.find(handle);
  if (it == table().entries.end() || it->second.kind != kind) return nullptr;
  return it->second.object;
}

bool removeObject(std::uintptr_t handle, Kind kind) {
  std::lock_guard lock(tableMutex());
  auto it = table().entries.find(handle);
  if (it == table().entries.end() || it->second.kind != kind) return false;
  table().entries.erase(it);
  return true;
}

bool BitmapObject::makeWritable() {
  if (virtualRows) {
    auto fresh = PixelStore::create(width, height, false);
    if (!fresh) return false;
    std::unique_ptr<std::uint32_t[]> scratch(new (std::nothrow) std::uint32_t[width ? width : 1]);
    if (!scratch) return false;
    for (int y = 0; y < height; ++y) {
      const std::uint32_t* src = virtualRows->row(y, scratch.get());
      std::memcpy(fresh->row(y), src, static_cast<std::size_t>(width) * 4);
    }
    store = std::move(fresh);
    virtualRows.reset();
    return true;
  }
  if (store.use_count() > 1) {
    auto copy = store->clone();
    if (!copy) return false;
    store = std::move(copy);
  }
  return store != nullptr;
}

}  // namespace detail

using detail::BitmapObject;
using detail::DcObject;
using detail::Kind;

namespace {

HBITMAP addBitmap(std::shared_ptr<BitmapObject> b) {
  return reinterpret_cast<HBITMAP>(detail::addObject(Kind::Bitmap, std::move(b)));
}

std::shared_ptr<BitmapObject> newBitmap(int width, int height, int bits) {
  if (width < 0 || height < 0 || !pictureSizeAllowed(std::max(width, 1), std::max(height, 1))) return nullptr;
  auto b = std::make_shared<BitmapObject>();
  b->width = width;
  b->height = height;
  b->bitsPixel = bits;
  b->store = PixelStore::create(width, height, true);
  if (!b->store) return nullptr;
  if (bits != 1) {
    // Compatible bitmaps are black with alpha 0xFF, so a copy to a file is opaque.
    std::fill(b->store->data(), b->store->data() + b->store->pixelCount(), 0xFF000000u);
  }
  return b;
}

}  // namespace

HBITMAP selectedBitmap(HDC dc) {
  std::lock_guard lock(detail::tableMutex());
  auto d = detail::find<DcObject>(dc, Kind::Dc);
  return d ? reinterpret_cast<HBITMAP>(d->bitmap) : nullptr;
}

namespace {

// The bitmap selected into a DC (or null).
std::shared_ptr<BitmapObject> dcBitmap(HDC dc) {
  auto d = detail::find<DcObject>(dc, Kind::Dc);
  if (!d) return nullptr;
  return std::static_pointer_cast<BitmapObject>(detail::findObject(d->bitmap, Kind::Bitmap));
}

std::uint32_t monochrome(std::uint32_t p) {
  const unsigned r = (p >> 16) & 0xFF, g = (p >> 8) & 0xFF, b = p & 0xFF;
  // A colour matches the nearer of the two entries of a monochrome bitmap's palette.
  return (r + g + b) >= 383 ? 0xFFFFFFFFu : 0xFF000000u;
}

std::uint32_t readPixel(const BitmapObject& b, int x, int y) {
  if (b.virtualRows) {
    std::unique_ptr<std::uint32_t[]> scratch(new (std::nothrow) std::uint32_t[b.width]);
    if (!scratch) return 0;
    return b.virtualRows->row(y, scratch.get())[x];
  }
  return b.store->row(y)[x];
}

}  // namespace

HBITMAP createBitmapFromStore(std::shared_ptr<PixelStore> store, int bitsPixel) {
  if (!store) return nullptr;
  auto b = std::make_shared<BitmapObject>();
  b->width = store->width();
  b->height = store->height();
  b->bitsPixel = bitsPixel;
  b->store = std::move(store);
  return addBitmap(std::move(b));
}

HBITMAP createVirtualBitmap(std::shared_ptr<const RowSource> source, int bitsPixel) {
  if (!source || source->width() < 0 || source->height() < 0) return nullptr;
  auto b = std::make_shared<BitmapObject>();
  b->width = source->width();
  b->height = source->height();
  b->bitsPixel = bitsPixel;
  b->virtualRows = std::move(source);
  return addBitmap(std::move(b));
}

std::shared_ptr<const RowSource> bitmapRowSource(HBITMAP bitmap) {
  std::lock_guard lock(detail::tableMutex());
  auto b = detail::find<BitmapObject>(bitmap, Kind::Bitmap);
  if (!b) return nullptr;
  if (b->virtualRows) return b->virtualRows;
  return std::make_shared<StoreRowSource>(b->store);
}

std::shared_ptr<PixelStore> bitmapStoreForWriting(HBITMAP bitmap) {
  std::lock_guard lock(detail::tableMutex());
  auto b = detail::find<BitmapObject>(bitmap, Kind::Bitmap);
  if (!b || !b->makeWritable()) return nullptr;
  return b->store;
}

int bitmapBitsPixel(HBITMAP bitmap) {
  auto b = detail::find<BitmapObject>(bitmap, Kind::Bitmap);
  return b ? b->bitsPixel : 0;
}

}  // namespace quendel::gdi

using namespace quendel::gdi;

HBITMAP CreateBitmap(int width, int height, UINT planes, UINT bitCount, const void* bits) {
  if (planes != 1 || (bitCount != 1 && bitCount != 32)) return nullptr;
  std::lock_guard lock(detail::tableMutex());
  auto b = newBitmap(width, height, static_cast<int>(bitCount));
  if (!b) return nullptr;
  if (bits) {
    const auto* src = static_cast<const std::uint8_t*>(bits);
    if (bitCount == 32) {
      // Rows of a device-dependent bitmap: 4 bytes a pixel, B G R x, top-down.
      for (int y = 0; y < height; ++y) {
        std::uint32_t* row = b->store->row(y);
        std::memcpy(row, src + static_cast<std::size_t>(y) * width * 4, static_cast<std::size_t>(width) * 4);
        for (int x = 0; x < width; ++x) row[x] |= 0xFF000000u;
      }
    } else {
      // Monochrome rows are padded to 16 bits; a set bit is white.
      const std::size_t stride = ((static_cast<std::size_t>(width) + 15) / 16) * 2;
      for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
          const bool set = (src[y * stride + x / 8] >> (7 - x % 8)) & 1;
          b->store->row(y)[x] = set ? 0xFFFFFFFFu : 0xFF000000u;
        }
    }
  }
  return addBitmap(std::move(b));
}

HBITMAP CreateCompatibleBitmap(HDC dc, int width, int height) {
  std::lock_guard lock(detail::tableMutex());
  int bits = 32;
  if (dc) {
    auto d = detail::find<DcObject>(dc, Kind::Dc);
    if (!d) return nullptr;
    auto b = dcBitmap(dc);
    bits = (b && b->bitsPixel == 1) ? 1 : 32;
  }
  auto b = newBitmap(width, height, bits);
  return b ? addBitmap(std::move(b)) : nullptr;
}

HDC CreateCompatibleDC(HDC dc) {
  std::lock_guard lock(detail::tableMutex());
  if (dc && !detail::find<DcObject>(dc, Kind::Dc)) return nullptr;
  auto stock = newBitmap(1, 1, 1);
  if (!stock) return nullptr;
  stock->stock = true;
  const auto stockHandle = reinterpret_cast<std::uintptr_t>(addBitmap(stock));
  auto d = std::make_shared<DcObject>();
  d->bitmap = stockHandle;
  d->stockBitmap = stockHandle;
  const auto handle = detail::addObject(Kind::Dc, d);
  stock->selectedInto = handle;
  return reinterpret_cast<HDC>(handle);
}

BOOL DeleteDC(HDC dc) {
  std::lock_guard lock(detail::tableMutex());
  auto d = detail::find<DcObject>(dc, Kind::Dc);
  if (!d) return 0;
  if (auto b = dcBitmap(dc)) b->selectedInto = 0;
  detail::removeObject(d->stockBitmap, Kind::Bitmap);
  detail::removeObject(reinterpret_cast<std::uintptr_t>(dc), Kind::Dc);
  return 1;
}

HGDIOBJ SelectObject(HDC dc, HGDIOBJ object) {
  std::lock_guard lock(detail::tableMutex());
  auto d = detail::find<DcObject>(dc, Kind::Dc);
  auto b = detail::find<BitmapObject>(object, Kind::Bitmap);
  if (!d || !b) return nullptr;
  const auto handle = reinterpret_cast<std::uintptr_t>(object);
  const auto dcHandle = reinterpret_cast<std::uintptr_t>(dc);
  if (b->selectedInto != 0 && b->selectedInto != dcHandle) return nullptr;
  if (b->stock && handle != d->stockBitmap) return nullptr;
  const std::uintptr_t previous = d->bitmap;
  if (auto old = std::static_pointer_cast<BitmapObject>(detail::findObject(previous, Kind::Bitmap)))
    old->selectedInto = 0;
  d->bitmap = handle;
  b->selectedInto = dcHandle;
  return reinterpret_cast<HGDIOBJ>(previous);
}

BOOL DeleteObject(HGDIOBJ object) {
  std::lock_guard lock(detail::tableMutex());
  auto b = detail::find<BitmapObject>(object, Kind::Bitmap);
  if (!b || b->selectedInto != 0 || b->stock) return 0;
  return detail::removeObject(reinterpret_cast<std::uintptr_t>(object), Kind::Bitmap) ? 1 : 0;
}

DWORD GetObjectType(HGDIOBJ object) {
  std::lock_guard lock(detail::tableMutex());
  if (detail::find<BitmapObject>(object, Kind::Bitmap)) return OBJ_BITMAP;
  if (detail::find<DcObject>(object, Kind::Dc)) return OBJ_MEMDC;
  if (detail::findObject(reinterpret_cast<std::uintptr_t>(object), Kind::Metafile)) return OBJ_METAFILE;
  if (detail::findObject(reinterpret_cast<std::uintptr_t>(object), Kind::EnhMetafile)) return OBJ_ENHMETAFILE;
  return 0;
}

int GetObjectA(HANDLE object, int size, void* buffer) {
  std::lock_guard lock(detail::tableMutex());
  auto b = detail::find<BitmapObject>(object, Kind::Bitmap);
  if (!b) return 0;
  if (!buffer) return static_cast<int>(sizeof(BITMAP));
  if (size < static_cast<int>(sizeof(BITMAP))) return 0;
  BITMAP bm{};
  bm.bmType = 0;
  bm.bmWidth = b->width;
  bm.bmHeight = b->height;
  bm.bmWidthBytes = ((b->width * b->bitsPixel + 15) / 16) * 2;
  bm.bmPlanes = 1;
  bm.bmBitsPixel = static_cast<WORD>(b->bitsPixel);
  bm.bmBits = nullptr;
  std::memcpy(buffer, &bm, sizeof bm);
  return static_cast<int>(sizeof(BITMAP));
}

COLORREF GetPixel(HDC dc, int x, int y) {
  std::lock_guard lock(detail::tableMutex());
  auto b = dcBitmap(dc);
  if (!b || x < 0 || y < 0 || x >= b->width || y >= b->height) return CLR_INVALID;
  return colorFromPixel(readPixel(*b, x, y));
}

COLORREF SetPixel(HDC dc, int x, int y, COLORREF color) {
  std::lock_guard lock(detail::tableMutex());
  auto b = dcBitmap(dc);
  if (!b || x < 0 || y < 0 || x >= b->width || y >= b->height) return static_cast<COLORREF>(-1);
  if (!b->makeWritable()) return static_cast<COLORREF>(-1);
  std::uint32_t p = pixelFromColor(color & 0x00FFFFFFu);
  if (b->bitsPixel == 1) p = monochrome(p);
  b->store->row(y)[x] = p;
  return colorFromPixel(p);
}

BOOL BitBlt(HDC dest, int x, int y, int cx, int cy, HDC src, int x1, int y1, DWORD rop) {
  std::lock_guard lock(detail::tableMutex());
  auto d = dcBitmap(dest);
  auto s = dcBitmap(src);
  if (!d || !s || rop != SRCCOPY) return 0;
  // Clip the rectangle to the source and to the destination.
  std::int64_t sx = x1, sy = y1, dx = x, dy = y, w = cx, h = cy;
  if (w <= 0 || h <= 0) return 1;
  auto clip = [](std::int64_t& a, std::int64_t& b, std::int64_t& len) {
    if (a < 0) {
      b -= a;
      len += a;
      a = 0;
    }
    if (b < 0) {
      a -= b;
      len += b;
      b = 0;
    }
  };
  clip(sx, dx, w);
  clip(sy, dy, h);
  w = std::min({w, static_cast<std::int64_t>(s->width) - sx, static_cast<std::int64_t>(d->width) - dx});
  h = std::min({h, static_cast<std::int64_t>(s->height) - sy, static_cast<std::int64_t>(d->height) - dy});
  if (w <= 0 || h <= 0) return 1;
  if (d.get() == s.get() && !d->makeWritable()) return 0;
  // A whole-bitmap copy between bitmaps of one kind shares the pixels instead.
  if (d != s && sx == 0 && sy == 0 && dx == 0 && dy == 0 && w == s->width && h == s->height && w == d->width &&
      h == d->height && d->bitsPixel != 1) {
    d->store = s->store;
    d->virtualRows = s->virtualRows;
    return 1;
  }
  // Rows of the source are read before the destination is made writable, so a
  // self-copy of an unshared store reads from a snapshot.
  auto snapshot =
      s->virtualRows ? std::shared_ptr<const RowSource>(s->virtualRows) : std::make_shared<StoreRowSource>(s->store);
  if (d.get() == s.get()) snapshot = std::make_shared<StoreRowSource>(s->store->clone());
  if (!d->makeWritable()) return 0;
  std::unique_ptr<std::uint32_t[]> scratch(new (std::nothrow) std::uint32_t[s->width]);
  if (!scratch) return 0;
  for (std::int64_t r = 0; r < h; ++r) {
    const std::uint32_t* in = snapshot->row(static_cast<int>(sy + r), scratch.get()) + sx;
    std::uint32_t* out = d->store->row(static_cast<int>(dy + r)) + dx;
    if (d->bitsPixel == 1) {
      for (std::int64_t i = 0; i < w; ++i) out[i] = monochrome(in[i]);
    } else {
      std::memmove(out, in, static_cast<std::size_t>(w) * 4);
    }
  }
  return 1;
}
