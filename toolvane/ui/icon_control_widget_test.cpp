// The icon control's widget under the test program's own X server: pixels grabbed from
// the widget, mouse events sent to it.
#include <gtest/gtest.h>
#include <QApplication>
#include <QMouseEvent>
#include <QTest>

#include "automation/property_bag.h"
#include "automation/std_picture.h"
#include "platform/gdi/gdi.h"
#include "platform/gdi/icon.h"
#include "platform/ole/load_picture.h"
#include "support/testing.h"
#include "toolvane/controls/uc_icon_control.h"
#include "toolvane/ui/ui_test_support.h"
#include "toolvane/ui_api/ui_library.h"

namespace tv = quendel::toolvane;
namespace qa = quendel::automation;
namespace ut = quendel::toolvane::uitest;
using qa::Variant;

namespace {

constexpr int kSide = 8;
// The icon: an opaque red top row, a half-transparent black second row, a quarter
// white third row, the rest transparent.
constexpr std::uint32_t kRed = 0xFFFF0000u, kHalfBlack = 0x80000000u, kQuarterWhite = 0x40FFFFFFu;

std::shared_ptr<qa::StdPicture> iconPicture() {
  auto color = quendel::gdi::PixelStore::create(4, 4, true);
  auto mask = quendel::gdi::PixelStore::create(4, 4, true);
  for (int x = 0; x < 4; ++x) {
    color->row(0)[x] = kRed;
    color->row(1)[x] = kHalfBlack;
    color->row(2)[x] = kQuarterWhite;
    for (int y = 3; y < 4; ++y) mask->row(y)[x] = 0x00FFFFFFu;
  }
  quendel::gdi::IconImage image;
  image.hasAlpha = true;
  image.color = color;
  image.mask = mask;
  HICON icon = quendel::gdi::createIcon(image);
  return qa::StdPicture::create({qa::Integer{PICTYPE_ICON}, reinterpret_cast<std::uintptr_t>(icon), 0, 106, 106},
                                [](const qa::PictureDesc& d) { (void)DestroyIcon(reinterpret_cast<HICON>(d.handle)); });
}

// A shown container with one icon control in it.
struct Shown {
  QApplication& app = ut::clientApplication();  // before any widget
  QWidget container;
  std::shared_ptr<tv::ucIconControl> control;
  QWidget* widget = nullptr;
  Shown() {
    container.resize(40, 40);
    control = std::dynamic_pointer_cast<tv::ucIconControl>(tv::ui::api().createIconControl(&container));
    widget = container.findChild<QWidget*>(QStringLiteral("ucIconControl"));
    widget->setGeometry(0, 0, kSide, kSide);
    container.show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(&container));
  }
  QImage pixels() const { return widget->grab().toImage().convertToFormat(QImage::Format_RGB32); }
};

QRgb rgb(int r, int g, int b) { return qRgb(r, g, b); }

TEST(IconControlWidget, NothingClearsToTheBackgroundColour) {
  Shown s;
  ASSERT_TRUE(s.control && s.widget);
  s.control->setBackColor(0x0000FF00);  // green, as 0x00BBGGRR
  s.control->setPicture(iconPicture());
  ASSERT_EQ(s.pixels().pixel(0, 0), rgb(255, 0, 0));
  s.control->setPicture(nullptr);
  const QImage img = s.pixels();
  for (int y = 0; y < kSide; ++y)
    for (int x = 0; x < kSide; ++x) ASSERT_EQ(img.pixel(x, y), rgb(0, 255, 0)) << x << "," << y;
}

TEST(IconControlWidget, BackColorRedrawsTheIconOnTheNewColourWithExactAlpha) {
  Shown s;
  s.control->setPicture(iconPicture());
  s.control->setBackColor(0x00FF0000);  // blue
  const QImage img = s.pixels();
  // Over blue (0, 0, 255): opaque red, black at alpha 128, white at alpha 64,
  // transparent, and the background beside the icon.
  const struct Row {
    int x, y;
    QRgb want;
  } rows[] = {
      {0, 0, rgb(255, 0, 0)}, {3, 1, rgb(0, 0, 127)}, {2, 2, rgb(64, 64, 255)},
      {1, 3, rgb(0, 0, 255)}, {5, 0, rgb(0, 0, 255)}, {7, 7, rgb(0, 0, 255)},
  };
  for (const auto& r : rows) EXPECT_EQ(img.pixel(r.x, r.y), r.want) << r.x << "," << r.y;
  // A system colour is the palette's: the button face by default.
  Shown fresh;
  EXPECT_EQ(fresh.pixels().pixel(4, 4), fresh.widget->palette().color(QPalette::Active, QPalette::Button).rgb());
}

TEST(IconControlWidget, SaveAndLoadKeepThePicture) {
  Shown a;
  a.control->setBackColor(0x000000FF);  // red background
  a.control->setPicture(iconPicture());
  qa::PropertyBag bag(tv::kIconControlProgId);
  a.control->WriteProperties(bag);
  const std::vector<std::uint8_t> bytes = bag.Contents();

  Shown b;
  b.control->ReadProperties(qa::PropertyBag::fromContents(bytes, tv::kIconControlProgId));
  EXPECT_EQ(b.pixels(), a.pixels());
  EXPECT_EQ(b.pixels().pixel(3, 1), rgb(127, 0, 0));  // the icon drawn once, over the restored colour
}

