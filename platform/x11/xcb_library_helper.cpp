// A helper program for the tests of loading libxcb at first use: a process of its own,
// so that what it maps is only what the platform library loaded for it. Its standard
// error goes to standard output, so the tests read the debug lines too.
//
//   platform_x11_helper console   registry and GDI calls only (QUENDEL_REGISTRY_DIR)
//   platform_x11_helper display   the window facilities' calls on the display of DISPLAY
//
// Each mode prints "name: value" lines, then "xcb mapped: yes|no", "randr mapped: yes|no",
// "xcb needed by: FILE ..." (the loaded objects that link libxcb themselves) and "end".
#include <link.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "platform/gdi/gdi.h"
#include "platform/monitor/monitor.h"
#include "platform/registry/registry.h"
#include "platform/user/display.h"
#include "platform/user/user.h"
#include "platform/window/window.h"
#include "platform/x11/x11_session.h"

namespace {

namespace x11 = quendel::platform::x11;

void print(const std::string& name, const std::string& value) { std::printf("%s: %s\n", name.c_str(), value.c_str()); }
void print(const std::string& name, bool value) { print(name, std::string(value ? "yes" : "no")); }

bool mapped(const std::string& fileName) {
  std::ifstream maps("/proc/self/maps");
  for (std::string line; std::getline(maps, line);)
    if (line.find("/" + fileName) != std::string::npos) return true;
  return false;
}

// The loaded objects whose dynamic section names `library` as needed.
std::string neededBy(const std::string& library) {
  struct Search {
    const std::string& library;
    std::string found;
  } search{library, {}};
  dl_iterate_phdr(
      [](dl_phdr_info* info, std::size_t, void* data) {
        auto* s = static_cast<Search*>(data);
        for (int i = 0; i < info->dlpi_phnum; ++i) {
          if (info->dlpi_phdr[i].p_type != PT_DYNAMIC) continue;
          auto* dynamic = reinterpret_cast<const ElfW(Dyn)*>(info->dlpi_addr + info->dlpi_phdr[i].p_vaddr);
          const char* strings = nullptr;
          for (const ElfW(Dyn)* d = dynamic; d->d_tag != DT_NULL; ++d)
            if (d->d_tag == DT_STRTAB) {
              // The loader relocates the entry in place, except in read-only sections.
              ElfW(Addr) address = d->d_un.d_ptr;
              strings = reinterpret_cast<const char*>(address < info->dlpi_addr ? address + info->dlpi_addr : address);
            }
          if (!strings) continue;
          for (const ElfW(Dyn)* d = dynamic; d->d_tag != DT_NULL; ++d)
            if (d->d_tag == DT_NEEDED && s->library == strings + d->d_un.d_val) {
              std::string name = info->dlpi_name && *info->dlpi_name ? info->dlpi_name : "(program)";
              s->found += " " + name.substr(name.rfind('/') + 1);
            }
        }
        return 0;
      },
      &search);
  return search.found.empty() ? std::string() : search.found.substr(1);
}

void console() {
  HKEY key = nullptr;
  bool wrote = RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\LoadingTest", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                               nullptr) == ERROR_SUCCESS;
  DWORD value = 42, read = 0, size = sizeof read;
  wrote = wrote && RegSetValueExA(key, "Answer", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value) ==
                       ERROR_SUCCESS;
  wrote = wrote &&
          RegQueryValueExA(key, "Answer", nullptr, nullptr, reinterpret_cast<BYTE*>(&read), &size) == ERROR_SUCCESS &&
          read == 42;
  if (key) (void)RegCloseKey(key);
  print("registry", wrote);

  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP bitmap = CreateBitmap(4, 4, 1, 32, nullptr);
  HGDIOBJ old = SelectObject(dc, bitmap);
  SetPixel(dc, 1, 2, 0x00345678);
  print("gdi", GetPixel(dc, 1, 2) == 0x00345678);
  SelectObject(dc, old);
  (void)DeleteObject(bitmap);
  (void)DeleteDC(dc);
}

void display() {
  print("session", x11::session() != nullptr);
  print("generation", std::to_string(x11::sessionGeneration()));
  print("display opens", quendel::platform::displayCanBeOpened());
  print("bell", MessageBeep(0) != 0);
  print("desktop window", GetDesktopWindow() != nullptr);
  print("monitors", quendel::platform::multiMonitorAvailable());
}

}  // namespace

int main(int argc, char** argv) {
  ::dup2(1, 2);
  std::setvbuf(stdout, nullptr, _IONBF, 0);
  std::string mode = argc > 1 ? argv[1] : "";
  if (mode == "console")
    console();
  else if (mode == "display")
    display();
  else
    return 2;
  print("xcb mapped", mapped("libxcb.so.1"));
  print("randr mapped", mapped("libxcb-randr.so.0"));
  print("xcb needed by", neededBy("libxcb.so.1"));
  std::printf("end\n");
  return 0;
}
