#include "platform/cursor/cursor.h"

#include <cstring>

#include "platform/base/last_error.h"
#include "platform/resources/resource_section.h"

namespace {

constexpr std::uint32_t kComboListCursor = 114;
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

HCURSOR LoadCursorA(HINSTANCE instance, const char* cursorName) {
  if (!instance || instance != GetModuleHandleA("User32"))
    return static_cast<HCURSOR>(LoadImageA(instance, cursorName, IMAGE_CURSOR, 0, 0, LR_DEFAULTSIZE));
  auto name = quendel::resources::ResourceName::from(cursorName);
  if (!name || name->id != kComboListCursor) {
    SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
    return nullptr;
  }
  return makeArrowCursor();
}

BOOL DestroyCursor(HCURSOR cursor) { return DestroyIcon(cursor); }
