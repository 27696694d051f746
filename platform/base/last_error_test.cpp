// The last-error value: per thread, starting at ERROR_SUCCESS.
#include "platform/base/last_error.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

TEST(LastError, KeepsTheLastValueSet) {
  SetLastError(ERROR_ACCESS_DENIED);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_ACCESS_DENIED));
  SetLastError(0xFFFFFFFFu);
  EXPECT_EQ(GetLastError(), 0xFFFFFFFFu);
  SetLastError(ERROR_SUCCESS);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_SUCCESS));
}

TEST(LastError, EachThreadHasItsOwn) {
  SetLastError(ERROR_INVALID_HANDLE);
  DWORD seenAtStart = 1, seenAfterSet = 0;
  std::thread other([&] {
    seenAtStart = GetLastError();
    SetLastError(ERROR_ALREADY_EXISTS);
    seenAfterSet = GetLastError();
  });
  other.join();
  EXPECT_EQ(seenAtStart, DWORD(ERROR_SUCCESS));
  EXPECT_EQ(seenAfterSet, DWORD(ERROR_ALREADY_EXISTS));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_HANDLE));  // the other thread's value stayed there
}

}  // namespace
