#include "platform/cursor/cursor.h"

#include <cstring>

namespace {

constexpr long kComboListCursor = 114;
constexpr int kSize = 32;

// The arrow: 'X' black, '.' white outline, blank transparent.
constexpr const char* kArrow[] = {
    ".",         "..",         ".X.",        ".XX.",        ".XXX.",        ".XXXX.",     ".XXXXX.",
    ".XXXXXX.",  ".XXXXXXX.",  ".XXXXXXXX.", ".XXXXXXXXX.", ".XXXXXX.....", ".XXX.XX.",   ".XX. .XX.",
    ".X.  .XX.", "..    .XX.", ".     .XX.", "       .XX.", "       .XX.",  "        ..",
};

HCURSOR makeArrowCursor() {
  auto color = quendel::gdi::PixelStore::create(kSize, kSize, true);
  auto mask = quendel::gdi::PixelStore::create(kSize, kSize, false);
  if (!color || !mask) return nullptr;
  for (int y = 0; y < kSize; ++y)
    for (int x = 0; x < kSize; ++x) mask->row(y)[x] = 0x00FFFFFFu;
  int rows = static_cast<int>(sizeof kArrow / sizeof kArrow[0]);
  for (int y = 0; y < rows; ++y) {
    const char* line = kArrow[y];
    for (int x = 0; line[x] && x < kSize; ++x) {
      if (line[x] == ' ') continue;
      color->row(y)[x] = line[x] == 'X' ? 0xFF000000u : 0xFFFFFFFFu;
      mask->row(y)[x] = 0;
    }
  }
  quendel::gdi::IconImage image;
  image.isIcon = false;
  image.hasAlpha = true;
  image.color = color;
  image.mask = mask;
  return quendel::gdi::createIcon(std::move(image));
}

}  // namespace

namespace quendel::platform {

long resourceIdFromName(const char* name) {
  auto value = reinterpret_cast<std::uintptr_t>(name);
  if (value == 0) return -1;
  if (value < 0x10000) return static_cast<long>(value);
  if (name[0] != '#' || name[1] == '\0') return -1;
  long id = 0;
  for (const char* p = name + 1; *p; ++p) {
    if (*p < '0' || *p > '9') return -1;
    id = id * 10 + (*p - '0');
    if (id > 0xFFFF) return -1;
  }
  return id;
}

}  // namespace quendel::platform

HCURSOR LoadCursorA(HINSTANCE instance, const char* cursorName) {
  if (!instance || instance != GetModuleHandleA("User32")) return nullptr;
  if (quendel::platform::resourceIdFromName(cursorName) != kComboListCursor) return nullptr;
  return makeArrowCursor();
}

BOOL DestroyCursor(HCURSOR cursor) { return DestroyIcon(cursor); }
