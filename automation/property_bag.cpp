#include "automation/property_bag.h"

#include <cstring>
#include <limits>

#include "automation/safe_array.h"
#include "automation/std_font.h"
#include "automation/std_picture.h"
#include "platform/gdi/icon.h"
#include "platform/ole/save_picture.h"

namespace quendel::automation {

namespace {

constexpr char kMagic[4] = {'Q', 'P', 'B', 'G'};
constexpr int kMaxDepth = 16;
constexpr LONG kBadFormat = 321, kOtherClass = 13, kNotPersistable = 330;
constexpr std::uint8_t kNothing = 0, kPicture = 1, kFont = 2;
constexpr std::uint8_t kItalic = 1, kUnderline = 2, kStrikethrough = 4;
// The fewest bytes a value, a string and an entry take, to bound counts before reading.
constexpr std::size_t kMinValue = 2, kMinString = 4, kMinEntry = kMinString + kMinValue;

[[noreturn]] void damaged() { throw RuntimeError(kBadFormat); }

class Writer {
 public:
  void bytes(const void* p, std::size_t n) {
    const auto* b = static_cast<const std::uint8_t*>(p);
    out.insert(out.end(), b, b + n);
  }
  template <class T>
  void num(T v) {
    std::uint8_t b[sizeof(T)];
    std::memcpy(b, &v, sizeof v);  // the platform is little-endian, as the form is
    bytes(b, sizeof b);
  }
  void str(std::u16string_view s) {
    if (s.size() > std::numeric_limits<std::uint32_t>::max()) throw RuntimeError(6);
    num(static_cast<std::uint32_t>(s.size()));
    for (char16_t c : s) num(static_cast<std::uint16_t>(c));
  }
  void value(const Variant& v);

  std::vector<std::uint8_t> out;

 private:
  void object(const ObjectPtr& o);
};

void Writer::object(const ObjectPtr& o) {
  if (!o) {
    num(kNothing);
    return;
  }
  if (auto* p = dynamic_cast<const StdPicture*>(o.get())) {
    std::vector<std::uint8_t> file;
    raiseOnFailure(SavePictureToBytes(p->Type().value, p->Handle(), &file));
    if (file.size() > std::numeric_limits<std::uint32_t>::max()) throw RuntimeError(6);
    num(kPicture);
    num(p->Type().value);
    num(static_cast<std::int32_t>(p->Width()));
    num(static_cast<std::int32_t>(p->Height()));
    num(static_cast<std::uint32_t>(file.size()));
    bytes(file.data(), file.size());
    return;
  }
  if (auto* f = dynamic_cast<const StdFont*>(o.get())) {
    const FontDesc& d = f->desc();
    num(kFont);
    str(d.name);
    num(d.size.scaled);
    num(static_cast<std::uint8_t>((d.italic ? kItalic : 0) | (d.underline ? kUnderline : 0) |
                                  (d.strikethrough ? kStrikethrough : 0)));
    num(d.weight.value);
    num(d.charset.value);
    return;
  }
  throw RuntimeError(kNotPersistable, u"Illegal parameter. Can't write object because it does not support persistence");
}

void Writer::value(const Variant& v) {
  const VarType t = v.type();
  num(static_cast<std::uint16_t>(t));
  std::visit(
      [&](const auto& x) {
        using T = std::decay_t<decltype(x)>;
        if constexpr (std::is_same_v<T, Integer>)
          num(x.value);
        else if constexpr (std::is_same_v<T, LONG>)
          num(static_cast<std::int32_t>(x));
        else if constexpr (std::is_same_v<T, float> || std::is_same_v<T, double>)
          num(x);
        else if constexpr (std::is_same_v<T, Currency>)
          num(x.scaled);
        else if constexpr (std::is_same_v<T, Date>)
          num(x.value);
        else if constexpr (std::is_same_v<T, String>)
          str(x);
        else if constexpr (std::is_same_v<T, ObjectPtr>)
          object(x);
        else if constexpr (std::is_same_v<T, ErrorValue>)
          num(static_cast<std::int32_t>(x.scode));
        else if constexpr (std::is_same_v<T, bool>)
          num(static_cast<std::uint8_t>(x ? 1 : 0));
        else if constexpr (std::is_same_v<T, BYTE>)
          num(static_cast<std::uint8_t>(x));
        else if constexpr (std::is_same_v<T, Variant::ArrayRef>) {
          num(static_cast<std::uint8_t>(x.array ? 1 : 0));
          if (!x.array) return;
          num(static_cast<std::int32_t>(x.array->lbound()));
          if (x.array->count() > std::numeric_limits<std::uint32_t>::max()) throw RuntimeError(6);
          num(static_cast<std::uint32_t>(x.array->count()));
          if (x.elementType == vbByte) {
            bytes(x.array->bytes().data(), x.array->bytes().size());
          } else {
            for (LONG i = x.array->lbound(); i <= x.array->ubound(); ++i) value(x.array->get(i));
          }
        }
      },
      v.storage());
}

class Reader {
 public:
  Reader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
  std::size_t left() const { return size_ - at_; }
  const std::uint8_t* take(std::size_t n) {
    if (n > left()) damaged();
    const std::uint8_t* p = data_ + at_;
    at_ += n;
    return p;
  }
  template <class T>
  T num() {
    T v;
    std::memcpy(&v, take(sizeof v), sizeof v);
    return v;
  }
  String str() {
    const auto n = num<std::uint32_t>();
    if (n > left() / 2) damaged();
    String s(n, u'\0');
    for (auto& c : s) c = static_cast<char16_t>(num<std::uint16_t>());
    return s;
  }
  Variant value(int depth);

