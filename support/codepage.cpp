#include "support/codepage.h"

#include <iconv.h>
#include <langinfo.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>

namespace quendel::cp {
namespace {

struct CodeSet {
  std::string iconvName;  // name iconv knows
  unsigned windowsNumber = 0;
  bool utf8 = false;
};

CodeSet codeSetFromName(const std::string& name) {
  CodeSet cs;
  std::string upper;
  for (char c : name) upper += static_cast<char>((c >= 'a' && c <= 'z') ? c - 32 : c);
  bool allDigits = !upper.empty() && upper.find_first_not_of("0123456789") == std::string::npos;
  if (allDigits) {
    unsigned n = static_cast<unsigned>(std::strtoul(upper.c_str(), nullptr, 10));
    cs.windowsNumber = n;
    if (n == 65001) {
      cs.iconvName = "UTF-8";
      cs.utf8 = true;
    } else if (n == 20127) {
      cs.iconvName = "ASCII";
    } else if (n == 28591) {
      cs.iconvName = "ISO-8859-1";
    } else if (n == 20866) {
      cs.iconvName = "KOI8-R";
    } else {
      cs.iconvName = "CP" + upper;
    }
    return cs;
  }
  if (upper == "UTF-8" || upper == "UTF8") {
    cs.iconvName = "UTF-8";
    cs.windowsNumber = 65001;
    cs.utf8 = true;
    return cs;
  }
  cs.iconvName = upper;
  if (upper.rfind("CP", 0) == 0 && upper.size() > 2 && upper.find_first_not_of("0123456789", 2) == std::string::npos) {
    cs.windowsNumber = static_cast<unsigned>(std::strtoul(upper.c_str() + 2, nullptr, 10));
  } else if (upper == "ANSI_X3.4-1968" || upper == "ASCII" || upper == "US-ASCII") {
    // The "C" locale: treat as UTF-8 so that no text is lost, as modern systems do.
    cs.iconvName = "UTF-8";
    cs.windowsNumber = 65001;
    cs.utf8 = true;
  } else if (upper == "ISO-8859-1") {
    cs.windowsNumber = 28591;
  } else if (upper == "KOI8-R") {
    cs.windowsNumber = 20866;
  }
  return cs;
}

std::mutex g_mutex;
// The code sets in force, read without the lock on every conversion. Each one made stays
// alive (resetForTests() only unsets them), so a reference handed out never dangles.
std::atomic<const CodeSet*> g_ansi{nullptr}, g_oem{nullptr};
std::vector<std::unique_ptr<CodeSet>> g_made;  // under g_mutex

const CodeSet* keep(CodeSet cs) {
  g_made.push_back(std::make_unique<CodeSet>(std::move(cs)));
  return g_made.back().get();
}

CodeSet localeCodeSet() {
  if (const char* acp = std::getenv("QUENDEL_ACP"); acp && *acp) return codeSetFromName(acp);
  // The process may not have called setlocale; read the code set the environment asks for.
  const char* vars[] = {"LC_ALL", "LC_CTYPE", "LANG"};
  for (const char* v : vars) {
    const char* val = std::getenv(v);
    if (!val || !*val) continue;
    std::string s = val;
    auto dot = s.find('.');
    if (dot == std::string::npos) {
      if (s == "C" || s == "POSIX") return codeSetFromName("UTF-8");
      break;
    }
    std::string codeset = s.substr(dot + 1);
    if (auto at = codeset.find('@'); at != std::string::npos) codeset.resize(at);
    return codeSetFromName(codeset);
  }
  return codeSetFromName(nl_langinfo(CODESET));
}

const CodeSet& ansi() {
  if (const CodeSet* cs = g_ansi.load(std::memory_order_acquire)) return *cs;
  std::lock_guard<std::mutex> lock(g_mutex);
  if (!g_ansi.load(std::memory_order_relaxed)) g_ansi.store(keep(localeCodeSet()), std::memory_order_release);
  return *g_ansi.load(std::memory_order_relaxed);
}

const CodeSet& oem() {
  if (const CodeSet* cs = g_oem.load(std::memory_order_acquire)) return *cs;
  const CodeSet& a = ansi();
  std::lock_guard<std::mutex> lock(g_mutex);
  if (!g_oem.load(std::memory_order_relaxed)) {
    const char* o = std::getenv("QUENDEL_OEMCP");
    g_oem.store(o && *o ? keep(codeSetFromName(o)) : &a, std::memory_order_release);
  }
  return *g_oem.load(std::memory_order_relaxed);
}

// Decodes one UTF-8 sequence; returns the code point or U+FFFD and advances i.
char32_t decodeUtf8(std::string_view s, size_t& i) {
  unsigned char c = static_cast<unsigned char>(s[i]);
  if (c < 0x80) {
    ++i;
    return c;
  }
  int len = 0;
  char32_t cp = 0, min = 0;
  if ((c & 0xE0) == 0xC0) {
    len = 2;
    cp = c & 0x1F;
    min = 0x80;
  } else if ((c & 0xF0) == 0xE0) {
    len = 3;
    cp = c & 0x0F;
    min = 0x800;
  } else if ((c & 0xF8) == 0xF0) {
    len = 4;
    cp = c & 0x07;
    min = 0x10000;
  } else {
    ++i;
    return 0xFFFD;
  }
  if (i + len > s.size()) {
    ++i;
    return 0xFFFD;
  }
  for (int k = 1; k < len; ++k) {
    unsigned char cc = static_cast<unsigned char>(s[i + k]);
    if ((cc & 0xC0) != 0x80) {
      ++i;
      return 0xFFFD;
    }
    cp = (cp << 6) | (cc & 0x3F);
  }
  if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
    ++i;
    return 0xFFFD;
  }
  i += len;
  return cp;
}

std::u16string iconvToUnicode(const CodeSet& cs, std::string_view bytes) {
  if (cs.utf8) return fromUtf8(bytes);
  iconv_t cd = iconv_open("UTF-16LE", cs.iconvName.c_str());
  if (cd == reinterpret_cast<iconv_t>(-1)) return fromUtf8(bytes);
  std::u16string out;
  std::string in(bytes);
  char* inp = in.data();
  size_t inLeft = in.size();
  std::string buf(in.size() * 4 + 16, '\0');
  while (inLeft > 0) {
    char* outp = buf.data();
    size_t outLeft = buf.size();
    size_t r = iconv(cd, &inp, &inLeft, &outp, &outLeft);
    out += fromUtf16Le(buf.data(), buf.size() - outLeft);
    if (r == static_cast<size_t>(-1)) {
      if (errno == E2BIG) continue;
      // Invalid or incomplete byte: one replacement character for it.
      out.push_back(u'\uFFFD');
      ++inp;
      --inLeft;
    }
  }
  iconv_close(cd);
  return out;
}

std::string iconvFromUnicode(const CodeSet& cs, std::u16string_view text, bool* lossy) {
  if (lossy) *lossy = false;
  if (cs.utf8) return toUtf8(text);
  iconv_t cd = iconv_open(cs.iconvName.c_str(), "UTF-16LE");
  if (cd == reinterpret_cast<iconv_t>(-1)) return toUtf8(text);
  std::vector<std::uint8_t> packed = toUtf16Le(text);
  std::string in(packed.begin(), packed.end());
  std::string out;
  char* inp = in.data();
  size_t inLeft = in.size();
  std::string buf(in.size() * 2 + 16, '\0');
  while (inLeft > 0) {
    char* outp = buf.data();
    size_t outLeft = buf.size();
    size_t r = iconv(cd, &inp, &inLeft, &outp, &outLeft);
    out.append(buf.data(), buf.size() - outLeft);
    if (r == static_cast<size_t>(-1)) {
      if (errno == E2BIG) continue;
      // A character the code page cannot hold: skip its code units, write '?'.
      out.push_back('?');
      if (lossy) *lossy = true;
      size_t skip = 2;
      if (inLeft >= 4) {
        unsigned hi = static_cast<unsigned char>(inp[1]);
        if (hi >= 0xD8 && hi <= 0xDB) skip = 4;
      }
      skip = std::min(skip, inLeft);
      inp += skip;
      inLeft -= skip;
    }
  }
  iconv_close(cd);
  return out;
}

}  // namespace

