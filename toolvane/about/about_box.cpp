#include "toolvane/about/about_box.h"

#include <vector>

#include "platform/resources/version_info.h"
#include "support/codepage.h"
#include "support/quendelsupport.h"
#include "support/quendelsupportfbe.h"
#include "toolvane/ui_api/ui_library.h"

namespace quendel::toolvane {

namespace {

// The first version of the UI part that has the About box.
constexpr int kAboutBoxUiVersion = 4;
// A translation entry: a 16-bit language and a 16-bit code page.
constexpr UINT kTranslationSize = 4;
constexpr char kFallbackStringTable[] = "\\StringFileInfo\\040904E4\\InternalName";

}  // namespace

ui::AboutBoxRequest aboutBoxDefaults(const BStr& title) {
  ui::AboutBoxRequest r;
  r.title = title;
  r.author = kDefaultAuthor;
  r.authorEMail = kDefaultAuthorEMail;
  r.devote = kDefaultDevote;
  r.pictureToolTipText = kDefaultPictureToolTipText;
  return r;
}

void RealShowAboutBox(const ui::AboutBoxRequest& request) {
  // Without a display there is nothing to show and the toolkit stays unloaded.
  if (!ui::windowsAvailable()) return;
  const ui::UiApi& api = ui::api();
  if (api.version < kAboutBoxUiVersion || !api.showAboutBox)
    throw RuntimeError(OBJECT_DEFINED_ERROR_BASE, u"The user-interface library has no About box. ");
  api.showAboutBox(request);
}

BStr internalNameOf(const BStr& fileName) {
  const std::string file = cp::unicodeToAnsi(fileName);
  DWORD handle = 0;
  DWORD size = GetFileVersionInfoSizeA(file.c_str(), &handle);
  if (size == 0) return kNoInternalName;
  std::vector<char> block(size);
  if (!GetFileVersionInfoA(file.c_str(), handle, size, block.data())) return kNoInternalName;
  void* translation = nullptr;
  UINT translationSize = 0;
  if (!VerQueryValueA(block.data(), "\\VarFileInfo\\Translation", &translation, &translationSize))
    return kNoInternalName;
  std::string path = kFallbackStringTable;
  if (translationSize >= kTranslationSize) {
    const auto* words = static_cast<const WORD*>(translation);
    path = "\\StringFileInfo\\" + cp::toUtf8(esHex2(words[0])) + cp::toUtf8(esHex2(words[1])) + "\\InternalName";
  }
  void* value = nullptr;
  UINT length = 0;
  if (!VerQueryValueA(block.data(), path.c_str(), &value, &length)) return kNoInternalName;
  // One byte more than reported, always NUL: a value without its NUL cannot be over-read.
  std::vector<char> text(static_cast<std::size_t>(length) + 1, '\0');
  std::copy_n(static_cast<const char*>(value), length, text.begin());
  return asGetStringFromPointerA(text.data());
}

BStr GetHostInternalName() { return internalNameOf(asGetEXEModulePrettyFileName()); }

}  // namespace quendel::toolvane
