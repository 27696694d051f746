#include "platform/base/handles.h"

#include <gtest/gtest.h>

#include "support/quendelsupport.h"

namespace {

TEST(CloseHandle, ClosesEveryKindOnceAndRefusesOthers) {
  HANDLE snapshot = asCreateToolhelp32Snapshot(TH32CS_SNAPMODULE, 0);
  ASSERT_NE(snapshot, INVALID_HANDLE_VALUE);
  EXPECT_TRUE(CloseHandle(snapshot));
  SetLastError(0);
  EXPECT_FALSE(CloseHandle(snapshot));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  for (HANDLE bad : {HANDLE{nullptr}, INVALID_HANDLE_VALUE, reinterpret_cast<HANDLE>(0x7)}) {
    SetLastError(0);
    EXPECT_FALSE(CloseHandle(bad));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  }
}

}  // namespace