unsigned ansiCodePage() { return ansi().windowsNumber; }
unsigned oemCodePage() { return oem().windowsNumber; }

std::u16string ansiToUnicode(std::string_view bytes) { return iconvToUnicode(ansi(), bytes); }
std::string unicodeToAnsi(std::u16string_view text, bool* lossy) { return iconvFromUnicode(ansi(), text, lossy); }
std::u16string oemToUnicode(std::string_view bytes) { return iconvToUnicode(oem(), bytes); }
std::string unicodeToOem(std::u16string_view text, bool* lossy) { return iconvFromUnicode(oem(), text, lossy); }

std::u16string fromUtf16Le(const void* bytes, std::size_t size) {
  auto p = static_cast<const std::uint8_t*>(bytes);
  std::u16string text(size / 2, u'\0');
  for (std::size_t i = 0; i < text.size(); ++i) text[i] = static_cast<char16_t>(p[2 * i] | (p[2 * i + 1] << 8));
  return text;
}

std::u16string fromUtf16LeUntilNul(const void* bytes, std::size_t size) {
  std::u16string text = fromUtf16Le(bytes, size);
  if (auto nul = text.find(u'\0'); nul != std::u16string::npos) text.resize(nul);
  return text;
}

void appendUtf16Le(std::u16string_view text, std::vector<std::uint8_t>& out) {
  out.reserve(out.size() + text.size() * 2);
  for (char16_t c : text) {
    out.push_back(static_cast<std::uint8_t>(c & 0xFF));
    out.push_back(static_cast<std::uint8_t>(c >> 8));
  }
}

