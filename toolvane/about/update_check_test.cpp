#include "toolvane/about/update_check.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

#include "platform/net/download_options.h"
#include "platform/net/test_http_server.h"
#include "support/codepage.h"
#include "support/quendelsupport.h"

namespace fs = std::filesystem;
namespace tv = quendel::toolvane;
namespace texts = quendel::toolvane::update_texts;
using quendel::automation::String;
using quendel::testing::TestHttpServer;

namespace {

constexpr char16_t kDesignedInfo[] = u"Нажмите кнопку для проверки версии программы на сайте.";
const std::string kVersionPath = "/programs/win32/versions/Version.Dummy.DAT";

// The environment of one test: its own cache folder, the maker's host moved to a local
// server (or to hostOverride), no proxy.
class UpdateCheckTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char tmpl[] = "/tmp/quendel-update-XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    root_ = tmpl;
    setenv("XDG_CACHE_HOME", root_.c_str(), 1);
    setenv(tv::kUpdateHostVariable, server_.host().c_str(), 1);
    for (const char* v : {"http_proxy", "HTTP_PROXY", "all_proxy", "ALL_PROXY"}) unsetenv(v);
  }
  void TearDown() override {
    unsetenv(tv::kUpdateHostVariable);
    unsetenv("XDG_CACHE_HOME");
    fs::remove_all(root_);
  }
  // A prepared page of the program "Dummy" running as 1.9.5.
  static tv::UpdateCheck page(tv::UpdateDownload download = tv::standardUpdateDownload()) {
    tv::UpdateCheck p(std::move(download));
    p.SetAppVersion(1, 9, 5);
    EXPECT_TRUE(p.Prepare(u"Dummy"));
    return p;
  }
  static String failure(const char16_t* lead, HRESULT hr, const char16_t* description) {
    return String(lead) + asGetErrorNumber(hr) + u": " + description;
  }
  static void expectFirstState(const tv::UpdateCheck& p) {
    EXPECT_TRUE(p.state().checkButtonVisible);
    EXPECT_TRUE(p.state().infoVisible);
    EXPECT_FALSE(p.state().resultVisible);
    EXPECT_FALSE(p.state().siteURLIsLink);
  }

  TestHttpServer server_;
  std::string root_;
};

TEST_F(UpdateCheckTest, Preparation) {
  tv::UpdateCheck dropped;
  EXPECT_FALSE(dropped.Prepare(u""));
  EXPECT_FALSE(dropped.state().pageKept);
  EXPECT_EQ(dropped.state().infoText, kDesignedInfo);

  tv::UpdateCheck p = page();
  String url = quendel::cp::fromUtf8(server_.url(kVersionPath));
  EXPECT_TRUE(p.state().pageKept);
  EXPECT_EQ(p.state().infoText, String(kDesignedInfo) + u"\r\n\r\nРесурс: Version.Dummy.DAT");
  EXPECT_EQ(p.UpdateURL(), url);
  EXPECT_EQ(p.state().checkButtonToolTip, url);
  EXPECT_EQ(p.state().checkButtonText, u"Проверить обновление");
  EXPECT_EQ(p.state().siteURL, quendel::cp::fromUtf8("https://" + server_.host() + "/"));
  EXPECT_EQ(p.state().resultText, u"...");
  EXPECT_EQ(p.state().versionTexts[0], u"Локальная версия:");
  EXPECT_EQ(p.state().versionTexts[1], u"Версия на сайте:");
  EXPECT_EQ(p.state().versionTexts[3], u"0.00.0000");
  expectFirstState(p);
}

TEST_F(UpdateCheckTest, TheHostAndTheNameCannotBendTheAddress) {
  struct Row {
    std::optional<std::string> variable;
    String name;
    String url;
  } rows[] = {
      {std::nullopt, u"Pixgrow", u"http://www.kestrane.org/programs/win32/versions/Version.Pixgrow.DAT"},
      {"", u"A", u"http://www.kestrane.org/programs/win32/versions/Version.A.DAT"},
      {"127.0.0.1:8080", u"A", u"http://127.0.0.1:8080/programs/win32/versions/Version.A.DAT"},
      {"[::1]:81", u"A", u"http://[::1]:81/programs/win32/versions/Version.A.DAT"},
      {"evil.example/x?", u"A", u"http://www.kestrane.org/programs/win32/versions/Version.A.DAT"},
      {"user@evil.example", u"A", u"http://www.kestrane.org/programs/win32/versions/Version.A.DAT"},
      {"h", u"../../x y?q#f", u"http://h/programs/win32/versions/Version...%2F..%2Fx%20y%3Fq%23f.DAT"},
      {"h", u"Тул", u"http://h/programs/win32/versions/Version.%D0%A2%D1%83%D0%BB.DAT"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.variable.value_or("(unset)"));
    if (row.variable)
      setenv(tv::kUpdateHostVariable, row.variable->c_str(), 1);
    else
      unsetenv(tv::kUpdateHostVariable);
    EXPECT_EQ(tv::versionFileURL(row.name), row.url);
  }
}

