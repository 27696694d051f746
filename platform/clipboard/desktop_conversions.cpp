#include "platform/clipboard/desktop_conversions.h"

#include <cctype>
#include <cstring>
#include <utility>

#include "platform/clipboard/clipboard_formats.h"
#include "platform/clipboard/text_synthesis.h"
#include "support/codepage.h"

namespace quendel::clipboard {
namespace {

const Entry* find(const std::vector<Entry>& entries, UINT format) {
  for (const auto& e : entries) {
    if (e.format == format) return &e;
  }
  return nullptr;
}

std::string_view view(const Bytes& b) { return std::string_view(reinterpret_cast<const char*>(b.data), b.size); }

// Targets the bridge itself answers or converts; never imported or exported as raw data.
bool isReservedTarget(const std::string& t) {
  static const char* const kReserved[] = {"TARGETS",
                                          "MULTIPLE",
                                          "TIMESTAMP",
                                          "SAVE_TARGETS",
                                          "DELETE",
                                          "INSERT_SELECTION",
                                          "INSERT_PROPERTY",
                                          "UTF8_STRING",
                                          "STRING",
                                          "TEXT",
                                          "COMPOUND_TEXT",
                                          "text/plain",
                                          "text/plain;charset=utf-8",
                                          "text/html",
                                          "HTML Format",
                                          "text/uri-list",
                                          "x-special/gnome-copied-files",
                                          "application/x-kde-cutselection"};
  for (const char* r : kReserved) {
    if (t == r) return true;
  }
  return false;
}

std::u16string textOf(const std::vector<Entry>& entries) {
  auto data = formatData(entries, CF_UNICODETEXT);
  if (!data) return {};
  return cp::fromUtf16LeUntilNul(data->data, data->size);
}

std::string latin1Of(const std::u16string& s) {
  std::string r;
  for (std::size_t i = 0; i < s.size(); ++i) {
    char16_t c = s[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < s.size()) ++i;  // one '?' per character
    r.push_back(c < 0x100 ? static_cast<char>(c) : '?');
  }
  return r;
}

Bytes unicodeBlock(const std::u16string& text) { return Bytes::fromVector(cp::toUtf16Le(text + u'\0')); }

bool unreserved(unsigned char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '.' ||
         c == '_' || c == '~' || c == '/';
}

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::string_view untilNul(std::string_view s) { return s.substr(0, s.find('\0')); }

}  // namespace

std::string fileUriOf(const std::u16string& path) {
  if (path.empty() || path[0] != u'/') return {};
  static const char kHex[] = "0123456789ABCDEF";
  std::string out = "file://";
  for (unsigned char c : cp::toUtf8(path)) {
    if (unreserved(c)) {
      out.push_back(static_cast<char>(c));
    } else {
      out.push_back('%');
      out.push_back(kHex[c >> 4]);
      out.push_back(kHex[c & 15]);
    }
  }
  return out;
}

std::optional<std::u16string> pathOfFileUri(std::string_view uri) {
  constexpr std::string_view kScheme = "file://";
  if (uri.size() < kScheme.size()) return std::nullopt;
  for (std::size_t i = 0; i < kScheme.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(uri[i])) != kScheme[i]) return std::nullopt;
  }
  std::string_view rest = uri.substr(kScheme.size());
  auto slash = rest.find('/');
  if (slash == std::string_view::npos) return std::nullopt;
  std::string_view host = rest.substr(0, slash);
  if (!host.empty() && host != "localhost") return std::nullopt;
  std::string_view path = rest.substr(slash);
  path = path.substr(0, path.find_first_of("?#"));
  std::string bytes;
  for (std::size_t i = 0; i < path.size(); ++i) {
    if (path[i] == '%' && i + 2 < path.size() && hexValue(path[i + 1]) >= 0 && hexValue(path[i + 2]) >= 0) {
      bytes.push_back(static_cast<char>(hexValue(path[i + 1]) * 16 + hexValue(path[i + 2])));
      i += 2;
    } else {
      bytes.push_back(path[i]);
    }
  }
  if (bytes.find('\0') != std::string::npos) return std::nullopt;  // a name cannot hold NUL
  return cp::fromUtf8(bytes);
}

