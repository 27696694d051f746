// StdPicture: the standard OLE picture object: Handle, hPal, Type (0 none, 1 bitmap,
// 2 metafile, 3 icon, 4 enhanced metafile), Width and Height in HIMETRIC (0.01 mm).
//
// The picture owns its handles when created with a releaser: it calls it once, when the
// last reference goes. Handles are pointer-sized on this platform; Handle and hPal read
// as Long when the value fits in 32 bits, else as Double (exact for every user-space
// address).
#pragma once

#include <cstdint>
#include <functional>

#include "automation/dispatch.h"
#include "support/export.h"

QUENDEL_EXPORT_BEGIN

namespace quendel::automation {

struct PictureDesc {
  Integer type = Integer{0};
  std::uintptr_t handle = 0;
  std::uintptr_t hPal = 0;
  LONG width = 0;   // HIMETRIC
  LONG height = 0;  // HIMETRIC
};

class StdPicture : public Object {
 public:
  using Releaser = std::function<void(const PictureDesc&)>;
  static std::shared_ptr<StdPicture> create(PictureDesc desc, Releaser releaser = {});
  StdPicture(PictureDesc desc, Releaser releaser) : d_(desc), releaser_(std::move(releaser)) {}
  ~StdPicture() override;

  const PictureDesc& desc() const { return d_; }
  std::uintptr_t Handle() const { return d_.handle; }
  std::uintptr_t hPal() const { return d_.hPal; }
  Integer Type() const { return d_.type; }
  LONG Width() const { return d_.width; }
  LONG Height() const { return d_.height; }

  String className() const override { return u"StdPicture"; }
  const ClassDesc* classDesc() const override;

 private:
  PictureDesc d_;
  Releaser releaser_;
};

// A handle as a Variant: Long when it fits in 32 bits, else Double.
Variant handleToVariant(std::uintptr_t handle);
std::uintptr_t handleFromVariant(const Variant& v);

}  // namespace quendel::automation

QUENDEL_EXPORT_END
