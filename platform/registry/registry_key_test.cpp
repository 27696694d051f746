#include "platform/registry/registry_key.h"

#include <gtest/gtest.h>

#include <utility>

#include "platform/registry/registry_test_support.h"

namespace quendel::registry::testing {
namespace {

class RegKeyTest : public RegistryTest {};

TEST_F(RegKeyTest, CreatesWritesAndReadsStrings) {
  RegKey key;
  DWORD disposition = 0;
  ASSERT_STATUS(ERROR_SUCCESS, key.create(HKEY_CURRENT_USER, "Software\\Quendel\\Key", KEY_ALL_ACCESS, &disposition));
  EXPECT_EQ(static_cast<DWORD>(REG_CREATED_NEW_KEY), disposition);
  ASSERT_TRUE(key.valid());
  EXPECT_STATUS(ERROR_SUCCESS, key.writeString("Path", "/usr/lib/x.so"));
  EXPECT_STATUS(ERROR_SUCCESS, key.writeString(nullptr, ""));
  std::string text = "untouched";
  EXPECT_STATUS(ERROR_SUCCESS, key.readString("path", &text));
  EXPECT_EQ("/usr/lib/x.so", text);
  EXPECT_STATUS(ERROR_SUCCESS, key.readString("", &text));
  EXPECT_EQ("", text);
  // Failures leave the output alone.
  text = "untouched";
  EXPECT_STATUS(ERROR_FILE_NOT_FOUND, key.readString("Missing", &text));
  EXPECT_STATUS(ERROR_SUCCESS, setDword(key.handle(), "Number", 7));
  EXPECT_STATUS(ERROR_UNSUPPORTED_TYPE, key.readString("Number", &text));
  EXPECT_EQ("untouched", text);
}

TEST_F(RegKeyTest, ClosesOnceWhateverOwnsIt) {
  HKEY raw = nullptr;
  {
    RegKey key;
    ASSERT_STATUS(ERROR_SUCCESS, key.create(HKEY_CURRENT_USER, "Software\\A", KEY_ALL_ACCESS));
    raw = key.handle();
    RegKey moved(std::move(key));
    EXPECT_FALSE(key.valid());  // NOLINT(bugprone-use-after-move,clang-analyzer-cplusplus.Move): the moved-from state
                                // is what is tested
    EXPECT_EQ(raw, moved.handle());
    RegKey assigned;
    assigned = std::move(moved);
    EXPECT_EQ(raw, assigned.handle());
    EXPECT_STATUS(ERROR_SUCCESS, RegFlushKey(raw));  // still open
  }
  EXPECT_STATUS(ERROR_INVALID_HANDLE, RegCloseKey(raw));  // closed by the last owner

  RegKey key;
  ASSERT_STATUS(ERROR_SUCCESS, key.open(HKEY_CURRENT_USER, "Software\\A", KEY_READ));
  HKEY first = key.handle();
  // A failed open closes what the key held and leaves it empty.
  EXPECT_STATUS(ERROR_FILE_NOT_FOUND, key.open(HKEY_CURRENT_USER, "Software\\Missing", KEY_READ));
  EXPECT_FALSE(key.valid());
  EXPECT_STATUS(ERROR_INVALID_HANDLE, RegCloseKey(first));

  ASSERT_STATUS(ERROR_SUCCESS, key.open(HKEY_CURRENT_USER, "Software\\A", KEY_READ));
  HKEY released = key.release();
  EXPECT_FALSE(key.valid());
  EXPECT_STATUS(ERROR_SUCCESS, RegCloseKey(released));
}

}  // namespace
}  // namespace quendel::registry::testing
