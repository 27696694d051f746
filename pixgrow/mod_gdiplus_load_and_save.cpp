#include "pixgrow/mod_gdiplus_load_and_save.h"

#include <cstddef>
#include <cstdio>
#include <cstring>

#include "automation/std_picture.h"
#include "platform/codecs/file_bytes.h"
#include "platform/gdi/gdi.h"
#include "platform/gdi/icon.h"
#include "platform/gdiplus/gdiplus.h"
#include "platform/ole/load_picture.h"
#include "support/quendelsupportfbe.h"

namespace quendel::pixgrow {

namespace {

struct FormatCode {
  const char16_t* guid;
  LONG code;
};
// In the order the identifiers are compared.
constexpr FormatCode kFormats[] = {
    {u"{B96B3CA9-0728-11D3-9D7B-0000F81EF32E}", kImageTypeUndefined},
    {u"{B96B3CAA-0728-11D3-9D7B-0000F81EF32E}", kImageTypeMemoryBitmap},
    {u"{B96B3CAB-0728-11D3-9D7B-0000F81EF32E}", kImageTypeBitmap},
    {u"{B96B3CAC-0728-11D3-9D7B-0000F81EF32E}", kImageTypeEnhMetafile},
    {u"{B96B3CAD-0728-11D3-9D7B-0000F81EF32E}", kImageTypeMetafile},
    {u"{B96B3CB0-0728-11D3-9D7B-0000F81EF32E}", kImageTypeGif},
    {u"{B96B3CB5-0728-11D3-9D7B-0000F81EF32E}", kImageTypeIcon},
    {u"{B96B3CAE-0728-11D3-9D7B-0000F81EF32E}", kImageTypeJpeg},
    {u"{B96B3CAF-0728-11D3-9D7B-0000F81EF32E}", kImageTypePng},
    {u"{B96B3CB1-0728-11D3-9D7B-0000F81EF32E}", kImageTypeTiff},
    {u"{B96B3CB2-0728-11D3-9D7B-0000F81EF32E}", kImageTypeExif},
    {u"{B96B3CB4-0728-11D3-9D7B-0000F81EF32E}", kImageTypeFlashPix},
    {u"{B96B3CB3-0728-11D3-9D7B-0000F81EF32E}", kImageTypePhotoCd},
};

const char16_t* const kStatusTexts[] = {
    u"Unknown error",           u"Generic error",        u"Invalid parameter",
    u"Invalid picture",         u"Object busy",          u"Insufficient buffer",
    u"Not implemented",         u"Win32 error",          u"Wrong state",
    u"Operation was aborted",   u"File not found",       u"Value overflow",
    u"Accedd denied",           u"Unknown image format", u"Font family not found",
    u"Font style not found",    u"Not a TrueType font",  u"Unsupported library version",
    u"Library not initialized", u"Property not found",   u"Property not supported"};

String decimal(LONG n) {
  const std::string s = std::to_string(n);
  return String(s.begin(), s.end());
}

[[noreturn]] void raiseStatus(const char16_t* step, Status status) {
  throw RuntimeError(kObjectError, String(step) + GdiplusStatusText(status));
}

// A GDI+ session for the length of one call.
class GdiplusSession {
 public:
  GdiplusSession() {
    GdiplusStartupInput input;  // version 1, everything else 0
    status_ = GdiplusStartup(&token_, &input, nullptr);
    if (status_ != Ok) raiseStatus(u"Can't initialize GDI+. ", status_);
  }
  ~GdiplusSession() { GdiplusShutdown(token_); }
  GdiplusSession(const GdiplusSession&) = delete;
  GdiplusSession& operator=(const GdiplusSession&) = delete;

