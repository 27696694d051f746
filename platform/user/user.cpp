#include "platform/user/user.h"

#include <link.h>
#include <xcb/xcb.h>

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "support/codepage.h"

namespace {

bool equalsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) return false;
  return true;
}

bool endsWithNoCase(std::string_view s, std::string_view tail) {
  return s.size() >= tail.size() && equalsNoCase(s.substr(s.size() - tail.size()), tail);
}

// "libfoo.so.1.2" -> "foo"; "Foo.dll" -> "Foo"; "foo" -> "foo".
std::string_view bareModuleName(std::string_view name) {
  if (auto slash = name.rfind('/'); slash != std::string_view::npos) name.remove_prefix(slash + 1);
  if (endsWithNoCase(name, ".dll")) {
    name.remove_suffix(4);
  } else if (auto so = name.find(".so");
             so != std::string_view::npos && (so + 3 == name.size() || name[so + 3] == '.')) {
    name = name.substr(0, so);
  }
  if (name.size() > 3 && equalsNoCase(name.substr(0, 3), "lib")) name.remove_prefix(3);
  return name;
}

// The port's User32 is no shared object of its own; its handle is this marker's address.
const char user32Marker = 0;

HMODULE user32Handle() { return reinterpret_cast<HMODULE>(const_cast<char*>(&user32Marker)); }

struct ModuleSearch {
  std::string_view wanted;  // bare name; empty for the executable
  HMODULE found = nullptr;
};

int searchModule(dl_phdr_info* info, size_t, void* data) {
  auto* search = static_cast<ModuleSearch*>(data);
  std::string_view file = info->dlpi_name ? info->dlpi_name : "";
  bool match;
  if (search->wanted.empty()) {
    match = file.empty();  // the executable comes first with an empty name
  } else {
    match = !file.empty() && equalsNoCase(bareModuleName(file), search->wanted);
  }
  if (!match) return 0;
  for (int i = 0; i < info->dlpi_phnum; ++i) {
    if (info->dlpi_phdr[i].p_type == PT_LOAD) {
      search->found = reinterpret_cast<HMODULE>(info->dlpi_addr + info->dlpi_phdr[i].p_vaddr);
      return 1;
    }
  }
  return 0;
}

struct LangRow {
  const char* name;  // language, or language_COUNTRY for the rows that differ by country
  LANGID id;
};

// Country rows first, so that "en_GB" matches before "en".
constexpr LangRow kLanguages[] = {
    {"en_GB", 0x0809}, {"en_AU", 0x0C09}, {"en_CA", 0x1009}, {"en_NZ", 0x1409}, {"en_IE", 0x1809}, {"pt_PT", 0x0816},
    {"zh_TW", 0x0404}, {"zh_HK", 0x0C04}, {"de_AT", 0x0C07}, {"de_CH", 0x0807}, {"fr_CA", 0x0C0C}, {"fr_BE", 0x080C},
    {"fr_CH", 0x100C}, {"es_MX", 0x080A}, {"ru_MD", 0x0819}, {"en", 0x0409},    {"ru", 0x0419},    {"uk", 0x0422},
    {"be", 0x0423},    {"bg", 0x0402},    {"kk", 0x043F},    {"sr", 0x081A},    {"mk", 0x042F},    {"de", 0x0407},
    {"fr", 0x040C},    {"es", 0x0C0A},    {"it", 0x0410},    {"pt", 0x0416},    {"nl", 0x0413},    {"pl", 0x0415},
    {"cs", 0x0405},    {"sk", 0x041B},    {"hu", 0x040E},    {"ro", 0x0418},    {"el", 0x0408},    {"tr", 0x041F},
    {"sv", 0x041D},    {"fi", 0x040B},    {"da", 0x0406},    {"nb", 0x0414},    {"no", 0x0414},    {"et", 0x0425},
    {"lv", 0x0426},    {"lt", 0x0427},    {"he", 0x040D},    {"ar", 0x0401},    {"ja", 0x0411},    {"ko", 0x0412},
    {"zh", 0x0804},    {"hy", 0x042B},    {"ka", 0x0437},    {"az", 0x042C},    {"uz", 0x0443},    {"tt", 0x0444},
    {"ky", 0x0440},
};

