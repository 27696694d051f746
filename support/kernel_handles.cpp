#include "support/kernel_handles.h"

#include <cstdint>
#include <map>
#include <mutex>
#include <utility>

namespace quendel {
namespace {

// Windows numbers its handles in steps of 4; starting above the small numbers keeps a
// handle apart from a file descriptor or a count passed by mistake.
constexpr std::uintptr_t kFirstHandle = 0x104;
constexpr std::uintptr_t kHandleStep = 4;

struct Table {
  std::mutex lock;
  std::map<std::uintptr_t, std::shared_ptr<KernelObject>> objects;
  std::uintptr_t next = kFirstHandle;
};

Table& table() {
  static Table* t = new Table;  // never destroyed: handles may be closed during exit
  return *t;
}

}  // namespace

HANDLE addKernelHandle(std::shared_ptr<KernelObject> object) {
  Table& t = table();
  std::lock_guard<std::mutex> guard(t.lock);
  std::uintptr_t id = t.next;
  t.next += kHandleStep;
  t.objects.emplace(id, std::move(object));
  return reinterpret_cast<HANDLE>(id);
}

std::shared_ptr<KernelObject> findKernelHandle(HANDLE handle, KernelObjectKind kind) {
  Table& t = table();
  std::lock_guard<std::mutex> guard(t.lock);
  auto it = t.objects.find(reinterpret_cast<std::uintptr_t>(handle));
  if (it == t.objects.end() || it->second->kind() != kind) return nullptr;
  return it->second;
}

bool closeKernelHandle(HANDLE handle) {
  std::shared_ptr<KernelObject> object;  // released after the table's lock
  Table& t = table();
  std::lock_guard<std::mutex> guard(t.lock);
  auto it = t.objects.find(reinterpret_cast<std::uintptr_t>(handle));
  if (it == t.objects.end()) return false;
  object = std::move(it->second);
  t.objects.erase(it);
  return true;
}

}  // namespace quendel
