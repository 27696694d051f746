// Metafile objects: creation from file bytes, the header and bits calls, handles.
#include "platform/gdi/metafile.h"

#include <gtest/gtest.h>

#include <cstring>

#include "platform/codecs/test_metafiles.h"
#include "platform/gdi/gdi.h"

namespace {

using quendel::testpics::makeEmf;
using quendel::testpics::makeWmf;

const std::vector<quendel::testpics::FilledRect> kOne = {{0, 0, 5, 5, 0x0000FF}};

TEST(Metafile, EnhancedHeaderIsCopiedUpToTheAskedSize) {
  const auto emf = makeEmf(40, 30, kOne);
  HENHMETAFILE h = SetEnhMetaFileBits(static_cast<UINT>(emf.size()), emf.data());
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(GetObjectType(h), OBJ_ENHMETAFILE);
  struct Case {
    UINT asked, copied;
  };
  for (const Case c : {Case{100, 100}, Case{108, 108}, Case{500, 108}, Case{8, 8}}) {
    SCOPED_TRACE(c.asked);
    ENHMETAHEADER header;
    std::memset(&header, 0xAB, sizeof header);
    ASSERT_EQ(GetEnhMetaFileHeader(h, c.asked, &header), c.copied);
    EXPECT_EQ(header.iType, 1u);
    if (c.copied >= 100) {
      EXPECT_EQ(header.rclBounds.right, 39);
      EXPECT_EQ(header.rclBounds.bottom, 29);
      EXPECT_EQ(header.dSignature, 0x464D4520u);
    } else {
      EXPECT_EQ(header.rclBounds.left, static_cast<LONG>(0xABABABABu)) << "nothing past the asked size";
    }
  }
  EXPECT_EQ(GetEnhMetaFileHeader(h, 0, nullptr), 108u);
  std::vector<BYTE> bits(GetEnhMetaFileBits(h, 0, nullptr));
  EXPECT_EQ(bits.size(), emf.size());
  EXPECT_EQ(GetEnhMetaFileBits(h, static_cast<UINT>(bits.size() - 1), bits.data()), 0u);
  ASSERT_EQ(GetEnhMetaFileBits(h, static_cast<UINT>(bits.size()), bits.data()), emf.size());
  EXPECT_EQ(bits, emf);
  EXPECT_TRUE(DeleteEnhMetaFile(h));
  EXPECT_FALSE(DeleteEnhMetaFile(h));
  ENHMETAHEADER header{};
  EXPECT_EQ(GetEnhMetaFileHeader(h, sizeof header, &header), 0u);
  EXPECT_EQ(GetObjectType(h), 0u);
}

TEST(Metafile, PlaceableFileKeepsItsHeaderOutOfTheBits) {
  const auto wmf = makeWmf(40, 30, kOne);
  HMETAFILE h = quendel::gdi::createMetafileFromFile(wmf.data(), wmf.size());
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(GetObjectType(h), OBJ_METAFILE);
  std::vector<BYTE> bits(GetMetaFileBitsEx(h, 0, nullptr));
  ASSERT_EQ(bits.size(), wmf.size() - quendel::testpics::kWmfPlaceableBytes);
  ASSERT_EQ(GetMetaFileBitsEx(h, static_cast<UINT>(bits.size()), bits.data()), bits.size());
  EXPECT_TRUE(std::equal(bits.begin(), bits.end(), wmf.begin() + quendel::testpics::kWmfPlaceableBytes));
  EXPECT_EQ(*quendel::gdi::metafileFileBytes(h), wmf) << "drawing sees the whole file";
  // The plain bits make a metafile of their own.
  HMETAFILE plain = SetMetaFileBitsEx(static_cast<UINT>(bits.size()), bits.data());
  ASSERT_NE(plain, nullptr);
  EXPECT_EQ(GetMetaFileBitsEx(plain, 0, nullptr), bits.size());
  EXPECT_TRUE(DeleteMetaFile(plain));
  EXPECT_FALSE(DeleteEnhMetaFile(reinterpret_cast<HENHMETAFILE>(h))) << "a metafile is not an enhanced one";
  EXPECT_TRUE(DeleteMetaFile(h));
  EXPECT_EQ(quendel::gdi::metafileFileBytes(h), nullptr);
}

TEST(Metafile, HeadersThatAreNotMetafilesMakeNoObject) {
  auto emf = makeEmf(4, 4, kOne);
  auto wrongSignature = emf;
  wrongSignature[40] = 'X';
  auto headerPastData = emf;
  headerPastData[5] = 0x10;  // header size 0x1000 + ...
  auto wmf = makeWmf(4, 4, kOne, false);
  auto wrongVersion = wmf;
  wrongVersion[4] = 0x07;
  struct Case {
    const char* name;
    std::vector<std::uint8_t> bytes;
  };
  const Case cases[] = {{"emf signature", wrongSignature},
                        {"emf header past the data", headerPastData},
                        {"emf cut to 87 bytes", std::vector<std::uint8_t>(emf.begin(), emf.begin() + 87)},
                        {"wmf version", wrongVersion},
                        {"wmf cut to 17 bytes", std::vector<std::uint8_t>(wmf.begin(), wmf.begin() + 17)},
                        {"empty", {}}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(SetEnhMetaFileBits(static_cast<UINT>(c.bytes.size()), c.bytes.data()), nullptr);
    EXPECT_EQ(SetMetaFileBitsEx(static_cast<UINT>(c.bytes.size()), c.bytes.data()), nullptr);
    EXPECT_EQ(quendel::gdi::createMetafileFromFile(c.bytes.data(), c.bytes.size()), nullptr);
  }
  EXPECT_EQ(SetEnhMetaFileBits(100, nullptr), nullptr);
}

}  // namespace
