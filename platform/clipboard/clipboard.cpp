#include "platform/clipboard/clipboard.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <thread>

#include "platform/clipboard/clipboard_store.h"
#include "platform/clipboard/desktop_bridge.h"
#include "platform/clipboard/text_synthesis.h"
#include "platform/user/user.h"

namespace quendel::clipboard {
namespace {

thread_local DWORD tLastError = 0;

BOOL fail(DWORD code) {
  tLastError = code;
  return 0;
}

struct OpenState {
  SessionFolder folder;
  StoreLock lock;
  std::thread::id thread;
  Snapshot base;
  std::vector<Entry> entries;
  bool emptied = false;
  std::map<UINT, HGLOBAL> handedOut;

  void freeHandedOut() {
    for (auto& [format, h] : handedOut) GlobalFree(h);
    handedOut.clear();
  }
};

std::mutex gMutex;
std::unique_ptr<OpenState> gOpen;

bool openHere() { return gOpen && gOpen->thread == std::this_thread::get_id(); }

bool sameEntries(const std::vector<Entry>& a, const std::vector<Entry>& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (a[i].format != b[i].format || !a[i].bytes.sameAs(b[i].bytes)) return false;
  }
  return true;
}

// Brings newer desktop content into the store; the caller holds the lock.
Snapshot syncedSnapshot(const SessionFolder& folder) {
  Snapshot current = readSnapshot(folder);
  Snapshot imported;
  if (importFromDesktop(folder, current, &imported)) {
    imported.generation = current.generation + 1;
    imported.origin = Origin::Desktop;
    if (writeSnapshot(folder, imported)) return imported;
  }
  return current;
}

// The formats a reader sees without opening: the store's, after a desktop check when
// the clipboard is free for one.
std::vector<Entry> entriesForQuery() {
  {
    std::lock_guard g(gMutex);
    if (gOpen) {
      if (gOpen->thread == std::this_thread::get_id()) return gOpen->entries;
    }
  }
  auto folder = SessionFolder::open(&tLastError);
  if (!folder) return {};
  StoreLock lock;
  if (desktopBridgeEnabled() && lock.tryAcquire(*folder)) return syncedSnapshot(*folder).entries;
  return readSnapshot(*folder).entries;
}

}  // namespace

DWORD clipboardLastError() { return tLastError; }

}  // namespace quendel::clipboard

using namespace quendel::clipboard;

BOOL OpenClipboard(void* /*hWndNewOwner*/) {
  std::lock_guard g(gMutex);
  if (gOpen) return gOpen->thread == std::this_thread::get_id() ? (tLastError = 0, 1) : fail(ERROR_ACCESS_DENIED);
  DWORD err = 0;
  auto folder = SessionFolder::open(&err);
  if (!folder) return fail(err);
  auto state = std::make_unique<OpenState>();
  state->folder = *folder;
  if (!state->lock.tryAcquire(*folder)) return fail(ERROR_ACCESS_DENIED);
  state->thread = std::this_thread::get_id();
  state->base = syncedSnapshot(*folder);
  state->entries = state->base.entries;
  gOpen = std::move(state);
  tLastError = 0;
  return 1;
}

BOOL CloseClipboard() {
  std::unique_ptr<OpenState> state;
  {
    std::lock_guard g(gMutex);
    if (!openHere()) return fail(ERROR_CLIPBOARD_NOT_OPEN);
    state = std::move(gOpen);
  }
  state->freeHandedOut();
  BOOL result = 1;
  tLastError = 0;
  std::uint64_t published = 0;
  if (state->emptied || !sameEntries(state->entries, state->base.entries)) {
    Snapshot next;
    next.generation = state->base.generation + 1;
    next.origin = Origin::Library;
    next.entries = std::move(state->entries);
    DWORD err = 0;
    if (writeSnapshot(state->folder, next, &err)) {
      published = next.generation;
    } else {
      result = fail(err);
    }
  }
  state->lock.release();
  if (published) publishToDesktop(state->folder, published);
  return result;
}

