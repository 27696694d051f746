// The metafile module: libwmf turns a WMF and libemf2svg an EMF into SVG, which librsvg
// draws with cairo over the caller's pixels (metafile_renderer.h tells the rules).
#include "platform/codecs/metafile_module.h"

#include <cairo.h>
#include <emf2svg.h>
#include <librsvg/rsvg.h>
#include <libwmf/api.h>
#include <libwmf/ipa.h>
#include <libwmf/svg.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/codecs/byte_reader.h"
#include "platform/codecs/metafile_renderer.h"
#include "platform/codecs/wmf_svg_fixup.h"

namespace quendel::codecs {

namespace {

// ---- libwmf: memory and time limits ----

struct PlayBudget {
  std::size_t used = 0;
  std::chrono::steady_clock::time_point deadline;
};

// Every block carries its size in front, so that realloc and free can keep count.
constexpr std::size_t kBlockHeader = alignof(std::max_align_t);

void* budgetMalloc(void* context, std::size_t size) {
  auto* b = static_cast<PlayBudget*>(context);
  if (size > kMaxMetafileMemory - b->used) return nullptr;
  auto* p = static_cast<unsigned char*>(std::malloc(size + kBlockHeader));
  if (!p) return nullptr;
  std::memcpy(p, &size, sizeof size);
  b->used += size;
  return p + kBlockHeader;
}

void budgetFree(void* context, void* mem) {
  if (!mem) return;
  auto* p = static_cast<unsigned char*>(mem) - kBlockHeader;
  std::size_t size = 0;
  std::memcpy(&size, p, sizeof size);
  static_cast<PlayBudget*>(context)->used -= size;
  std::free(p);
}

void* budgetRealloc(void* context, void* mem, std::size_t size) {
  if (!mem) return budgetMalloc(context, size);
  auto* b = static_cast<PlayBudget*>(context);
  auto* p = static_cast<unsigned char*>(mem) - kBlockHeader;
  std::size_t old = 0;
  std::memcpy(&old, p, sizeof old);
  if (size > old && size - old > kMaxMetafileMemory - b->used) return nullptr;
  auto* q = static_cast<unsigned char*>(std::realloc(p, size + kBlockHeader));
  if (!q) return nullptr;
  std::memcpy(q, &size, sizeof size);
  b->used = b->used - old + size;
  return q + kBlockHeader;
}

// Called by libwmf after every record; a non-zero answer stops the playing.
int pastDeadline(void* context, float) {
  return std::chrono::steady_clock::now() > static_cast<PlayBudget*>(context)->deadline ? 1 : 0;
}

// One libwmf player with the limits above, drawing SVG into memory.
class WmfPlayer {
 public:
  explicit WmfPlayer(PlayBudget* budget) {
    wmfAPI_Options options{};
    options.context = budget;
    options.malloc = budgetMalloc;
    options.realloc = budgetRealloc;
    options.free = budgetFree;
    options.function = wmf_svg_function;
    constexpr unsigned long kFlags =
        WMF_OPT_ALLOC | WMF_OPT_FUNCTION | WMF_OPT_IGNORE_NONFATAL | WMF_OPT_NO_ERROR | WMF_OPT_NO_DEBUG;
    if (wmf_api_create(&api_, kFlags, &options) != wmf_E_None) api_ = nullptr;
    if (api_) wmf_status_function(api_, budget, pastDeadline);
  }
  ~WmfPlayer() {
    if (api_) (void)wmf_api_destroy(api_);
  }
  WmfPlayer(const WmfPlayer&) = delete;
  WmfPlayer& operator=(const WmfPlayer&) = delete;

  wmfAPI* api() const { return api_; }
  bool open(const std::vector<std::uint8_t>& bytes) {
    return api_ &&
           wmf_mem_open(api_, const_cast<unsigned char*>(bytes.data()), static_cast<long>(bytes.size())) == wmf_E_None;
  }

