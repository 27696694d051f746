// The GIF module: giflib reads the records from memory up to the first frame, which is
// drawn on its logical screen.
#include "platform/codecs/gif_module.h"

#include <gif_lib.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "platform/codecs/decoded_picture.h"
#include "platform/gdi/picture_limits.h"

namespace quendel::codecs {

namespace {

struct Input {
  const std::uint8_t* data;
  std::size_t size;
  std::size_t pos;
};

int onRead(GifFileType* gif, GifByteType* out, int count) {
  auto* in = static_cast<Input*>(gif->UserData);
  const std::size_t n = std::min<std::size_t>(static_cast<std::size_t>(count), in->size - in->pos);
  std::memcpy(out, in->data + in->pos, n);
  in->pos += n;
  return static_cast<int>(n);
}

struct GifCloser {
  void operator()(GifFileType* g) const {
    int err;
    DGifCloseFile(g, &err);
  }
};

constexpr std::uint64_t kPixelsPerFileByte = 4096;  // far more than LZW data can describe
constexpr std::uint64_t kAlwaysAllowedScreen = std::uint64_t{1} << 20;
constexpr int kMaxColors = 256;
constexpr std::uint32_t kOpaque = 0xFF000000u;
// The graphic control block: flags (bit 0: a transparent colour is given), delay, index.
constexpr int kControlBlockSize = 4, kTransparentFlag = 1, kTransparentIndexAt = 4;

// Reads an extension through to its end; the transparent index of a graphic control
// extension goes into *transparent (-1 for none).
bool readExtension(GifFileType* gif, int* transparent) {
  int code;
  GifByteType* ext;
  if (DGifGetExtension(gif, &code, &ext) == GIF_ERROR) return false;
  if (code == GRAPHICS_EXT_FUNC_CODE && ext && ext[0] >= kControlBlockSize)
    *transparent = (ext[1] & kTransparentFlag) ? ext[kTransparentIndexAt] : -1;
  while (ext) {
    if (DGifGetExtensionNext(gif, &ext) == GIF_ERROR) return false;
  }
  return true;
}

// The size checks made before the logical screen is allocated.
DecodeStatus checkFrameSize(std::int64_t screenW, std::int64_t screenH, const GifImageDesc& d, std::size_t size) {
  if (!gdi::pictureSizeAllowed(screenW, screenH)) return DecodeStatus::TooLarge;
  // Each row of LZW data is at least a bit or so; a frame far larger than the file
  // cannot be real.
  if (static_cast<std::uint64_t>(d.Width) * d.Height > static_cast<std::uint64_t>(size) * kPixelsPerFileByte)
    return DecodeStatus::Damaged;
  // Nor can a huge logical screen around a small frame: it would only be filled with
  // transparency, at the cost of allocating and clearing it.
  if (static_cast<std::uint64_t>(screenW) * screenH >
      std::max<std::uint64_t>(kAlwaysAllowedScreen, static_cast<std::uint64_t>(size) * kPixelsPerFileByte))
    return DecodeStatus::Damaged;
  return DecodeStatus::Ok;
}

void frameColors(const ColorMapObject* map, int transparent, std::uint32_t* colors) {
  for (int i = 0; i < kMaxColors; ++i) {
    if (i < map->ColorCount) {
      const GifColorType& c = map->Colors[i];
      colors[i] = kOpaque | (c.Red << 16) | (c.Green << 8) | c.Blue;
    } else {
      colors[i] = kOpaque;
    }
  }
  if (transparent >= 0) colors[transparent] = 0;
}

// The rows in the order the data holds them: interlaced frames in four passes.
std::vector<int> rowOrder(const GifImageDesc& d) {
  std::vector<int> order;
  order.reserve(static_cast<std::size_t>(d.Height));
  if (d.Interlace) {
    constexpr int kPasses = 4, kStart[kPasses] = {0, 4, 2, 1}, kStep[kPasses] = {8, 8, 4, 2};
    for (int pass = 0; pass < kPasses; ++pass)
      for (int y = kStart[pass]; y < d.Height; y += kStep[pass]) order.push_back(y);
  } else {
    for (int y = 0; y < d.Height; ++y) order.push_back(y);
  }
  return order;
}

// The first frame, its image descriptor just read, on its logical screen.
DecodeStatus readFrame(GifFileType* gif, std::size_t size, int transparent, GifInfo* info, PixelAllocate allocate,
                       void* context) {
  const GifImageDesc& d = gif->Image;
  const ColorMapObject* map = d.ColorMap ? d.ColorMap : gif->SColorMap;
  if (!map || d.Width <= 0 || d.Height <= 0) return DecodeStatus::Damaged;
  const std::int64_t screenW = std::max<std::int64_t>(gif->SWidth, static_cast<std::int64_t>(d.Left) + d.Width);
  const std::int64_t screenH = std::max<std::int64_t>(gif->SHeight, static_cast<std::int64_t>(d.Top) + d.Height);
  const DecodeStatus s = checkFrameSize(screenW, screenH, d, size);
  if (s != DecodeStatus::Ok) return s;
  std::uint32_t* pixels = allocate(context, static_cast<int>(screenW), static_cast<int>(screenH));
  if (!pixels) return DecodeStatus::NoMemory;
  // What the frame leaves uncovered stays transparent black.
  std::fill(pixels, pixels + static_cast<std::size_t>(screenW) * static_cast<std::size_t>(screenH), 0u);
  std::vector<GifPixelType> line(static_cast<std::size_t>(d.Width));
  std::uint32_t colors[kMaxColors];
  frameColors(map, transparent, colors);
  for (int y : rowOrder(d)) {
    if (DGifGetLine(gif, line.data(), d.Width) == GIF_ERROR) return DecodeStatus::Damaged;
    std::uint32_t* row = pixels + static_cast<std::size_t>(d.Top + y) * static_cast<std::size_t>(screenW) + d.Left;
    for (int x = 0; x < d.Width; ++x) row[x] = colors[line[x]];
  }
  info->hasAlpha = transparent >= 0 || d.Left > 0 || d.Top > 0 || d.Width < screenW || d.Height < screenH;
  return DecodeStatus::Ok;
}

DecodeStatus decode(const std::uint8_t* data, std::size_t size, GifInfo* info, PixelAllocate allocate, void* context) {
  *info = GifInfo{false};
  Input in{data, size, 0};
  int err = 0;
  std::unique_ptr<GifFileType, GifCloser> gif(DGifOpen(&in, onRead, &err));
  if (!gif) return DecodeStatus::Damaged;
  int transparent = -1;
  while (true) {
    GifRecordType type;
    if (DGifGetRecordType(gif.get(), &type) == GIF_ERROR) return DecodeStatus::Damaged;
    if (type == TERMINATE_RECORD_TYPE) return DecodeStatus::Damaged;  // no frame at all
    if (type == EXTENSION_RECORD_TYPE) {
      if (!readExtension(gif.get(), &transparent)) return DecodeStatus::Damaged;
      continue;
    }
    if (type != IMAGE_DESC_RECORD_TYPE) continue;
    if (DGifGetImageDesc(gif.get()) == GIF_ERROR) return DecodeStatus::Damaged;
    return readFrame(gif.get(), size, transparent, info, allocate, context);
  }
}

int decodeEntry(const std::uint8_t* data, std::size_t size, GifInfo* info, PixelAllocate allocate, void* context) {
  return static_cast<int>(decode(data, size, info, allocate, context));
}

const GifModule kTable{{platform::kModuleTableMagic, kGifModuleVersion, sizeof(GifModule)}, decodeEntry};

}  // namespace

}  // namespace quendel::codecs

extern "C" __attribute__((visibility("default"))) const quendel::platform::ModuleTableHeader* quendelGifModule() {
  return &quendel::codecs::kTable.header;
}
