// modGDIPlusLoadAndSave: loading a picture file (the OLE picture loader, else GDI+)
// with its PictureInfo, saving a picture through the GDI+ PNG and BMP encoders, and the
// two tables the load and save code share: image-type names and GDI+ status texts.
//
//   PictureInfo info;
//   ObjectPtr pic = LoadPictureFile(u"in.gif", info, 0, false);   // info.ImageType == kImageTypeGif
//   SavePictureAsPng(canvasPicture, u"out.png");
//
// Errors are raised as run-time errors. The GDI+ steps raise the number 0x80040000 with
// the step's fixed text followed by the status text:
//   "Can't initialize GDI+. ", "Can't load bitmap file. ", "Can't get bitmap handle. "
//   (loading); "Can't get bitmap object. ", "Can't save bitmap. " (saving).
// A file missing on the GDI+ route raises 53. A failure of the OLE route is never
// reported: it only sends the file on to GDI+. Every GDI+ use opens its own session
// and closes it before returning.
#pragma once

#include "automation/object.h"

namespace quendel::pixgrow {

using automation::ObjectPtr;
using automation::String;

// The kinds of picture PictureInfo.ImageType reports (ImageTypeName names them): the
// file's format as GDI+ reports it, the kind of OLE picture, or what the file starts with.
enum ImageTypeCode : LONG {
  kImageTypeNothing = 0,
  kImageTypeBitmap = 1,
  kImageTypeJpeg = 2,
  kImageTypeGif = 3,
  kImageTypeMetafile = 4,
  kImageTypeEnhMetafile = 5,
  kImageTypeIcon = 6,
  kImageTypeCursor = 7,
  kImageTypePng = 8,
  kImageTypeTiff = 12,
  kImageTypeExif = 13,
  kImageTypeFlashPix = 14,
  kImageTypePhotoCd = 15,
  kImageTypeMemoryBitmap = 69,
  kImageTypeUndefined = 98,
  kImageTypeUnknown = 99,
};

struct PictureInfo {
  LONG Width = 0;
  LONG Height = 0;
  float HorizontalResolution = 0;
  float VerticalResolution = 0;
  LONG ImageType = kImageTypeNothing;
  String ImageTypeName;
  LONG BitsPerPixel = 0;
};

ObjectPtr LoadPictureFile(const String& FileName, PictureInfo& Info, LONG BackColor, bool UseGdiplus);
ObjectPtr LoadPictureFileEx(const String& FileName, LONG BackColor, bool UseGdiplus, bool FillInfo, PictureInfo& Info);

LONG ImageTypeFromFormatGuid(const String& Text);
String ImageTypeName(LONG Code);
String GdiplusStatusText(LONG Status);

void SavePictureAsPng(const ObjectPtr& Picture, const String& FileName);
void SavePictureAsBmp(const ObjectPtr& Picture, const String& FileName);
// The picture's hPal, or 0 when reading it fails.
std::uintptr_t GetPicturePalette(const ObjectPtr& Picture);

// The error number of the errors this module defines.
constexpr LONG kObjectError = static_cast<LONG>(0x80040000u);

}  // namespace quendel::pixgrow
