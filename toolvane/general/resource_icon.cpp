#include "toolvane/general/resource_icon.h"

#include "platform/base/last_error.h"
#include "platform/resources/load_image.h"
#include "support/codepage.h"
#include "support/quendelsupport.h"
#include "toolvane/general/icon_picture.h"

namespace quendel::toolvane {

namespace {

using OwnedIcon = std::unique_ptr<HICONHandle, void (*)(HICON)>;

// The group's icon at size; raises the platform call's error as its HRESULT.
OwnedIcon loadIcon(const BStr& name, HMODULE module, int size) {
  bool lossy = false;
  std::string ansi = cp::unicodeToAnsi(name, &lossy);
  if (lossy) throw RuntimeError(HRESULT_FROM_WIN32(ERROR_RESOURCE_NAME_NOT_FOUND));
  auto icon = static_cast<HICON>(LoadImageA(module, ansi.c_str(), IMAGE_ICON, size, size, 0));
  if (!icon) throw RuntimeError(HRESULT_FROM_WIN32(GetLastError()));
  return OwnedIcon(icon, [](HICON h) { (void)DestroyIcon(h); });
}

std::shared_ptr<automation::StdPicture> loadIconPicture(const BStr& name, HMODULE module, int size) {
  // The picture keeps a copy of its own; the loaded icon is freed whatever happens.
  OwnedIcon icon = loadIcon(name, module, size);
  return pictureFromIconHandle(icon.get());
}

}  // namespace

std::shared_ptr<automation::StdPicture> asLoadResIconEx(const BStr& name, HMODULE module) {
  return loadIconPicture(name, module, kLargeIconSize);
}

std::shared_ptr<automation::StdPicture> asLoadResIconSmallEx(const BStr& name, HMODULE module) {
  return loadIconPicture(name, module, kSmallIconSize);
}

void asSetWindowResIconAll(HWND window, const BStr& name) {
  HMODULE program = GetModuleHandleA(nullptr);
  OwnedIcon large = loadIcon(name, program, kLargeIconSize);
  OwnedIcon small = loadIcon(name, program, kSmallIconSize);
  raiseOnFailure(::asSetWindowIconAll(window, large.get(), small.get()));
}

}  // namespace quendel::toolvane
