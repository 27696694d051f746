#include "platform/codecs/test_metafiles.h"

namespace quendel::testpics {

namespace {

class Bytes {
 public:
  void u16(unsigned v) {
    b_.push_back(static_cast<std::uint8_t>(v));
    b_.push_back(static_cast<std::uint8_t>(v >> 8));
  }
  void u32(std::uint32_t v) {
    u16(v & 0xFFFF);
    u16(v >> 16);
  }
  void setU32(std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) b_[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
  }
  void setU16(std::size_t at, unsigned v) {
    b_[at] = static_cast<std::uint8_t>(v);
    b_[at + 1] = static_cast<std::uint8_t>(v >> 8);
  }
  std::size_t size() const { return b_.size(); }
  std::vector<std::uint8_t> take() { return std::move(b_); }
  const std::vector<std::uint8_t>& bytes() const { return b_; }

 private:
  std::vector<std::uint8_t> b_;
};

// One WMF record: size in words, function, parameters.
void wmfRecord(Bytes& b, unsigned function, const std::vector<unsigned>& params) {
  b.u32(static_cast<std::uint32_t>(3 + params.size()));
  b.u16(function);
  for (unsigned p : params) b.u16(p);
}

void emfRecord(Bytes& b, std::uint32_t type, const std::vector<std::uint32_t>& params) {
  b.u32(type);
  b.u32(static_cast<std::uint32_t>(8 + 4 * params.size()));
  for (std::uint32_t p : params) b.u32(p);
}

constexpr unsigned kMetaSetWindowOrg = 0x020B, kMetaSetWindowExt = 0x020C, kMetaCreatePen = 0x02FA,
                   kMetaCreateBrush = 0x02FC, kMetaSelectObject = 0x012D, kMetaDeleteObject = 0x01F0,
                   kMetaRectangle = 0x041B, kMetaSetMapMode = 0x0103;
constexpr unsigned kPsNull = 5, kMmAnisotropic = 8;
constexpr std::uint32_t kEmrCreateBrush = 39, kEmrSelectObject = 37, kEmrDeleteObject = 40, kEmrRectangle = 43,
                        kEmrEof = 14, kNullPen = 0x80000008u;

}  // namespace

std::vector<std::uint8_t> makeWmf(int width, int height, const std::vector<FilledRect>& rects, bool placeable,
                                  int unitsPerInch) {
  Bytes b;
  if (placeable) {
    b.u32(0x9AC6CDD7u);
    const unsigned box[] = {0, 0, static_cast<unsigned>(width), static_cast<unsigned>(height)};
    b.u16(0);
    for (unsigned v : box) b.u16(v);
    b.u16(static_cast<unsigned>(unitsPerInch));
    b.u32(0);
    unsigned sum = 0;
    for (std::size_t i = 0; i < 20; i += 2) sum ^= b.bytes()[i] | (b.bytes()[i + 1] << 8);
    b.u16(sum);
  }
  const std::size_t header = b.size();
  b.u16(1);
  b.u16(9);
  b.u16(0x0300);
  b.u32(0);  // size in words, set below
  b.u16(2);  // objects: the pen and one brush at a time
  b.u32(0);  // largest record, set below
  b.u16(0);
  wmfRecord(b, kMetaSetMapMode, {kMmAnisotropic});
  wmfRecord(b, kMetaSetWindowOrg, {0, 0});
  wmfRecord(b, kMetaSetWindowExt, {static_cast<unsigned>(height), static_cast<unsigned>(width)});
  wmfRecord(b, kMetaCreatePen, {kPsNull, 0, 0, 0, 0});
  wmfRecord(b, kMetaSelectObject, {0});
  for (const FilledRect& r : rects) {
    wmfRecord(b, kMetaCreateBrush, {0, r.color & 0xFFFF, r.color >> 16, 0});
    wmfRecord(b, kMetaSelectObject, {1});
    wmfRecord(b, kMetaRectangle,
              {static_cast<unsigned>(r.bottom), static_cast<unsigned>(r.right), static_cast<unsigned>(r.top),
               static_cast<unsigned>(r.left)});
    wmfRecord(b, kMetaDeleteObject, {1});
  }
  wmfRecord(b, 0, {});
  b.setU32(header + 6, static_cast<std::uint32_t>((b.size() - header) / 2));
  b.setU32(header + 12, 8);
  return b.take();
}

std::vector<std::uint8_t> makeEmf(int width, int height, const std::vector<FilledRect>& rects) {
  Bytes b;
  const auto u = [](int v) { return static_cast<std::uint32_t>(v); };
  // 96 pixels per inch: 960 pixels to 254 mm.
  constexpr std::uint32_t kDevicePixels = 960, kDeviceMillimeters = 254;
  const std::uint32_t frameW = static_cast<std::uint32_t>((width * 2540 + 48) / 96) - 1;
  const std::uint32_t frameH = static_cast<std::uint32_t>((height * 2540 + 48) / 96) - 1;
  emfRecord(b, 1,
            {0,
             0,
             u(width - 1),
             u(height - 1),
             0,
             0,
             frameW,
             frameH,
             0x464D4520u,
             0x10000,
             0,
             0,
             2,
             0,
             0,
             0,
             kDevicePixels,
             kDevicePixels,
             kDeviceMillimeters,
             kDeviceMillimeters,
             0,
             0,
             0,
             kDeviceMillimeters * 1000,
             kDeviceMillimeters * 1000});
  std::uint32_t records = 1;
  emfRecord(b, kEmrSelectObject, {kNullPen});
  ++records;
  for (const FilledRect& r : rects) {
    emfRecord(b, kEmrCreateBrush, {1, 0, r.color, 0});
    emfRecord(b, kEmrSelectObject, {1});
    emfRecord(b, kEmrRectangle, {u(r.left), u(r.top), u(r.right), u(r.bottom)});
    emfRecord(b, kEmrDeleteObject, {1});
    records += 4;
  }
  emfRecord(b, kEmrEof, {0, 16, 20});
  ++records;
  b.setU32(48, static_cast<std::uint32_t>(b.size()));
  b.setU32(52, records);
  return b.take();
}

}  // namespace quendel::testpics
