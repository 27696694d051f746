#include "platform/codecs/metafile_renderer.h"

#include "platform/codecs/metafile_module.h"

namespace quendel::codecs {

namespace {

const MetafileModule* metafileModule() {
  static platform::OnDemandModule module(kMetafileModuleFile, kMetafileModuleEntry, kMetafileModuleVersion,
                                         sizeof(MetafileModule));
  return module.table<MetafileModule>();
}

}  // namespace

DecodeStatus renderMetafile(const std::uint8_t* data, std::size_t size, const MetafileHeader& header,
                            gdi::PixelStore& target) {
  if (!data || target.width() <= 0 || target.height() <= 0) return DecodeStatus::Damaged;
  const MetafileModule* module = metafileModule();
  if (!module) return DecodeStatus::Damaged;  // as records the drawing libraries refuse
  return static_cast<DecodeStatus>(
      module->render(data, size, &header, MetafilePixels{target.data(), target.width(), target.height()}));
}

}  // namespace quendel::codecs