 private:
  wmfAPI* api_ = nullptr;
};

// ---- WMF: exact colours ----

// libwmf's SVG device names colours; before each drawing call the exact ones are
// written as a mark that fixWmfSvg turns back into #rrggbb.
struct ColourHooks {
  wmfFunctionReference original{};
};

void writeColourMark(wmfAPI* api, const wmfRGB& fill, const wmfRGB& stroke) {
  wmf_svg_t* device = WMF_SVG_GetData(api);
  if (!device->out) return;
  char mark[64];
  (void)std::snprintf(mark, sizeof mark, "%sfill=#%02x%02x%02x stroke=#%02x%02x%02x -->",
                      std::string(kColourMark).c_str(), fill.r, fill.g, fill.b, stroke.r, stroke.g, stroke.b);
  char format[] = "%s";
  wmf_stream_printf(api, device->out, format, mark);
}

ColourHooks& hooks(wmfAPI* api) { return *static_cast<ColourHooks*>(api->user_data); }

template <auto Member, typename Arg>
void markedDraw(wmfAPI* api, Arg* arg) {
  if (arg && arg->dc && arg->dc->brush && arg->dc->pen)
    writeColourMark(api, arg->dc->brush->lbColor, arg->dc->pen->lopnColor);
  (hooks(api).original.*Member)(api, arg);
}

void markedText(wmfAPI* api, wmfDrawText_t* arg) {
  if (arg && arg->dc) writeColourMark(api, arg->dc->textcolor, arg->dc->textcolor);
  hooks(api).original.draw_text(api, arg);
}

void markedPixel(wmfAPI* api, wmfDrawPixel_t* arg) {
  if (arg) writeColourMark(api, arg->color, arg->color);
  hooks(api).original.draw_pixel(api, arg);
}

// Routes the device's drawing calls through the marks; hooks must outlive the playing.
void installColourHooks(wmfAPI* api, ColourHooks* h) {
  auto* f = static_cast<wmfFunctionReference*>(api->function_reference);
  h->original = *f;
  api->user_data = h;
  using F = wmfFunctionReference;
  if (f->draw_pie) f->draw_pie = markedDraw<&F::draw_pie, wmfDrawArc_t>;
  if (f->draw_chord) f->draw_chord = markedDraw<&F::draw_chord, wmfDrawArc_t>;
  if (f->draw_arc) f->draw_arc = markedDraw<&F::draw_arc, wmfDrawArc_t>;
  if (f->draw_ellipse) f->draw_ellipse = markedDraw<&F::draw_ellipse, wmfDrawArc_t>;
  if (f->draw_line) f->draw_line = markedDraw<&F::draw_line, wmfDrawLine_t>;
  if (f->poly_line) f->poly_line = markedDraw<&F::poly_line, wmfPolyLine_t>;
  if (f->draw_polygon) f->draw_polygon = markedDraw<&F::draw_polygon, wmfPolyLine_t>;
  if (f->draw_polypolygon) f->draw_polypolygon = markedDraw<&F::draw_polypolygon, wmfPolyPoly_t>;
  if (f->draw_rectangle) f->draw_rectangle = markedDraw<&F::draw_rectangle, wmfDrawRectangle_t>;
  if (f->region_frame) f->region_frame = markedDraw<&F::region_frame, wmfPolyRectangle_t>;
  if (f->region_paint) f->region_paint = markedDraw<&F::region_paint, wmfPolyRectangle_t>;
  if (f->draw_text) f->draw_text = markedText;
  if (f->draw_pixel) f->draw_pixel = markedPixel;
}

DecodeStatus fromWmfError(wmf_error_t e) {
  switch (e) {
    case wmf_E_None: return DecodeStatus::Ok;
    case wmf_E_InsMem:
    case wmf_E_UserExit: return DecodeStatus::TooLarge;
    default: return DecodeStatus::Damaged;
  }
}

// ---- WMF: where the frame lands in libwmf's device space ----

constexpr std::uint32_t kMetaEof = 0x0000, kMetaSetWindowOrg = 0x020B, kMetaSetWindowExt = 0x020C,
                        kMetaSetPixel = 0x041F;
constexpr std::size_t kWmfHeaderBytes = 18;

// Records that set up the drawing (mapping, state, objects) without drawing anything.
bool isSetupRecord(std::uint32_t function) {
  switch (function) {
    case 0x0103:
    case 0x020B:
    case 0x020C:
    case 0x020D:
    case 0x020E:
    case 0x020F:
    case 0x0211:
    case 0x0410:
    case 0x0412:
    case 0x0102:
    case 0x0201:
    case 0x0209:
    case 0x0106:
    case 0x0104:
    case 0x0107:
    case 0x012E:
    case 0x0108:
    case 0x012D:
    case 0x01F0:
    case 0x02FA:
    case 0x02FC:
    case 0x02FB:
    case 0x00F7:
    case 0x0142:
    case 0x01F9:
    case 0x001E:
    case 0x0127:
    case 0x0234:
    case 0x0035:
    case 0x0231:
    case 0x0626: return true;
    default: return false;
  }
}

struct WmfLayout {
  std::size_t recordsAt = 0;
  std::size_t setupEnd = 0;  // end of the leading setup records
  std::int32_t orgX = 0, orgY = 0, extX = 0, extY = 0;
};

std::int32_t i16At(const ByteReader& r, std::size_t at) {
  std::uint32_t v = 0;
  (void)r.u16(at, &v);
  return static_cast<std::int16_t>(static_cast<std::uint16_t>(v));
}

WmfLayout wmfLayout(const ByteReader& r, bool placeable) {
  WmfLayout l;
  l.recordsAt = (placeable ? kPlaceableHeaderBytes : 0) + kWmfHeaderBytes;
  l.setupEnd = l.recordsAt;
  bool inSetup = true, haveOrg = false, haveExt = false;
  for (std::size_t at = l.recordsAt;;) {
    std::uint32_t words = 0, function = 0;
    if (!r.u32(at, &words) || !r.u16(at + 4, &function) || words < 3 || function == kMetaEof) break;
    if (function == kMetaSetWindowOrg && !haveOrg && words >= 5) {
      l.orgY = i16At(r, at + 6), l.orgX = i16At(r, at + 8), haveOrg = true;
    } else if (function == kMetaSetWindowExt && !haveExt && words >= 5) {
      l.extY = i16At(r, at + 6), l.extX = i16At(r, at + 8), haveExt = true;
    }
    inSetup = inSetup && isSetupRecord(function);
    at += std::size_t{words} * 2;
    if (inSetup) l.setupEnd = at;
  }
  return l;
}

void putU16(std::vector<std::uint8_t>& b, std::uint32_t v) {
  b.push_back(static_cast<std::uint8_t>(v));
  b.push_back(static_cast<std::uint8_t>(v >> 8));
}
void putRecord(std::vector<std::uint8_t>& b, std::uint32_t function, std::initializer_list<std::int32_t> params) {
  const auto words = static_cast<std::uint32_t>(3 + params.size());
  putU16(b, words & 0xFFFF);
  putU16(b, words >> 16);
  putU16(b, function);
  for (std::int32_t p : params) putU16(b, static_cast<std::uint32_t>(p) & 0xFFFF);
}

// A metafile of the file's headers and setup records and one pixel at (x, y): the
// centre of its scanned box is where libwmf maps that logical point.
bool devicePoint(const ByteReader& r, const WmfLayout& l, std::int32_t x, std::int32_t y, wmfD_Coord* out) {
  std::vector<std::uint8_t> probe(r.data(), r.data() + l.setupEnd);
  putRecord(probe, kMetaSetPixel, {0, 0, y, x});
  putRecord(probe, kMetaEof, {});
  PlayBudget budget;
  budget.deadline = std::chrono::steady_clock::now() + std::chrono::seconds(1);
  WmfPlayer player(&budget);
  wmfD_Rect box{};
  if (!player.open(probe) || wmf_scan(player.api(), 0, &box) != wmf_E_None) return false;
  out->x = (box.TL.x + box.BR.x) / 2;
  out->y = (box.TL.y + box.BR.y) / 2;
  return true;
}

bool wmfFrame(const ByteReader& r, const MetafileHeader& h, wmfD_Rect* frame) {
  const WmfLayout l = wmfLayout(r, h.kind == MetafileKind::PlaceableWmf);
  MetafileRect logical = h.box;
  if (h.kind == MetafileKind::PlainWmf) logical = {l.orgX, l.orgY, l.orgX + l.extX, l.orgY + l.extY};
  wmfD_Coord a{}, b{};
  if (!devicePoint(r, l, logical.left, logical.top, &a) || !devicePoint(r, l, logical.right, logical.bottom, &b))
    return false;
  frame->TL = {std::min(a.x, b.x), std::min(a.y, b.y)};
  frame->BR = {std::max(a.x, b.x), std::max(a.y, b.y)};
  return frame->BR.x > frame->TL.x && frame->BR.y > frame->TL.y;
}

DecodeStatus wmfToSvg(const std::uint8_t* data, std::size_t size, const MetafileHeader& h, int width, int height,
                      std::string* svg) {
  const ByteReader r(data, size);
  wmfD_Rect frame{};
  if (!wmfFrame(r, h, &frame)) return DecodeStatus::Damaged;
  PlayBudget budget;
  budget.deadline = std::chrono::steady_clock::now() + std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                                                           std::chrono::duration<double>(kMaxMetafileSeconds));
  WmfPlayer player(&budget);
  const std::vector<std::uint8_t> bytes(data, data + size);
  if (!player.open(bytes)) return DecodeStatus::Damaged;
  wmfD_Rect scanned{};
  if (wmf_error_t e = wmf_scan(player.api(), 0, &scanned); e != wmf_E_None) return fromWmfError(e);
  wmf_svg_t* device = WMF_SVG_GetData(player.api());
  device->bbox = frame;
  device->width = static_cast<unsigned>(width);
  device->height = static_cast<unsigned>(height);
  device->flags |= WMF_SVG_INLINE_IMAGES;
  device->out = wmf_stream_create(player.api(), nullptr);
  if (!device->out) return DecodeStatus::NoMemory;
  ColourHooks colourHooks;
  installColourHooks(player.api(), &colourHooks);
  const wmf_error_t e = wmf_play(player.api(), 0, &frame);
  char* text = nullptr;
  unsigned long length = 0;
  wmf_stream_destroy(player.api(), device->out, &text, &length);
  device->out = nullptr;
  if (e != wmf_E_None || !text) return e != wmf_E_None ? fromWmfError(e) : DecodeStatus::NoMemory;
  *svg = fixWmfSvg(std::string(text, length));
  wmf_free(player.api(), text);
  return DecodeStatus::Ok;
}

// ---- EMF ----

DecodeStatus emfToSvg(const std::uint8_t* data, std::size_t size, int width, int height, std::string* svg) {
  generatorOptions options{};
  char noNamespace[] = "";
  options.nameSpace = noNamespace;
  options.emfplus = true;
  options.svgDelimiter = true;
  options.imgWidth = width;
  options.imgHeight = height;
  char* text = nullptr;
  std::size_t length = 0;
  // The library reads the records only; it takes a non-const pointer.
  const int ok = emf2svg(reinterpret_cast<char*>(const_cast<std::uint8_t*>(data)), size, &text, &length, &options);
  if (!ok || !text) {
    std::free(text);
    return DecodeStatus::Damaged;
  }
  const DecodeStatus s = length > kMaxSvgBytes ? DecodeStatus::TooLarge : DecodeStatus::Ok;
  if (s == DecodeStatus::Ok) svg->assign(text, length);
  std::free(text);
  return s;
}

// ---- drawing the SVG over the store ----

// Crisp edges and text everywhere: no antialiasing.
constexpr char kNoAntialiasing[] =
    "* { shape-rendering: crispEdges !important; text-rendering: optimizeSpeed !important; }";

constexpr unsigned kAlphaShift = 24, kChannelBits = 8, kFull = 0xFF;

// Straight 0xAARRGGBB to cairo's premultiplied form and back.
void premultiply(const MetafilePixels& s) {
  for (std::size_t i = 0; i < s.count(); ++i) {
    std::uint32_t& p = s.pixels[i];
    const unsigned a = p >> kAlphaShift;
    if (a == kFull) continue;
    std::uint32_t out = p & 0xFF000000u;
    for (unsigned shift = 0; shift < kAlphaShift; shift += kChannelBits)
      out |= ((((p >> shift) & kFull) * a + kFull / 2) / kFull) << shift;
    p = out;
  }
}
void unpremultiply(const MetafilePixels& s) {
  for (std::size_t i = 0; i < s.count(); ++i) {
    std::uint32_t& p = s.pixels[i];
    const unsigned a = p >> kAlphaShift;
    if (a == kFull || a == 0) continue;
    std::uint32_t out = p & 0xFF000000u;
    for (unsigned shift = 0; shift < kAlphaShift; shift += kChannelBits)
      out |= std::min(kFull, (((p >> shift) & kFull) * kFull + a / 2) / a) << shift;
    p = out;
  }
}

template <class T, void (*Free)(T*)>
struct Releaser {
  void operator()(T* p) const {
    if (p) Free(p);
  }
};
void unrefHandle(RsvgHandle* h) { g_object_unref(h); }
using HandlePtr = std::unique_ptr<RsvgHandle, Releaser<RsvgHandle, unrefHandle>>;
using SurfacePtr = std::unique_ptr<cairo_surface_t, Releaser<cairo_surface_t, cairo_surface_destroy>>;
using ContextPtr = std::unique_ptr<cairo_t, Releaser<cairo_t, cairo_destroy>>;

DecodeStatus drawSvg(const std::string& svg, const MetafilePixels& target) {
  GError* error = nullptr;
  HandlePtr handle(rsvg_handle_new_from_data(reinterpret_cast<const guint8*>(svg.data()), svg.size(), &error));
  if (error) g_error_free(error);
  if (!handle) return DecodeStatus::Damaged;
  error = nullptr;
  const bool styled = rsvg_handle_set_stylesheet(handle.get(), reinterpret_cast<const guint8*>(kNoAntialiasing),
                                                 sizeof kNoAntialiasing - 1, &error);
  if (error) g_error_free(error);
  if (!styled) return DecodeStatus::Damaged;
  gdouble svgWidth = 0, svgHeight = 0;
  if (!rsvg_handle_get_intrinsic_size_in_pixels(handle.get(), &svgWidth, &svgHeight) || svgWidth <= 0 || svgHeight <= 0)
    return DecodeStatus::Damaged;
  const int w = target.width, h = target.height;
  SurfacePtr surface(cairo_image_surface_create_for_data(reinterpret_cast<unsigned char*>(target.pixels),
                                                         CAIRO_FORMAT_ARGB32, w, h, w * 4));
  if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS) return DecodeStatus::NoMemory;
  ContextPtr cr(cairo_create(surface.get()));
  if (cairo_status(cr.get()) != CAIRO_STATUS_SUCCESS) return DecodeStatus::NoMemory;
  cairo_set_antialias(cr.get(), CAIRO_ANTIALIAS_NONE);
  // The drawing's own size stretched to the store, whatever its proportions.
  cairo_scale(cr.get(), w / svgWidth, h / svgHeight);
  const RsvgRectangle viewport{0, 0, svgWidth, svgHeight};
  premultiply(target);
  error = nullptr;
  const bool drawn = rsvg_handle_render_document(handle.get(), cr.get(), &viewport, &error);
  if (error) g_error_free(error);
  cairo_surface_flush(surface.get());
  unpremultiply(target);
  return drawn ? DecodeStatus::Ok : DecodeStatus::Damaged;
}

