// The conversions between clipboard formats and the desktop's selection targets.
#include "platform/clipboard/desktop_conversions.h"

#include <gtest/gtest.h>

#include <cstring>

#include "platform/clipboard/clipboard_formats.h"
#include "support/codepage.h"

namespace quendel::clipboard {
namespace {

constexpr UINT kHtml = 0xC010;
constexpr UINT kCustom = 0xC011;

Entry entry(UINT format, const std::string& bytes) { return Entry{format, Bytes::copyOf(bytes.data(), bytes.size())}; }

Entry unicode(const std::u16string& text) {
  std::string b;
  for (char16_t c : text) b += std::string{static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
  return entry(CF_UNICODETEXT, b + std::string(2, '\0'));
}

std::optional<std::string> nameOf(UINT id) {
  if (id == kHtml) return std::string(kHtmlFormatName);
  if (id == kCustom) return std::string("application/x-quendel");
  return std::nullopt;
}
UINT idOf(const std::string& name) {
  if (name == kHtmlFormatName) return kHtml;
  if (name == "application/x-quendel") return kCustom;
  return 0;
}

std::map<std::string, std::string> exportAll(const std::vector<Entry>& entries) {
  std::map<std::string, std::string> out;
  for (const auto& o : offersFor(entries, nameOf, kHtml)) out[o.target] = exportTarget(o, entries).value_or("<none>");
  return out;
}

TEST(FileUris, PercentEncodeAndDecodeBackToTheSamePath) {
  const std::u16string path = u"/home/ася/a b%#?.txt";
  std::string uri = fileUriOf(path);
  EXPECT_EQ(uri, "file:///home/%D0%B0%D1%81%D1%8F/a%20b%25%23%3F.txt");
  EXPECT_EQ(pathOfFileUri(uri), path);
  EXPECT_EQ(fileUriOf(u"relative/name"), "");
  EXPECT_EQ(pathOfFileUri("file://localhost/tmp/x"), u"/tmp/x");
  EXPECT_EQ(pathOfFileUri("FILE:///tmp/x"), u"/tmp/x");
  EXPECT_EQ(pathOfFileUri("file://otherhost/tmp/x"), std::nullopt);
  EXPECT_EQ(pathOfFileUri("http://example.org/x"), std::nullopt);
  EXPECT_EQ(pathOfFileUri("file:///tmp/a%00b"), std::nullopt);
  EXPECT_EQ(pathOfFileUri("file:///tmp/100%"), u"/tmp/100%");
  EXPECT_EQ(pathOfFileUri("file:"), std::nullopt);
}

TEST(FileUris, UriListsSkipCommentsForeignAddressesAndBlankLines) {
  EXPECT_EQ(uriListOf({u"/a", u"rel", u"/b c"}), "file:///a\r\nfile:///b%20c\r\n");
  EXPECT_EQ(pathsOfUriList("# comment\r\nfile:///a\r\n\r\nhttp://x/y\nfile:///b%20c\n"),
            (std::vector<std::u16string>{u"/a", u"/b c"}));
  EXPECT_TRUE(pathsOfUriList("").empty());
  EXPECT_EQ(pathsOfUriList("file:///only"), std::vector<std::u16string>{u"/only"});
}

TEST(Export, TextHtmlFilesAndRegisteredFormatsGetTheirDesktopTypes) {
  std::vector<BYTE> drop = buildDropFiles({u"/tmp/a b", u"x"}, true);
  std::vector<Entry> entries = {unicode(u"Привет"), entry(kHtml, buildHtmlBlock("<i>ё</i>") + '\0'),
                                Entry{CF_HDROP, Bytes::copyOf(drop.data(), drop.size())},
                                entry(kCustom, std::string("\x01\x00\x02", 3)), entry(0xC099, "unnamed")};
  auto out = exportAll(entries);
  EXPECT_EQ(out["UTF8_STRING"], cp::toUtf8(u"Привет"));
  EXPECT_EQ(out["text/plain;charset=utf-8"], cp::toUtf8(u"Привет"));
  EXPECT_EQ(out["STRING"], "??????");
  EXPECT_EQ(out["text/html"], "<i>ё</i>");
  std::string block = buildHtmlBlock("<i>ё</i>");
  EXPECT_EQ(out["HTML Format"], block.substr(0, block.size() - 1)) << "up to its NUL";
  EXPECT_EQ(out["text/uri-list"], "file:///tmp/a%20b\r\n");
  EXPECT_EQ(out["x-special/gnome-copied-files"], "copy\nfile:///tmp/a%20b");
  EXPECT_EQ(out["application/x-kde-cutselection"], "0");
  EXPECT_EQ(out["application/x-quendel"], std::string("\x01\x00\x02", 3));
  EXPECT_EQ(out.size(), 10u) << "the unnamed registered format is not offered";
}

TEST(Export, AnsiTextAloneIsOfferedAsUtf8AndDamagedFilesAreRefused) {
  std::vector<BYTE> bad = {200, 0, 0, 0};
  bad.resize(24);
  std::vector<Entry> entries = {entry(CF_TEXT, std::string("caf\xC3\xA9\0junk", 10)),
                                Entry{CF_HDROP, Bytes::copyOf(bad.data(), bad.size())}};
  auto out = exportAll(entries);
  EXPECT_EQ(out["UTF8_STRING"], "caf\xC3\xA9");
  EXPECT_EQ(out["STRING"], "caf\xE9");
  EXPECT_EQ(out["text/uri-list"], "<none>");
}

TEST(Import, ThePlanTakesTheBestTargetOfEachKind) {
  std::vector<std::string> targets = {"TARGETS",       "STRING",      "text/html",
                                      "UTF8_STRING",   "HTML Format", "x-special/gnome-copied-files",
                                      "text/uri-list", "image/png",   "application/x-quendel",
                                      "TIMESTAMP"};
  EXPECT_EQ(importPlan(targets, idOf),
            (std::vector<std::string>{"UTF8_STRING", "HTML Format", "text/uri-list", "application/x-quendel"}));
  EXPECT_EQ(importPlan({"STRING", "text/html", "x-special/gnome-copied-files"}, idOf),
            (std::vector<std::string>{"STRING", "text/html", "x-special/gnome-copied-files"}));
  EXPECT_TRUE(importPlan({"image/png", "TARGETS"}, idOf).empty());
}

TEST(Import, DesktopDataBecomesClipboardFormats) {
  std::string utf16html = "\xFF\xFE";
  for (char16_t c : std::u16string(u"<b>Ж</b>"))
    utf16html += std::string{static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
  std::map<std::string, std::string> fetched = {
      {"UTF8_STRING", cp::toUtf8(u"Привет")},
      {"text/html", utf16html},
      {"text/uri-list", "file:///tmp/a%20b\r\nhttp://x/\r\n"},
      {"application/x-quendel", std::string("\0\1", 2)},
  };
  auto entries = importEntries(fetched, idOf, kHtml, 0x0419);
  ASSERT_EQ(entries.size(), 5u);
  EXPECT_EQ(entries[0].format, CF_UNICODETEXT);
  EXPECT_TRUE(entries[0].bytes.sameAs(unicode(u"Привет").bytes));
  EXPECT_EQ(entries[1].format, CF_LOCALE);
  DWORD lcid = 0;
  std::memcpy(&lcid, entries[1].bytes.data, 4);
  EXPECT_EQ(lcid, 0x0419u);
  EXPECT_EQ(entries[2].format, kHtml);
  std::string block = buildHtmlBlock(cp::toUtf8(u"<b>Ж</b>")) + '\0';
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(entries[2].bytes.data), entries[2].bytes.size), block);
  EXPECT_EQ(entries[3].format, CF_HDROP);
  auto files = readDropFiles(entries[3].bytes.data, entries[3].bytes.size);
  ASSERT_TRUE(files);
  EXPECT_EQ(files->names, std::vector<std::u16string>{u"/tmp/a b"});
  EXPECT_EQ(entries[4].format, kCustom);
  EXPECT_EQ(entries[4].bytes.size, 2u);
}

TEST(Import, Latin1GnomeFilesAndTheBlockAsItStands) {
  std::string block = buildHtmlBlock("<u>x</u>");
  auto entries = importEntries({{"STRING", "caf\xE9"},
                                {"HTML Format", block + "trailing"},
                                {"x-special/gnome-copied-files", "cut\nfile:///tmp/z"}},
                               idOf, kHtml, 0x0409);
  ASSERT_EQ(entries.size(), 4u);
  EXPECT_TRUE(entries[0].bytes.sameAs(unicode(u"café").bytes));
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(entries[2].bytes.data), entries[2].bytes.size), block)
      << "kept up to and with its NUL";
  auto files = readDropFiles(entries[3].bytes.data, entries[3].bytes.size);
  EXPECT_EQ(files->names, std::vector<std::u16string>{u"/tmp/z"});
  EXPECT_TRUE(importEntries({{"text/uri-list", "http://only/remote\r\n"}}, idOf, kHtml, 0).empty());
}

TEST(Import, TextHtmlInItsUsualEncodings) {
  EXPECT_EQ(utf8OfTextHtml("\xEF\xBB\xBF<p>x</p>"), "<p>x</p>");
  EXPECT_EQ(utf8OfTextHtml(std::string("<p>x</p>\0junk", 13)), "<p>x</p>");
  EXPECT_EQ(utf8OfTextHtml(std::string("\xFE\xFF\0<\0a\0>", 8)), "<a>");
  EXPECT_EQ(utf8OfTextHtml(std::string("\xFF\xFE<\0a", 5)), "<") << "an odd byte at the end is dropped";
  EXPECT_EQ(utf8OfTextHtml(""), "");
}

}  // namespace
}  // namespace quendel::clipboard