struct User32Row {
  UINT id;
  const char16_t* english;
  const char16_t* russian;
};

constexpr User32Row kUser32[] = {
    {800, u"OK", u"ОК"},
    {801, u"Cancel", u"Отмена"},
    {802, u"&Abort", u"&Прервать"},
    {803, u"&Retry", u"&Повторить"},
    {804, u"&Ignore", u"&Пропустить"},
    {805, u"&Yes", u"&Да"},
    {806, u"&No", u"&Нет"},
    {807, u"&Close", u"&Закрыть"},
    {808, u"Help", u"Справка"},
};

}  // namespace

namespace quendel::platform {

LANGID langIdFromLocaleName(const char* name) {
  std::string_view n = name ? name : "";
  // Drop the code set and the modifier: "ru_RU.UTF-8@x" -> "ru_RU".
  n = n.substr(0, n.find_first_of(".@"));
  std::string_view language = n.substr(0, n.find('_'));
  for (const auto& row : kLanguages) {
    std::string_view r = row.name;
    if (r.find('_') != std::string_view::npos ? equalsNoCase(r, n) : equalsNoCase(r, language)) return row.id;
  }
  return 0x0409;
}

const char16_t* user32String(UINT id, LANGID langId) {
  for (const auto& row : kUser32)
    if (row.id == id) return langId == 0x0419 ? row.russian : row.english;
  return nullptr;
}

}  // namespace quendel::platform

HMODULE GetModuleHandleA(const char* moduleName) {
  ModuleSearch search;
  if (moduleName) {
    std::string_view bare = bareModuleName(moduleName);
    if (bare.empty()) return nullptr;
    if (equalsNoCase(bare, "user32")) return user32Handle();
    search.wanted = bare;
  }
  dl_iterate_phdr(searchModule, &search);
  return search.found;
}

int LoadStringA(HINSTANCE instance, UINT id, char* buffer, int bufferMax) {
  if (!buffer || bufferMax < 1) return 0;
  const char16_t* text =
      instance == user32Handle() ? quendel::platform::user32String(id, GetUserDefaultLangID()) : nullptr;
  if (!text) {
    buffer[0] = '\0';
    return 0;
  }
  std::string ansi = quendel::cp::unicodeToAnsi(text);
  size_t n = std::min(ansi.size(), static_cast<size_t>(bufferMax - 1));
  // Never end inside a UTF-8 sequence when the string is cut short.
  if (n < ansi.size() && quendel::cp::ansiCodePage() == 65001)
    while (n > 0 && (static_cast<unsigned char>(ansi[n]) & 0xC0) == 0x80) --n;
  std::memcpy(buffer, ansi.data(), n);
  buffer[n] = '\0';
  return static_cast<int>(n);
}

LANGID GetUserDefaultLangID() {
  for (const char* var : {"LC_ALL", "LC_MESSAGES", "LANG"})
    if (const char* v = std::getenv(var); v && *v) return quendel::platform::langIdFromLocaleName(v);
  return 0x0409;
}

BOOL MessageBeep(UINT) {
  const char* display = std::getenv("DISPLAY");
  if (!display || !*display) return 0;
  xcb_connection_t* c = xcb_connect(display, nullptr);
  BOOL ok = 0;
  if (!xcb_connection_has_error(c)) {
    xcb_void_cookie_t cookie = xcb_bell_checked(c, 0);
    xcb_generic_error_t* error = xcb_request_check(c, cookie);
    ok = error == nullptr ? 1 : 0;
    std::free(error);
  }
  xcb_disconnect(c);
  return ok;
}
