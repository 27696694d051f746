// The screen functions of the second support library. The support libraries talk to no
// display themselves: a layer that can (the platform's X11 code, the UI toolkit once a
// window has been shown) installs a source, and the functions ask the newest one.
#include <atomic>
#include <cmath>
#include <utility>

#include "support/quendelsupportfbe.h"

namespace {

std::atomic<QuendelScreenSource> source{nullptr};

QuendelScreenInfo current() {
  QuendelScreenInfo info{};
  if (QuendelScreenSource s = source.load();
      s && s(&info) && info.logicalDpiX > 0 && info.logicalDpiY > 0 && info.widthPx > 0 && info.heightPx > 0)
    return info;
  // No display: the nominal 96-DPI screen, so that twips still convert as on most desktops.
  return QuendelScreenInfo{96, 96, 1024, 768};
}

}  // namespace

QuendelScreenSource esSetScreenSource(QuendelScreenSource s) { return source.exchange(s); }

HRESULT esGetScreenInfo(QuendelScreenInfo* out) {
  if (!out) return E_POINTER;
  *out = current();
  return S_OK;
}

HRESULT esScreenTwipsPerPixelX(float* out) {
  if (!out) return E_POINTER;
  *out = 1440.0f / static_cast<float>(current().logicalDpiX);
  return S_OK;
}

HRESULT esScreenTwipsPerPixelY(float* out) {
  if (!out) return E_POINTER;
  *out = 1440.0f / static_cast<float>(current().logicalDpiY);
  return S_OK;
}

HRESULT esScreenWidthPx(LONG* out) {
  if (!out) return E_POINTER;
  *out = current().widthPx;
  return S_OK;
}

HRESULT esScreenHeightPx(LONG* out) {
  if (!out) return E_POINTER;
  *out = current().heightPx;
  return S_OK;
}

// 2540 HIMETRIC units make an inch.
HRESULT esScreenHimetricToPixelsX(LONG himetric, LONG* out) {
  if (!out) return E_POINTER;
  *out = static_cast<LONG>(std::lround(double(himetric) * current().logicalDpiX / 2540.0));
  return S_OK;
}

HRESULT esScreenHimetricToPixelsY(LONG himetric, LONG* out) {
  if (!out) return E_POINTER;
  *out = static_cast<LONG>(std::lround(double(himetric) * current().logicalDpiY / 2540.0));
  return S_OK;
}

HRESULT esNormalizeRect(RECT* rect) {
  if (!rect) return E_POINTER;
  if (rect->left > rect->right) std::swap(rect->left, rect->right);
  if (rect->top > rect->bottom) std::swap(rect->top, rect->bottom);
  return S_OK;
}
