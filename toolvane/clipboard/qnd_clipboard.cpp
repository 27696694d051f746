#include "toolvane/clipboard/qnd_clipboard.h"

#include <cstring>
#include <limits>
#include <optional>

#include "automation/safe_array.h"
#include "platform/clipboard/clipboard.h"
#include "support/codepage.h"
#include "support/quendelsupport.h"
#include "support/quendelsupportfbe.h"

namespace quendel::toolvane {
namespace {

constexpr UINT kTextAlloc = GMEM_MOVEABLE | GMEM_ZEROINIT | GMEM_DDESHARE;

// Closes the clipboard when the member leaves, raised errors included.
class OpenedClipboard {
 public:
  OpenedClipboard() : open_(OpenClipboard(nullptr) != 0) {}
  ~OpenedClipboard() {
    if (open_) (void)CloseClipboard();  // fails only for a clipboard this thread does not hold
  }
  OpenedClipboard(const OpenedClipboard&) = delete;
  OpenedClipboard& operator=(const OpenedClipboard&) = delete;
  explicit operator bool() const { return open_; }

 private:
  bool open_;
};

// A locked view of a clipboard block, unlocked on leaving.
class LockedBlock {
 public:
  explicit LockedBlock(HANDLE h)
      : h_(static_cast<HGLOBAL>(h)), size_(GlobalSize(h_)), p_(static_cast<const BYTE*>(GlobalLock(h_))) {}
  ~LockedBlock() {
    if (p_) GlobalUnlock(h_);
  }
  LockedBlock(const LockedBlock&) = delete;
  LockedBlock& operator=(const LockedBlock&) = delete;
  const BYTE* data() const { return p_; }
  std::size_t size() const { return p_ ? size_ : 0; }
  // The bytes up to the first NUL byte, never past the block.
  std::string_view narrow() const {
    auto* c = reinterpret_cast<const char*>(p_);
    const void* nul = size() ? std::memchr(c, 0, size()) : nullptr;
    return std::string_view(c, nul ? static_cast<const char*>(nul) - c : size());
  }
  // The UTF-16 characters up to the first NUL character, never past the block.
  String wide() const { return cp::fromUtf16LeUntilNul(p_, size()); }