std::string uriListOf(const std::vector<std::u16string>& paths) {
  std::string out;
  for (const auto& p : paths) {
    std::string uri = fileUriOf(p);
    if (uri.empty()) continue;
    out += uri;
    out += "\r\n";
  }
  return out;
}

std::vector<std::u16string> pathsOfUriList(std::string_view list) {
  std::vector<std::u16string> out;
  std::size_t begin = 0;
  while (begin < list.size()) {
    std::size_t end = list.find('\n', begin);
    if (end == std::string_view::npos) end = list.size();
    std::string_view line = list.substr(begin, end - begin);
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\0')) line.remove_suffix(1);
    while (!line.empty() && line.front() == ' ') line.remove_prefix(1);
    if (!line.empty() && line[0] != '#') {
      if (auto p = pathOfFileUri(line)) out.push_back(std::move(*p));
    }
    begin = end + 1;
  }
  return out;
}

std::string utf8OfTextHtml(std::string_view bytes) {
  auto le16 = [&](bool little) {
    std::string units(bytes.substr(2));
    if (!little) {
      for (std::size_t i = 0; i + 1 < units.size(); i += 2) std::swap(units[i], units[i + 1]);
    }
    return cp::toUtf8(cp::fromUtf16LeUntilNul(units.data(), units.size()));
  };
  if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF && static_cast<unsigned char>(bytes[1]) == 0xFE)
    return le16(true);
  if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFE && static_cast<unsigned char>(bytes[1]) == 0xFF)
    return le16(false);
  if (bytes.size() >= 3 && bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
  return std::string(untilNul(bytes));
}

std::vector<Offer> offersFor(const std::vector<Entry>& entries, const NameOf& nameOf, UINT htmlFormat) {
  std::vector<Offer> offers;
  bool text = find(entries, CF_UNICODETEXT) || find(entries, CF_TEXT) || find(entries, CF_OEMTEXT);
  if (text) {
    for (const char* t : {"UTF8_STRING", "text/plain;charset=utf-8", "text/plain"})
      offers.push_back({t, TargetKind::Utf8Text, CF_UNICODETEXT});
    offers.push_back({"STRING", TargetKind::Latin1Text, CF_UNICODETEXT});
  }
  if (htmlFormat && find(entries, htmlFormat)) {
    offers.push_back({"text/html", TargetKind::HtmlFragment, htmlFormat});
    offers.push_back({kHtmlFormatName, TargetKind::HtmlBlock, htmlFormat});
  }
  if (find(entries, CF_HDROP)) {
    offers.push_back({"text/uri-list", TargetKind::UriList, CF_HDROP});
    offers.push_back({"x-special/gnome-copied-files", TargetKind::GnomeCopiedFiles, CF_HDROP});
    offers.push_back({"application/x-kde-cutselection", TargetKind::KdeCutSelection, CF_HDROP});
  }
  for (const auto& e : entries) {
    if (!isRegisteredFormatId(e.format) || e.format == htmlFormat) continue;
    auto name = nameOf(e.format);
    if (!name || isReservedTarget(*name) || name->find('\0') != std::string::npos) continue;
    offers.push_back({*name, TargetKind::Raw, e.format});
  }
  return offers;
}

