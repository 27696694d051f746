// The runtime's UTF-16 String and the toolkit's QString hold the same UTF-16 units.
#pragma once

#include <QString>

#include "automation/variant.h"
#include "support/export.h"

QUENDEL_EXPORT_BEGIN

namespace quendel::toolvane::qt {

inline QString toQString(const automation::String& s) {
  return QString::fromUtf16(s.data(), static_cast<qsizetype>(s.size()));
}
inline automation::String fromQString(const QString& s) {
  return automation::String(reinterpret_cast<const char16_t*>(s.utf16()), static_cast<std::size_t>(s.size()));
}

}  // namespace quendel::toolvane::qt

QUENDEL_EXPORT_END
