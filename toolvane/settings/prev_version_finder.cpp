#include "toolvane/settings/prev_version_finder.h"

#include <algorithm>
#include <limits>

#include "automation/collection.h"
#include "support/quendelsupport.h"
#include "toolvane/settings/qnd_registry.h"
#include "toolvane/settings/settings_path.h"

namespace quendel::toolvane::modPrevVersionFinder {

namespace {

std::vector<String> splitAtPoints(const String& text) {
  std::vector<String> parts;
  std::size_t start = 0;
  for (;;) {
    std::size_t dot = text.find(u'.', start);
    parts.push_back(text.substr(start, dot == String::npos ? String::npos : dot - start));
    if (dot == String::npos) return parts;
    start = dot + 1;
  }
}

}  // namespace

LONG VersionComponentValue(const String& text) {
  if (text.empty()) return 0;
  std::int64_t value = 0;
  for (char16_t c : text) {
    if (c < u'0' || c > u'9') return 0;
    value = value * 10 + (c - u'0');
    if (value > std::numeric_limits<LONG>::max()) return 0;  // beyond a Long
  }
  return static_cast<LONG>(value);
}

int CompareVersionTexts(const String& a, const String& b) {
  std::vector<String> pa = splitAtPoints(a), pb = splitAtPoints(b);
  // Padding with ".0" adds components that count as 0.
  std::size_t n = std::max(pa.size(), pb.size());
  for (std::size_t i = 0; i < n; ++i) {
    LONG va = i < pa.size() ? VersionComponentValue(pa[i]) : 0;
    LONG vb = i < pb.size() ? VersionComponentValue(pb[i]) : 0;
    if (va < vb) return 2;
    if (va > vb) return 1;
  }
  return 0;
}

std::vector<String> SortVersionTexts(std::vector<String> texts) {
  std::vector<String> sorted;
  sorted.reserve(texts.size());
  while (!texts.empty()) {
    std::size_t smallest = 0;
    for (std::size_t i = 1; i < texts.size(); ++i)
      if (CompareVersionTexts(texts[i], texts[smallest]) == 2) smallest = i;
    sorted.push_back(std::move(texts[smallest]));
    texts.erase(texts.begin() + static_cast<std::ptrdiff_t>(smallest));
  }
  return sorted;
}

String FindPreviousVersion(qndRegistry& registry, LONG RegistryRoot, const String& AppTitle, LONG VerMajor,
                           LONG VerMinor) {
  auto names = registry.GetSubKeysNames(RegistryRoot, String(kSettingsRoot) + AppTitle);
  if (!names || names->count() == 0) return {};

  std::vector<String> candidates;
  for (const Variant& item : names->items()) {
    String name = asTrimEx(item.toString());
    if (automation::upperCase(String(name.substr(0, 8))) == u"VERSION ")
      candidates.push_back(asTrimEx(asCutLeft(name, 8)));
  }
  candidates = SortVersionTexts(std::move(candidates));

  String current = asFormatVersionShort(VerMajor, VerMinor);
  String found;
  for (const String& candidate : candidates)
    if (CompareVersionTexts(current, candidate) == 1) found = candidate;
  return found;
}

}  // namespace quendel::toolvane::modPrevVersionFinder
