#include "platform/resources/version_block.h"

#include <cstring>

#include "support/codepage.h"

namespace quendel::resources {

namespace {

constexpr char kSignature[4] = {'Q', 'V', 'E', 'R'};
constexpr std::uint32_t kFormat = 1;
constexpr std::size_t kKeySize = 8;

// A bounded reader over the block's bytes: every read checks what is left.
class Cursor {
 public:
  explicit Cursor(std::string_view data) : data_(data) {}
  bool u16(std::uint16_t* v) { return number(v, 2); }
  bool u32(std::uint32_t* v) { return number(v, 4); }
  bool bytes(std::size_t n, std::string_view* v) {
    if (n > data_.size() - pos_) return false;
    *v = data_.substr(pos_, n);
    pos_ += n;
    return true;
  }
  std::size_t position() const { return pos_; }
  std::size_t left() const { return data_.size() - pos_; }

 private:
  template <typename T>
  bool number(T* v, std::size_t n) {
    if (n > left()) return false;
    T value = 0;
    for (std::size_t i = 0; i < n; ++i)
      value = static_cast<T>(value | static_cast<T>(static_cast<unsigned char>(data_[pos_ + i])) << (8 * i));
    *v = value;
    pos_ += n;
    return true;
  }
  std::string_view data_;
  std::size_t pos_ = 0;
};

void put16(std::string& out, std::uint32_t v) {
  out.push_back(static_cast<char>(v & 0xFF));
  out.push_back(static_cast<char>(v >> 8 & 0xFF));
}
void put32(std::string& out, std::uint32_t v) {
  put16(out, v & 0xFFFF);
  put16(out, v >> 16);
}

char upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

bool sameText(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (upper(a[i]) != upper(b[i])) return false;
  return true;
}

bool hexKey(std::string_view key) {
  if (key.size() != kKeySize) return false;
  for (char c : key)
    if (!((c >= '0' && c <= '9') || (upper(c) >= 'A' && upper(c) <= 'F'))) return false;
  return true;
}

// The header and fixed record; the header's size must be the data's.
bool readHead(Cursor& in, std::size_t total, VS_FIXEDFILEINFO* fixed) {
  std::string_view sig, raw;
  std::uint32_t format = 0, size = 0, reserved = 0;
  if (!in.bytes(sizeof kSignature, &sig) || std::memcmp(sig.data(), kSignature, sizeof kSignature) != 0) return false;
  if (!in.u32(&format) || format != kFormat || !in.u32(&size) || size != total || !in.u32(&reserved)) return false;
  if (!in.bytes(sizeof(VS_FIXEDFILEINFO), &raw)) return false;
  std::memcpy(fixed, raw.data(), sizeof *fixed);
  return fixed->dwSignature == kFixedSignature;
}

bool readTables(Cursor& in, VersionBlock* block) {
  std::uint32_t tables = 0;
  if (!in.u32(&tables) || tables > in.left() / (kKeySize + 4)) return false;
  for (std::uint32_t t = 0; t < tables; ++t) {
    StringTable table;
    std::string_view key;
    std::uint32_t count = 0;
    if (!in.bytes(kKeySize, &key) || !hexKey(key) || !in.u32(&count) || count > in.left() / 7) return false;
    table.key = key;
    for (char& c : table.key) c = upper(c);
    for (std::uint32_t i = 0; i < count; ++i) {
      std::uint16_t nameSize = 0;
      std::uint32_t valueSize = 0;
      std::string_view name, value, nul;
      if (!in.u16(&nameSize) || nameSize == 0 || !in.bytes(nameSize, &name) || !in.u32(&valueSize) ||
          !in.bytes(valueSize, &value) || !in.bytes(1, &nul) || nul[0] != '\0')
        return false;
      table.strings.emplace_back(name, value);
    }
    block->tables.push_back(std::move(table));
  }
  return in.left() == 0;
}

// Splits a query path at its backslashes, dropping empty components ("\\" is the root).
std::vector<std::string_view> components(std::string_view path) {
  std::vector<std::string_view> parts;
  while (!path.empty()) {
    std::size_t cut = path.find('\\');
    std::string_view part = path.substr(0, cut);
    if (!part.empty()) parts.push_back(part);
    if (cut == std::string_view::npos) break;
    path.remove_prefix(cut + 1);
  }
  return parts;
}

}  // namespace

bool parseVersionBlock(std::string_view data, VersionBlock* out) {
  Cursor in(data);
  VersionBlock block;
  std::uint32_t translations = 0;
  if (!readHead(in, data.size(), &block.fixed) || !in.u32(&translations) || translations > in.left() / 4) return false;
  for (std::uint32_t i = 0; i < translations; ++i) {
    std::uint16_t language = 0, codePage = 0;
    if (!in.u16(&language) || !in.u16(&codePage)) return false;
    block.translations.emplace_back(language, codePage);
  }
  if (!readTables(in, &block)) return false;
  *out = std::move(block);
  return true;
}

std::string serializeVersionBlock(const VersionBlock& block, TextEncoding values) {
  std::string out(kSignature, sizeof kSignature);
  put32(out, kFormat);
  put32(out, 0);  // the total size, written last
  put32(out, 0);
  out.append(reinterpret_cast<const char*>(&block.fixed), sizeof block.fixed);
  put32(out, static_cast<std::uint32_t>(block.translations.size()));
  for (auto [language, codePage] : block.translations) {
    put16(out, language);
    put16(out, codePage);
  }
  put32(out, static_cast<std::uint32_t>(block.tables.size()));
  for (const auto& table : block.tables) {
    out += table.key;
    put32(out, static_cast<std::uint32_t>(table.strings.size()));
    for (const auto& [name, value] : table.strings) {
      std::string text = values == TextEncoding::Ansi ? cp::unicodeToAnsi(cp::fromUtf8(value)) : value;
      put16(out, static_cast<std::uint32_t>(name.size()));
      out += name;
      put32(out, static_cast<std::uint32_t>(text.size()));
      out += text;
      out.push_back('\0');
    }
  }
  std::string size;
  put32(size, static_cast<std::uint32_t>(out.size()));
  out.replace(8, 4, size);
  return out;
}

bool findVersionValue(std::string_view block, std::string_view path, VersionValue* out) {
  Cursor in(block);
  VS_FIXEDFILEINFO fixed{};
  std::uint32_t translations = 0;
  if (!readHead(in, block.size(), &fixed) || !in.u32(&translations) || translations > in.left() / 4) return false;
  auto parts = components(path);
  if (parts.empty()) {
    *out = {kVersionHeaderSize, static_cast<UINT>(sizeof fixed)};
    return true;
  }
  if (parts.size() == 2 && sameText(parts[0], "VarFileInfo") && sameText(parts[1], "Translation")) {
    if (translations == 0) return false;
    *out = {kTranslationsOffset, static_cast<UINT>(translations * 4)};
    return true;
  }
  if (parts.size() != 3 || !sameText(parts[0], "StringFileInfo")) return false;
  std::string_view skipped;
  if (!in.bytes(std::size_t{translations} * 4, &skipped)) return false;
  std::uint32_t tables = 0;
  if (!in.u32(&tables)) return false;
  for (std::uint32_t t = 0; t < tables; ++t) {
    std::string_view key;
    std::uint32_t count = 0;
    if (!in.bytes(kKeySize, &key) || !in.u32(&count)) return false;
    bool wanted = sameText(key, parts[1]);
    for (std::uint32_t i = 0; i < count; ++i) {
      std::uint16_t nameSize = 0;
      std::uint32_t valueSize = 0;
      std::string_view name, value, nul;
      if (!in.u16(&nameSize) || !in.bytes(nameSize, &name) || !in.u32(&valueSize)) return false;
      std::size_t at = in.position();
      if (!in.bytes(valueSize, &value) || !in.bytes(1, &nul)) return false;
      if (wanted && sameText(name, parts[2])) {
        *out = {at, static_cast<UINT>(valueSize + 1)};
        return true;
      }
    }
  }
  return false;
}

}  // namespace quendel::resources
