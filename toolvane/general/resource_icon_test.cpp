#include "toolvane/general/resource_icon.h"

#include <gtest/gtest.h>
#include <xcb/xcb.h>

#include "platform/gdi/icon.h"
#include "platform/ole/load_picture.h"
#include "platform/window/window.h"
#include "platform/x11/xvfb_server.h"
#include "support/testing.h"
#include "toolvane/general/icon_picture.h"

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

// The program's own icon group (this test program carries NOEMI_0000 as A_MAIN) on a
// window of a private X server, read back through the window's icon property.
TEST(ResourceIcons, SetTheProgramsGroupOnAWindow) {
  quendel::x11::XvfbServer server({}, 640, 480);
  ASSERT_TRUE(server.running()) << server.error();
  quendel::testing::ScopedEnv display("DISPLAY", server.display().c_str());
  xcb_connection_t* c = xcb_connect(nullptr, nullptr);
  ASSERT_EQ(xcb_connection_has_error(c), 0);
  xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
  xcb_window_t id = xcb_generate_id(c);
  xcb_create_window(c, XCB_COPY_FROM_PARENT, id, screen->root, 0, 0, 100, 100, 0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
                    screen->root_visual, 0, nullptr);
  std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
  HWND window = quendel::platform::hwndFromId(id);

  EXPECT_EQ(quendel::testing::errorOf([&] { quendel::toolvane::asSetWindowResIconAll(window, u"NO_SUCH_GROUP"); }),
            static_cast<LONG>(0x80070716));
  EXPECT_EQ(quendel::toolvane::asGetWindowIcon(window), nullptr) << "a failed load leaves the window as it was";

  quendel::toolvane::asSetWindowResIconAll(window, u"a_main");
  auto large = quendel::toolvane::asGetWindowIcon(window);
  auto small = quendel::toolvane::asGetWindowIconSmall(window);
  ASSERT_TRUE(large && small);
  EXPECT_EQ(iconWidth(*large), 32);
  EXPECT_EQ(iconWidth(*small), 16);
  xcb_disconnect(c);
}

}  // namespace
