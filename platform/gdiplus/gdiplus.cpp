#include "platform/gdiplus/gdiplus.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <set>
#include <vector>

#include "platform/codecs/bmp_reader.h"
#include "platform/codecs/bmp_writer.h"
#include "platform/codecs/file_bytes.h"
#include "platform/codecs/file_sink.h"
#include "platform/codecs/gif_reader.h"
#include "platform/codecs/ico_reader.h"
#include "platform/codecs/jpeg_reader.h"
#include "platform/codecs/metafile_header.h"
#include "platform/codecs/metafile_renderer.h"
#include "platform/codecs/png_reader.h"
#include "platform/codecs/png_writer.h"
#include "platform/codecs/tiff_reader.h"
#include "platform/gdi/gdi.h"
#include "platform/gdiplus/image_formats.h"

using namespace quendel;
using codecs::DecodedPicture;
using codecs::DecodeStatus;

namespace {

constexpr std::size_t kSignatureBytes = 64;  // enough to tell every format apart
constexpr REAL kDefaultDpi = 96;             // for files that do not say
constexpr PixelFormat kPixelFormatAlpha = 0x00040000;

class Image final : public GpBitmap {
 public:
  std::shared_ptr<const gdi::RowSource> rows;
  std::shared_ptr<gdi::PixelStore> store;  // set when the pixels are owned here
  PixelFormat format = PixelFormat32bppARGB;
  GUID raw = gdiplus::ImageFormatMemoryBMP;
  REAL dpiX = kDefaultDpi;
  REAL dpiY = kDefaultDpi;
  bool hasAlpha = false;
};

struct State {
  std::mutex mutex;
  std::set<ULONG_PTR> tokens;
  ULONG_PTR nextToken = 1;
  std::set<const GpImage*> images;
};
State& state() {
  static State s;
  return s;
}

bool hasSession() {
  std::lock_guard lock(state().mutex);
  return !state().tokens.empty();
}

Image* findImage(GpImage* image) {
  std::lock_guard lock(state().mutex);
  return state().images.count(image) ? static_cast<Image*>(image) : nullptr;
}

GpBitmap* adopt(std::unique_ptr<Image> image) {
  std::lock_guard lock(state().mutex);
  state().images.insert(image.get());
  return image.release();
}

Status fromDecode(DecodeStatus s) {
  switch (s) {
    case DecodeStatus::Ok: return Ok;
    case DecodeStatus::UnknownFormat: return UnknownImageFormat;
    case DecodeStatus::Damaged: return InvalidParameter;
    case DecodeStatus::TooLarge:
    case DecodeStatus::NoMemory: return OutOfMemory;
  }
  return GenericError;
}

// The pixel format GDI+ reports for a picture read from a file of the given kind.
PixelFormat pixelFormatOf(const GUID& raw, const DecodedPicture& p, bool cmyk) {
  using namespace gdiplus;
  auto indexed = [](int bits) {
    return bits <= 1 ? PixelFormat1bppIndexed : bits <= 4 ? PixelFormat4bppIndexed : PixelFormat8bppIndexed;
  };
  if (raw == ImageFormatGIF) return PixelFormat8bppIndexed;
  if (raw == ImageFormatIcon) return PixelFormat32bppARGB;
  if (raw == ImageFormatJPEG)
    return cmyk ? PixelFormat32bppCMYK : p.grey ? PixelFormat8bppIndexed : PixelFormat24bppRGB;
  if (raw == ImageFormatBMP) {
    if (p.bitsPerPixel <= 8) return indexed(p.bitsPerPixel);
    if (p.bitsPerPixel == 16) return PixelFormat16bppRGB555;
    if (p.bitsPerPixel == 24) return PixelFormat24bppRGB;
    return p.alphaFromData ? PixelFormat32bppARGB : PixelFormat32bppRGB;
  }
  // PNG and TIFF.
  if (cmyk) return PixelFormat32bppCMYK;
  if (p.indexed) return indexed(p.bitsPerChannel);
  if (p.bitsPerChannel == 16) return p.hasAlpha ? PixelFormat64bppARGB : PixelFormat48bppRGB;
  if (p.hasAlpha) return PixelFormat32bppARGB;
  if (p.grey) return p.bitsPerChannel == 1 ? PixelFormat1bppIndexed : PixelFormat8bppIndexed;
  return PixelFormat24bppRGB;
}

bool formatHasAlpha(PixelFormat f) { return (f & kPixelFormatAlpha) != 0; }

Status notificationHook(ULONG_PTR* token) {
  if (!token) return InvalidParameter;
  *token = 0;
  return Ok;
}
void notificationUnhook(ULONG_PTR) {}

}  // namespace

