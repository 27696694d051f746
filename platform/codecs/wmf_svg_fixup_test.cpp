#include "platform/codecs/wmf_svg_fixup.h"

#include <gtest/gtest.h>

#include "platform/codecs/metafile_header.h"
#include "platform/codecs/metafile_renderer.h"
#include "platform/codecs/test_metafiles.h"
#include "support/codepage.h"

namespace quendel::codecs {
namespace {

constexpr char kHead[] =
    "<?xml version=\"1.0\" standalone=\"no\"?>\n<svg width=\"10\" height=\"10\"\n\t"
    "xmlns:sodipodi=\"http://sodipodi.sourceforge.net/DTD/sodipodi-0.dtd\">\n";
constexpr char kFixedHead[] =
    "<?xml version=\"1.0\" standalone=\"no\"?>\n<svg xmlns=\"http://www.w3.org/2000/svg\" "
    "xmlns:xlink=\"http://www.w3.org/1999/xlink\" width=\"10\" height=\"10\"\n\t"
    "xmlns:sodipodi=\"http://sodipodi.sourceforge.net/DTD/sodipodi-0.dtd\">\n";

bool latin1Like() {
  const unsigned page = cp::ansiCodePage();
  return page == 0 || page == 65001 || page == 1252;
}

TEST(WmfSvgFixup, DeclaresNamespacesDecodesTextAndWidensHairlines) {
  struct Case {
    const char* name;
    std::string body, expected;
  };
  const Case cases[] = {
      {"an image's xlink prefix gets its namespace", "<image xlink:href=\"data:\"/>", "<image xlink:href=\"data:\"/>"},
      {"ascii text is kept", "<text>a &amp; b</text>", "<text>a &amp; b</text>"},
      {"utf-8 text is kept", "<text>caf\xC3\xA9</text>", "<text>caf\xC3\xA9</text>"},
      {"a control byte becomes a space", "<text>a\x01z</text>", "<text>a z</text>"},
      {"a thin pen becomes one pixel", "style=\"stroke-width:0.070398; stroke:green\"",
       "style=\"stroke-width:1; stroke:green\""},
      {"a zero pen becomes one pixel", "style=\"stroke-width:0;\"", "style=\"stroke-width:1;\""},
      {"a wide pen is kept", "style=\"stroke-width:2.5;\"", "style=\"stroke-width:2.5;\""},
      {"exactly one pixel is kept", "style=\"stroke-width:1.000000;\"", "style=\"stroke-width:1.000000;\""},
      {"every pen is looked at", "stroke-width:0.5;x stroke-width:3;x stroke-width:0.2;",
       "stroke-width:1;x stroke-width:3;x stroke-width:1;"},
      {"a width without digits is left", "stroke-width:none;", "stroke-width:none;"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(fixWmfSvg(std::string(kHead) + c.body + "</svg>"), std::string(kFixedHead) + c.expected + "</svg>");
  }
}

TEST(WmfSvgFixup, LeavesDeclaredNamespacesAndNonSvgAlone) {
  const std::string declared = "<svg xmlns:xlink=\"http://www.w3.org/1999/xlink\" width=\"1\"></svg>";
  EXPECT_EQ(fixWmfSvg(declared), declared);
  EXPECT_EQ(fixWmfSvg("not a drawing \x01"), "not a drawing \x01");
  EXPECT_EQ(fixWmfSvg(""), "");
}

TEST(WmfSvgFixup, TextInTheAnsiCodePageBecomesValidUtf8) {
  const std::string out = fixWmfSvg(std::string(kHead) + "<text>caf\xE9 \xA9</text></svg>");
  EXPECT_EQ(cp::toUtf8(cp::fromUtf8(out)), out) << "not valid UTF-8";
  if (latin1Like()) {
    EXPECT_NE(out.find("caf\xC3\xA9 \xC2\xA9"), std::string::npos) << out;
  }
}

// A placeable WMF of `side` x `side` logical units with a horizontal line across its
// middle drawn with a solid black pen `penWidth` units wide.
std::vector<std::uint8_t> wmfWithLine(unsigned side, unsigned penWidth) {
  auto b = testpics::makeWmf(static_cast<int>(side), static_cast<int>(side), {}, true, 1440);
  b.erase(b.end() - 6, b.end());  // the end-of-file record goes back after the line
  const auto record = [&b](unsigned function, std::initializer_list<unsigned> params) {
    const auto put = [&b](unsigned v) {
      b.push_back(static_cast<std::uint8_t>(v));
      b.push_back(static_cast<std::uint8_t>(v >> 8));
    };
    put(static_cast<unsigned>(3 + params.size()));
    put(0);
    put(function);
    for (unsigned p : params) put(p);
  };
  constexpr unsigned kDeleteObject = 0x01F0, kCreatePen = 0x02FA, kSelectObject = 0x012D, kMoveTo = 0x0214,
                     kLineTo = 0x0213;
  record(kDeleteObject, {0});  // the file's null pen frees slot 0
  record(kCreatePen, {0, penWidth, 0, 0, 0});
  record(kSelectObject, {0});
  record(kMoveTo, {side / 2, 0});
  record(kLineTo, {side / 2, side});
  record(0, {});
  const std::size_t header = testpics::kWmfPlaceableBytes;
  const auto words = static_cast<std::uint32_t>((b.size() - header) / 2);
  for (int i = 0; i < 4; ++i) b[header + 6 + i] = static_cast<std::uint8_t>(words >> (8 * i));
  return b;
}

TEST(WmfSvgFixup, APenThinnerThanAPixelStillPaintsItsLine) {
  struct Case {
    const char* name;
    unsigned penWidth;
  };
  const Case cases[] = {{"a cosmetic pen (width 0)", 0}, {"one unit of a hundred to the pixel", 1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const auto b = wmfWithLine(4000, c.penWidth);
    MetafileHeader h;
    ASSERT_EQ(readMetafileHeader(b.data(), b.size(), &h), DecodeStatus::Ok);
    auto store = gdi::PixelStore::create(40, 40, true);
    ASSERT_EQ(renderMetafile(b.data(), b.size(), h, *store), DecodeStatus::Ok);
    int painted = 0;
    for (int y = 18; y <= 22; ++y)
      for (int x = 5; x < 35; ++x) painted += store->row(y)[x] == 0xFF000000u;
    EXPECT_GE(painted, 30) << "the line is missing or broken";
    EXPECT_EQ(store->row(5)[20], 0u) << "away from the line nothing is painted";
  }
}

TEST(WmfSvgFixup, MarkedColoursReplaceTheNamedOnesUpToTheNextMark) {
  struct Case {
    const char* name;
    const char* body;
    const char* expected;
  };
  const Case cases[] = {
      {"fill and stroke", "<!--colours fill=#963b70 stroke=#010203 --><rect style=\"fill:dimgray;stroke:black\"/>",
       "<rect style=\"fill:#963b70;stroke:#010203\"/>"},
      {"none stays none", "<!--colours fill=#963b70 stroke=#010203 --><rect style=\"fill:none;stroke:none\"/>",
       "<rect style=\"fill:none;stroke:none\"/>"},
      {"each mark rules until the next",
       "<!--colours fill=#000001 stroke=#000002 --><a style=\"fill:black\"/>"
       "<!--colours fill=#000003 stroke=#000004 --><b style=\"fill:black;stroke:black\"/>",
       "<a style=\"fill:#000001\"/><b style=\"fill:#000003;stroke:#000004\"/>"},
      {"fill-rule is no colour", "<!--colours fill=#963b70 stroke=#010203 --><p style=\"fill-rule:evenodd\"/>",
       "<p style=\"fill-rule:evenodd\"/>"},
      {"a damaged mark changes nothing", "<!--colours fill=#96 --><rect style=\"fill:red\"/>",
       "<rect style=\"fill:red\"/>"},
      {"no marks, no change", "<rect style=\"fill:red\"/>", "<rect style=\"fill:red\"/>"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(fixWmfSvg(std::string(kHead) + c.body + "</svg>"), std::string(kFixedHead) + c.expected + "</svg>");
  }
  // A mark left open is dropped with what follows it, never read past the end.
  EXPECT_EQ(fixWmfSvg(std::string(kHead) + "<!--colours fill="), std::string(kFixedHead));
}

}  // namespace
}  // namespace quendel::codecs
