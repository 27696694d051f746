// The clipboard calls over the session store: the platform's rules, several processes,
// killed writers, damaged files and large blocks.
#include "platform/clipboard/clipboard.h"

#include <fcntl.h>
#include <signal.h>

#include <fstream>
#include <thread>

#include "platform/clipboard/clipboard_store.h"
#include "platform/clipboard/clipboard_test_support.h"

namespace quendel::clipboard {
namespace {

using Clipboard = testing::PrivateSession;

std::vector<UINT> formatsInOrder() {
  std::vector<UINT> list;
  for (UINT f = EnumClipboardFormats(0); f; f = EnumClipboardFormats(f)) list.push_back(f);
  return list;
}

TEST_F(Clipboard, DataStaysAfterCloseInPutOrderAndReplacesInPlace) {
  ASSERT_TRUE(OpenClipboard(nullptr));
  EXPECT_TRUE(EmptyClipboard());
  EXPECT_TRUE(put(CF_DIB, "dib"));
  EXPECT_TRUE(put(0xC123, "raw"));
  EXPECT_TRUE(put(CF_DIB, "dib2"));
  EXPECT_TRUE(CloseClipboard());

  EXPECT_TRUE(IsClipboardFormatAvailable(CF_DIB));
  EXPECT_FALSE(IsClipboardFormatAvailable(CF_TEXT));
  EXPECT_EQ(CountClipboardFormats(), 2);
  ASSERT_TRUE(OpenClipboard(nullptr));
  EXPECT_EQ(formatsInOrder(), (std::vector<UINT>{CF_DIB, 0xC123}));
  EXPECT_EQ(get(CF_DIB), "dib2");
  EXPECT_EQ(get(0xC123), "raw");
  EXPECT_EQ(get(CF_BITMAP), std::nullopt);
  EXPECT_TRUE(CloseClipboard());
  EXPECT_FALSE(CloseClipboard());
  EXPECT_EQ(clipboardLastError(), ERROR_CLIPBOARD_NOT_OPEN);
}

TEST_F(Clipboard, CallsThatNeedTheClipboardOpenRefuseWithoutIt) {
  HGLOBAL h = block("x");
  EXPECT_EQ(SetClipboardData(CF_TEXT, h), nullptr);
  EXPECT_EQ(clipboardLastError(), ERROR_CLIPBOARD_NOT_OPEN);
  EXPECT_EQ(GlobalFree(h), nullptr);  // still the caller's
  EXPECT_FALSE(EmptyClipboard());
  EXPECT_EQ(GetClipboardData(CF_TEXT), nullptr);
  EXPECT_EQ(EnumClipboardFormats(0), 0u);
}

TEST_F(Clipboard, SetClipboardDataRefusesNullAndUnknownHandles) {
  ASSERT_TRUE(OpenClipboard(nullptr));
  EXPECT_EQ(SetClipboardData(CF_TEXT, nullptr), nullptr);
  int local = 0;
  EXPECT_EQ(SetClipboardData(CF_TEXT, &local), nullptr);
  EXPECT_EQ(clipboardLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  HGLOBAL h = block("abc");
  EXPECT_EQ(SetClipboardData(CF_TEXT, h), h);
  EXPECT_EQ(GlobalFree(h), h) << "the block belongs to the clipboard now";
}

TEST_F(Clipboard, TextFormatsAreSynthesizedFromEachOther) {
  ASSERT_TRUE(OpenClipboard(nullptr));
  EXPECT_TRUE(EmptyClipboard());
  std::string wide("\x1f\x04\x40\x04!\0\0\0", 8);  // "Пр!" and a NUL, then garbage after the NUL
  wide += std::string("z\0", 2);
  ASSERT_TRUE(put(CF_UNICODETEXT, wide));
  ASSERT_TRUE(put(CF_LOCALE, std::string("\x19\x04\0\0", 4)));
  EXPECT_EQ(formatsInOrder(), (std::vector<UINT>{CF_UNICODETEXT, CF_LOCALE, CF_TEXT, CF_OEMTEXT}));
  EXPECT_EQ(get(CF_TEXT), std::string("\xD0\x9F\xD1\x80!\0", 6));  // the UTF-8 code page
  EXPECT_TRUE(CloseClipboard());
  EXPECT_TRUE(IsClipboardFormatAvailable(CF_TEXT));
  EXPECT_EQ(CountClipboardFormats(), 4);
}

TEST_F(Clipboard, ASecondOpenerIsRefusedUntilTheFirstCloses) {
  ASSERT_TRUE(OpenClipboard(nullptr));
  EXPECT_TRUE(OpenClipboard(nullptr)) << "the holder may open again";
  bool otherThread = true;
  std::thread([&] { otherThread = OpenClipboard(nullptr) != 0; }).join();
  EXPECT_FALSE(otherThread);
  EXPECT_TRUE(CloseClipboard());
  std::thread([&] {
    otherThread = OpenClipboard(nullptr) != 0;
    if (otherThread) {
      EXPECT_TRUE(CloseClipboard());
    }
  }).join();
  EXPECT_TRUE(otherThread);
}

TEST_F(Clipboard, AnotherProcessCannotOpenWhileItIsHeld) {
  int go[2], done[2];
  ASSERT_EQ(::pipe(go), 0);
  ASSERT_EQ(::pipe(done), 0);
  pid_t pid = ::fork();
  if (pid == 0) {
    char c;
    if (::read(go[0], &c, 1) != 1) ::_exit(3);
    int held = OpenClipboard(nullptr) ? 1 : 0;
    if (held && !CloseClipboard()) ::_exit(4);
    if (::write(done[1], "x", 1) != 1) ::_exit(3);
    if (::read(go[0], &c, 1) != 1) ::_exit(3);
    int later = OpenClipboard(nullptr) ? 1 : 0;
    if (later && !CloseClipboard()) ::_exit(4);
    ::_exit(held * 10 + later);
  }
  ASSERT_TRUE(OpenClipboard(nullptr));
  char c;
  ASSERT_EQ(::write(go[1], "g", 1), 1);
  ASSERT_EQ(::read(done[0], &c, 1), 1);
  EXPECT_TRUE(CloseClipboard());
  ASSERT_EQ(::write(go[1], "g", 1), 1);
  int status = 0;
  ::waitpid(pid, &status, 0);
  for (int fd : {go[0], go[1], done[0], done[1]}) ::close(fd);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 1) << "refused while held, granted after";
}

TEST_F(Clipboard, AWriterThatExitedLeavesItsDataForOthers) {
  int r = inChild([] {
    if (!OpenClipboard(nullptr)) return 1;
    EXPECT_TRUE(EmptyClipboard());
    UINT html = RegisterClipboardFormatA("HTML Format");
    bool ok = put(CF_UNICODETEXT, std::string("h\0i\0\0\0", 6)) && put(html, "<b>x</b>");
    return CloseClipboard() && ok ? 0 : 2;
  });
  ASSERT_EQ(r, 0);
  UINT html = RegisterClipboardFormatA("html format");
  ASSERT_TRUE(OpenClipboard(nullptr));
  EXPECT_EQ(get(CF_UNICODETEXT), std::string("h\0i\0\0\0", 6));
  EXPECT_EQ(get(html), "<b>x</b>");
}

TEST_F(Clipboard, AKilledHolderLeavesNeitherALockNorHalfItsChanges) {
  ASSERT_TRUE(OpenClipboard(nullptr));
  EXPECT_TRUE(EmptyClipboard());
  put(CF_DIB, "before");
  EXPECT_TRUE(CloseClipboard());
  int ready[2];
  ASSERT_EQ(::pipe(ready), 0);
  pid_t pid = ::fork();
  if (pid == 0) {
    if (!OpenClipboard(nullptr)) ::_exit(1);
    EXPECT_TRUE(EmptyClipboard());
    put(CF_DIB, "after");
    put(CF_TEXT, std::string(1 << 20, 'k'));
    if (::write(ready[1], "r", 1) != 1) ::_exit(1);
    ::pause();
    ::_exit(0);
  }
  char c;
  ASSERT_EQ(::read(ready[0], &c, 1), 1);
  EXPECT_FALSE(OpenClipboard(nullptr));
  ::kill(pid, SIGKILL);
  ::waitpid(pid, nullptr, 0);
  ::close(ready[0]);
  ::close(ready[1]);
  ASSERT_TRUE(OpenClipboard(nullptr));
  EXPECT_EQ(formatsInOrder(), std::vector<UINT>{CF_DIB});
  EXPECT_EQ(get(CF_DIB), "before");
}

TEST_F(Clipboard, TwoProcessesHammeringReadOnlyWholeValues) {
  // Each value is self-describing: a letter repeated as often as its length says.
  auto value = [](int i) {
    char letter = static_cast<char>('a' + i % 26);
    std::string s = std::to_string(1000 + i * 37 % 4000) + ":";
    return s + std::string(static_cast<std::size_t>(1000 + i * 37 % 4000), letter);
  };
  auto whole = [](const std::string& s) {
    auto colon = s.find(':');
    if (colon == std::string::npos) return false;
    std::size_t n = std::stoul(s.substr(0, colon));
    std::string body = s.substr(colon + 1);
    return body.size() == n && body.find_first_not_of(body[0]) == std::string::npos;
  };
  auto worker = [&](int seed) {
    int reads = 0;
    // 400 rounds at least; more while this side has read nothing yet, since under load
    // the other side may hold the clipboard at every attempt for a while.
    for (int i = 0; i < 400 || (reads == 0 && i < 100000); ++i) {
      if (OpenClipboard(nullptr)) {
        if ((i + seed) % 2) {
          if (!EmptyClipboard()) return 2;
          std::string v = value(i * 2 + seed);
          put(CF_TEXT, v + '\0');
          put(CF_DIB, v);
        } else if (auto t = get(CF_TEXT)) {
          auto d = get(CF_DIB);
          std::string text = t->substr(0, t->find('\0'));
          if (!whole(text) || !d || *d != text) return 1;  // a mix of two writes
          ++reads;
        }
        if (!CloseClipboard()) return 2;
      }
    }
    return reads > 0 ? 0 : 2;
  };
  pid_t a = ::fork();
  if (a == 0) ::_exit(worker(0));
  int own = worker(1);
  int status = 0;
  ::waitpid(a, &status, 0);
  EXPECT_EQ(own, 0);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
}

TEST_F(Clipboard, RegisteredFormatsAreSharedAndIgnoreLetterCase) {
  UINT id = RegisterClipboardFormatA("Quendel Sample");
  EXPECT_GE(id, 0xC000u);
  EXPECT_EQ(RegisterClipboardFormatA("QUENDEL SAMPLE"), id);
  int fromChild = inChild([] { return static_cast<int>(RegisterClipboardFormatA("quendel sample") - 0xC000); });
  EXPECT_EQ(static_cast<UINT>(fromChild) + 0xC000, id);
  UINT other = RegisterClipboardFormatA("Another");
  EXPECT_NE(other, id);
  char name[64];
  EXPECT_EQ(GetClipboardFormatNameA(id, name, sizeof name), 14);
  EXPECT_STREQ(name, "Quendel Sample");
  EXPECT_EQ(GetClipboardFormatNameA(id, name, 5), 4);
  EXPECT_STREQ(name, "Quen");
  EXPECT_EQ(GetClipboardFormatNameA(CF_TEXT, name, sizeof name), 0);
  EXPECT_EQ(GetClipboardFormatNameA(0xFFFF, name, sizeof name), 0);
  EXPECT_EQ(GetClipboardFormatNameA(id, nullptr, 10), 0);
  EXPECT_EQ(RegisterClipboardFormatA(""), 0u);
  EXPECT_EQ(RegisterClipboardFormatA(nullptr), 0u);
  EXPECT_EQ(RegisterClipboardFormatA(std::string(300, 'n').c_str()), 0u);
}

TEST_F(Clipboard, TheStoreFolderIsPrivate) {
  ASSERT_TRUE(OpenClipboard(nullptr));
  EXPECT_TRUE(CloseClipboard());
  struct stat st {};
  ASSERT_EQ(::stat(storeFolder().c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u);
  ::chmod(storeFolder().c_str(), 0755);
  ASSERT_TRUE(OpenClipboard(nullptr));
  EXPECT_TRUE(CloseClipboard());
  ::stat(storeFolder().c_str(), &st);
  EXPECT_EQ(st.st_mode & 0777, 0700u);
  // A link planted in the folder's place is refused, not followed.
  std::filesystem::remove_all(storeFolder());
  ::symlink("/tmp", storeFolder().c_str());
  EXPECT_FALSE(OpenClipboard(nullptr));
  EXPECT_EQ(clipboardLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
}

TEST_F(Clipboard, DamagedDataReadsAsAnEmptyClipboard) {
  ASSERT_TRUE(OpenClipboard(nullptr));
  put(CF_DIB, std::string(1000, 'd'));
  EXPECT_TRUE(CloseClipboard());
  const std::string data = storeFolder() + "/data";
  auto image = [&] {
    std::ifstream in(data, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }();
  auto write = [&](const std::string& s) { std::ofstream(data, std::ios::binary | std::ios::trunc) << s; };
  std::string entryBeyond = image;
  entryBeyond[47] = '\x7F';  // the entry's offset, far beyond the file
  for (const std::string& bad :
       {image.substr(0, 20), image.substr(0, 60), std::string("junk"), entryBeyond, std::string(4096, '\xFF')}) {
    write(bad);
    EXPECT_EQ(CountClipboardFormats(), 0);
    ASSERT_TRUE(OpenClipboard(nullptr));
    EXPECT_EQ(EnumClipboardFormats(0), 0u);
    EXPECT_TRUE(CloseClipboard());
  }
  ASSERT_TRUE(OpenClipboard(nullptr));
  EXPECT_TRUE(put(CF_DIB, "fresh"));
  EXPECT_TRUE(CloseClipboard());
  ASSERT_TRUE(OpenClipboard(nullptr));
  EXPECT_EQ(get(CF_DIB), "fresh");
}

TEST_F(Clipboard, EmptyAndLargeBlocksRoundTrip) {
  std::string large(64u << 20, '\0');
  for (std::size_t i = 0; i < large.size(); i += 4096) large[i] = static_cast<char>(i / 4096);
  ASSERT_TRUE(OpenClipboard(nullptr));
  EXPECT_TRUE(put(0xC001, ""));
  EXPECT_TRUE(put(0xC002, large));
  EXPECT_TRUE(CloseClipboard());
  int r = inChild([&] {
    if (!OpenClipboard(nullptr)) return 1;
    HANDLE h = GetClipboardData(0xC001);
    if (!h || GlobalSize(static_cast<HGLOBAL>(h)) != 0) return 2;
    return get(0xC002) == large ? 0 : 3;
  });
  EXPECT_EQ(r, 0);
}

TEST(GlobalMemory, HandlesAreCheckedNeverTrusted) {
  HGLOBAL m = GlobalAlloc(GHND, 10);
  ASSERT_NE(m, nullptr);
  EXPECT_EQ(GlobalSize(m), 10u);
  auto* p = static_cast<BYTE*>(GlobalLock(m));
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(p[9], 0) << "zero-filled";
  EXPECT_EQ(GlobalLock(m), p);
  EXPECT_TRUE(GlobalUnlock(m)) << "still locked once";
  EXPECT_FALSE(GlobalUnlock(m));
  EXPECT_FALSE(GlobalUnlock(m));
  EXPECT_EQ(GlobalFree(m), nullptr);
  EXPECT_EQ(GlobalFree(m), m) << "freed twice";
  EXPECT_EQ(GlobalLock(m), nullptr);
  EXPECT_EQ(GlobalSize(m), 0u);

  HGLOBAL f = GlobalAlloc(GPTR, 3);
  EXPECT_EQ(GlobalLock(f), static_cast<void*>(f)) << "a fixed block is its own address";
  EXPECT_EQ(GlobalFree(f), nullptr);

  HGLOBAL empty = GlobalAlloc(GMEM_MOVEABLE, 0);
  ASSERT_NE(empty, nullptr);
  EXPECT_EQ(GlobalSize(empty), 0u);
  EXPECT_NE(GlobalLock(empty), nullptr);
  GlobalFree(empty);

  EXPECT_EQ(GlobalAlloc(GMEM_MOVEABLE, SIZE_T{1} << 40), nullptr);
  int local = 0;
  EXPECT_EQ(GlobalSize(reinterpret_cast<HGLOBAL>(&local)), 0u);
  EXPECT_EQ(GlobalLock(nullptr), nullptr);
}

TEST(ThreadLocale, FollowsTheUsersLocale) {
  testing::SavedEnv all("LC_ALL");
  ::setenv("LC_ALL", "ru_RU.UTF-8", 1);
  EXPECT_EQ(GetThreadLocale(), 0x0419u);
  ::setenv("LC_ALL", "C", 1);
  EXPECT_EQ(GetThreadLocale(), 0x0409u);
}

}  // namespace
}  // namespace quendel::clipboard
