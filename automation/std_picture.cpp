#include "automation/std_picture.h"

#include <cmath>

namespace quendel::automation {

Variant handleToVariant(std::uintptr_t handle) {
  if (handle <= 0xFFFFFFFFu) return Variant(static_cast<LONG>(static_cast<DWORD>(handle)));
  return Variant(static_cast<double>(handle));
}

std::uintptr_t handleFromVariant(const Variant& v) {
  if (v.type() == vbLong) return static_cast<DWORD>(v.toLong());
  double d = v.toDouble();
  if (d >= 0 && d <= 4294967295.0 && d == std::floor(d)) {
    return d > 2147483647.0 ? static_cast<std::uintptr_t>(d) : static_cast<DWORD>(v.toLong());
  }
  if (d < 0 && d >= -2147483648.0) return static_cast<DWORD>(v.toLong());
  if (d < 0 || d != std::floor(d) || d > 9007199254740992.0) throw RuntimeError(6);
  return static_cast<std::uintptr_t>(d);
}

std::shared_ptr<StdPicture> StdPicture::create(PictureDesc desc, Releaser releaser) {
  return std::make_shared<StdPicture>(desc, std::move(releaser));
}

StdPicture::~StdPicture() {
  if (releaser_) releaser_(d_);
}

const ClassDesc* StdPicture::classDesc() const {
  static const ClassDesc d =
      ClassBuilder<StdPicture>(u"StdPicture")
          .get(u"Handle", vbLong, [](StdPicture& p, CallArgs&) { return handleToVariant(p.Handle()); })
          .defaultMember()
          .get(u"hPal", vbLong, [](StdPicture& p, CallArgs&) { return handleToVariant(p.hPal()); })
          .get(u"Type", vbInteger, [](StdPicture& p, CallArgs&) { return Variant(p.Type()); })
          .get(u"Width", vbLong, [](StdPicture& p, CallArgs&) { return Variant(p.Width()); })
          .get(u"Height", vbLong, [](StdPicture& p, CallArgs&) { return Variant(p.Height()); })
          .build();
  return &d;
}

}  // namespace quendel::automation
