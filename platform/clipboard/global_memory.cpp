#include "platform/clipboard/global_memory.h"

#include <cstring>
#include <mutex>
#include <new>
#include <unordered_map>

namespace quendel::clipboard {
namespace {

constexpr std::size_t kLargestBlock = std::size_t{1} << 30;

struct Block {
  std::unique_ptr<BYTE[]> mem;
  std::size_t size = 0;
  bool movable = false;
  int locks = 0;
};

struct Heap {
  std::mutex mutex;
  std::unordered_map<HGLOBAL, std::shared_ptr<Block>> blocks;
};

Heap& heap() {
  static Heap* h = new Heap;  // lives past static destruction: handles may be freed late
  return *h;
}

HGLOBAL handleOf(const std::shared_ptr<Block>& b) {
  // A fixed block is addressed by its memory; a movable one by its bookkeeping record,
  // which no caller can mistake for usable memory.
  return b->movable ? reinterpret_cast<HGLOBAL>(b.get()) : reinterpret_cast<HGLOBAL>(b->mem.get());
}

std::shared_ptr<Block> newBlock(std::size_t size, bool movable) {
  if (size > kLargestBlock) return nullptr;
  auto b = std::make_shared<Block>();
  b->mem.reset(new (std::nothrow) BYTE[size == 0 ? 1 : size]());
  if (!b->mem) return nullptr;
  b->size = size;
  b->movable = movable;
  return b;
}

HGLOBAL insert(std::shared_ptr<Block> b) {
  HGLOBAL h = handleOf(b);
  std::lock_guard lock(heap().mutex);
  heap().blocks.emplace(h, std::move(b));
  return h;
}

}  // namespace

Bytes Bytes::copyOf(const void* p, std::size_t n) {
  std::vector<BYTE> v(n);
  if (n) std::memcpy(v.data(), p, n);
  return fromVector(std::move(v));
}

Bytes Bytes::fromVector(std::vector<BYTE> v) {
  auto keep = std::make_shared<std::vector<BYTE>>(std::move(v));
  Bytes b;
  b.data = keep->data();
  b.size = keep->size();
  b.keeper = std::move(keep);
  return b;
}

bool Bytes::sameAs(const Bytes& other) const {
  return size == other.size && (size == 0 || std::memcmp(data, other.data, size) == 0);
}

bool takeGlobal(HGLOBAL mem, Bytes* out) {
  std::shared_ptr<Block> b;
  {
    std::lock_guard lock(heap().mutex);
    auto it = heap().blocks.find(mem);
    if (it == heap().blocks.end()) return false;
    b = std::move(it->second);
    heap().blocks.erase(it);
  }
  Bytes r;
  r.data = b->mem.get();
  r.size = b->size;
  r.keeper = std::move(b);
  *out = std::move(r);
  return true;
}

HGLOBAL globalFromBytes(const BYTE* data, std::size_t size) {
  auto b = newBlock(size, true);
  if (!b) return nullptr;
  if (size) std::memcpy(b->mem.get(), data, size);
  return insert(std::move(b));
}

}  // namespace quendel::clipboard

using namespace quendel::clipboard;

HGLOBAL GlobalAlloc(UINT flags, SIZE_T bytes) {
  auto b = newBlock(bytes, (flags & GMEM_MOVEABLE) != 0);
  return b ? insert(std::move(b)) : nullptr;
}

void* GlobalLock(HGLOBAL mem) {
  std::lock_guard lock(heap().mutex);
  auto it = heap().blocks.find(mem);
  if (it == heap().blocks.end()) return nullptr;
  if (it->second->movable) ++it->second->locks;
  return it->second->mem.get();
}

BOOL GlobalUnlock(HGLOBAL mem) {
  std::lock_guard lock(heap().mutex);
  auto it = heap().blocks.find(mem);
  if (it == heap().blocks.end() || !it->second->movable || it->second->locks == 0) return 0;
  return --it->second->locks > 0 ? 1 : 0;
}

SIZE_T GlobalSize(HGLOBAL mem) {
  std::lock_guard lock(heap().mutex);
  auto it = heap().blocks.find(mem);
  return it == heap().blocks.end() ? 0 : it->second->size;
}

HGLOBAL GlobalFree(HGLOBAL mem) {
  std::shared_ptr<Block> b;  // released outside the lock
  std::lock_guard lock(heap().mutex);
  auto it = heap().blocks.find(mem);
  if (it == heap().blocks.end()) return mem;
  b = std::move(it->second);
  heap().blocks.erase(it);
  return nullptr;
}