 private:
  ULONG_PTR token_ = 0;
  Status status_ = Ok;
};

ObjectPtr pictureFromBitmap(HBITMAP bitmap) {
  BITMAP bm{};
  GetObjectA(bitmap, sizeof bm, &bm);
  automation::PictureDesc d;
  d.type = automation::Integer{PICTYPE_BITMAP};
  d.handle = reinterpret_cast<std::uintptr_t>(bitmap);
  d.width = PixelsToHimetric(bm.bmWidth);
  d.height = PixelsToHimetric(bm.bmHeight);
  return automation::StdPicture::create(
      d, [](const automation::PictureDesc& p) { (void)DeleteObject(reinterpret_cast<HBITMAP>(p.handle)); });
}

// Runs one step of filling the record; a failing step is skipped.
template <class F>
void step(F f) {
  try {
    f();
  } catch (const std::exception&) {
  }
}

// The size from the picture's HIMETRIC Width and Height, and no depth or resolution:
// what is left when the handle tells nothing more.
void fillFromPictureSize(const ObjectPtr& picture, PictureInfo& info) {
  info.BitsPerPixel = 0;
  step([&] { info.Width = esScreenHimetricToPixelsX(picture->get(u"Width").toLong()); });
  step([&] { info.Height = esScreenHimetricToPixelsY(picture->get(u"Height").toLong()); });
  info.HorizontalResolution = info.VerticalResolution = 0;
}

// Size and depth of a GDI bitmap; false when the handle is not one.
bool fillFromBitmapHandle(HBITMAP bitmap, PictureInfo& info) {
  BITMAP bm{};
  if (GetObjectA(bitmap, sizeof bm, &bm) != static_cast<int>(sizeof(BITMAP))) return false;
  info.BitsPerPixel = bm.bmBitsPixel;
  info.Height = bm.bmHeight;
  info.Width = bm.bmWidth;
  return true;
}

// A bitmap picture's type comes from the file's first bytes: "GIF", "BM", else JPEG
// (the only other format that gives a bitmap).
void fillTypeFromSignature(const String& fileName, PictureInfo& info) {
  constexpr std::size_t kSignatureBytes = 3;
  int error = 0;
  std::FILE* f = codecs::openPictureFile(fileName.c_str(), &error);
  if (!f) return;
  std::uint8_t head[kSignatureBytes] = {};
  const std::size_t n = std::fread(head, 1, kSignatureBytes, f);
  (void)std::fclose(f);  // opened for reading only
  if (n == kSignatureBytes && std::memcmp(head, "GIF", kSignatureBytes) == 0) {
    info.ImageType = kImageTypeGif;
  } else if (n >= 2 && head[0] == 'B' && head[1] == 'M') {
    info.ImageType = kImageTypeBitmap;
  } else if (n == kSignatureBytes) {
    info.ImageType = kImageTypeJpeg;
  }
}

void fillFromBitmapPicture(const ObjectPtr& picture, std::uintptr_t handle, const String& fileName, PictureInfo& info) {
  fillFromPictureSize(picture, info);
  if (fillFromBitmapHandle(reinterpret_cast<HBITMAP>(handle), info)) info.ImageType = kImageTypeBitmap;
  fillTypeFromSignature(fileName, info);
}

void fillFromIconPicture(const ObjectPtr& picture, std::uintptr_t handle, PictureInfo& info) {
  fillFromPictureSize(picture, info);
  ICONINFO ii{};
  if (!GetIconInfo(reinterpret_cast<HICON>(handle), &ii)) return;
  info.ImageType = ii.fIcon ? kImageTypeIcon : kImageTypeCursor;
  fillFromBitmapHandle(ii.hbmColor, info);
  (void)DeleteObject(ii.hbmColor);
  (void)DeleteObject(ii.hbmMask);
}

// The bounds of the metafile's header when it can be read, else the picture's size.
void fillFromEnhMetafilePicture(const ObjectPtr& picture, std::uintptr_t handle, PictureInfo& info) {
  // The header without its last field, as the oldest files have it.
  constexpr UINT kEnhMetaHeaderBytes = offsetof(ENHMETAHEADER, szlMicrometers);
  info.BitsPerPixel = 0;
  info.HorizontalResolution = info.VerticalResolution = 0;
  info.ImageType = kImageTypeEnhMetafile;
  ENHMETAHEADER header{};
  if (GetEnhMetaFileHeader(reinterpret_cast<HENHMETAFILE>(handle), kEnhMetaHeaderBytes, &header) ==
      kEnhMetaHeaderBytes) {
    info.Width = header.rclBounds.right - header.rclBounds.left + 1;
    info.Height = header.rclBounds.bottom - header.rclBounds.top + 1;
  } else {
    fillFromPictureSize(picture, info);
  }
}

void fillFromOlePicture(const ObjectPtr& picture, const String& fileName, PictureInfo& info) {
  LONG type = PICTYPE_NONE;
  step([&] { type = picture->get(u"Type").toLong(); });
  std::uintptr_t handle = 0;
  step([&] { handle = automation::handleFromVariant(picture->get(u"Handle")); });
  switch (type) {
    case PICTYPE_BITMAP: fillFromBitmapPicture(picture, handle, fileName, info); break;
    case PICTYPE_ICON: fillFromIconPicture(picture, handle, info); break;
    case PICTYPE_ENHMETAFILE: fillFromEnhMetafilePicture(picture, handle, info); break;
    case PICTYPE_METAFILE:
      fillFromPictureSize(picture, info);
      info.ImageType = kImageTypeMetafile;
      break;
    default:
      info.Width = info.Height = 0;
      info.HorizontalResolution = info.VerticalResolution = 0;
      info.BitsPerPixel = 0;
      info.ImageType = kImageTypeUnknown;
      break;
  }
  info.ImageTypeName = ImageTypeName(info.ImageType);
}

// One property of an open image; 0 when GDI+ cannot tell it.
template <class T>
T imageProperty(GpStatus (*get)(GpImage*, T*), GpImage* image) {
  T value{};
  return get(image, &value) == Ok ? value : T{};
}

void fillFromGdiplusImage(GpImage* image, PictureInfo& info) {
  info.Width = static_cast<LONG>(imageProperty(GdipGetImageWidth, image));
  info.Height = static_cast<LONG>(imageProperty(GdipGetImageHeight, image));
  info.HorizontalResolution = imageProperty(GdipGetImageHorizontalResolution, image);
  info.VerticalResolution = imageProperty(GdipGetImageVerticalResolution, image);
  const GUID raw = imageProperty(GdipGetImageRawFormat, image);
  char16_t text[40] = {};
  StringFromGUID2(raw, text, 40);
  info.ImageType = ImageTypeFromFormatGuid(String(text));
  info.ImageTypeName = ImageTypeName(info.ImageType);
  info.BitsPerPixel = asHiByte(asLoWord(imageProperty(GdipGetImagePixelFormat, image)));
}

void savePicture(const ObjectPtr& picture, const String& fileName, const char16_t* encoder) {
  GdiplusSession session;
  const std::uintptr_t handle = automation::handleFromVariant(picture->get(u"Handle"));
  const std::uintptr_t palette = GetPicturePalette(picture);
  GpBitmap* image = nullptr;
  const Status made =
      GdipCreateBitmapFromHBITMAP(reinterpret_cast<HBITMAP>(handle), reinterpret_cast<HPALETTE>(palette), &image);
  if (made != Ok) raiseStatus(u"Can't get bitmap object. ", made);
  struct ImageGuard {
    GpBitmap* image;
    ~ImageGuard() { (void)GdipDisposeImage(image); }
  } guard{image};
  CLSID clsid{};
  raiseOnFailure(CLSIDFromString(encoder, &clsid));
  // Room for ten entries, all zero but the count: one entry GDI+ does not know.
  struct {
    UINT Count;
    EncoderParameter Parameter[10];
  } parameters{};
  parameters.Count = 1;
  const Status saved =
      GdipSaveImageToFile(image, fileName.c_str(), &clsid, reinterpret_cast<const EncoderParameters*>(&parameters));
  if (saved != Ok) raiseStatus(u"Can't save bitmap. ", saved);
}

}  // namespace

ObjectPtr LoadPictureFile(const String& FileName, PictureInfo& Info, LONG BackColor, bool UseGdiplus) {
  return LoadPictureFileEx(FileName, BackColor, UseGdiplus, true, Info);
}

ObjectPtr LoadPictureFileEx(const String& FileName, LONG BackColor, bool UseGdiplus, bool FillInfo, PictureInfo& Info) {
  if (!UseGdiplus) {
    PictureDescription desc;
    if (SUCCEEDED(LoadPicture(FileName.c_str(), &desc))) {
      automation::PictureDesc d;
      d.type = automation::Integer{desc.Type};
      d.handle = desc.Handle;
      d.hPal = reinterpret_cast<std::uintptr_t>(desc.hPal);
      d.width = desc.Width;
      d.height = desc.Height;
      ObjectPtr picture = automation::StdPicture::create(d, [](const automation::PictureDesc& p) {
        if (p.type.value == PICTYPE_ICON) {
          (void)DestroyIcon(reinterpret_cast<HICON>(p.handle));
        } else if (p.type.value == PICTYPE_METAFILE) {
          (void)DeleteMetaFile(reinterpret_cast<HMETAFILE>(p.handle));
        } else if (p.type.value == PICTYPE_ENHMETAFILE) {
          (void)DeleteEnhMetaFile(reinterpret_cast<HENHMETAFILE>(p.handle));
        } else {
          (void)DeleteObject(reinterpret_cast<HGDIOBJ>(p.handle));
        }
      });
      if (FillInfo) fillFromOlePicture(picture, FileName, Info);
      return picture;
    }
  }
  if (!esIsFileExist(FileName)) throw RuntimeError(53);
  GdiplusSession session;
  GpBitmap* image = nullptr;
  const Status loaded = GdipCreateBitmapFromFile(FileName.c_str(), &image);
  if (loaded != Ok) raiseStatus(u"Can't load bitmap file. ", loaded);
  if (FillInfo) fillFromGdiplusImage(image, Info);
  HBITMAP bitmap = nullptr;
  const Status made = GdipCreateHBITMAPFromBitmap(image, &bitmap, static_cast<ARGB>(BackColor));
  (void)GdipDisposeImage(image);
  if (made != Ok) raiseStatus(u"Can't get bitmap handle. ", made);
  return pictureFromBitmap(bitmap);
}

LONG ImageTypeFromFormatGuid(const String& Text) {
  String upper = Text;
  for (auto& c : upper)
    if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - u'a' + u'A');
  for (const auto& f : kFormats)
    if (upper == f.guid) return f.code;
  return kImageTypeUnknown;
}