BOOL EmptyClipboard() {
  std::lock_guard g(gMutex);
  if (!openHere()) return fail(ERROR_CLIPBOARD_NOT_OPEN);
  gOpen->freeHandedOut();
  gOpen->entries.clear();
  gOpen->emptied = true;
  tLastError = 0;
  return 1;
}

HANDLE SetClipboardData(UINT format, HANDLE mem) {
  std::lock_guard g(gMutex);
  if (!openHere()) return fail(ERROR_CLIPBOARD_NOT_OPEN), nullptr;
  if (format == 0 || mem == nullptr) return fail(ERROR_INVALID_PARAMETER), nullptr;
  Bytes bytes;
  if (!takeGlobal(static_cast<HGLOBAL>(mem), &bytes)) return fail(ERROR_INVALID_HANDLE), nullptr;
  if (auto it = gOpen->handedOut.find(format); it != gOpen->handedOut.end()) {
    GlobalFree(it->second);
    gOpen->handedOut.erase(it);
  }
  auto& entries = gOpen->entries;
  auto same = std::find_if(entries.begin(), entries.end(), [format](const Entry& e) { return e.format == format; });
  if (same != entries.end())
    same->bytes = std::move(bytes);
  else
    entries.push_back(Entry{format, std::move(bytes)});
  tLastError = 0;
  return mem;
}

HANDLE GetClipboardData(UINT format) {
  std::lock_guard g(gMutex);
  if (!openHere()) return fail(ERROR_CLIPBOARD_NOT_OPEN), nullptr;
  if (auto it = gOpen->handedOut.find(format); it != gOpen->handedOut.end()) return it->second;
  std::optional<Bytes> data = formatData(gOpen->entries, format);
  if (!data) return fail(ERROR_NOT_FOUND), nullptr;
  HGLOBAL h = globalFromBytes(data->data, data->size);
  if (!h) return fail(ERROR_NOT_ENOUGH_MEMORY), nullptr;
  gOpen->handedOut[format] = h;
  tLastError = 0;
  return h;
}

BOOL IsClipboardFormatAvailable(UINT format) {
  for (UINT f : visibleFormats(entriesForQuery())) {
    if (f == format) return 1;
  }
  return 0;
}

int CountClipboardFormats() { return static_cast<int>(visibleFormats(entriesForQuery()).size()); }

UINT EnumClipboardFormats(UINT format) {
  std::lock_guard g(gMutex);
  if (!openHere()) return fail(ERROR_CLIPBOARD_NOT_OPEN);
  tLastError = 0;
  auto list = visibleFormats(gOpen->entries);
  if (format == 0) return list.empty() ? 0 : list.front();
  for (std::size_t i = 0; i + 1 < list.size(); ++i) {
    if (list[i] == format) return list[i + 1];
  }
  return 0;
}

int GetClipboardFormatNameA(UINT format, char* name, int maxCount) {
  if (name == nullptr || maxCount < 1) return fail(ERROR_INVALID_PARAMETER);
  auto folder = SessionFolder::open(&tLastError);
  if (!folder) return 0;
  auto n = formatNameOf(*folder, format);
  if (!n) return fail(ERROR_INVALID_PARAMETER);
  std::size_t len = std::min(n->size(), static_cast<std::size_t>(maxCount - 1));
  std::memcpy(name, n->data(), len);
  name[len] = '\0';
  tLastError = 0;
  return static_cast<int>(len);
}

UINT RegisterClipboardFormatA(const char* name) {
  if (name == nullptr || *name == '\0') return fail(ERROR_INVALID_PARAMETER);
  auto folder = SessionFolder::open(&tLastError);
  if (!folder) return 0;
  UINT id = registerFormatName(*folder, name);
  if (id == 0) return fail(ERROR_INVALID_PARAMETER);
  tLastError = 0;
  return id;
}

LCID GetThreadLocale() { return GetUserDefaultLangID(); }
