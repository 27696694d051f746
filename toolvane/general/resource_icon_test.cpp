#include "toolvane/general/resource_icon.h"

#include <gtest/gtest.h>

#include "platform/gdi/icon.h"
#include "platform/ole/load_picture.h"
#include "support/testing.h"

namespace {

using quendel::toolvane::asLoadResIconEx;
using quendel::toolvane::asLoadResIconSmallEx;

HMODULE library() { return GetModuleHandleA("toolvane0305"); }

int iconWidth(const quendel::automation::StdPicture& picture) {
  int width = 0, height = 0;
  EXPECT_TRUE(quendel::gdi::iconSize(reinterpret_cast<HICON>(picture.desc().handle), &width, &height));
  EXPECT_EQ(width, height);
  return width;
}

TEST(ResourceIcons, LoadTheLargeAndSmallImagesOfAGroup) {
  auto large = asLoadResIconEx(u"NOEMI_0000", library());
  auto small = asLoadResIconSmallEx(u"noemi_0000", library());
  ASSERT_TRUE(large && small);
  EXPECT_EQ(large->desc().type.value, PICTYPE_ICON);
  EXPECT_EQ(iconWidth(*large), 32);
  EXPECT_EQ(iconWidth(*small), 16);
  EXPECT_EQ(iconWidth(*asLoadResIconSmallEx(u"PROXY", library())), 16);
}

TEST(ResourceIcons, RaiseThePlatformsErrorAsTheirStatus) {
  struct Case {
    const char16_t* name;
    HMODULE module;
    LONG error;
  } cases[] = {
      {u"A_MAIN", library(), static_cast<LONG>(0x80070716)},
      {u"NOEMI_\u4E00", library(), static_cast<LONG>(0x80070716)},
      {u"NOEMI_0000", GetModuleHandleA("quendelplatform"), static_cast<LONG>(0x80070714)},
  };
  for (const auto& c : cases)
    EXPECT_EQ(quendel::testing::errorOf([&] { (void)asLoadResIconEx(c.name, c.module); }), c.error);
}

}  // namespace
