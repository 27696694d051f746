// The window functions of quendelsupport.h: they check their arguments and hand the
// work to the window services that the platform layer installs; and the program's
// hidden main window with its title.
#include <atomic>
#include <cerrno>
#include <string>

#include "support/codepage.h"
#include "support/quendelsupport.h"

namespace {

std::atomic<const QuendelWindowServices*> services{nullptr};
std::atomic<HWND> thunderMain{nullptr};

const HRESULT kNoWindow = HRESULT_FROM_WIN32(ERROR_INVALID_WINDOW_HANDLE);

// The installed services, or null when none are installed or the window is null.
const QuendelWindowServices* servicesFor(HWND window) { return window ? services.load() : nullptr; }

HRESULT windowIcon(HWND window, bool small, HICON* out) {
  if (!out) return E_POINTER;
  const QuendelWindowServices* s = servicesFor(window);
  if (!s || !s->getWindowIcon) return kNoWindow;
  HICON icon = nullptr;
  HRESULT hr = s->getWindowIcon(window, small, &icon);
  if (SUCCEEDED(hr)) *out = icon;
  return hr;
}

}  // namespace

const QuendelWindowServices* asSetWindowServices(const QuendelWindowServices* s) { return services.exchange(s); }

HRESULT asGetWindowIcon(HWND window, HICON* out) { return windowIcon(window, false, out); }

HRESULT asGetWindowIconSmall(HWND window, HICON* out) { return windowIcon(window, true, out); }

HRESULT asSetWindowIconAll(HWND window, HICON large, HICON small) {
  const QuendelWindowServices* s = servicesFor(window);
  return s && s->setWindowIcons ? s->setWindowIcons(window, large, small) : kNoWindow;
}

HRESULT asCenterFormEx(HWND window) {
  const QuendelWindowServices* s = servicesFor(window);
  return s && s->centerWindow ? s->centerWindow(window) : kNoWindow;
}

HRESULT asUnloadForm(HWND window) {
  const QuendelWindowServices* s = servicesFor(window);
  return s && s->closeWindow ? s->closeWindow(window) : kNoWindow;
}

void asSetThunderMainHandle(HWND window) { thunderMain.store(window); }

HWND quendel::registeredThunderMain() { return thunderMain.load(); }

HRESULT asGetThunderMainTitle(quendel::BStr* out) {
  if (!out) return E_POINTER;
  HWND main = thunderMain.load();
  const QuendelWindowServices* s = servicesFor(main);
  quendel::BStr title;
  if (s && s->getWindowTitle && SUCCEEDED(s->getWindowTitle(main, &title))) {
    *out = std::move(title);
    return S_OK;
  }
  std::string name = program_invocation_short_name ? program_invocation_short_name : "";
  // The title a program has not set is its executable's name without extension.
  if (auto dot = name.rfind('.'); dot != std::string::npos && dot > 0) name.resize(dot);
  *out = quendel::cp::fromUtf8(name);
  return S_OK;
}