Status GdiplusStartup(ULONG_PTR* token, const GdiplusStartupInput* input, GdiplusStartupOutput* output) {
  if (!token || !input) return InvalidParameter;
  if (input->GdiplusVersion != 1) return UnsupportedGdiplusVersion;
  if (input->SuppressBackgroundThread && !output) return InvalidParameter;
  if (output) {
    output->NotificationHook = notificationHook;
    output->NotificationUnhook = notificationUnhook;
  }
  std::lock_guard lock(state().mutex);
  const ULONG_PTR t = state().nextToken++;
  state().tokens.insert(t);
  *token = t;
  return Ok;
}

void GdiplusShutdown(ULONG_PTR token) {
  std::lock_guard lock(state().mutex);
  state().tokens.erase(token);
}

namespace {

constexpr double kMillimetersPerInch = 25.4;

// The resolution of an EMF's reference device, 96 where its header cannot tell.
REAL referenceDpi(std::int32_t pixels, std::int32_t millimeters) {
  if (pixels <= 0 || millimeters <= 0) return kDefaultDpi;
  return static_cast<REAL>(pixels * kMillimetersPerInch / millimeters);
}

// A WMF or EMF drawn at its own size over transparent pixels, so that making a GDI
// bitmap puts the background colour where the records paint nothing.
Status loadMetafile(const WCHAR* filename, std::unique_ptr<Image>* out) {
  std::vector<std::uint8_t> data;
  codecs::FileResult r = codecs::readPictureFile(filename, &data);
  if (r.error) return r.error == EFBIG ? OutOfMemory : Win32Error;
  codecs::MetafileHeader header;
  DecodeStatus s = codecs::readMetafileHeader(data.data(), data.size(), &header);
  if (s != DecodeStatus::Ok) return fromDecode(s);
  auto store = gdi::PixelStore::create(header.widthPixels, header.heightPixels, true);
  if (!store) return OutOfMemory;
  s = codecs::renderMetafile(data.data(), data.size(), header, *store);
  if (s != DecodeStatus::Ok) return fromDecode(s);
  auto image = std::make_unique<Image>();
  const bool emf = header.kind == codecs::MetafileKind::Emf;
  image->raw = emf ? gdiplus::ImageFormatEMF : gdiplus::ImageFormatWMF;
  image->format = PixelFormat32bppRGB;
  if (emf) {
    image->dpiX = referenceDpi(header.devicePixelsX, header.deviceMillimetersX);
    image->dpiY = referenceDpi(header.devicePixelsY, header.deviceMillimetersY);
  }
  image->hasAlpha = true;
  image->store = store;
  image->rows = std::make_shared<gdi::StoreRowSource>(std::move(store));
  *out = std::move(image);
  return Ok;
}

// BMP, JPEG, GIF and icon files, read whole.
Status decodeWholeFile(const WCHAR* filename, DecodedPicture* pic, GUID* raw, bool* cmyk, DecodeStatus* s) {
  std::vector<std::uint8_t> data;
  codecs::FileResult r = codecs::readPictureFile(filename, &data);
  if (r.error) return r.error == EFBIG ? OutOfMemory : Win32Error;
  const std::uint8_t* d = data.data();
  if (codecs::looksLikeBmp(d, data.size())) {
    *raw = gdiplus::ImageFormatBMP;
    *s = codecs::decodeBmp(d, data.size(), pic);
  } else if (codecs::looksLikeJpeg(d, data.size())) {
    *raw = gdiplus::ImageFormatJPEG;
    *s = codecs::decodeJpeg(d, data.size(), pic, cmyk);
  } else if (codecs::looksLikeGif(d, data.size())) {
    *raw = gdiplus::ImageFormatGIF;
    *s = codecs::decodeGif(d, data.size(), pic);
  } else if (codecs::iconFileType(d, data.size()) == codecs::kIconFile) {
    *raw = gdiplus::ImageFormatIcon;
    codecs::DecodedIcon icon;
    *s = codecs::decodeIcon(d, data.size(), codecs::kStandardIconSize, codecs::kStandardIconSize, codecs::kDisplayBits,
                            &icon);
    if (*s == DecodeStatus::Ok) {
      *pic = std::move(icon.color);
      pic->hasAlpha = true;
      pic->dpiX = pic->dpiY = 0;  // icons have no resolution of their own
    }
  }
  return Ok;
}

std::unique_ptr<Image> imageOf(const GUID& raw, const DecodedPicture& pic, bool cmyk) {
  auto image = std::make_unique<Image>();
  image->raw = raw;
  image->format = pixelFormatOf(raw, pic, cmyk);
  image->dpiX = pic.dpiX > 0 ? static_cast<REAL>(pic.dpiX) : kDefaultDpi;
  image->dpiY = pic.dpiY > 0 ? static_cast<REAL>(pic.dpiY) : kDefaultDpi;
  image->hasAlpha = pic.hasAlpha;
  image->store = pic.pixels;
  image->rows = std::make_shared<gdi::StoreRowSource>(pic.pixels);
  return image;
}

}  // namespace

