// qndClipboard over a private session clipboard.
#include "toolvane/clipboard/qnd_clipboard.h"

#include <signal.h>

#include "automation/safe_array.h"
#include "platform/clipboard/clipboard_test_support.h"
#include "support/codepage.h"
#include "support/runtime_error.h"
#include "support/testing.h"

namespace quendel::toolvane {
namespace {

using quendel::testing::errorOf;

class QndClipboard : public clipboard::testing::PrivateSession {
 protected:
  static Variant bytes(const std::string& s) {
    return Variant(automation::SafeArray::fromBytes(std::vector<BYTE>(s.begin(), s.end()), 0));
  }
  std::string raw(LONG format) {
    Variant data;
    LONG size = -1;
    if (!cb.GetRAWData(format, data, &size)) return "<none>";
    const auto& b = data.array()->bytes();
    EXPECT_EQ(static_cast<std::size_t>(size), b.size());
    return std::string(b.begin(), b.end());
  }
  std::vector<LONG> formats() {
    std::vector<LONG> out;
    auto c = cb.GetFormats();
    for (const auto& v : c->items()) out.push_back(v.toLong());
    return out;
  }
  qndClipboard cb;
};

TEST_F(QndClipboard, TextAndHtmlTogetherAndClearRemovesEverything) {
  EXPECT_TRUE(cb.SetRAWData(0xC200, bytes("old")));
  EXPECT_TRUE(cb.SetText(u"Hello"));
  EXPECT_TRUE(cb.SetHTML(u"<b>Hello</b>"));
  EXPECT_EQ(formats(), (std::vector<LONG>{0xC200, CF_UNICODETEXT, CF_TEXT, CF_OEMTEXT, CF_LOCALE, cb.CF_HTML()}));
  EXPECT_EQ(cb.GetFormatsCount(), 6);
  EXPECT_EQ(cb.GetText(), u"Hello");
  EXPECT_EQ(cb.GetHTML(), u"<b>Hello</b>");
  EXPECT_EQ(raw(CF_UNICODETEXT), std::string("H\0e\0l\0l\0o\0\0\0\0", 13)) << "one byte more than the text";
  EXPECT_EQ(raw(CF_TEXT), std::string("Hello\0\0", 7));
  EXPECT_EQ(raw(CF_LOCALE).size(), 4u);
  EXPECT_TRUE(cb.Clear());
  EXPECT_EQ(cb.GetFormatsCount(), 0);
  EXPECT_EQ(cb.GetText(), u"");
  EXPECT_EQ(cb.GetHTML(), u"");
  EXPECT_TRUE(cb.GetFormats()->items().empty());
}

TEST_F(QndClipboard, HtmlBlockAsWrittenAndEachPartAsRead) {
  EXPECT_FALSE(cb.SetHTML(u"")) << "an empty fragment";
  EXPECT_EQ(cb.GetFormatsCount(), 0);
  ASSERT_TRUE(cb.SetHTML(u"12345678"));
  std::string block = raw(cb.CF_HTML());
  EXPECT_EQ(block.size(), 179u) << "the block, its NUL and one more zero byte";
  EXPECT_NE(block.find("StartHTML:0000000105\r\nEndHTML:0000000178\r\nStartFragment:0000000137\r\n"
                       "EndFragment:0000000145\r\n"),
            std::string::npos);
  EXPECT_EQ(cb.GetHTML(ghrvContextStart), u"<HTML><BODY><!--StartFragment-->");
  EXPECT_EQ(cb.GetHTML(ghrvContextEnd), u"<!--EndFragment--></BODY></HTML>");
  EXPECT_EQ(cb.GetHTML(ghrvHTML), u"<HTML><BODY><!--StartFragment-->12345678<!--EndFragment--></BODY></HTML>");
  EXPECT_EQ(cb.GetHTML(ghrvRaw), cp::fromUtf8(block.substr(0, 178 - 1)));
  EXPECT_EQ(cb.GetHTML(7), u"");
  ASSERT_TRUE(cb.SetHTML(u"Жaaaaaaaaaa", u"<div>", u"</div>"));
  EXPECT_EQ(cb.GetHTML(), u"Жaaaaaaaaaa");
  EXPECT_NE(raw(cb.CF_HTML()).find("EndFragment:0000000142"), std::string::npos) << "105 + 5 + 20 + 12 bytes";
  EXPECT_EQ(cb.GetHTML(ghrvContextStart), u"<div><!--StartFragment-->");
}

TEST_F(QndClipboard, MalformedHtmlHeadersFailAsStated) {
  const LONG html = cb.CF_HTML();
  struct Case {
    std::string data;
    std::u16string fragment;
    LONG error;
  } cases[] = {
      {"StartFragment:0000000060\r\nEndFragment:0000000999\r\n<p>", u"", 0},
      {"StartFragment:0000000050\r\nEndFragment:0000000999\r\n<p>", u"<p>", 0},
      {"no keys at all", u"", 0},
      {"StartFragment:00000000ab\r\nEndFragment:0000000999\r\n", u"", 13},
      {"StartFragment:9999999999\r\nEndFragment:9999999999\r\n", u"", 6},
      {"StartFragment:0000000040\r\nEndFragment:0000000030\r\n", u"", 5},
      {std::string("StartFragment:0000000004\0EndFragment:0000000008", 47), u"", 0},  // data ends at the NUL
  };
  for (const auto& c : cases) {
    ASSERT_TRUE(cb.SetRAWData(html, bytes(c.data)));
    std::u16string got;
    EXPECT_EQ(errorOf([&] { got = cb.GetHTML(); }), c.error) << c.data;
    EXPECT_EQ(got, c.fragment) << c.data;
    EXPECT_TRUE(OpenClipboard(nullptr)) << "the clipboard is closed after an error";
    EXPECT_TRUE(CloseClipboard());
  }
}

TEST_F(QndClipboard, ZeroByteAndHugeHtmlBlocks) {
  ASSERT_TRUE(OpenClipboard(nullptr));
  SetClipboardData(cb.CF_HTML(), GlobalAlloc(GMEM_MOVEABLE, 0));
  EXPECT_TRUE(CloseClipboard());
  EXPECT_EQ(cb.GetHTML(ghrvRaw), u"");
  EXPECT_EQ(cb.GetHTML(ghrvHTML), u"");
  Variant data;
  LONG size = -1;
  EXPECT_TRUE(cb.GetRAWData(cb.CF_HTML(), data, &size));
  EXPECT_EQ(size, 0);
  EXPECT_EQ(data.array()->count(), 0u);

  std::u16string big(8u << 20, u'x');  // 64 MiB blocks: the raw data tests
  ASSERT_TRUE(cb.SetHTML(big));
  EXPECT_EQ(cb.GetHTML().size(), big.size());
}

TEST_F(QndClipboard, AnsiTextOnRequestAndTextWithoutItsNul) {
  ASSERT_TRUE(cb.SetRAWData(CF_UNICODETEXT, bytes(std::string("u\0n\0i\0\0\0", 8))));
  ASSERT_TRUE(cb.SetRAWData(CF_TEXT, bytes(std::string("ansi\0", 5))));
  EXPECT_EQ(cb.GetText(true), u"ansi");
  EXPECT_EQ(cb.GetText(), u"uni");
  EXPECT_TRUE(cb.IsFormatAvailable(CF_LOCALE)) << "GetText tells the locale";
  ASSERT_TRUE(cb.Clear());
  ASSERT_TRUE(cb.SetRAWData(CF_UNICODETEXT, bytes(std::string("a\0b\0c", 5))));
  EXPECT_EQ(cb.GetText(), u"ab");
  ASSERT_TRUE(cb.Clear());
  ASSERT_TRUE(cb.SetRAWData(CF_TEXT, bytes("no end")));
  EXPECT_EQ(cb.GetText(true), u"no end");
  EXPECT_EQ(cb.GetText(), u"no end") << "converted by the clipboard";
}

TEST_F(QndClipboard, RawDataAndFormatNames) {
  EXPECT_FALSE(cb.SetRAWData(0xC300, Variant(automation::SafeArray::fromBytes({}, 0))));
  EXPECT_FALSE(cb.SetRAWData(0xC300, Variant::unallocatedArray(vbByte)));
  EXPECT_EQ(errorOf([&] { cb.SetRAWData(0xC300, Variant(u"text")); }), 13);
  EXPECT_FALSE(cb.SetRAWData(0, bytes("x")));
  Variant untouched = bytes("keep");
  EXPECT_FALSE(cb.GetRAWData(0xC300, untouched));
  EXPECT_EQ(untouched.array()->bytes().size(), 4u);
  LONG id = static_cast<LONG>(RegisterClipboardFormatA("Quendel Raw"));
  EXPECT_TRUE(cb.SetRAWData(id, bytes(std::string("\0\1\2", 3))));
  EXPECT_EQ(raw(id), std::string("\0\1\2", 3));
  EXPECT_EQ(cb.GetFormatName(id), u"Quendel Raw");
  EXPECT_EQ(cb.GetFormatName(CF_TEXT), u"");
  EXPECT_EQ(cb.GetFormatName(-1), u"");
  EXPECT_EQ(cb.CF_HTML(), static_cast<LONG>(RegisterClipboardFormatA("HTML Format")));
}

TEST_F(QndClipboard, FileListsInBothWidths) {
  auto names = Collection::create();
  for (const char16_t* n : {u"/tmp/a b.txt", u"  ", u"/tmp/файл"}) names->add(Variant(n));
  for (bool unicode : {true, false}) {
    ASSERT_TRUE(cb.SetShellFiles(names, unicode));
    std::string block = raw(CF_HDROP);
    EXPECT_EQ(block[16], unicode ? 1 : 0);
    auto back = cb.GetShellFiles();
    ASSERT_TRUE(back);
    std::vector<std::u16string> got;
    for (const auto& v : back->items()) got.push_back(v.toString());
    EXPECT_EQ(got, (std::vector<std::u16string>{u"/tmp/a b.txt", u"/tmp/файл"})) << "blank names left out";
  }
  EXPECT_FALSE(cb.SetShellFiles(nullptr));
  EXPECT_FALSE(cb.SetShellFiles(Collection::create()));
}

TEST_F(QndClipboard, DamagedFileLists) {
  ASSERT_TRUE(cb.SetRAWData(CF_HDROP, bytes(std::string(19, '\0'))));
  EXPECT_EQ(cb.GetShellFiles(), nullptr);
  std::string header(20, '\0');
  header[0] = 20;
  ASSERT_TRUE(cb.SetRAWData(CF_HDROP, bytes(header)));
  auto empty = cb.GetShellFiles();
  ASSERT_TRUE(empty);
  EXPECT_EQ(empty->count(), 0);
  std::string beyond = header + std::string("a\0\0", 3);
  beyond[0] = 100;
  ASSERT_TRUE(cb.SetRAWData(CF_HDROP, bytes(beyond)));
  EXPECT_EQ(errorOf([&] { cb.GetShellFiles(); }), 9);
  ASSERT_TRUE(cb.Clear());
  EXPECT_EQ(cb.GetShellFiles(), nullptr);
}

TEST_F(QndClipboard, EveryMemberFailsQuietlyWhileAnotherProcessHoldsTheClipboard) {
  ASSERT_TRUE(cb.SetText(u"before"));
  int ready[2];
  ASSERT_EQ(::pipe(ready), 0);
  pid_t holder = ::fork();
  if (holder == 0) {
    if (!OpenClipboard(nullptr)) ::_exit(1);
    if (::write(ready[1], "r", 1) != 1) ::_exit(1);
    ::pause();
    ::_exit(0);
  }
  char c;
  ASSERT_EQ(::read(ready[0], &c, 1), 1);
  EXPECT_FALSE(cb.Clear());
  EXPECT_FALSE(cb.SetText(u"x"));
  EXPECT_FALSE(cb.SetHTML(u"x"));
  EXPECT_FALSE(cb.SetRAWData(CF_DIB, bytes("x")));
  EXPECT_EQ(cb.GetText(), u"");
  EXPECT_EQ(cb.GetHTML(), u"");
  EXPECT_EQ(cb.GetFormats(), nullptr);
  EXPECT_TRUE(cb.IsFormatAvailable(CF_TEXT)) << "needs no opening";
  ::kill(holder, SIGKILL);
  ::waitpid(holder, nullptr, 0);
  ::close(ready[0]);
  ::close(ready[1]);
  EXPECT_EQ(cb.GetText(), u"before");
}

TEST_F(QndClipboard, LateBoundMembersHelpStringsAndByReferenceData) {
  const ClassDesc& d = qndClipboard::describe();
  ASSERT_EQ(d.members.size(), 14u);
  EXPECT_EQ(d.members[0].name, u"Clear");
  EXPECT_EQ(d.members[0].help, u"Отчищает буфер обмена.");
  EXPECT_EQ(d.find(u"SetHTML", InvokeKind::Method)->help, u"\"Копирует\" в буфер обмена HTML текст.");
  EXPECT_EQ(d.members[13].name, u"GetShellFiles");
  auto obj = std::make_shared<qndClipboard>();
  EXPECT_TRUE(obj->call(u"SetHTML", {Variant(u"<i>x</i>")}).toBool());
  EXPECT_EQ(obj->call(u"GetHTML").toString(), u"<i>x</i>");
  EXPECT_EQ(obj->call(u"GetHTML", {Variant(LONG{ghrvContextEnd})}).toString(), u"<!--EndFragment--></BODY></HTML>");
  std::vector<Variant> args = {Variant(LONG{CF_TEXT}), Variant(), Variant()};
  obj->call(u"SetText", {Variant(u"abc")});
  EXPECT_TRUE(obj->callRef(u"GetRAWData", args).toBool());
  EXPECT_EQ(args[2].toLong(), 5);
  EXPECT_EQ(args[1].array()->bytes().size(), 5u);
}

}  // namespace
}  // namespace quendel::toolvane