 private:
  HGLOBAL h_;
  std::size_t size_;
  const BYTE* p_;
};

// A shareable, zero-filled block one byte larger than the data, filled with it.
HGLOBAL textBlock(const void* data, std::size_t size) {
  HGLOBAL h = GlobalAlloc(kTextAlloc, size + 1);
  if (!h) return nullptr;
  void* p = GlobalLock(h);
  if (!p) {
    GlobalFree(h);
    return nullptr;
  }
  if (size) std::memcpy(p, data, size);
  GlobalUnlock(h);
  return h;
}

// Hands a block to the clipboard; frees it when the clipboard refuses it.
bool put(UINT format, HGLOBAL h) {
  if (!h) return false;
  if (SetClipboardData(format, h)) return true;
  GlobalFree(h);
  return false;
}

HGLOBAL localeBlock(UINT flags) {
  LCID lcid = GetThreadLocale();
  HGLOBAL h = GlobalAlloc(flags, 4);
  if (void* p = h ? GlobalLock(h) : nullptr) {
    std::memcpy(p, &lcid, 4);
    GlobalUnlock(h);
  }
  return h;
}

std::vector<BYTE> utf16Bytes(const String& s) { return cp::toUtf16Le(s + u'\0'); }

}  // namespace

bool qndClipboard::Clear() {
  OpenedClipboard cb;
  if (!cb) return false;
  return EmptyClipboard() != 0;
}

LONG qndClipboard::CF_HTML() {
  if (htmlFormat_ == 0) htmlFormat_ = static_cast<LONG>(RegisterClipboardFormatA(clipboard::kHtmlFormatName));
  return htmlFormat_;
}

bool qndClipboard::SetHTML(const String& HTMLFragment, const String& ContextHTMLStart, const String& ContextHTMLEnd) {
  if (HTMLFragment.empty()) return false;
  const UINT format = static_cast<UINT>(CF_HTML());
  if (format == 0) return false;
  std::string block =
      clipboard::buildHtmlBlock(cp::toUtf8(HTMLFragment), cp::toUtf8(ContextHTMLStart), cp::toUtf8(ContextHTMLEnd));
  OpenedClipboard cb;
  if (!cb) return false;
  return put(format, textBlock(block.data(), block.size()));  // the extra zero byte ends the data twice
}

String qndClipboard::GetHTML(LONG ReturnValue) {
  if (ReturnValue < ghrvRaw || ReturnValue > ghrvSourceURL) return {};
  const UINT format = static_cast<UINT>(CF_HTML());
  if (format == 0 || !IsClipboardFormatAvailable(format)) return {};
  std::string s;
  {
    OpenedClipboard cb;
    if (!cb) return {};
    HANDLE h = GetClipboardData(format);
    if (!h) return {};
    LockedBlock block(h);
    s.assign(block.narrow());
  }
  return cp::fromUtf8(cutHtmlPart(s, ReturnValue));
}

bool qndClipboard::SetText(const String& Text) {
  OpenedClipboard cb;
  if (!cb) return false;
  if (esIsHostWinNT()) {
    std::vector<BYTE> wide = utf16Bytes(Text);
    if (!put(CF_UNICODETEXT, textBlock(wide.data(), wide.size()))) return false;
  }
  std::string ansi = cp::unicodeToAnsi(Text);
  ansi.push_back('\0');
  if (!put(CF_TEXT, textBlock(ansi.data(), ansi.size()))) return false;
  std::string oem;
  for (char16_t c : asAnsiToOem(Text)) oem.push_back(static_cast<char>(c & 0xFF));
  oem.push_back('\0');
  if (!put(CF_OEMTEXT, textBlock(oem.data(), oem.size()))) return false;
  return put(CF_LOCALE, localeBlock(kTextAlloc));
}

String qndClipboard::GetText(bool ReturnANSIText) {
  OpenedClipboard cb;
  if (!cb) return {};
  if (IsClipboardFormatAvailable(CF_UNICODETEXT) && !ReturnANSIText) {
    put(CF_LOCALE, localeBlock(GMEM_FIXED));  // tells readers of the ANSI text its locale
    HANDLE h = GetClipboardData(CF_UNICODETEXT);
    if (!h) return {};
    return LockedBlock(h).wide();
  }
  if (IsClipboardFormatAvailable(CF_TEXT)) {
    HANDLE h = GetClipboardData(CF_TEXT);
    if (!h) return {};
    return cp::ansiToUnicode(LockedBlock(h).narrow());
  }
  return {};
}

bool qndClipboard::IsFormatAvailable(LONG ClipboardFormat) {
  return IsClipboardFormatAvailable(static_cast<UINT>(ClipboardFormat)) != 0;
}

bool qndClipboard::SetRAWData(LONG FormatID, const Variant& Data) {
  if (!Data.isArray() || Data.arrayElementType() != vbByte) throw RuntimeError(13);
  auto array = Data.array();
  if (!array || array->count() == 0) return false;
  const auto& bytes = array->bytes();
  HGLOBAL h = GlobalAlloc(GMEM_FIXED, bytes.size());
  if (!h) return false;
  std::memcpy(GlobalLock(h), bytes.data(), bytes.size());
  OpenedClipboard cb;
  if (!cb) {
    GlobalFree(h);
    return false;
  }
  return put(static_cast<UINT>(FormatID), h);
}

bool qndClipboard::GetRAWData(LONG FormatID, Variant& Data, LONG* lpDataSize) {
  const UINT format = static_cast<UINT>(FormatID);
  if (!IsClipboardFormatAvailable(format)) return false;
  OpenedClipboard cb;
  if (!cb) return false;
  HANDLE h = GetClipboardData(format);
  if (!h) return false;
  const std::size_t size = GlobalSize(static_cast<HGLOBAL>(h));
  if (lpDataSize) *lpDataSize = static_cast<LONG>(std::min<std::size_t>(size, std::numeric_limits<LONG>::max()));
  if (size == 0) {
    Data = Variant(automation::SafeArray::fromBytes({}, 0));
    return true;
  }
  LockedBlock block(h);
  if (!block.data()) return false;
  Data = Variant(automation::SafeArray::fromBytes(std::vector<BYTE>(block.data(), block.data() + block.size()), 0));
  return true;
}

String qndClipboard::GetFormatName(LONG FormatID) {
  char buffer[1024] = {};
  int n = GetClipboardFormatNameA(static_cast<UINT>(FormatID), buffer, sizeof buffer);
  if (n <= 0) return {};
  return cp::ansiToUnicode(std::string_view(buffer, std::strlen(buffer)));
}

LONG qndClipboard::GetFormatsCount() { return CountClipboardFormats(); }

std::shared_ptr<Collection> qndClipboard::GetFormats() {
  OpenedClipboard cb;
  if (!cb) return nullptr;
  auto list = Collection::create();
  for (UINT f = EnumClipboardFormats(0); f != 0; f = EnumClipboardFormats(f)) list->add(Variant(static_cast<LONG>(f)));
  return list;
}

bool qndClipboard::SetShellFiles(const ObjectPtr& FileNames, bool Unicode) {
  if (!FileNames) return false;
  const LONG count = FileNames->get(u"Count").toLong();
  if (count <= 0) return false;
  std::vector<String> names;
  for (LONG i = 1; i <= count; ++i) names.push_back(FileNames->get(u"Item", {Variant(i)}).toString());
  Variant data(automation::SafeArray::fromBytes(clipboard::buildDropFiles(names, Unicode), 0));
  return SetRAWData(static_cast<LONG>(CF_HDROP), data);
}

std::shared_ptr<Collection> qndClipboard::GetShellFiles() {
  Variant data;
  LONG size = 0;
  constexpr auto kHeader = static_cast<LONG>(clipboard::kDropFilesHeaderSize);
  if (!GetRAWData(static_cast<LONG>(CF_HDROP), data, &size) || size < kHeader) return nullptr;
  auto list = Collection::create();
  if (size == kHeader) return list;  // a header without names
  auto array = data.array();
  auto files = clipboard::readDropFiles(array->bytes().data(), array->bytes().size());
  if (!files) throw RuntimeError(9);  // the file list would start beyond the block
  for (auto& name : files->names) {
    if (!asTrimEx(name).empty()) list->add(Variant(name));
  }
  return list;
}

}  // namespace quendel::toolvane
