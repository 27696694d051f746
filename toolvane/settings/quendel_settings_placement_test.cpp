// Form placement and list-view columns in the settings store, with real windows under a
// private X server (no window manager: the placement applies at once).
#include <unistd.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <map>
#include <memory>

#include <gtest/gtest.h>

#include "automation/app_object.h"
#include "automation/std_picture.h"
#include "platform/window/window_messages.h"
#include "platform/window/window_placement.h"
#include "platform/x11/xvfb_server.h"
#include "support/test_processes.h"
#include "support/testing.h"
#include "toolvane/frame/fake_client_objects.h"
#include "toolvane/settings/qnd_quendel_settings.h"
#include "toolvane/settings/settings_test_support.h"

namespace quendel::toolvane {
namespace {

using namespace quendel::automation;
using quendel::testing::errorOf;
using quendel::testing::ScopedEnv;
using testing::FakeControl;
using testing::SettingsTest;

constexpr UINT kGetWidth = 0x101D;
constexpr UINT kSetWidth = 0x101E;

std::vector<BYTE> bytesOfPlacement(const WINDOWPLACEMENT& wp) {
  std::vector<BYTE> b(sizeof wp);
  std::memcpy(b.data(), &wp, sizeof wp);
  return b;
}

class PlacementStore : public SettingsTest {
 protected:
  static void SetUpTestSuite() { server_ = new x11::XvfbServer(); }
  static void TearDownTestSuite() {
    delete server_;
    server_ = nullptr;
  }
  void SetUp() override {
    SettingsTest::SetUp();
    ASSERT_TRUE(server_->running());
    display_ = std::make_unique<ScopedEnv>("DISPLAY", server_->display().c_str());
    c_ = xcb_connect(nullptr, nullptr);
    xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c_)).data;
    window_ = xcb_generate_id(c_);
    xcb_create_window(c_, XCB_COPY_FROM_PARENT, window_, screen->root, 10, 20, 200, 100, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, 0, nullptr);
    xcb_map_window(c_, window_);
    std::free(xcb_get_input_focus_reply(c_, xcb_get_input_focus(c_), nullptr));
    form_ = FakeControl::create(u"Form", nullptr, {{u"hWnd", handleToVariant(window_)}, {u"Name", Variant(u"frmMain")}},
                                u"frmMain");
  }
  void TearDown() override {
    xcb_disconnect(c_);
    display_.reset();
    SettingsTest::TearDown();
  }
  HWND hwnd() const { return platform::hwndFromId(window_); }
  RECT outer() const {
    RECT r{};
    EXPECT_TRUE(GetWindowRect(hwnd(), &r));
    return r;
  }
  // Puts the window at a rectangle in the normal state.
  void placeAt(RECT r, UINT showCmd = SW_SHOWNORMAL) {
    WINDOWPLACEMENT wp{};
    wp.length = sizeof wp;
    wp.showCmd = showCmd;
    wp.rcNormalPosition = r;
    ASSERT_TRUE(SetWindowPlacement(hwnd(), &wp));
  }
  static ObjectPtr app(const char16_t* title, LONG major, LONG minor) {
    AppInfo info;
    info.title = title;
    info.major = major;
    info.minor = minor;
    return AppObject::create(std::move(info));
  }
  bool valueExists(const String& path, const String& name) {
    bool ok = false;
    reg.GetValue(kRootCurrentUser, path, name, rtBinary, &ok);
    return ok;
  }
  static const String kPath;

  static x11::XvfbServer* server_;
  std::unique_ptr<ScopedEnv> display_;
  xcb_connection_t* c_ = nullptr;
  xcb_window_t window_ = 0;
  std::shared_ptr<FakeControl> form_;
  qndQuendelSettings s;
  qndRegistry reg;
};
x11::XvfbServer* PlacementStore::server_ = nullptr;
const String PlacementStore::kPath = u"Software\\Kestrane\\Quendel\\T\\Version 1.0";

