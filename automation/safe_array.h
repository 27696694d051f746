// SafeArray: a one-dimensional array of the automation runtime with its own lower bound.
//
//   auto a = SafeArray::create(vbLong, 0, 3);     // bounds 0 to 2
//   a->set(1, Variant(5));                        // converted to the element type
//   a->lbound(); a->ubound(); a->count();
//
// Elements always hold the element type (vbVariant arrays hold anything); setting a value
// converts it and raises 13 or 6 as the conversion does. An index outside the bounds
// raises 9 (Subscript out of range). Byte arrays keep their bytes packed.
#pragma once

#include <memory>
#include <vector>

#include "automation/variant.h"
#include "support/export.h"

QUENDEL_EXPORT_BEGIN

namespace quendel::automation {

class SafeArray {
 public:
  static std::shared_ptr<SafeArray> create(VarType elementType, LONG lbound, std::size_t count);
  static std::shared_ptr<SafeArray> fromBytes(std::vector<BYTE> bytes, LONG lbound = 0);
  static std::shared_ptr<SafeArray> fromVariants(VarType elementType, const std::vector<Variant>& items,
                                                 LONG lbound = 0);

  VarType elementType() const { return elementType_; }
  LONG lbound() const { return lbound_; }
  LONG ubound() const { return lbound_ + static_cast<LONG>(count()) - 1; }
  std::size_t count() const;

  Variant get(LONG index) const;
  void set(LONG index, const Variant& value);
  // Resizes keeping the lower bound (ReDim Preserve); new elements are the type's empty value.
  void resize(std::size_t count);

  // Packed bytes of a Byte array (empty for other types).
  const std::vector<BYTE>& bytes() const { return bytes_; }
  std::vector<BYTE>& bytes() { return bytes_; }

  std::shared_ptr<SafeArray> clone() const { return std::make_shared<SafeArray>(*this); }

  SafeArray(VarType elementType, LONG lbound) : elementType_(elementType), lbound_(lbound) {}

 private:
  std::size_t offset(LONG index) const;  // raises 9

  VarType elementType_;
  LONG lbound_;
  std::vector<Variant> items_;  // every type but Byte
  std::vector<BYTE> bytes_;     // Byte
};

// The empty value of a subtype: 0, "", False, Empty ...
Variant emptyValueOf(VarType t);

}  // namespace quendel::automation

QUENDEL_EXPORT_END
