#include "automation/property_bag.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>

#include "automation/safe_array.h"
#include "automation/std_font.h"
#include "automation/std_picture.h"
#include "platform/gdi/icon.h"
#include "platform/gdi/icon_pixels.h"
#include "platform/ole/load_picture.h"
#include "support/testing.h"

namespace qa = quendel::automation;
namespace gdi = quendel::gdi;
using qa::PropertyBag;
using qa::Variant;
using quendel::testing::errorOf;

namespace {

constexpr char16_t kProgId[] = u"TvFuncs0305.ucIconControl";

PropertyBag roundTrip(const PropertyBag& bag) { return PropertyBag::fromContents(bag.Contents(), kProgId); }

// Same subtype and value; arrays element by element with their bounds.
void expectSame(const Variant& a, const Variant& b, const std::string& what) {
  ASSERT_EQ(a.type(), b.type()) << what;
  if (a.isArray()) {
    auto x = a.array(), y = b.array();
    ASSERT_EQ(x == nullptr, y == nullptr) << what;
    if (!x) return;
    ASSERT_EQ(x->lbound(), y->lbound()) << what;
    ASSERT_EQ(x->count(), y->count()) << what;
    for (LONG i = x->lbound(); i <= x->ubound(); ++i) expectSame(x->get(i), y->get(i), what + " element");
  } else if (a.isObject()) {
    EXPECT_EQ(a.isNothing(), b.isNothing()) << what;
  } else if (a.type() == qa::vbError) {
    EXPECT_EQ(std::get<qa::ErrorValue>(a.storage()).scode, std::get<qa::ErrorValue>(b.storage()).scode) << what;
  } else if (!a.isNull() && !a.isEmpty()) {
    EXPECT_TRUE(qa::variantEquals(a, b)) << what;
  }
}

// A 3 x 2 icon: opaque red, half-transparent green, a transparent pixel, three more.
HICON makeIcon(bool cursor) {
  auto color = gdi::PixelStore::create(3, 2, true);
  auto mask = gdi::PixelStore::create(3, 2, true);
  const std::uint32_t px[] = {0xFFFF0000u, 0x8000FF00u, 0, 0xFF0000FFu, 0x40FFFFFFu, 0xFF123456u};
  for (int i = 0; i < 6; ++i) {
    color->data()[i] = px[i];
    mask->data()[i] = px[i] ? 0 : 0x00FFFFFFu;
  }
  gdi::IconImage image;
  image.isIcon = !cursor;
  image.xHotspot = cursor ? 2 : 0;
  image.yHotspot = cursor ? 1 : 0;
  image.hasAlpha = true;
  image.color = color;
  image.mask = mask;
  return gdi::createIcon(image);
}

std::shared_ptr<qa::StdPicture> iconPicture(bool cursor = false) {
  HICON icon = makeIcon(cursor);
  return qa::StdPicture::create({qa::Integer{PICTYPE_ICON}, reinterpret_cast<std::uintptr_t>(icon), 0, 79, 53},
                                [](const qa::PictureDesc& d) { (void)DestroyIcon(reinterpret_cast<HICON>(d.handle)); });
}

TEST(PropertyBag, ScalarsAndArraysRoundTrip) {
  auto longs = qa::SafeArray::fromVariants(qa::vbLong, {Variant(LONG{1}), Variant(LONG{-7})}, -3);
  auto mixed = qa::SafeArray::fromVariants(
      qa::vbVariant, {Variant(u"x"), Variant(qa::SafeArray::fromBytes({1, 2}, 1)), Variant::nothing(), Variant()});
  const struct Row {
    const char* what;
    Variant value;
  } rows[] = {
      {"Null", Variant::null()},
      {"Integer", Variant(qa::Integer{-32768})},
      {"Long", Variant(static_cast<LONG>(0x8000000Fu))},
      {"Single", Variant(1.5f)},
      {"Double", Variant(-1e300)},
      {"Currency", Variant(qa::Currency{-922337203685477580})},
      {"Date", Variant(qa::Date{45000.25})},
      {"String", Variant(u"Grüße, ёлка\r\n")},
      {"empty String", Variant(u"")},
      {"Error", Variant(qa::kMissing)},
      {"Boolean", Variant(true)},
      {"Byte", Variant(BYTE{255})},
      {"Nothing", Variant::nothing()},
      {"Long array", Variant(longs)},
      {"Variant array", Variant(mixed)},
      {"Byte array", Variant(qa::SafeArray::fromBytes({0, 1, 255}, 5))},
      {"unallocated array", Variant::unallocatedArray(qa::vbString)},
  };
  PropertyBag bag(kProgId);
  for (const auto& r : rows) bag.WriteProperty(quendel::BStr(r.what, r.what + std::strlen(r.what)), r.value, Variant());
  PropertyBag again = roundTrip(bag);
  EXPECT_EQ(again.size(), std::size(rows));
  for (const auto& r : rows)
    expectSame(again.ReadProperty(quendel::BStr(r.what, r.what + std::strlen(r.what)), Variant(u"none")), r.value,
               r.what);
}

TEST(PropertyBag, PicturesAndFontsRoundTrip) {
  for (bool cursor : {false, true}) {
    auto picture = iconPicture(cursor);
    PropertyBag bag(kProgId);
    bag.WriteProperty(u"Picture", Variant(picture), Variant::nothing());
    auto back = std::dynamic_pointer_cast<qa::StdPicture>(roundTrip(bag).ReadProperty(u"Picture").toObject());
    ASSERT_TRUE(back);
    EXPECT_EQ(back->Type().value, PICTYPE_ICON);
    EXPECT_EQ(back->Width(), 79);
    EXPECT_EQ(back->Height(), 53);
    EXPECT_NE(back->Handle(), picture->Handle());
    gdi::IconPixels want, got;
    ASSERT_TRUE(gdi::iconPixels(reinterpret_cast<HICON>(picture->Handle()), &want));
    ASSERT_TRUE(gdi::iconPixels(reinterpret_cast<HICON>(back->Handle()), &got));
    EXPECT_EQ(got.argb, want.argb);
    EXPECT_EQ(got.isIcon, !cursor);
    EXPECT_EQ(got.xHotspot, want.xHotspot);
    EXPECT_EQ(got.yHotspot, want.yHotspot);
  }
  // A bitmap keeps its pixels; an empty picture stays an empty picture, not Nothing.
  auto store = gdi::PixelStore::create(2, 1, true);
  store->data()[0] = 0xFF102030u;
  store->data()[1] = 0xFFFFFFFFu;
  HBITMAP bitmap = gdi::createBitmapFromStore(store, 32);
  auto bmp =
      qa::StdPicture::create({qa::Integer{PICTYPE_BITMAP}, reinterpret_cast<std::uintptr_t>(bitmap), 0, 53, 26},
                             [](const qa::PictureDesc& d) { (void)DeleteObject(reinterpret_cast<HGDIOBJ>(d.handle)); });
  auto font =
      qa::StdFont::create({u"Tahoma", qa::Currency{90000}, true, false, true, qa::Integer{700}, qa::Integer{204}});
  PropertyBag bag(kProgId);
  bag.WriteProperty(u"Bitmap", Variant(bmp), Variant::nothing());
  bag.WriteProperty(u"Empty", Variant(qa::StdPicture::create({})), Variant::nothing());
  bag.WriteProperty(u"Font", Variant(font), Variant::nothing());
  PropertyBag again = roundTrip(bag);
  auto b = std::dynamic_pointer_cast<qa::StdPicture>(again.ReadProperty(u"Bitmap").toObject());
  ASSERT_TRUE(b);
  EXPECT_EQ(b->Type().value, PICTYPE_BITMAP);
  auto rows = gdi::bitmapRowSource(reinterpret_cast<HBITMAP>(b->Handle()));
  ASSERT_TRUE(rows);
  std::uint32_t scratch[2];
  const std::uint32_t* row = rows->row(0, scratch);
  EXPECT_EQ(row[0] & 0xFFFFFFu, 0x102030u);
  EXPECT_EQ(row[1] & 0xFFFFFFu, 0xFFFFFFu);
  auto e = std::dynamic_pointer_cast<qa::StdPicture>(again.ReadProperty(u"Empty").toObject());
  ASSERT_TRUE(e);
  EXPECT_EQ(e->Type().value, PICTYPE_NONE);
  auto f = std::dynamic_pointer_cast<qa::StdFont>(again.ReadProperty(u"Font").toObject());
  ASSERT_TRUE(f);
  EXPECT_EQ(f->Name(), u"Tahoma");
  EXPECT_EQ(f->Size().scaled, 90000);
  EXPECT_TRUE(f->Italic() && f->Strikethrough() && !f->Underline() && f->Bold());
  EXPECT_EQ(f->Charset().value, 204);
}

TEST(PropertyBag, DefaultsAreNotStoredAndNamesIgnoreCase) {
  const Variant btnFace(LONG{static_cast<LONG>(0x8000000F)});
  PropertyBag bag(kProgId);
  bag.WriteProperty(u"BackColor", btnFace, btnFace);
  EXPECT_EQ(bag.size(), 0u);
  bag.WriteProperty(u"BackColor", Variant(LONG{255}), btnFace);
  bag.WriteProperty(u"BACKCOLOR", Variant(LONG{254}), btnFace);  // the same name
  EXPECT_EQ(bag.size(), 1u);
  EXPECT_EQ(roundTrip(bag).ReadProperty(u"backcolor", btnFace).toLong(), 254);
  bag.WriteProperty(u"backColor", btnFace, btnFace);  // the default removes the value
  EXPECT_EQ(bag.size(), 0u);
  EXPECT_EQ(bag.ReadProperty(u"BackColor", btnFace).toLong(), static_cast<LONG>(0x8000000F));
  // Equal means the same stored form: Integer 0 is not Long 0, two empty pictures match.
  bag.WriteProperty(u"MousePointer", Variant(LONG{0}), Variant(qa::Integer{0}));
  EXPECT_EQ(bag.size(), 1u);
  bag.WriteProperty(u"Picture", Variant(qa::StdPicture::create({})), Variant(qa::StdPicture::create({})));
  EXPECT_EQ(bag.size(), 1u);
  // An object that cannot save itself stores nothing.
  class Other : public qa::Object {};
  EXPECT_EQ(errorOf([&] { bag.WriteProperty(u"X", Variant(std::make_shared<Other>()), Variant()); }), 330);
  EXPECT_EQ(bag.size(), 1u);
}

std::vector<std::uint8_t> sample() {
  PropertyBag bag(kProgId);
  bag.WriteProperty(u"Picture", Variant(iconPicture()), Variant::nothing());
  bag.WriteProperty(u"Name", Variant(u"imgIcon"), Variant());
  bag.WriteProperty(u"List", Variant(qa::SafeArray::fromVariants(qa::vbLong, {Variant(LONG{3})})), Variant());
  return bag.Contents();
}

void put32(std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

TEST(PropertyBag, DamagedBytesRaiseInsteadOfCrashing) {
  const std::vector<std::uint8_t> good = sample();
  ASSERT_EQ(errorOf([&] { (void)PropertyBag::fromContents(good, u"tvfuncs0305.UCICONCONTROL"); }), 0);
  // Every truncation.
  for (std::size_t n = 0; n < good.size(); ++n) {
    std::vector<std::uint8_t> cut(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(n));
    ASSERT_EQ(errorOf([&] { (void)PropertyBag::fromContents(cut, kProgId); }), 321) << n;
  }
  const std::size_t progIdLength = 8, count = progIdLength + 4 + 2 * (std::size(kProgId) - 1);
  const std::size_t firstName = count + 4;
  const std::size_t pictureType = firstName + 4 + 2 * 7 + 2 + 1;  // after "Picture", its tag and kind
  const struct Row {
    const char* what;
    std::function<void(std::vector<std::uint8_t>&)> damage;
    LONG error;
  } rows[] = {
      {"magic", [](auto& b) { b[0] = 'X'; }, 321},
      {"later version", [](auto& b) { b[4] = 2; }, 321},
      {"huge ProgID length", [&](auto& b) { put32(b, progIdLength, 0x7FFFFFFFu); }, 321},
      {"huge count", [&](auto& b) { put32(b, count, 0xFFFFFFFFu); }, 321},
      {"huge name length", [&](auto& b) { put32(b, firstName, 0xFFFFFFF0u); }, 321},
      {"unknown type", [&](auto& b) { b[firstName + 4 + 2 * 7] = 0x55; }, 321},
      {"byte left over", [](auto& b) { b.push_back(0); }, 321},
      {"icon bytes said to be a bitmap", [&](auto& b) { b[pictureType] = 1; }, 321},
      {"picture file damaged", [&](auto& b) { b[pictureType + 14] = 'X'; }, 321},
      {"another class", [&](auto& b) { b[progIdLength + 4] = 'X'; }, 13},
  };
  for (const auto& r : rows) {
    auto bad = good;
    r.damage(bad);
    EXPECT_EQ(errorOf([&] { (void)PropertyBag::fromContents(bad, kProgId); }), r.error) << r.what;
  }
  // Every single byte changed: an error or a bag, never a crash or an over-read.
  for (std::size_t i = 0; i < good.size(); ++i) {
    auto bad = good;
    bad[i] ^= 0xFF;
    LONG e = errorOf([&] {
      // What loads saves to bytes that load to the same bytes again.
      const std::vector<std::uint8_t> again = PropertyBag::fromContents(bad, kProgId).Contents();
      EXPECT_EQ(PropertyBag::fromContents(again, kProgId).Contents(), again) << i;
    });
    EXPECT_TRUE(e == 0 || e == 321 || e == 13 || e == 380) << i << ": " << e;
  }
}

TEST(PropertyBag, DeepNestingIsRefused) {
  // Arrays nested in Variant arrays, written by hand: 10 levels load, 40 do not.
  for (auto [depth, error] : {std::pair{10, 0}, std::pair{40, 321}}) {
    PropertyBag bag(kProgId);
    std::vector<std::uint8_t> b = bag.Contents();
    b.erase(b.end() - 4, b.end());  // the count of values
    const std::uint8_t header[] = {1, 0, 0, 0, 1, 0, 0, 0, 'A', 0};
    b.insert(b.end(), header, header + sizeof header);
    for (int i = 0; i < depth; ++i) {
      const std::uint8_t level[] = {0x0C, 0x20, 1, 0, 0, 0, 0, 1, 0, 0, 0};
      b.insert(b.end(), level, level + sizeof level);
    }
    b.push_back(0);
    b.push_back(0);  // the innermost value: Empty
    EXPECT_EQ(errorOf([&] { (void)PropertyBag::fromContents(b, kProgId); }), error) << depth;
  }
}

}  // namespace
