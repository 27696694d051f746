#include "automation/safe_array.h"

namespace quendel::automation {

Variant emptyValueOf(VarType t) {
  switch (t) {
    case vbInteger: return Integer{0};
    case vbLong: return LONG{0};
    case vbSingle: return 0.0f;
    case vbDouble: return 0.0;
    case vbCurrency: return Currency{0};
    case vbDate: return Date{0};
    case vbString: return String();
    case vbObject: return Variant::nothing();
    case vbBoolean: return false;
    case vbByte: return BYTE{0};
    case vbError: return ErrorValue{0};
    default: return Variant();
  }
}

std::shared_ptr<SafeArray> SafeArray::create(VarType elementType, LONG lbound, std::size_t count) {
  auto a = std::make_shared<SafeArray>(elementType, lbound);
  a->resize(count);
  return a;
}

std::shared_ptr<SafeArray> SafeArray::fromBytes(std::vector<BYTE> bytes, LONG lbound) {
  auto a = std::make_shared<SafeArray>(vbByte, lbound);
  a->bytes_ = std::move(bytes);
  return a;
}

std::shared_ptr<SafeArray> SafeArray::fromVariants(VarType elementType, const std::vector<Variant>& items,
                                                   LONG lbound) {
  auto a = create(elementType, lbound, items.size());
  for (std::size_t i = 0; i < items.size(); ++i) a->set(lbound + static_cast<LONG>(i), items[i]);
  return a;
}

std::size_t SafeArray::count() const { return elementType_ == vbByte ? bytes_.size() : items_.size(); }

std::size_t SafeArray::offset(LONG index) const {
  long long off = static_cast<long long>(index) - lbound_;
  if (off < 0 || static_cast<unsigned long long>(off) >= count()) throw RuntimeError(9);
  return static_cast<std::size_t>(off);
}

Variant SafeArray::get(LONG index) const {
  std::size_t off = offset(index);
  if (elementType_ == vbByte) return bytes_[off];
  return items_[off];
}

void SafeArray::set(LONG index, const Variant& value) {
  std::size_t off = offset(index);
  if (elementType_ == vbByte) {
    bytes_[off] = value.toByte();
  } else if (elementType_ == vbVariant) {
    items_[off] = value;
  } else {
    items_[off] = value.convertTo(elementType_);
  }
}

void SafeArray::resize(std::size_t count) {
  if (elementType_ == vbByte) {
    bytes_.resize(count, 0);
  } else {
    items_.resize(count, emptyValueOf(elementType_));
  }
}

}  // namespace quendel::automation