std::vector<std::uint8_t> toUtf16Le(std::u16string_view text) {
  std::vector<std::uint8_t> out;
  appendUtf16Le(text, out);
  return out;
}

std::string toUtf8(std::u16string_view text) {
  // Names and paths are mostly ASCII: that stretch is copied without per-byte growth.
  size_t ascii = 0;
  while (ascii < text.size() && text[ascii] < 0x80) ++ascii;
  std::string out(ascii, '\0');
  for (size_t i = 0; i < ascii; ++i) out[i] = static_cast<char>(text[i]);
  if (ascii == text.size()) return out;
  out.reserve(text.size() + (text.size() - ascii) * 2);
  for (size_t i = ascii; i < text.size(); ++i) {
    char32_t cp = text[i];
    if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      ++i;
    } else if (cp >= 0xD800 && cp <= 0xDFFF) {
      cp = 0xFFFD;
    }
    if (cp < 0x80) {
      out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
      out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
      out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
      out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
  }
  return out;
}

std::u16string fromLatin1(std::string_view bytes) {
  std::u16string r;
  r.reserve(bytes.size());
  for (unsigned char c : bytes) r.push_back(c);
  return r;
}

std::u16string fromUtf8(std::string_view bytes) {
  std::u16string out;
  out.reserve(bytes.size());
  size_t i = 0;
  while (i < bytes.size()) {
    char32_t cp = decodeUtf8(bytes, i);
    if (cp >= 0x10000) {
      cp -= 0x10000;
      out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
      out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
    } else {
      out.push_back(static_cast<char16_t>(cp));
    }
  }
  return out;
}

void resetForTests() {
  std::lock_guard<std::mutex> lock(g_mutex);
  g_ansi.store(nullptr);
  g_oem.store(nullptr);
}

}  // namespace quendel::cp
