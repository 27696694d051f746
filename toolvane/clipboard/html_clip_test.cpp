// GetHTML's reading of CF_HTML blocks, well-formed and damaged.
#include "toolvane/clipboard/html_clip.h"

#include <gtest/gtest.h>

#include "platform/clipboard/clipboard_formats.h"
#include "support/runtime_error.h"
#include "support/testing.h"

namespace quendel::toolvane {
namespace {

using quendel::testing::errorOf;

std::string withoutNul(const std::string& block) { return block.substr(0, block.find('\0')); }

TEST(CutHtmlPart, EveryPartOfAWrittenBlock) {
  std::string s = withoutNul(clipboard::buildHtmlBlock("<b>12</b>"));
  EXPECT_EQ(cutHtmlPart(s, ghrvRaw), s);
  EXPECT_EQ(cutHtmlPart(s, ghrvHTML), "<HTML><BODY><!--StartFragment--><b>12</b><!--EndFragment--></BODY></HTML>");
  EXPECT_EQ(cutHtmlPart(s, ghrvContextStart), "<HTML><BODY><!--StartFragment-->");
  EXPECT_EQ(cutHtmlPart(s, ghrvContextEnd), "<!--EndFragment--></BODY></HTML>");
  EXPECT_EQ(cutHtmlPart(s, ghrvFragment), "<b>12</b>");
  EXPECT_EQ(cutHtmlPart(s, ghrvSelection), "");
  EXPECT_EQ(cutHtmlPart(s, ghrvSourceURL), "");
  EXPECT_EQ(cutHtmlPart(s, 7), "");
  EXPECT_EQ(cutHtmlPart(s, -1), "");
}

TEST(CutHtmlPart, SelectionAndSourceUrlOfForeignBlocks) {
  std::string s =
      "Version:0.9\r\nStartHTML:0000000200\r\nEndHTML:0000000230\r\nStartSelection:0000000205\r\n"
      "EndSelection:0000000210\r\nSourceURL:http://x/y?a=1\r\n";
  s += std::string(200 - s.size(), ' ') + "<p>SourceURL:inner\r\n</p>";
  EXPECT_EQ(cutHtmlPart(s, ghrvSelection), s.substr(205, 5));
  EXPECT_EQ(cutHtmlPart(s, ghrvSourceURL), "http://x/y?a=1");
  std::string inHtml = "StartHTML:0000000030\r\n<x>" + std::string(5, ' ') + "SourceURL:http://in/html\r\n";
  EXPECT_EQ(cutHtmlPart(inHtml, ghrvSourceURL), "") << "the key lies in the HTML part";
  EXPECT_EQ(cutHtmlPart("SourceURL:http://no-line-end", ghrvSourceURL), "");
  EXPECT_EQ(cutHtmlPart("SourceURL:http://a\r\n", ghrvSourceURL), "http://a") << "no StartHTML: anywhere";
}

TEST(CutHtmlPart, MissingOrSmallValuesGiveEmptyOrAll) {
  struct Case {
    std::string s;
    LONG part;
    std::string result;
  } cases[] = {
      {"no header", ghrvHTML, "no header"},
      {"no header", ghrvFragment, ""},
      {"StartHTML:0000000000\r\nEndHTML:0000000010\r\n", ghrvHTML, "StartHTML:0000000000\r\nEndHTML:0000000010\r\n"},
      {"StartFragment:-000000005EndFragment:0000000003", ghrvFragment, ""},
      {"StartFragment:0000000002EndFragment:0000000009", ghrvFragment, "artFrag"},
      {"StartFragment:0000000900EndFragment:0000000999", ghrvFragment, ""},
      {"StartFragment:0000000040EndFragment:0000099999", ghrvFragment, "099999"},
      {"StartFragment:0000000040EndFragment:2147483647", ghrvFragment, "483647"},
      {"EndFragment:0000000001StartFragment:0000000001", ghrvFragment, ""},
      {"StartFragment:&H00000002EndFragment: 8.5e0   ", ghrvFragment, "artFra"},  // 8.5 rounds to 8
      {"StartFragment:+2.5      EndFragment:0000000005", ghrvFragment, "art"},    // 2.5 rounds to 2
      {"StartHTML:0000000001\r\n", ghrvContextStart, ""},
  };
  for (const auto& c : cases) EXPECT_EQ(cutHtmlPart(c.s, c.part), c.result) << c.s;
}

TEST(CutHtmlPart, MalformedNumbersAndReversedRangesRaise) {
  struct Case {
    std::string s;
    LONG part;
    LONG error;
  } cases[] = {
      {"StartFragment:00000000x1EndFragment:0000000009", ghrvFragment, 13},
      {"StartFragment:", ghrvFragment, 13},
      {"StartHTML:1\r\nEndHTML:2\r\n", ghrvContextStart, 13},
      {"StartHTML:105\r\nEndHTML:0000000200\r\n", ghrvHTML, 13},  // ten characters, not ten digits
      {"StartFragment:9999999999EndFragment:9999999999", ghrvFragment, 6},
      {"StartFragment:0000000009EndFragment:0000000005", ghrvFragment, 5},
      {"StartHTML:0000000050\r\nEndHTML:0000000040\r\n", ghrvHTML, 5},
      {"StartHTML:0000000050\r\nStartFragment:0000000040\r\n", ghrvContextStart, 5},
      {"StartHTML:zzzzzzzzzz\r\nSourceURL:a\r\n", ghrvSourceURL, 13},
      {"StartFragment:1.0e\r\nEndFragment:0000000001", ghrvFragment, 13},
      {"StartFragment:&H1234567GEndFragment:0000000001", ghrvFragment, 13},
      {"StartFragment:0000000001EndFragment:-2.2e9    ", ghrvFragment, 6},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(errorOf([&] { cutHtmlPart(c.s, c.part); }), c.error) << c.s;
  }
}

}  // namespace
}  // namespace quendel::toolvane
