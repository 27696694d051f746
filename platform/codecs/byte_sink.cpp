#include "platform/codecs/byte_sink.h"

#include <new>

namespace quendel::codecs {

void MemorySink::write(const void* data, std::size_t size) {
  if (failed_) return;
  try {
    const auto* p = static_cast<const std::uint8_t*>(data);
    bytes_.insert(bytes_.end(), p, p + size);
  } catch (const std::bad_alloc&) {
    failed_ = true;
  }
}

}  // namespace quendel::codecs
