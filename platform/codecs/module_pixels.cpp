#include "platform/codecs/module_pixels.h"

#include <memory>

#include "platform/gdi/row_source.h"

namespace quendel::codecs {

std::uint32_t* allocatePixelStore(void* context, int width, int height) {
  auto& pixels = *static_cast<std::shared_ptr<gdi::PixelStore>*>(context);
  pixels = gdi::PixelStore::create(width, height, false);
  return pixels ? pixels->data() : nullptr;
}

}  // namespace quendel::codecs