std::optional<std::string> exportTarget(const Offer& offer, const std::vector<Entry>& entries) {
  switch (offer.kind) {
    case TargetKind::Utf8Text: return cp::toUtf8(textOf(entries));
    case TargetKind::Latin1Text: return latin1Of(textOf(entries));
    case TargetKind::HtmlFragment:
    case TargetKind::HtmlBlock: {
      const Entry* e = find(entries, offer.format);
      if (!e) return std::nullopt;
      if (offer.kind == TargetKind::HtmlBlock) return std::string(untilNul(view(e->bytes)));
      return htmlFragmentOf(view(e->bytes));
    }
    case TargetKind::UriList:
    case TargetKind::GnomeCopiedFiles:
    case TargetKind::KdeCutSelection: {
      const Entry* e = find(entries, CF_HDROP);
      if (!e) return std::nullopt;
      auto files = readDropFiles(e->bytes.data, e->bytes.size);
      if (!files) return std::nullopt;
      if (offer.kind == TargetKind::UriList) return uriListOf(files->names);
      if (offer.kind == TargetKind::KdeCutSelection) return std::string("0");
      std::string out = "copy";
      for (const auto& n : files->names) {
        std::string uri = fileUriOf(n);
        if (!uri.empty()) out += "\n" + uri;
      }
      return out;
    }
    case TargetKind::Raw: {
      const Entry* e = find(entries, offer.format);
      if (!e) return std::nullopt;
      return std::string(view(e->bytes));
    }
  }
  return std::nullopt;
}

std::vector<std::string> importPlan(const std::vector<std::string>& targets, const IdOf& idOf) {
  std::vector<std::string> plan;
  auto firstOf = [&](std::initializer_list<const char*> wanted) {
    for (const char* w : wanted) {
      for (const auto& t : targets) {
        if (t == w) {
          plan.push_back(t);
          return;
        }
      }
    }
  };
  firstOf({"UTF8_STRING", "text/plain;charset=utf-8", "text/plain", "STRING"});
  firstOf({kHtmlFormatName, "text/html"});
  firstOf({"text/uri-list", "x-special/gnome-copied-files"});
  for (const auto& t : targets) {
    if (!isReservedTarget(t) && idOf(t) != 0) plan.push_back(t);
  }
  return plan;
}

std::vector<Entry> importEntries(const std::map<std::string, std::string>& fetched, const IdOf& idOf, UINT htmlFormat,
                                 DWORD locale) {
  std::vector<Entry> out;
  auto get = [&](const char* t) -> const std::string* {
    auto it = fetched.find(t);
    return it == fetched.end() ? nullptr : &it->second;
  };
  const std::string* text = nullptr;
  bool latin1 = false;
  for (const char* t : {"UTF8_STRING", "text/plain;charset=utf-8", "text/plain"}) {
    if (!text) text = get(t);
  }
  if (!text && (text = get("STRING"))) latin1 = true;
  if (text) {
    std::string_view t = untilNul(*text);
    out.push_back({CF_UNICODETEXT, unicodeBlock(latin1 ? cp::fromLatin1(t) : cp::fromUtf8(t))});
    BYTE lcid[4];
    std::memcpy(lcid, &locale, 4);
    out.push_back({CF_LOCALE, Bytes::copyOf(lcid, 4)});
  }
  if (htmlFormat) {
    if (const std::string* block = get(kHtmlFormatName)) {
      std::string b(untilNul(*block));
      b.push_back('\0');
      out.push_back({htmlFormat, Bytes::copyOf(b.data(), b.size())});
    } else if (const std::string* html = get("text/html")) {
      std::string b = buildHtmlBlock(utf8OfTextHtml(*html));
      b.push_back('\0');  // the clipboard copy carries one more NUL, as SetHTML's does
      out.push_back({htmlFormat, Bytes::copyOf(b.data(), b.size())});
    }
  }
  std::vector<std::u16string> files;
  bool haveFiles = false;
  if (const std::string* list = get("text/uri-list")) {
    files = pathsOfUriList(*list), haveFiles = true;
  } else if (const std::string* gnome = get("x-special/gnome-copied-files")) {
    std::string_view g = *gnome;
    g = g.substr(std::min(g.size(), g.find('\n') == std::string_view::npos ? g.size() : g.find('\n') + 1));
    files = pathsOfUriList(g), haveFiles = true;
  }
  if (haveFiles && !files.empty()) out.push_back({CF_HDROP, Bytes::fromVector(buildDropFiles(files, true))});
  for (const auto& [target, bytes] : fetched) {
    if (isReservedTarget(target)) continue;
    if (UINT id = idOf(target)) out.push_back({id, Bytes::copyOf(bytes.data(), bytes.size())});
  }
  return out;
}

}  // namespace quendel::clipboard