GpStatus GdipCreateBitmapFromFile(const WCHAR* filename, GpBitmap** bitmap) {
  if (!hasSession()) return GdiplusNotInitialized;
  if (!filename || !bitmap) return InvalidParameter;
  int error = 0;
  std::FILE* f = codecs::openPictureFile(filename, &error);
  if (!f) return Win32Error;
  std::uint8_t head[kSignatureBytes];
  const std::size_t n = codecs::peekBytes(f, head, sizeof head);
  DecodedPicture pic;
  DecodeStatus s = DecodeStatus::UnknownFormat;
  GUID raw = gdiplus::ImageFormatUndefined;
  bool cmyk = false;
  if (codecs::looksLikePng(head, n)) {
    raw = gdiplus::ImageFormatPNG;
    s = codecs::decodePngFile(f, &pic);
    (void)std::fclose(f);  // opened for reading only
  } else if (codecs::looksLikeTiff(head, n)) {
    (void)std::fclose(f);  // opened for reading only
    raw = gdiplus::ImageFormatTIFF;
    s = codecs::decodeTiffFile(codecs::utf8Path(filename), &pic, &cmyk);
  } else {
    (void)std::fclose(f);  // opened for reading only
    if (codecs::metafileKindOf(head, n) != codecs::MetafileKind::None) {
      std::unique_ptr<Image> image;
      const Status loaded = loadMetafile(filename, &image);
      if (loaded == Ok) *bitmap = adopt(std::move(image));
      return loaded;
    }
    const bool known = codecs::looksLikeBmp(head, n) || codecs::looksLikeJpeg(head, n) ||
                       codecs::looksLikeGif(head, n) || codecs::iconFileType(head, n) == codecs::kIconFile;
    if (!known) return UnknownImageFormat;
    const Status read = decodeWholeFile(filename, &pic, &raw, &cmyk, &s);
    if (read != Ok) return read;
  }
  if (s != DecodeStatus::Ok) return fromDecode(s);
  *bitmap = adopt(imageOf(raw, pic, cmyk));
  return Ok;
}

namespace {

constexpr int kHbitmapBits = 32;  // the depth of the bitmaps handed out
constexpr std::uint32_t kFullAlpha = 0xFF;
constexpr unsigned kAlphaShift = 24, kChannelBits = 8;

bool opaqueThroughout(const gdi::PixelStore& store) {
  const std::uint32_t* p = store.data();
  std::uint32_t all = 0xFFFFFFFFu;
  for (std::size_t i = 0; i < store.pixelCount(); ++i) all &= p[i];
  return (all >> kAlphaShift) == kFullAlpha;
}

// One pixel over the background, both non-premultiplied ARGB.
std::uint32_t blendPixel(std::uint32_t p, ARGB background) {
  const std::uint32_t a = p >> kAlphaShift, bgA = background >> kAlphaShift;
  if (a == kFullAlpha) return p;
  auto mix = [a](std::uint32_t front, std::uint32_t back) {
    return (front * a + back * (kFullAlpha - a) + kFullAlpha / 2) / kFullAlpha;
  };
  std::uint32_t v = mix(kFullAlpha, bgA) << kAlphaShift;
  for (unsigned shift = 0; shift < kAlphaShift; shift += kChannelBits)
    v |= mix((p >> shift) & 0xFF, (background >> shift) & 0xFF) << shift;
  return v;
}

// The image blended over the background into new pixels; null without memory.
std::shared_ptr<gdi::PixelStore> blendOver(const gdi::RowSource& rows, ARGB background) {
  const int w = rows.width(), h = rows.height();
  auto out = gdi::PixelStore::create(w, h, false);
  if (!out) return nullptr;
  std::vector<std::uint32_t> scratch(static_cast<std::size_t>(w));
  for (int y = 0; y < h; ++y) {
    const std::uint32_t* in = rows.row(y, scratch.data());
    std::uint32_t* o = out->row(y);
    for (int x = 0; x < w; ++x) o[x] = blendPixel(in[x], background);
  }
  return out;
}

}  // namespace

