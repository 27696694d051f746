#include "platform/resources/resource_section.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "platform/resources/load_image.h"
#include "support/elf_section.h"

namespace {

using quendel::resources::kBitmap;
using quendel::resources::kGroupIcon;
using quendel::resources::kVersion;
using quendel::resources::ResourceName;
using quendel::resources::ResourceSection;

void put32(std::string& out, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>(v >> (8 * i) & 0xFF));
}

struct Item {
  std::uint32_t type;
  std::uint32_t id;
  std::string name;
  std::string data;
};

// A section in the layout the build script writes (names and data packed, unaligned).
std::string sectionOf(const std::vector<Item>& items) {
  std::string head = "QRSC", table, blobs;
  put32(head, 1);
  put32(head, static_cast<std::uint32_t>(items.size()));
  put32(head, 0);
  const auto base = static_cast<std::uint32_t>(head.size() + items.size() * quendel::resources::kEntrySize);
  for (const auto& item : items) {
    put32(table, item.type);
    put32(table, item.id);
    put32(table, item.name.empty() ? 0 : base + static_cast<std::uint32_t>(blobs.size()));
    put32(table, static_cast<std::uint32_t>(item.name.size()));
    blobs += item.name;
    put32(table, base + static_cast<std::uint32_t>(blobs.size()));
    put32(table, static_cast<std::uint32_t>(item.data.size()));
    blobs += item.data;
  }
  return head + table + blobs;
}

const std::vector<Item> kItems = {{kVersion, 1, "", "version"},
                                  {kGroupIcon, 0, "NOEMI_0000", "icon"},
                                  {kGroupIcon, 7, "", "seven"},
                                  {kBitmap, 0, "A", ""}};

TEST(ResourceNames, AreReadAsThePlatformReadsThem) {
  struct Case {
    const char* text;
    bool valid;
    std::uint32_t id;
    const char* name;
  } cases[] = {
      {"#114", true, 114, ""},
      {"#65535", true, 65535, ""},
      {"#65536", false, 0, ""},
      {"#0", false, 0, ""},
      {"#", false, 0, ""},
      {"#11a", false, 0, ""},
      {"", false, 0, ""},
      {nullptr, false, 0, ""},
      {"114", true, 0, "114"},
      {"noemi_0000", true, 0, "NOEMI_0000"},
      {"Mercury Cursor", true, 0, "MERCURY CURSOR"},
      {"tab\there", false, 0, ""},
      {"caf\xC3\xA9", false, 0, ""},
  };
  for (const auto& c : cases) {
    auto name = ResourceName::from(c.text);
    SCOPED_TRACE(c.text ? c.text : "null");
    ASSERT_EQ(name.has_value(), c.valid);
    if (!c.valid) continue;
    EXPECT_EQ(name->id, c.id);
    EXPECT_EQ(name->name, c.name);
  }
  EXPECT_EQ(ResourceName::from(MAKEINTRESOURCEA(114))->id, 114u);
  EXPECT_FALSE(ResourceName::from(std::string(256, 'A').c_str()));
  EXPECT_TRUE(ResourceName::from(std::string(255, 'A').c_str()));
}

TEST(ResourceSection, FindsResourcesByTypeAndName) {
  ResourceSection section;
  ASSERT_TRUE(ResourceSection::parse(sectionOf(kItems), &section));
  ResourceSection copy = section;  // lookups answer from the copy's own bytes
  section = ResourceSection();
  EXPECT_EQ(copy.find(kGroupIcon, *ResourceName::from("noemi_0000")), "icon");
  EXPECT_EQ(copy.find(kGroupIcon, *ResourceName::from("#7")), "seven");
  EXPECT_EQ(copy.find(kVersion, ResourceName{1, {}}), "version");
  EXPECT_EQ(copy.find(kBitmap, *ResourceName::from("a")), "");
  EXPECT_FALSE(copy.find(kBitmap, *ResourceName::from("noemi_0000")));
  EXPECT_FALSE(copy.find(kGroupIcon, *ResourceName::from("#8")));
  EXPECT_TRUE(copy.hasType(kBitmap));
  EXPECT_FALSE(copy.hasType(quendel::resources::kGroupCursor));
}

