// libFuzzer target for the clipboard's parsers of foreign data: GetHTML's reading of the
// CF_HTML header, the lenient fragment reader of the desktop bridge, DROPFILES blocks,
// the store's data file, URI lists and text/html from the desktop.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/clipboard/clipboard_formats.h"
#include "platform/clipboard/clipboard_store.h"
#include "platform/clipboard/desktop_conversions.h"
#include "support/runtime_error.h"
#include "toolvane/clipboard/html_clip.h"

using namespace quendel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // Copies, so that a read past the input is a read past a heap block ASan watches.
  std::string text(reinterpret_cast<const char*>(data), size);
  std::string s = text.substr(0, text.find('\0'));
  for (LONG part = -1; part <= 7; ++part) {
    try {
      (void)toolvane::cutHtmlPart(s, part);
    } catch (const RuntimeError&) {
      // malformed numbers and reversed ranges are reported, as GetHTML does
    }
  }
  (void)clipboard::htmlFragmentOf(text);
  std::vector<BYTE> bytes(data, data + size);
  if (auto files = clipboard::readDropFiles(bytes.data(), bytes.size())) {
    (void)clipboard::uriListOf(files->names);
  }
  (void)clipboard::pathsOfUriList(text);
  (void)clipboard::utf8OfTextHtml(text);
  clipboard::Snapshot snapshot;
  if (clipboard::decodeSnapshot(clipboard::Bytes::copyOf(data, size), &snapshot)) {
    auto offers = clipboard::offersFor(
        snapshot.entries, [](UINT) { return std::optional<std::string>("x/y"); }, 0xC000);
    for (const auto& o : offers) (void)clipboard::exportTarget(o, snapshot.entries);
  }
  auto idOf = [](const std::string& n) -> UINT { return n == "x/y" ? 0xC001 : 0; };
  (void)clipboard::importEntries({{"text/html", text}, {"text/uri-list", text}, {"STRING", text}, {"x/y", text}}, idOf,
                                 0xC000, 0x0409);
  return 0;
}
