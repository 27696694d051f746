// MemoryCanvas: a drawable bitmap with its memory device context.
//
//   MemoryCanvas c;
//   c.Create(w, h, 0);                                          // black
//   c.DrawPicture(picture, 0, 0, w, h, 0, 0, SRCCOPY);
//   COLORREF px = GetPixel(c.hDC(), x, y);
//   ObjectPtr pic = c.Picture();                                // Handle: the canvas's HBITMAP
//
// A new canvas is black (0x000000) and costs no pixel memory until something is drawn
// on it: its bitmap starts as a view of black rows and is stored on the first write.
// DrawPicture draws a bitmap picture with BitBlt (a whole-picture copy shares the
// pixels instead of copying them) and an icon picture with DrawIconEx, at their own
// size, clipped to Width x Height (there is no stretching); a metafile picture is
// rendered stretched to Width x Height over the canvas (RenderPicture). ShowRows
// makes the canvas show computed rows instead of its pixels (see enlarged_rows.h).
// Picture() returns a picture object whose Handle is the canvas's bitmap; it does not
// own the bitmap, so the canvas must outlive its use.
// Failures raise run-time errors: 5 for a negative size or a picture of another type,
// 7 (out of memory) when GDI refuses or a metafile reaches a drawing limit, 481 (invalid
// picture) for metafile records that cannot be drawn, 91 before Create.
#pragma once

#include <memory>

#include "automation/object.h"
#include "platform/gdi/gdi.h"

namespace quendel::pixgrow {

class MemoryCanvas {
 public:
  MemoryCanvas() = default;
  MemoryCanvas(const MemoryCanvas&) = delete;
  MemoryCanvas& operator=(const MemoryCanvas&) = delete;
  ~MemoryCanvas();

  void Create(LONG Width, LONG Height, LONG Flags);
  HDC hDC() const;
  void DrawPicture(const automation::ObjectPtr& Picture, LONG X, LONG Y, LONG Width, LONG Height, LONG XSrc, LONG YSrc,
                   DWORD Rop);
  automation::ObjectPtr Picture() const;

  void ShowRows(std::shared_ptr<const gdi::RowSource> rows);
  HBITMAP bitmap() const { return bitmap_; }

 private:
  void release();
  HDC dc_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ stock_ = nullptr;
  LONG width_ = 0;
  LONG height_ = 0;
};

}  // namespace quendel::pixgrow
