// The CF_HTML and DROPFILES blocks as bytes.
#include "platform/clipboard/clipboard_formats.h"

#include <gtest/gtest.h>

#include <cstring>

#include "support/codepage.h"

namespace quendel::clipboard {
namespace {

std::string field(const std::string& block, const std::string& key) {
  auto at = block.find(key + ":");
  return at == std::string::npos ? "" : block.substr(at + key.size() + 1, 10);
}

TEST(HtmlBlock, OffsetsOfTheWorkedExample) {
  std::string b = buildHtmlBlock("12345678");
  EXPECT_EQ(b.substr(0, 23), "Version:1.0\r\nStartHTML:");
  EXPECT_EQ(field(b, "StartHTML"), "0000000105");
  EXPECT_EQ(field(b, "StartFragment"), "0000000137");
  EXPECT_EQ(field(b, "EndFragment"), "0000000145");
  EXPECT_EQ(field(b, "EndHTML"), "0000000178");
  EXPECT_EQ(b.size(), 178u);
  EXPECT_EQ(b.back(), '\0');
  EXPECT_EQ(b.substr(105, 32), "<HTML><BODY><!--StartFragment-->");
  EXPECT_EQ(b.substr(137, 8), "12345678");
  EXPECT_EQ(b.substr(145, 32), "<!--EndFragment--></BODY></HTML>");
}

TEST(HtmlBlock, OffsetsCountUtf8BytesAndPlaceholdersInTheHtmlStay) {
  std::string cyr = cp::toUtf8(u"Ж");  // two bytes
  std::string b = buildHtmlBlock("a" + cyr, cp::toUtf8(u"<p title=\"Я\">"), "</p>");
  EXPECT_EQ(field(b, "StartFragment"), "0000000" + std::to_string(105 + 14 + 20));
  EXPECT_EQ(field(b, "EndFragment"), "0000000" + std::to_string(105 + 14 + 20 + 3));
  std::string odd = buildHtmlBlock("aaaaaaaaaa bbbbbbbbbb", "cccccccccc", "dddddddddd");
  EXPECT_NE(odd.find("<!--StartFragment-->aaaaaaaaaa bbbbbbbbbb<!--EndFragment-->dddddddddd"), std::string::npos);
  EXPECT_EQ(odd.find("aaaaaaaaaa"), odd.find("cccccccccc") + 30);
}

TEST(HtmlBlock, FragmentOfForeignBlocksIsReadLeniently) {
  struct Case {
    std::string block;
    std::optional<std::string> fragment;
  } cases[] = {
      {buildHtmlBlock("<b>x</b>"), "<b>x</b>"},
      {"StartFragment:0000000050\r\nEndFragment:0000000999\r\n" + std::string("\0tail", 5), std::string()},
      {"Version:0.9\r\nStartFragment:0000000063\r\nEndFragment:0000000067\r\nwxyz", "wxyz"},
      {"Version:0.9\r\nStartFragment:0000000063\r\nEndFragment:0000000999\r\nwxyz", "wxyz"},
      {"Version:0.9\r\nStartFragment:0000000100\r\nEndFragment:0000000120\r\nwxyz", std::nullopt},
      {"Version:0.9\r\n<!--StartFragment-->mid<!--EndFragment-->", "mid"},
      {"StartFragment:9\r\nEndFragment:4\r\n<!--StartFragment-->m<!--EndFragment-->", "m"},
      {"StartHTML:0000000000\r\nEndHTML:0000000004\r\n", "Star"},
      {"no header at all", std::nullopt},
      {"", std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(htmlFragmentOf(c.block), c.fragment) << c.block;
}

TEST(DropFiles, BothWidthsRoundTrip) {
  std::vector<std::u16string> names = {u"/tmp/a b.txt", u"/home/пользователь/файл"};
  auto wide = buildDropFiles(names, true);
  EXPECT_EQ(wide[0], 20);
  EXPECT_EQ(wide[16], 1);
  EXPECT_EQ(wide.size(), 20 + 2 * (12 + 1 + 23 + 1 + 1));
  auto r = readDropFiles(wide.data(), wide.size());
  ASSERT_TRUE(r);
  EXPECT_TRUE(r->wide);
  EXPECT_EQ(r->names, names);

  auto ansi = buildDropFiles(names, false);
  EXPECT_EQ(ansi[16], 0);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(ansi.data()) + 20, 13), std::string("/tmp/a b.txt\0", 13));
  r = readDropFiles(ansi.data(), ansi.size());
  ASSERT_TRUE(r);
  EXPECT_FALSE(r->wide);
  EXPECT_EQ(r->names, names);
}

TEST(DropFiles, DamagedBlocksNeverReadPastTheirEnd) {
  auto block = buildDropFiles({u"/x"}, true);
  EXPECT_FALSE(readDropFiles(block.data(), 19));
  EXPECT_FALSE(readDropFiles(nullptr, 0));
  auto beyond = block;
  beyond[0] = 200;
  EXPECT_FALSE(readDropFiles(beyond.data(), beyond.size()));
  auto atEnd = block;
  atEnd[0] = static_cast<BYTE>(block.size());
  auto r = readDropFiles(atEnd.data(), atEnd.size());
  ASSERT_TRUE(r);
  EXPECT_TRUE(r->names.empty());
  // No terminating NUL and an odd length: the last name ends with the block.
  std::vector<BYTE> open = {20, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 'a', 0, 'b', 0, 'c'};
  r = readDropFiles(open.data(), open.size());
  ASSERT_TRUE(r);
  EXPECT_EQ(r->names, std::vector<std::u16string>{u"ab"});
  // A header that points into itself is read as names, within the block.
  auto self = block;
  self[0] = 4;
  EXPECT_TRUE(readDropFiles(self.data(), self.size()));
}

}  // namespace
}  // namespace quendel::clipboard