TEST(IconControlWidget, MouseIconAndMousePointerDoNotRedraw) {
  Shown s;
  s.control->setPicture(iconPicture());  // a second draw would darken the half-black row again
  const QImage before = s.pixels();
  s.control->setMouseIcon(iconPicture());
  s.control->setMousePointer(qa::Integer{99});
  EXPECT_EQ(s.widget->cursor().shape(), Qt::BitmapCursor);
  s.control->setMousePointer(qa::Integer{2});
  EXPECT_EQ(s.widget->cursor().shape(), Qt::CrossCursor);
  EXPECT_EQ(s.pixels(), before);
  // Drawing twice does change them: the check above can fail.
  s.control->RedrawIcon();
  EXPECT_NE(s.pixels(), before);
}

TEST(IconControlWidget, PicturesWithoutAnIconDrawNothing) {
  Shown s;
  s.control->setBackColor(0x00808080);
  const QImage before = s.pixels();
  HBITMAP bitmap = CreateCompatibleBitmap(nullptr, 4, 4);  // black
  s.control->setPicture(qa::StdPicture::create(
      {qa::Integer{PICTYPE_BITMAP}, reinterpret_cast<std::uintptr_t>(bitmap), 0, 106, 106},
      [](const qa::PictureDesc& d) { (void)DeleteObject(reinterpret_cast<HGDIOBJ>(d.handle)); }));
  EXPECT_EQ(s.pixels(), before);
  s.control->setPicture(qa::StdPicture::create({}));  // the empty picture of a new control
  EXPECT_EQ(s.pixels(), before);
}

TEST(IconControlWidget, KeepsItsDrawingWhenItGrows) {
  Shown s;
  s.control->setBackColor(0x00FFFFFF);  // white
  s.control->setPicture(iconPicture());
  s.widget->resize(2 * kSide, 2 * kSide);
  s.widget->hide();
  s.widget->show();  // repainted from what it keeps, not drawn again
  const QImage img = s.pixels();
  ASSERT_EQ(img.size(), QSize(2 * kSide, 2 * kSide));
  EXPECT_EQ(img.pixel(0, 0), rgb(255, 0, 0));
  EXPECT_EQ(img.pixel(0, 1), rgb(127, 127, 127));  // half black over white, blended once
  EXPECT_EQ(img.pixel(2 * kSide - 1, 2 * kSide - 1), rgb(255, 255, 255));
}

TEST(IconControlWidget, MouseEventsReachTheSinksInTwips) {
  Shown s;
  std::vector<std::string> seen;
  auto sink = std::make_shared<qa::FunctionSink>([&](qa::Object&, std::u16string_view name, std::vector<Variant>& a) {
    std::string line(name.begin(), name.end());
    for (const auto& v : a) line += " " + std::to_string(static_cast<long>(v.toDouble()));
    seen.push_back(line);
    if (name == u"MouseMove") throw quendel::RuntimeError(5);  // must not escape the event loop
  });
  s.control->advise(sink);
  const double tx = 1440.0 / s.widget->logicalDpiX(), ty = 1440.0 / s.widget->logicalDpiY();
  auto send = [&](QEvent::Type type, QPointF at, Qt::MouseButton button, Qt::MouseButtons held,
                  Qt::KeyboardModifiers mods) {
    QMouseEvent e(type, at, s.widget->mapToGlobal(at), button, held, mods);
    QApplication::sendEvent(s.widget, &e);
  };
  send(QEvent::MouseButtonPress, {2, 3}, Qt::RightButton, Qt::RightButton, Qt::ShiftModifier);
  send(QEvent::MouseMove, {4, 5}, Qt::NoButton, Qt::RightButton | Qt::LeftButton, Qt::ControlModifier);
  send(QEvent::MouseButtonRelease, {4, 5}, Qt::RightButton, Qt::NoButton, Qt::AltModifier);
  send(QEvent::MouseButtonPress, {1, 1}, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
  send(QEvent::MouseButtonRelease, {1, 1}, Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
  send(QEvent::MouseButtonDblClick, {1, 1}, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
  send(QEvent::MouseButtonRelease, {1, 1}, Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
  auto at = [&](const char* name, int button, int shift, double x, double y) {
    return std::string(name) + " " + std::to_string(button) + " " + std::to_string(shift) + " " +
           std::to_string(static_cast<long>(x * tx)) + " " + std::to_string(static_cast<long>(y * ty));
  };
  EXPECT_EQ(seen,
            (std::vector<std::string>{at("MouseDown", 2, 1, 2, 3), at("MouseMove", 3, 2, 4, 5),
                                      at("MouseUp", 2, 4, 4, 5), "Click", at("MouseDown", 1, 0, 1, 1),
                                      at("MouseUp", 1, 0, 1, 1), "Click", "DblClick", at("MouseUp", 1, 0, 1, 1)}));
}

}  // namespace
