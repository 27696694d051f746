#include "support/guid.h"

#include <gtest/gtest.h>

namespace {

TEST(Guid, ParsesAndFormatsTheRegistryForm) {
  const char16_t* text = u"{557cf406-1A04-11D3-9A73-0000F81EF32E}";
  GUID g;
  ASSERT_EQ(CLSIDFromString(text, &g), S_OK);
  EXPECT_EQ(g.Data1, 0x557CF406u);
  EXPECT_EQ(g.Data2, 0x1A04);
  EXPECT_EQ(g.Data3, 0x11D3);
  EXPECT_EQ(g.Data4[0], 0x9A);
  EXPECT_EQ(g.Data4[7], 0x2E);
  EXPECT_EQ(quendel::guidToString(g), u"{557CF406-1A04-11D3-9A73-0000F81EF32E}");
  char16_t buf[39];
  EXPECT_EQ(StringFromGUID2(g, buf, 39), 39);
  EXPECT_EQ(std::u16string(buf), u"{557CF406-1A04-11D3-9A73-0000F81EF32E}");
  EXPECT_EQ(StringFromGUID2(g, buf, 38), 0);
}

TEST(Guid, RefusesMalformedTexts) {
  const char16_t* bad[] = {
      u"",
      u"557CF406-1A04-11D3-9A73-0000F81EF32E",
      u"{557CF406-1A04-11D3-9A73-0000F81EF32E",
      u"{557CF406-1A04-11D3-9A73-0000F81EF32EE}",
      u"{557CF406_1A04-11D3-9A73-0000F81EF32E}",
      u"{557CF40G-1A04-11D3-9A73-0000F81EF32E}",
      u" {557CF406-1A04-11D3-9A73-0000F81EF32E}",
      u"{557CF406-1A04-11D3-9A730000-F81EF32E}",
  };
  for (const char16_t* t : bad) {
    GUID g;
    g.Data1 = 7;
    EXPECT_EQ(CLSIDFromString(t, &g), CO_E_CLASSSTRING);
    EXPECT_EQ(g.Data1, 7u);  // untouched
  }
  GUID g;
  EXPECT_EQ(CLSIDFromString(nullptr, &g), CO_E_CLASSSTRING);
}

}  // namespace