GpStatus GdipCreateHBITMAPFromBitmap(GpBitmap* bitmap, HBITMAP* hbmReturn, ARGB background) {
  if (!hasSession()) return GdiplusNotInitialized;
  Image* image = findImage(bitmap);
  if (!image || !hbmReturn) return InvalidParameter;
  HBITMAP result = nullptr;
  // A picture that could hold alpha but is opaque throughout needs no blending.
  const bool translucent = image->hasAlpha && !(image->store && opaqueThroughout(*image->store));
  if (!translucent) {
    // Opaque pixels look the same over any background: share them.
    result = image->store ? gdi::createBitmapFromStore(image->store, kHbitmapBits)
                          : gdi::createVirtualBitmap(image->rows, kHbitmapBits);
  } else {
    auto out = blendOver(*image->rows, background);
    if (!out) return OutOfMemory;
    result = gdi::createBitmapFromStore(std::move(out), kHbitmapBits);
  }
  if (!result) return OutOfMemory;
  *hbmReturn = result;
  return Ok;
}

GpStatus GdipCreateBitmapFromHBITMAP(HBITMAP hbm, HPALETTE, GpBitmap** bitmap) {
  if (!hasSession()) return GdiplusNotInitialized;
  if (!bitmap) return InvalidParameter;
  auto rows = gdi::bitmapRowSource(hbm);
  if (!rows || rows->width() <= 0 || rows->height() <= 0) return InvalidParameter;
  const int bits = gdi::bitmapBitsPixel(hbm);
  auto image = std::make_unique<Image>();
  image->rows = std::move(rows);
  image->format = bits == 24 ? PixelFormat24bppRGB : PixelFormat32bppRGB;
  image->raw = gdiplus::ImageFormatMemoryBMP;
  image->hasAlpha = false;
  *bitmap = adopt(std::move(image));
  return Ok;
}

GpStatus GdipDisposeImage(GpImage* image) {
  if (!hasSession()) return GdiplusNotInitialized;
  std::unique_ptr<Image> owned;
  {
    std::lock_guard lock(state().mutex);
    if (!image || !state().images.erase(image)) return InvalidParameter;
    owned.reset(static_cast<Image*>(image));
  }
  return Ok;
}

namespace {
template <class T, class F>
GpStatus query(GpImage* image, T* out, F get) {
  if (!hasSession()) return GdiplusNotInitialized;
  Image* i = findImage(image);
  if (!i || !out) return InvalidParameter;
  *out = get(*i);
  return Ok;
}
}  // namespace

GpStatus GdipGetImageWidth(GpImage* image, UINT* width) {
  return query(image, width, [](const Image& i) { return static_cast<UINT>(i.rows->width()); });
}
GpStatus GdipGetImageHeight(GpImage* image, UINT* height) {
  return query(image, height, [](const Image& i) { return static_cast<UINT>(i.rows->height()); });
}
GpStatus GdipGetImageHorizontalResolution(GpImage* image, REAL* resolution) {
  return query(image, resolution, [](const Image& i) { return i.dpiX; });
}
GpStatus GdipGetImageVerticalResolution(GpImage* image, REAL* resolution) {
  return query(image, resolution, [](const Image& i) { return i.dpiY; });
}
GpStatus GdipGetImageRawFormat(GpImage* image, GUID* format) {
  return query(image, format, [](const Image& i) { return i.raw; });
}
GpStatus GdipGetImagePixelFormat(GpImage* image, PixelFormat* format) {
  return query(image, format, [](const Image& i) { return i.format; });
}

GpStatus GdipSaveImageToFile(GpImage* image, const WCHAR* filename, const CLSID* clsidEncoder,
                             const EncoderParameters*) {
  if (!hasSession()) return GdiplusNotInitialized;
  Image* i = findImage(image);
  if (!i || !filename || !clsidEncoder || !*filename) return InvalidParameter;
  const bool png = *clsidEncoder == gdiplus::EncoderPNG;
  if (!png && *clsidEncoder != gdiplus::EncoderBMP) return FileNotFound;
  codecs::FileSink sink;
  if (sink.open(codecs::utf8Path(filename)) != 0) return Win32Error;
  const bool alpha = formatHasAlpha(i->format);
  bool ok;
  if (png) {
    codecs::PngOptions options;
    options.alpha = alpha;
    options.dpiX = i->dpiX;
    options.dpiY = i->dpiY;
    ok = codecs::writePng(*i->rows, options, sink);
  } else {
    const int bits = (alpha || i->format == PixelFormat32bppRGB) ? 32 : 24;
    ok = codecs::writeBmp(*i->rows, bits, i->dpiX, i->dpiY, sink);
    if (!ok && !sink.failed()) return ValueOverflow;
  }
  if (!ok && !sink.failed()) return GenericError;
  return sink.commit() == 0 ? Ok : Win32Error;
}

namespace quendel::gdiplus {
std::shared_ptr<const gdi::RowSource> imageRows(GpImage* image) {
  Image* i = findImage(image);
  return i ? i->rows : nullptr;
}
}  // namespace quendel::gdiplus
