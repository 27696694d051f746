#include "toolvane/general/resource_icon.h"

#include "platform/base/last_error.h"
#include "platform/resources/load_image.h"
#include "support/codepage.h"
#include "toolvane/general/icon_picture.h"

namespace quendel::toolvane {

namespace {

std::shared_ptr<automation::StdPicture> loadIconPicture(const BStr& name, HMODULE module, int size) {
  bool lossy = false;
  std::string ansi = cp::unicodeToAnsi(name, &lossy);
  if (lossy) throw RuntimeError(HRESULT_FROM_WIN32(ERROR_RESOURCE_NAME_NOT_FOUND));
  auto icon = static_cast<HICON>(LoadImageA(module, ansi.c_str(), IMAGE_ICON, size, size, 0));
  if (!icon) throw RuntimeError(HRESULT_FROM_WIN32(GetLastError()));
  // The picture keeps a copy of its own; the loaded icon is freed whatever happens.
  std::unique_ptr<HICONHandle, void (*)(HICON)> owned(icon, [](HICON h) { (void)DestroyIcon(h); });
  return pictureFromIconHandle(icon);
}

}  // namespace

std::shared_ptr<automation::StdPicture> asLoadResIconEx(const BStr& name, HMODULE module) {
  return loadIconPicture(name, module, kLargeIconSize);
}

std::shared_ptr<automation::StdPicture> asLoadResIconSmallEx(const BStr& name, HMODULE module) {
  return loadIconPicture(name, module, kSmallIconSize);
}

}  // namespace quendel::toolvane