 private:
  ObjectPtr object();
  Variant array(VarType element, int depth);

  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t at_ = 0;
};

void releasePicture(const PictureDesc& d) {
  if (d.type.value == PICTYPE_ICON)
    (void)DestroyIcon(reinterpret_cast<HICON>(d.handle));
  else if (d.type.value == PICTYPE_METAFILE)
    (void)DeleteMetaFile(reinterpret_cast<HMETAFILE>(d.handle));
  else if (d.type.value == PICTYPE_ENHMETAFILE)
    (void)DeleteEnhMetaFile(reinterpret_cast<HENHMETAFILE>(d.handle));
  else if (d.handle)
    (void)DeleteObject(reinterpret_cast<HGDIOBJ>(d.handle));
}

ObjectPtr Reader::object() {
  const auto kind = num<std::uint8_t>();
  if (kind == kNothing) return nullptr;
  if (kind == kPicture) {
    PictureDesc d;
    d.type = Integer{num<std::int16_t>()};
    d.width = num<std::int32_t>();
    d.height = num<std::int32_t>();
    const auto n = num<std::uint32_t>();
    const std::uint8_t* file = take(n);
    if (d.type.value == PICTYPE_NONE) {
      if (n) damaged();
      return StdPicture::create(d);
    }
    if (d.type.value != PICTYPE_ICON && d.type.value != PICTYPE_BITMAP) damaged();
    PictureDescription loaded;
    if (FAILED(LoadPictureFromBytes(file, n, &loaded))) damaged();
    d.handle = loaded.Handle;
    if (loaded.Type != d.type.value) {
      releasePicture({Integer{loaded.Type}, loaded.Handle, 0, 0, 0});
      damaged();
    }
    return StdPicture::create(d, releasePicture);
  }
  if (kind == kFont) {
    FontDesc d;
    d.name = str();
    d.size = Currency{num<std::int64_t>()};
    const auto flags = num<std::uint8_t>();
    d.italic = flags & kItalic;
    d.underline = flags & kUnderline;
    d.strikethrough = flags & kStrikethrough;
    d.weight = Integer{num<std::int16_t>()};
    d.charset = Integer{num<std::int16_t>()};
    auto font = StdFont::create();
    font->setName(d.name);
    font->setSize(d.size);  // the font's own limits: 380 for a damaged size or weight
    font->setWeight(d.weight);
    font->setItalic(d.italic);
    font->setUnderline(d.underline);
    font->setStrikethrough(d.strikethrough);
    font->setCharset(d.charset);
    return font;
  }
  damaged();
}

Variant Reader::array(VarType element, int depth) {
  if (!num<std::uint8_t>()) return Variant::unallocatedArray(element);
  const auto lbound = num<std::int32_t>();
  const auto count = num<std::uint32_t>();
  if (count && static_cast<std::int64_t>(lbound) + count - 1 > std::numeric_limits<std::int32_t>::max()) damaged();
  if (element == vbByte) {
    const std::uint8_t* b = take(count);
    return Variant(SafeArray::fromBytes(std::vector<BYTE>(b, b + count), lbound));
  }
  if (count > left() / kMinValue) damaged();
  std::vector<Variant> items;
  items.reserve(count);
  for (std::uint32_t i = 0; i < count; ++i) {
    items.push_back(value(depth + 1));
    if (element != vbVariant && items.back().type() != element) damaged();
  }
  return Variant(SafeArray::fromVariants(element, items, lbound));
}

Variant Reader::value(int depth) {
  if (depth > kMaxDepth) damaged();
  const auto tag = num<std::uint16_t>();
  if (tag & vbArray) {
    const auto element = static_cast<VarType>(tag & ~vbArray);
    if (element == vbEmpty || element == vbNull || element == vbArray || element > vbByte ||
        (element > vbVariant && element != vbByte))
      damaged();
    return array(element, depth);
  }
  switch (tag) {
    case vbEmpty: return Variant();
    case vbNull: return Variant::null();
    case vbInteger: return Variant(Integer{num<std::int16_t>()});
    case vbLong: return Variant(static_cast<LONG>(num<std::int32_t>()));
    case vbSingle: return Variant(num<float>());
    case vbDouble: return Variant(num<double>());
    case vbCurrency: return Variant(Currency{num<std::int64_t>()});
    case vbDate: return Variant(Date{num<double>()});
    case vbString: return Variant(str());
    case vbObject: return Variant(object());
    case vbError: return Variant(ErrorValue{num<std::int32_t>()});
    case vbBoolean: {
      const auto b = num<std::uint8_t>();
      if (b > 1) damaged();
      return Variant(b == 1);
    }
    case vbByte: return Variant(static_cast<BYTE>(num<std::uint8_t>()));
    default: damaged();
  }
}

std::vector<std::uint8_t> encode(const Variant& v) {
  Writer w;
  w.value(v);
  return std::move(w.out);
}

}  // namespace

PropertyBag PropertyBag::fromContents(const std::vector<std::uint8_t>& bytes, std::u16string_view expectedProgId) {
  Reader r(bytes.data(), bytes.size());
  if (std::memcmp(r.take(sizeof kMagic), kMagic, sizeof kMagic) != 0) damaged();
  if (r.num<std::uint16_t>() != kVersion || r.num<std::uint16_t>() != 0) damaged();
  PropertyBag bag(r.str());
  if (!equalsText(bag.progId_, expectedProgId)) throw RuntimeError(kOtherClass);
  const auto count = r.num<std::uint32_t>();
  if (count > r.left() / kMinEntry) damaged();
  for (std::uint32_t i = 0; i < count; ++i) {
    String name = r.str();
    Writer again;
    // Each value is read whole, so that damage shows now rather than at ReadProperty.
    again.value(r.value(0));
    auto same = std::find_if(bag.items_.begin(), bag.items_.end(),
                             [&](const auto& item) { return equalsText(item.first, name); });
    if (same != bag.items_.end()) damaged();
    bag.items_.emplace_back(std::move(name), std::move(again.out));
  }
  if (r.left()) damaged();
  return bag;
}

Variant PropertyBag::ReadProperty(std::u16string_view name, const Variant& defaultValue) const {
  for (const auto& [key, bytes] : items_) {
    if (!equalsText(key, name)) continue;
    Reader r(bytes.data(), bytes.size());
    return r.value(0);
  }
  return defaultValue;
}

void PropertyBag::WriteProperty(std::u16string_view name, const Variant& value, const Variant& defaultValue) {
  std::vector<std::uint8_t> bytes = encode(value);
  auto it = std::find_if(items_.begin(), items_.end(), [&](const auto& item) { return equalsText(item.first, name); });
  if (bytes == encode(defaultValue)) {
    if (it != items_.end()) items_.erase(it);
    return;
  }
  if (it != items_.end())
    it->second = std::move(bytes);
  else
    items_.emplace_back(String(name), std::move(bytes));
}

std::vector<std::uint8_t> PropertyBag::Contents() const {
  Writer w;
  w.bytes(kMagic, sizeof kMagic);
  w.num(kVersion);
  w.num(std::uint16_t{0});
  w.str(progId_);
  w.num(static_cast<std::uint32_t>(items_.size()));
  for (const auto& [name, bytes] : items_) {
    w.str(name);
    w.bytes(bytes.data(), bytes.size());
  }
  return std::move(w.out);
}

}  // namespace quendel::automation