TEST(ResourceSection, RefusesDamagedSectionsWhole) {
  const std::string good = sectionOf(kItems);
  auto refused = [](std::string bytes) {
    ResourceSection section;
    return !ResourceSection::parse(std::move(bytes), &section);
  };
  for (std::size_t n = 0; n < good.size(); ++n) EXPECT_TRUE(refused(good.substr(0, n))) << "cut at " << n;

  auto patched = [&](std::size_t at, std::uint32_t value) {
    std::string bytes = good;
    std::string word;
    put32(word, value);
    bytes.replace(at, 4, word);
    return bytes;
  };
  constexpr std::size_t kFirst = quendel::resources::kHeaderSize, kSecond = kFirst + quendel::resources::kEntrySize;
  struct Case {
    const char* what;
    std::size_t at;
    std::uint32_t value;
  } cases[] = {
      {"signature", 0, 0x43535250},
      {"format", 4, 2},
      {"huge count", 8, 0xFFFFFFFF},
      {"count one beyond", 8, 5},
      {"data beyond the end", kFirst + 16, 0xFFFFFF00},
      {"size beyond the end", kFirst + 20, 0x7FFFFFFF},
      {"size wrapping around", kFirst + 20, 0xFFFFFFFF},
      {"name beyond the end", kSecond + 8, 0xFFFFFFF0},
      {"id zero without a name", kFirst + 4, 0},
      {"id above 65535", kFirst + 4, 0x10000},
      {"id and name", kSecond + 4, 3},
  };
  for (const auto& c : cases) EXPECT_TRUE(refused(patched(c.at, c.value))) << c.what;

  EXPECT_TRUE(refused(sectionOf({{kBitmap, 0, "lower", "x"}}))) << "names are stored upper-cased";
  EXPECT_TRUE(refused(sectionOf({{kBitmap, 0, std::string("A\0B", 3), "x"}}))) << "a NUL inside a name";
  ResourceSection untouched;
  ASSERT_TRUE(ResourceSection::parse(good, &untouched));
  EXPECT_FALSE(ResourceSection::parse("QRSC", &untouched));
  EXPECT_TRUE(untouched.hasType(kVersion)) << "a failed parse leaves the output as it was";
}

std::string fileBytes(const char* path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(ElfSections, AreFoundInFilesAndImagesAlike) {
  std::string fromFile;
  ASSERT_TRUE(quendel::readElfSection("/proc/self/exe", quendel::resources::kSectionName, &fromFile));
  const std::string image = fileBytes("/proc/self/exe");
  EXPECT_EQ(quendel::elfSectionIn(image, quendel::resources::kSectionName), fromFile);
  EXPECT_EQ(fromFile.substr(0, 4), "QRSC");
  std::string untouched = "kept";
  EXPECT_FALSE(quendel::readElfSection("/proc/self/exe", ".no.such.section", &untouched));
  EXPECT_FALSE(quendel::readElfSection("/dev/null", ".text", &untouched));
  EXPECT_FALSE(quendel::readElfSection("/no/such/file", ".text", &untouched));
  EXPECT_EQ(untouched, "kept");
}

TEST(ElfSections, DamagedImagesHaveNone) {
  const std::string image = fileBytes("/proc/self/exe");
  ASSERT_GT(image.size(), 64u);
  const std::string_view name = quendel::resources::kSectionName;
  // Cut where the section headers (at the end of the file) lose their last byte.
  EXPECT_TRUE(quendel::elfSectionIn(std::string_view(image).substr(0, image.size() - 1), name).empty());
  EXPECT_TRUE(quendel::elfSectionIn(std::string_view(image).substr(0, 63), name).empty());
  auto patched = [&](std::size_t at, std::size_t width, std::uint64_t value) {
    std::string bytes = image;
    for (std::size_t i = 0; i < width; ++i) bytes[at + i] = static_cast<char>(value >> (8 * i) & 0xFF);
    return bytes;
  };
  constexpr std::size_t kShoff = 0x28, kShnum = 0x3C, kShstrndx = 0x3E;
  EXPECT_TRUE(quendel::elfSectionIn(patched(kShoff, 8, ~0ull - 8), name).empty());
  EXPECT_TRUE(quendel::elfSectionIn(patched(kShnum, 2, 0xFFFF), name).empty());
  EXPECT_TRUE(quendel::elfSectionIn(patched(kShstrndx, 2, 0xFFFE), name).empty());
  EXPECT_TRUE(quendel::elfSectionIn(patched(4, 1, 1), name).empty()) << "a 32-bit class byte";
}

}  // namespace