TEST_F(UpdateCheckTest, VerdictsAgainstTheRunningVersion) {
  struct Row {
    std::string file;
    const char16_t* verdict;
    const char16_t* siteVersion;
  } rows[] = {
      {"1.9.5", texts::kUpToDate, u"1.09.0005"},
      {"1.10.0", texts::kNewerOnSite, u"1.10.0000"},  // numbers, not text, compare
      {"1.9.4", texts::kOlderOnSite, u"1.09.0004"},
      {"0.99.999", texts::kOlderOnSite, u"0.99.0999"},
      {"2.0.0", texts::kNewerOnSite, u"2.00.0000"},
      {"1.9.5\r\n", texts::kUpToDate, u"1.09.0005"},  // a line break after the revision
      {" 1 .\t9. 6 ", texts::kNewerOnSite, u"1.09.0006"},
      {"-1.0.0", texts::kOlderOnSite, nullptr},
      {"2147483647.0.0", texts::kNewerOnSite, nullptr},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.file);
    server_.on(kVersionPath, TestHttpServer::text(row.file));
    tv::UpdateCheck p = page();
    int pumped = 0;
    p.Check([&] { return ++pumped > 0; });
    const auto& s = p.state();
    EXPECT_EQ(s.resultText, row.verdict);
    EXPECT_FALSE(s.checkButtonVisible);
    EXPECT_FALSE(s.infoVisible);
    EXPECT_TRUE(s.resultVisible);
    EXPECT_TRUE(s.siteURLIsLink);
    EXPECT_EQ(s.versionTexts[2], u"1.09.0005");
    if (row.siteVersion) {
      EXPECT_EQ(s.versionTexts[3], row.siteVersion);
    }
  }
}

TEST_F(UpdateCheckTest, MalformedFilesKeepTheButton) {
  struct Row {
    std::string file;
    const char16_t* text;
  } rows[] = {
      {"1.2", texts::kMalformed},
      {"1.2.3.4", texts::kMalformed},
      {"", texts::kMalformed},
      {"123", texts::kMalformed},
      {"3..1", texts::kBadNumbers},
      {"1.a.3", texts::kBadNumbers},
      {"1.2.4294967296", texts::kBadNumbers},  // beyond 32 bits
      {"2147483648.0.0", texts::kBadNumbers},  // one beyond the largest Long
      {"1.2.3x", texts::kBadNumbers},
      {"1.2.+", texts::kBadNumbers},
      {"1.2.0x10", texts::kBadNumbers},
      {"1.2.&H10", texts::kBadNumbers},
      {"1.2.1e3", texts::kBadNumbers},
      {"1.2. 3 4", texts::kBadNumbers},
      {std::string(100 * 1024, ' ') + "1.2.3", texts::kMalformed},  // beyond the 64 KB bound
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.file.substr(0, 40));
    server_.on(kVersionPath, TestHttpServer::text(row.file));
    tv::UpdateCheck p = page();
    p.Check({});
    EXPECT_EQ(p.state().infoText, row.text);
    expectFirstState(p);
  }
}

TEST_F(UpdateCheckTest, ServerFailuresShowTheErrorAndAllowAnotherTry) {
  server_.on("/programs/win32/versions/Version.Loop.DAT",
             TestHttpServer::redirect(302, "/programs/win32/versions/Version.Loop.DAT"));
  server_.on("/programs/win32/versions/Version.Huge.DAT", TestHttpServer::endless(100LL << 20, false));
  server_.on("/programs/win32/versions/Version.Broken.DAT", TestHttpServer::status(500));
  struct Row {
    String name;
    HRESULT hr;
    const char16_t* description;
  } rows[] = {
      {u"Dummy", static_cast<HRESULT>(0x800C0006u), u"The object was not found."},  // 404
      {u"Loop", static_cast<HRESULT>(0x800C0014u), u"The redirection failed."},
      {u"Huge", static_cast<HRESULT>(0x800C0008u), u"The download has failed (the connection was interrupted)."},
      {u"Broken", static_cast<HRESULT>(0x800C0008u), u"The download has failed (the connection was interrupted)."},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(quendel::cp::toUtf8(row.name));
    tv::UpdateCheck p;
    p.SetAppVersion(1, 0, 0);
    ASSERT_TRUE(p.Prepare(row.name));
    p.Check({});
    EXPECT_EQ(p.state().infoText, failure(texts::kDownloadFailed, row.hr, row.description));
    expectFirstState(p);
  }
  // The 404 page again, now with a file: the button works a second time.
  tv::UpdateCheck p = page();
  p.Check({});
  EXPECT_EQ(p.state().infoText,
            failure(texts::kDownloadFailed, static_cast<HRESULT>(0x800C0006u), u"The object was not found."));
  server_.on(kVersionPath, TestHttpServer::text("1.9.5"));
  p.Check({});
  EXPECT_EQ(p.state().resultText, texts::kUpToDate);
  // After a successful check the button is gone and a further click does nothing.
  int before = server_.requests(kVersionPath);
  p.Check({});
  EXPECT_EQ(server_.requests(kVersionPath), before);
}