String ImageTypeName(LONG Code) {
  switch (Code) {
    case kImageTypeNothing: return u"Nothing";
    case kImageTypeBitmap: return u"Windows bitmap";
    case kImageTypeJpeg: return u"JPEG";
    case kImageTypeGif: return u"CompuServe GIF";
    case kImageTypeMetafile: return u"Windows metafile";
    case kImageTypeEnhMetafile: return u"Enhanced metafile";
    case kImageTypeIcon: return u"Windows icon";
    case kImageTypeCursor: return u"Windows cursor";
    case kImageTypePng: return u"Portable network graphics";
    case kImageTypeTiff: return u"Tagged image file format";
    case kImageTypeExif: return u"Exchangable Image Format";
    case kImageTypeFlashPix: return u"FlashPix";
    case kImageTypePhotoCd: return u"Photo CD";
    case kImageTypeMemoryBitmap: return u"Memory stored bitmap";
    case kImageTypeUndefined: return u"Undefined";
    default: return u"Unknown";
  }
}

String GdiplusStatusText(LONG Status) {
  if (Status >= 0 && Status <= 20) return kStatusTexts[Status];
  return u"Unknown error " + decimal(Status);
}

void SavePictureAsPng(const ObjectPtr& Picture, const String& FileName) {
  savePicture(Picture, FileName, u"{557CF406-1A04-11D3-9A73-0000F81EF32E}");
}

void SavePictureAsBmp(const ObjectPtr& Picture, const String& FileName) {
  savePicture(Picture, FileName, u"{557CF400-1A04-11D3-9A73-0000F81EF32E}");
}

std::uintptr_t GetPicturePalette(const ObjectPtr& Picture) {
  try {
    return automation::handleFromVariant(Picture->get(u"hPal"));
  } catch (const std::exception&) {
    return 0;
  }
}

}  // namespace quendel::pixgrow