DecodeStatus render(const std::uint8_t* data, std::size_t size, const MetafileHeader& header,
                    const MetafilePixels& target) {
  if (!data || !target.pixels || target.width <= 0 || target.height <= 0) return DecodeStatus::Damaged;
  std::string svg;
  DecodeStatus s = DecodeStatus::UnknownFormat;
  if (header.kind == MetafileKind::Emf) {
    s = emfToSvg(data, size, target.width, target.height, &svg);
  } else if (header.kind == MetafileKind::PlaceableWmf || header.kind == MetafileKind::PlainWmf) {
    s = wmfToSvg(data, size, header, target.width, target.height, &svg);
  }
  if (s != DecodeStatus::Ok) return s;
  return drawSvg(svg, target);
}

int renderEntry(const std::uint8_t* data, std::size_t size, const MetafileHeader* header, MetafilePixels target) {
  return static_cast<int>(render(data, size, *header, target));
}

const MetafileModule kTable{{platform::kModuleTableMagic, kMetafileModuleVersion, sizeof(MetafileModule)}, renderEntry};

}  // namespace

}  // namespace quendel::codecs

extern "C" __attribute__((visibility("default"))) const quendel::platform::ModuleTableHeader* quendelMetafileModule() {
  return &quendel::codecs::kTable.header;
}
