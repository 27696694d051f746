#include "pixgrow/memory_canvas.h"

#include <algorithm>

#include "automation/std_picture.h"
#include "platform/gdi/icon.h"
#include "platform/ole/load_picture.h"
#include "platform/ole/render_picture.h"

namespace quendel::pixgrow {

namespace {

class BlackRows final : public gdi::RowSource {
 public:
  BlackRows(int w, int h) : w_(w), h_(h) {}
  int width() const override { return w_; }
  int height() const override { return h_; }
  const std::uint32_t* row(int, std::uint32_t* s) const override {
    std::fill(s, s + w_, 0xFF000000u);
    return s;
  }
  bool repeatsPreviousRow(int) const override { return true; }

 private:
  int w_, h_;
};

}  // namespace

MemoryCanvas::~MemoryCanvas() { release(); }

void MemoryCanvas::release() {
  if (dc_) {
    SelectObject(dc_, stock_);
    (void)DeleteDC(dc_);
  }
  if (bitmap_) (void)DeleteObject(bitmap_);
  dc_ = nullptr;
  bitmap_ = nullptr;
  stock_ = nullptr;
}

void MemoryCanvas::Create(LONG Width, LONG Height, LONG) {
  if (Width < 0 || Height < 0) throw RuntimeError(5);
  release();
  dc_ = CreateCompatibleDC(nullptr);
  bitmap_ = gdi::createVirtualBitmap(std::make_shared<BlackRows>(Width, Height), 32);
  if (!dc_ || !bitmap_) {
    release();
    throw RuntimeError(7);
  }
  stock_ = SelectObject(dc_, bitmap_);
  width_ = Width;
  height_ = Height;
}

HDC MemoryCanvas::hDC() const {
  if (!dc_) throw RuntimeError(91);
  return dc_;
}

void MemoryCanvas::DrawPicture(const automation::ObjectPtr& Picture, LONG X, LONG Y, LONG Width, LONG Height, LONG XSrc,
                               LONG YSrc, DWORD Rop) {
  if (!dc_) throw RuntimeError(91);
  if (!Picture) throw RuntimeError(91);
  const LONG type = Picture->get(u"Type").toLong();
  const std::uintptr_t handle = automation::handleFromVariant(Picture->get(u"Handle"));
  if (type == PICTYPE_BITMAP) {
    HDC src = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(src, reinterpret_cast<HBITMAP>(handle));
    const BOOL ok = old && BitBlt(dc_, X, Y, Width, Height, src, XSrc, YSrc, Rop);
    if (old) SelectObject(src, old);
    (void)DeleteDC(src);
    if (!ok) throw RuntimeError(5);
  } else if (type == PICTYPE_ICON) {
    if (!DrawIconEx(dc_, X, Y, reinterpret_cast<HICON>(handle), 0, 0, 0, nullptr, DI_NORMAL)) throw RuntimeError(5);
  } else if (type == PICTYPE_METAFILE || type == PICTYPE_ENHMETAFILE) {
    PictureDescription d;
    d.Type = static_cast<short>(type);
    d.Handle = handle;
    const HRESULT hr = RenderPicture(&d, dc_, X, Y, Width, Height);
    if (hr == E_OUTOFMEMORY) throw RuntimeError(7);
    if (FAILED(hr)) throw RuntimeError(481);  // Invalid picture
  } else {
    throw RuntimeError(5);
  }
}

automation::ObjectPtr MemoryCanvas::Picture() const {
  if (!bitmap_) throw RuntimeError(91);
  automation::PictureDesc d;
  d.type = automation::Integer{PICTYPE_BITMAP};
  d.handle = reinterpret_cast<std::uintptr_t>(bitmap_);
  d.width = PixelsToHimetric(width_);
  d.height = PixelsToHimetric(height_);
  return automation::StdPicture::create(d);
}

void MemoryCanvas::ShowRows(std::shared_ptr<const gdi::RowSource> rows) {
  if (!dc_) throw RuntimeError(91);
  HBITMAP view = gdi::createVirtualBitmap(std::move(rows), 32);
  if (!view) throw RuntimeError(7);
  SelectObject(dc_, view);
  (void)DeleteObject(bitmap_);
  bitmap_ = view;
}

}  // namespace quendel::pixgrow