bool sameRect(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

TEST_F(PlacementStore, SavesTheStructureByteForByteUnderTheFormsName) {
  placeAt({30, 40, 330, 240});
  WINDOWPLACEMENT now{};
  now.length = sizeof now;
  ASSERT_TRUE(GetWindowPlacement(hwnd(), &now));
  ASSERT_TRUE(s.SaveFormPlacement(form_, u"", u"Window placement", u"T", 1, 0));
  bool ok = false;
  Variant stored = reg.GetValue(kRootCurrentUser, kPath + u"\\frmMain", u"Window placement", rtBinary, &ok);
  ASSERT_TRUE(ok);
  std::vector<BYTE> b = bytesOf(stored);
  ASSERT_EQ(b.size(), 44u);
  EXPECT_EQ(b, bytesOfPlacement(now));
  EXPECT_EQ(std::vector<BYTE>(b.begin(), b.begin() + 4), (std::vector<BYTE>{44, 0, 0, 0}));
  EXPECT_EQ(stored.array()->lbound(), 0);

  placeAt({0, 0, 100, 100});
  ASSERT_TRUE(s.LoadFormPlacementPx(form_, u"", u"Window placement", u"T", 1, 0));  // found through the Name
  EXPECT_TRUE(sameRect(outer(), {30, 40, 330, 240}));
  // Another key and value name, as given.
  ASSERT_TRUE(s.SaveFormPlacement(form_, u"Forms\\Main", u"Pos", u"T", 1, 0));
  EXPECT_TRUE(valueExists(kPath + u"\\Forms\\Main", u"Pos"));
}

TEST_F(PlacementStore, OnlyAWholeStructureIsLoaded) {
  WINDOWPLACEMENT good{};
  good.length = sizeof good;
  good.showCmd = SW_SHOWNORMAL;
  good.rcNormalPosition = RECT{50, 60, 250, 160};
  std::vector<BYTE> valid = bytesOfPlacement(good);
  std::vector<BYTE> shortBy1(valid.begin(), valid.end() - 1), longBy1 = valid, wrongLength = valid, zeroLength = valid;
  longBy1.push_back(0);
  wrongLength[0] = 40;
  zeroLength[0] = 0;
  struct Row {
    const char* what;
    Variant value;
    LONG type;
    bool loads;
  } rows[] = {
      {"44 bytes, length 44", bytes(valid), rtBinary, true},  {"43 bytes", bytes(shortBy1), rtBinary, false},
      {"45 bytes", bytes(longBy1), rtBinary, false},          {"length field 40", bytes(wrongLength), rtBinary, false},
      {"length field 0", bytes(zeroLength), rtBinary, false}, {"empty", bytes({}), rtBinary, false},
      {"a number", Variant(LONG{44}), rtLong, false},
  };
  for (const auto& row : rows) {
    placeAt({10, 20, 210, 120});
    ASSERT_TRUE(reg.SetValue(kRootCurrentUser, kPath + u"\\frmMain", u"Window placement", row.type, row.value));
    EXPECT_EQ(s.LoadFormPlacementPx(form_, u"", u"Window placement", u"T", 1, 0), row.loads) << row.what;
    EXPECT_TRUE(sameRect(outer(), row.loads ? RECT{50, 60, 250, 160} : RECT{10, 20, 210, 120})) << row.what;
  }
  EXPECT_FALSE(s.LoadFormPlacementPx(form_, u"", u"Missing", u"T", 1, 0));
}

TEST_F(PlacementStore, FixedSizesKeepThePositionInPixelsOrTwips) {
  ASSERT_EQ(esScreenTwipsPerPixelX(), 15.0f);  // the private server's 96 DPI
  placeAt({100, 50, 500, 250});
  ASSERT_TRUE(s.SaveFormPlacement(form_, u"", u"Window placement", u"T", 1, 0));
  struct Row {
    const char* what;
    std::function<bool()> load;
    RECT expected;
  } rows[] = {
      {"300 px wide",
       [&] { return s.LoadFormPlacementPx(form_, u"", u"Window placement", u"T", 1, 0, false, 300); },
       {100, 50, 400, 250}},
      {"4500 twips wide",
       [&] { return s.LoadFormPlacement(form_, u"", u"Window placement", u"T", 1, 0, false, 4500.0f); },
       {100, 50, 400, 250}},
      {"4507.5 twips: rounded, then whole pixels",
       [&] { return s.LoadFormPlacement(form_, u"", u"Window placement", u"T", 1, 0, false, 4507.5f); },
       {100, 50, 400, 250}},
      {"1500 twips high",
       [&] { return s.LoadFormPlacement(form_, u"", u"Window placement", u"T", 1, 0, false, 0.0f, 1500.0f); },
       {100, 50, 500, 150}},
      {"negative sizes keep the stored size",
       [&] { return s.LoadFormPlacementPx(form_, u"", u"Window placement", u"T", 1, 0, false, -5, -5); },
       {100, 50, 500, 250}},
      {"the 2 form in pixels",
       [&] { return s.LoadFormPlacementPx2(form_, u"", u"Window placement", app(u"T", 1, 0), false, 0, 70); },
       {100, 50, 500, 120}},
      {"the 2 form in twips",
       [&] { return s.LoadFormPlacement2(form_, u"", u"Window placement", app(u"T", 1, 0), false, 3000.0f); },
       {100, 50, 300, 250}},
  };
  for (const auto& row : rows) {
    placeAt({0, 0, 50, 50});
    ASSERT_TRUE(row.load()) << row.what;
    RECT r = outer();
    EXPECT_TRUE(sameRect(r, row.expected))
        << row.what << ": " << r.left << "," << r.top << "," << r.right << "," << r.bottom;
  }
}

TEST_F(PlacementStore, SetMinimizedAndTheStoredShowCommand) {
  placeAt({100, 50, 500, 250});
  ASSERT_TRUE(s.SaveFormPlacement(form_, u"", u"Window placement", u"T", 1, 0));
  ASSERT_TRUE(s.LoadFormPlacementPx(form_, u"", u"Window placement", u"T", 1, 0, true));
  EXPECT_TRUE(IsIconic(hwnd()));
  // Saved minimized, it comes back minimized; saved maximized, maximized.
  ASSERT_TRUE(s.SaveFormPlacement(form_, u"Min", u"Window placement", u"T", 1, 0));
  placeAt({100, 50, 500, 250}, SW_SHOWMAXIMIZED);
  ASSERT_TRUE(s.SaveFormPlacement(form_, u"Max", u"Window placement", u"T", 1, 0));
  placeAt({0, 0, 50, 50});
  ASSERT_TRUE(s.LoadFormPlacementPx(form_, u"Min", u"Window placement", u"T", 1, 0));
  EXPECT_TRUE(IsIconic(hwnd()));
  ASSERT_TRUE(s.LoadFormPlacementPx(form_, u"Max", u"Window placement", u"T", 1, 0));
  EXPECT_FALSE(IsIconic(hwnd()));
  WINDOWPLACEMENT wp{};
  wp.length = sizeof wp;
  ASSERT_TRUE(GetWindowPlacement(hwnd(), &wp));
  EXPECT_EQ(wp.showCmd, SW_SHOWMAXIMIZED);
  EXPECT_TRUE(sameRect(wp.rcNormalPosition, {100, 50, 500, 250}));
}

TEST_F(PlacementStore, AnUnorderedRectangleIsPutInOrder) {
  WINDOWPLACEMENT wp{};
  wp.length = sizeof wp;
  wp.showCmd = SW_SHOWNORMAL;
  wp.rcNormalPosition = RECT{300, 200, 100, 50};
  ASSERT_TRUE(
      reg.SetValue(kRootCurrentUser, kPath + u"\\frmMain", u"Window placement", rtBinary, bytes(bytesOfPlacement(wp))));
  ASSERT_TRUE(s.LoadFormPlacementPx(form_, u"", u"Window placement", u"T", 1, 0));
  EXPECT_TRUE(sameRect(outer(), {100, 50, 300, 200}));
}

TEST_F(PlacementStore, EarlierVersionsAndClientErrors) {
  placeAt({70, 80, 370, 280});
  ASSERT_TRUE(s.SaveFormPlacement2(form_, u"", u"Window placement", app(u"T", 1, 0)));
  placeAt({0, 0, 50, 50});
  EXPECT_FALSE(s.LoadFormPlacementPx2(form_, u"", u"Window placement", app(u"T", 0, 9)));  // only earlier ones
  EXPECT_TRUE(sameRect(outer(), {0, 0, 50, 50}));
  EXPECT_TRUE(s.LoadFormPlacementPx2(form_, u"", u"Window placement", app(u"T", 1, 2)));
  EXPECT_TRUE(sameRect(outer(), {70, 80, 370, 280}));

  EXPECT_EQ(errorOf([&] { s.SaveFormPlacement2(form_, u"", u"Window placement", nullptr); }), 91);
  EXPECT_EQ(errorOf([&] { s.LoadFormPlacement2(form_, u"", u"Window placement", nullptr); }), 91);
  auto noName = FakeControl::create(u"Form", nullptr, {{u"hWnd", handleToVariant(window_)}});
  EXPECT_EQ(errorOf([&] { s.SaveFormPlacement(noName, u"", u"Window placement", u"T", 1, 0); }), 438);
  EXPECT_TRUE(s.SaveFormPlacement(noName, u"Given", u"Window placement", u"T", 1, 0));  // Name not needed
  auto gone = FakeControl::create(u"Form", nullptr, {{u"hWnd", Variant(LONG{0x3FFFFF})}, {u"Name", Variant(u"x")}});
  EXPECT_FALSE(s.SaveFormPlacement(gone, u"", u"Window placement", u"T", 1, 0));
  EXPECT_FALSE(reg.IsKeyExist(kRootCurrentUser, kPath + u"\\x"));
}

// A list view whose window answers the column messages from a table of pixel widths.
class ColumnStore : public PlacementStore {
 protected:
  void SetUp() override {
    PlacementStore::SetUp();
    headers_ = FakeControl::create(u"ColumnHeaders", nullptr, {{u"Count", Variant(LONG{3})}});
    view_ = FakeControl::create(
        u"ListView", nullptr, {{u"hWnd", handleToVariant(window_)}, {u"ColumnHeaders", Variant(ObjectPtr(headers_))}});
    widths_ = {100, 57, 33};
    ASSERT_TRUE(platform::setWindowMessageHandler(hwnd(), [this](HWND, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
      if (wp >= widths_.size()) return 0;
      if (m == kGetWidth) return widths_[wp];
      if (m != kSetWidth) return 0;
      widths_[wp] = static_cast<int>(lp);
      return 1;
    }));
  }
  void TearDown() override {
    (void)platform::setWindowMessageHandler(hwnd(), nullptr);
    PlacementStore::TearDown();
  }
  LONG stored(LONG column, bool* ok) {
    std::string n = std::to_string(column);
    return reg
        .GetValue(kRootCurrentUser, kPath + u"\\Unnamed List", u"Column " + String(n.begin(), n.end()) + u" Width",
                  rtLong, ok)
        .toLong();
  }
  std::shared_ptr<FakeControl> headers_, view_;
  std::vector<int> widths_;
};

TEST_F(ColumnStore, SavesEveryColumnInTwipsAndRestoresOnlyStoredOnes) {
  ASSERT_TRUE(s.SaveListViewColumns2(view_, u"Unnamed List", app(u"T", 1, 0)));
  struct Row {
    LONG column;
    bool exists;
    LONG twips;
  } rows[] = {{1, true, 1500}, {2, true, 855}, {3, true, 495}, {4, false, 0}};
  for (const auto& row : rows) {
    bool ok = false;
    LONG v = stored(row.column, &ok);
    EXPECT_EQ(ok, row.exists) << row.column;
    if (row.exists) {
      EXPECT_EQ(v, row.twips) << row.column;
    }
  }
  // A fourth column added later, the others changed; and the second has lost its value.
  widths_ = {1, 2, 3, 80};
  headers_->setValue(u"Count", Variant(LONG{4}));
  ASSERT_TRUE(reg.DeleteValue(kRootCurrentUser, kPath + u"\\Unnamed List", u"Column 2 Width"));
  ASSERT_TRUE(s.LoadListViewColumns2(view_, u"Unnamed List", app(u"T", 1, 0)));
  EXPECT_EQ(widths_, (std::vector<int>{100, 2, 33, 80}));
}

TEST_F(ColumnStore, UnreadableViewsSaveNothing) {
  headers_->fail(u"Count", 5);
  EXPECT_TRUE(s.SaveListViewColumns2(view_, u"Unnamed List", app(u"T", 1, 0)));  // errors ignored
  EXPECT_FALSE(reg.IsKeyExist(kRootCurrentUser, kPath + u"\\Unnamed List"));
  EXPECT_EQ(errorOf([&] { s.LoadListViewColumns2(view_, u"Unnamed List", app(u"T", 1, 0)); }), 5);
  headers_->unfail(u"Count");

  // A window that answers no list-view messages would read as widths of 0.
  ASSERT_TRUE(platform::setWindowMessageHandler(hwnd(), nullptr));
  EXPECT_TRUE(s.SaveListViewColumns2(view_, u"Unnamed List", app(u"T", 1, 0)));
  EXPECT_FALSE(reg.IsKeyExist(kRootCurrentUser, kPath + u"\\Unnamed List"));
  EXPECT_EQ(errorOf([&] { s.SaveListViewColumns2(view_, u"Unnamed List", nullptr); }), 91);
  auto noHeaders = FakeControl::create(u"ListView", nullptr, {{u"hWnd", handleToVariant(window_)}});
  EXPECT_EQ(errorOf([&] { s.LoadListViewColumns2(noHeaders, u"Unnamed List", app(u"T", 1, 0)); }), 438);
}

TEST_F(ColumnStore, TheMembersAreReachedByName) {
  // Through the member table, with the type library's defaults.
  std::vector<Variant> args{Variant(ObjectPtr(view_)), Variant::missing(), Variant(app(u"T", 1, 0))};
  std::vector<NamedArg> named;
  EXPECT_TRUE(s.invoke(u"SaveListViewColumns2", InvokeKind::Method, args, named).toBool());
  bool ok = false;
  EXPECT_EQ(stored(1, &ok), 1500);
  std::vector<Variant> place{Variant(ObjectPtr(form_)), Variant::missing(), Variant::missing(), Variant(u"T"),
                             Variant(LONG{1})};
  EXPECT_TRUE(s.invoke(u"SaveFormPlacement", InvokeKind::Method, place, named).toBool());
  EXPECT_TRUE(valueExists(kPath + u"\\frmMain", u"Window placement"));
  const ClassDesc& d = qndQuendelSettings::describe();
  for (const char16_t* name : {u"LoadFormPlacementPx", u"LoadFormPlacement"}) {
    auto m = std::find_if(d.members.begin(), d.members.end(), [&](const MemberDesc& x) { return x.name == name; });
    ASSERT_NE(m, d.members.end());
    EXPECT_EQ(m->params[7].type, String(name) == u"LoadFormPlacement" ? vbSingle : vbLong);
    EXPECT_NE(m->help.find(String(name) == u"LoadFormPlacement" ? u"твип" : u"пиксел"), String::npos);
  }
}

// Saved by one program, loaded by another, with and without a window manager.
TEST_F(PlacementStore, PlacementTravelsBetweenProcesses) {
  using quendel::testing::builtProgram;
  using quendel::testing::ChildProcess;
  struct Row {
    const char* state;
    UINT showCmd;
    bool managed;
  } rows[] = {
      {"normal", SW_SHOWNORMAL, false}, {"maximized", SW_SHOWMAXIMIZED, false}, {"minimized", SW_SHOWMINIMIZED, false},
      {"normal", SW_SHOWNORMAL, true},  {"maximized", SW_SHOWMAXIMIZED, true},  {"minimized", SW_SHOWMINIMIZED, true},
  };
  const RECT normal{120, 90, 520, 390};
  for (const auto& row : rows) {
    const std::string what = std::string(row.state) + (row.managed ? " with a window manager" : " without one");
    SCOPED_TRACE(what);
    std::unique_ptr<ChildProcess> wm;
    if (row.managed) {
      wm = std::make_unique<ChildProcess>(std::vector<std::string>{
          builtProgram("platform_window_helper"), "fake-wm", "0", "30", "1280", "994", "frame", "3", "3", "20", "3"});
      ASSERT_EQ(wm->readLine(), "ready");
    }
    const std::string key = std::string(row.state) + (row.managed ? "-managed" : "");
    ChildProcess saver({builtProgram("toolvane_settings_helper"), "save", key, row.state, std::to_string(normal.left),
                        std::to_string(normal.top), std::to_string(normal.right), std::to_string(normal.bottom)});
    ASSERT_EQ(saver.readLine(), "saved");
    bool ok = false;
    std::vector<BYTE> b = bytesOf(reg.GetValue(
        kRootCurrentUser, u"Software\\Kestrane\\Quendel\\Helper\\Version 1.0\\" + String(key.begin(), key.end()),
        u"Window placement", rtBinary, &ok));
    ASSERT_EQ(b.size(), 44u);
    WINDOWPLACEMENT savedWp{};
    std::memcpy(&savedWp, b.data(), sizeof savedWp);
    EXPECT_EQ(savedWp.showCmd, row.showCmd);
    EXPECT_TRUE(sameRect(savedWp.rcNormalPosition, normal));

    ChildProcess loader({builtProgram("toolvane_settings_helper"), "load", key});
    std::string id = loader.readLine();
    ASSERT_FALSE(id.empty());
    ASSERT_EQ(loader.readLine(), "loaded");
    HWND w = platform::hwndFromId(static_cast<std::uint32_t>(std::stoul(id)));
    WINDOWPLACEMENT now{};
    now.length = sizeof now;
    bool arrived = false;
    for (int i = 0; i < 300 && !arrived; ++i) {
      arrived = GetWindowPlacement(w, &now) && now.showCmd == row.showCmd && sameRect(now.rcNormalPosition, normal);
      if (!arrived) ::usleep(10000);
    }
    EXPECT_TRUE(arrived) << now.showCmd << " " << now.rcNormalPosition.left << "," << now.rcNormalPosition.top << ","
                         << now.rcNormalPosition.right << "," << now.rcNormalPosition.bottom;
    if (row.showCmd == SW_SHOWNORMAL) {
      RECT r{};
      ASSERT_TRUE(GetWindowRect(w, &r));
      const LONG down = row.managed ? 30 : 0;  // the work area starts below the panel
      EXPECT_TRUE(sameRect(r, {normal.left, normal.top + down, normal.right, normal.bottom + down}));
    }
  }
}

}  // namespace
}  // namespace quendel::toolvane