TEST_F(UpdateCheckTest, ConnectionRefused) {
  setenv(tv::kUpdateHostVariable, ("127.0.0.1:" + std::to_string(TestHttpServer::refusedPort())).c_str(), 1);
  tv::UpdateCheck p = page();
  p.Check({});
  EXPECT_EQ(p.state().infoText, failure(texts::kDownloadFailed, static_cast<HRESULT>(0x800C0004u),
                                        u"The attempt to connect to the Internet has failed."));
  EXPECT_EQ(p.state().infoText,
            u"Не удалось получить сведения о версии программы на сайте. Ошибка -2146697212 (0x800C0004): "
            u"The attempt to connect to the Internet has failed.");
}

TEST_F(UpdateCheckTest, ASilentServerIsBoundedAndTheWindowKeepsBeingPumped) {
  server_.on(kVersionPath, TestHttpServer::silent());
  quendel::platform::DownloadOptions o;
  o.totalTimeoutMs = 800;
  tv::UpdateCheck p = page(tv::updateDownloadWith(o));
  int pumped = 0;
  auto start = std::chrono::steady_clock::now();
  p.Check([&] {
    ++pumped;
    return true;
  });
  auto took = std::chrono::steady_clock::now() - start;
  EXPECT_LT(took, std::chrono::seconds(5));
  EXPECT_GE(pumped, 8);  // about every 50 ms for 0.8 s
  EXPECT_EQ(p.state().infoText, failure(texts::kDownloadFailed, static_cast<HRESULT>(0x800C000Bu),
                                        u"The Internet connection has timed out."));
}

TEST_F(UpdateCheckTest, ClosingTheWindowCancelsTheDownload) {
  server_.on(kVersionPath, TestHttpServer::silent());
  int pumped = 0;
  auto start = std::chrono::steady_clock::now();
  tv::UpdateCheck p = page();  // the standard 30 s bound
  p.Check([&] { return ++pumped < 3; });
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3));
  EXPECT_EQ(pumped, 3);  // not asked again once it said stop
  EXPECT_EQ(p.state().infoText,
            failure(texts::kDownloadFailed, static_cast<HRESULT>(0x80004004u), u"Operation aborted"));
}

TEST_F(UpdateCheckTest, ACacheFileThatCannotBeReadShowsTheReadError) {
  fs::create_directories(root_ + "/folder");
  struct Row {
    std::string name;
    LONG error;
    const char16_t* description;
  } rows[] = {
      {root_ + "/missing", 53, u"File not found"},
      {root_ + "/folder", 75, u"Path/File access error"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    // The download succeeds but hands back a name that cannot be read.
    tv::UpdateCheck p = page([&](const std::string&, char* fileName, DWORD size, const std::atomic<bool>&) {
      EXPECT_EQ(size, 1024u);
      std::snprintf(fileName, size, "%s", row.name.c_str());
      return S_OK;
    });
    p.Check({});
    EXPECT_EQ(p.state().infoText, failure(texts::kReadFailed, row.error, row.description));
    expectFirstState(p);
  }
}

TEST_F(UpdateCheckTest, ShowUpdateResultCanBeCalledWithAText) {
  tv::UpdateCheck p = page();
  p.ShowUpdateResult(u"1.9.5");
  EXPECT_EQ(p.state().resultText, texts::kUpToDate);
  tv::UpdateCheck q = page();
  q.ShowUpdateResult(u"1.9");
  EXPECT_EQ(q.state().infoText, texts::kMalformed);
  EXPECT_EQ(q.state().resultText, u"...");
}

}  // namespace
