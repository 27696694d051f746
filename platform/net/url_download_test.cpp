#include "platform/net/url_download.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "platform/net/download_options.h"
#include "platform/net/test_http_server.h"

namespace fs = std::filesystem;
using quendel::platform::DownloadOptions;
using quendel::platform::downloadToCacheFile;
using quendel::testing::TestHttpServer;

namespace {

// A private cache folder for each test, no proxy in the way.
class UrlDownloadTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char tmpl[] = "/tmp/quendel-inetcache-XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    root_ = tmpl;
    setenv("XDG_CACHE_HOME", root_.c_str(), 1);
    for (const char* v : {"http_proxy", "HTTP_PROXY", "https_proxy", "HTTPS_PROXY", "all_proxy", "ALL_PROXY"})
      unsetenv(v);
  }
  void TearDown() override {
    fs::remove_all(root_);
    unsetenv("XDG_CACHE_HOME");
  }
  std::string cacheFolder() const { return root_ + "/quendel/inetcache"; }
  static std::string read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
  size_t cacheFiles() const {
    if (!fs::exists(cacheFolder())) return 0;
    return static_cast<size_t>(std::distance(fs::directory_iterator(cacheFolder()), fs::directory_iterator()));
  }

  std::string root_;
};

// Counts the progress calls and cancels after a number of them.
class CountingCallback : public IBindStatusCallback {
 public:
  explicit CountingCallback(int cancelAfter = -1) : cancelAfter_(cancelAfter) {}
  HRESULT OnProgress(ULONG, ULONG, ULONG, const char*) override {
    ++calls;
    return cancelAfter_ >= 0 && calls > cancelAfter_ ? E_ABORT : S_OK;
  }
  int calls = 0;

 private:
  int cancelAfter_;
};

TEST_F(UrlDownloadTest, DownloadsIntoOneCacheFilePerAddress) {
  TestHttpServer server;
  server.on("/programs/win32/versions/Version.Dummy.DAT", TestHttpServer::text("3.5.120"));
  server.on("/other", TestHttpServer::text("second"));
  char name[1025] = {};
  std::string url = server.url("/programs/win32/versions/Version.Dummy.DAT");
  ASSERT_EQ(URLDownloadToCacheFileA(nullptr, url.c_str(), name, 1024, 0, nullptr), S_OK);
  std::string path = name;
  EXPECT_EQ(fs::path(path).parent_path(), cacheFolder());
  EXPECT_NE(path.find("Version.Dummy.DAT"), std::string::npos);
  EXPECT_EQ(read(path), "3.5.120");
  struct stat st {};
  ASSERT_EQ(stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  ASSERT_EQ(stat(cacheFolder().c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u);

  // The same address again: downloaded afresh into the same file.
  server.on("/programs/win32/versions/Version.Dummy.DAT", TestHttpServer::text("3.6.0"));
  char again[1025] = {};
  ASSERT_EQ(URLDownloadToCacheFileA(nullptr, url.c_str(), again, 1024, 0, nullptr), S_OK);
  EXPECT_STREQ(again, name);
  EXPECT_EQ(read(path), "3.6.0");
  EXPECT_EQ(server.requests("/programs/win32/versions/Version.Dummy.DAT"), 2);

  char other[1025] = {};
  ASSERT_EQ(URLDownloadToCacheFileA(nullptr, server.url("/other").c_str(), other, 1024, 0, nullptr), S_OK);
  EXPECT_STRNE(other, name);
  EXPECT_EQ(cacheFiles(), 2u);  // no temporary file left behind
}

TEST_F(UrlDownloadTest, FailuresBecomeInternetStatuses) {
  TestHttpServer server;
  server.on("/gone", TestHttpServer::status(404));
  server.on("/broken", TestHttpServer::text("oops", 500));
  server.on("/auth", TestHttpServer::status(401));
  server.on("/loop", TestHttpServer::redirect(302, "/loop"));
  server.on("/to-ftp", TestHttpServer::redirect(302, "ftp://127.0.0.1/x"));
  server.on("/to-file", TestHttpServer::redirect(302, "file:///etc/passwd"));
  server.on("/hop", TestHttpServer::redirect(301, "/target"));
  server.on("/target", TestHttpServer::text("arrived"));
  server.on("/huge", TestHttpServer::endless(100LL << 20, false));
  server.on("/huge-chunked", TestHttpServer::endless(100LL << 20, true));
  std::string refused = "http://127.0.0.1:" + std::to_string(TestHttpServer::refusedPort()) + "/x";
  struct Row {
    std::string url;
    HRESULT expected;
  } rows[] = {
      {server.url("/gone"), INET_E_OBJECT_NOT_FOUND},
      {server.url("/broken"), INET_E_DOWNLOAD_FAILURE},
      {server.url("/auth"), INET_E_AUTHENTICATION_REQUIRED},
      {server.url("/loop"), INET_E_REDIRECT_FAILED},
      {server.url("/to-ftp"), INET_E_REDIRECT_FAILED},
      {server.url("/to-file"), INET_E_REDIRECT_FAILED},
      {server.url("/hop"), S_OK},
      {server.url("/huge"), INET_E_DOWNLOAD_FAILURE},
      {server.url("/huge-chunked"), INET_E_DOWNLOAD_FAILURE},
      {refused, INET_E_CANNOT_CONNECT},
      {"http://host.invalid/x", INET_E_RESOURCE_NOT_FOUND},
      {"ftp://127.0.0.1/x", INET_E_UNKNOWN_PROTOCOL},
      {"file:///etc/passwd", INET_E_UNKNOWN_PROTOCOL},
      {"no address at all", INET_E_INVALID_URL},
      {"http://[::1/x", INET_E_INVALID_URL},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.url);
    char name[1025] = "untouched";
    HRESULT hr = URLDownloadToCacheFileA(nullptr, row.url.c_str(), name, 1024, 0, nullptr);
    EXPECT_EQ(static_cast<unsigned>(hr), static_cast<unsigned>(row.expected));
    if (FAILED(row.expected)) {
      EXPECT_STREQ(name, "untouched");
    }
  }
  // Only the redirected download left a file; the 100 MB answers were cut at the bound.
  EXPECT_EQ(cacheFiles(), 1u);
  EXPECT_LT(server.bytesSent(), 2 * (quendel::platform::DownloadOptions{}.maxBytes + (4LL << 20)));
}

TEST_F(UrlDownloadTest, AFailedDownloadKeepsTheEarlierCopy) {
  TestHttpServer server;
  server.on("/v", TestHttpServer::text("1.2.3"));
  char name[1025] = {};
  ASSERT_EQ(URLDownloadToCacheFileA(nullptr, server.url("/v").c_str(), name, 1024, 0, nullptr), S_OK);
  server.on("/v", TestHttpServer::status(500));
  char again[1025] = {};
  EXPECT_EQ(URLDownloadToCacheFileA(nullptr, server.url("/v").c_str(), again, 1024, 0, nullptr),
            INET_E_DOWNLOAD_FAILURE);
  EXPECT_EQ(read(name), "1.2.3");
}

TEST_F(UrlDownloadTest, TheNameMustFitTheBuffer) {
  TestHttpServer server;
  server.on("/v", TestHttpServer::text("1"));
  std::string url = server.url("/v");
  std::string expected = cacheFolder() + "/" + quendel::platform::cacheFileNameFor(url);
  std::string buffer(expected.size() + 8, 'x');
  // One byte short of the name and its NUL: refused, nothing written, nothing asked.
  EXPECT_EQ(
      URLDownloadToCacheFileA(nullptr, url.c_str(), buffer.data(), static_cast<DWORD>(expected.size()), 0, nullptr),
      E_OUTOFMEMORY);
  EXPECT_EQ(buffer, std::string(expected.size() + 8, 'x'));
  EXPECT_EQ(server.requests("/v"), 0);
  ASSERT_EQ(
      URLDownloadToCacheFileA(nullptr, url.c_str(), buffer.data(), static_cast<DWORD>(expected.size() + 1), 0, nullptr),
      S_OK);
  EXPECT_STREQ(buffer.c_str(), expected.c_str());
  EXPECT_EQ(URLDownloadToCacheFileA(nullptr, nullptr, buffer.data(), 100, 0, nullptr), E_INVALIDARG);
  EXPECT_EQ(URLDownloadToCacheFileA(nullptr, url.c_str(), nullptr, 100, 0, nullptr), E_INVALIDARG);
  EXPECT_EQ(URLDownloadToCacheFileA(nullptr, url.c_str(), buffer.data(), 1024, 1, nullptr), E_INVALIDARG);
}

TEST_F(UrlDownloadTest, ASilentServerIsBoundedByTheTimeOutAndTheCallerKeepsControl) {
  TestHttpServer server;
  server.on("/hang", TestHttpServer::silent());
  DownloadOptions o;
  o.totalTimeoutMs = 600;
  CountingCallback cb;
  char name[1025] = {};
  auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(downloadToCacheFile(server.url("/hang").c_str(), name, 1024, &cb, o), INET_E_CONNECTION_TIMEOUT);
  auto took = std::chrono::steady_clock::now() - start;
  EXPECT_LT(took, std::chrono::seconds(5));
  EXPECT_GE(cb.calls, 5);  // about every 50 ms while nothing arrives

  // Cancelled by the callback long before the time-out.
  CountingCallback cancel(3);
  o.totalTimeoutMs = 20000;
  start = std::chrono::steady_clock::now();
  EXPECT_EQ(downloadToCacheFile(server.url("/hang").c_str(), name, 1024, &cancel, o), E_ABORT);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3));
}

TEST_F(UrlDownloadTest, ACacheFolderThatCannotBeMadeIsReported) {
  TestHttpServer server;
  server.on("/v", TestHttpServer::text("1"));
  std::ofstream(root_ + "/quendel") << "a file where the folder belongs";
  char name[1025] = "untouched";
  EXPECT_EQ(URLDownloadToCacheFileA(nullptr, server.url("/v").c_str(), name, 1024, 0, nullptr),
            HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND));
  EXPECT_STREQ(name, "untouched");
  EXPECT_EQ(server.requests("/v"), 0);
}

// In a fresh process (the module is loaded once per process) whose loader looks in an
// empty folder: the download fails as a failed transfer, writes no cache file and leaves
// the caller's buffer alone.
TEST_F(UrlDownloadTest, WithoutItsModuleADownloadFailsAndSaysWhy) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        char empty[] = "/tmp/quendel-no-modules-XXXXXX";
        if (!mkdtemp(empty)) std::exit(2);
        setenv("QUENDEL_MODULE_DIR", empty, 1);
        setenv("QUENDEL_DEBUG", "1", 1);
        TestHttpServer server;
        server.on("/v", TestHttpServer::text("1.2.3"));
        char name[1025] = "untouched";
        const HRESULT hr = URLDownloadToCacheFileA(nullptr, server.url("/v").c_str(), name, 1024, 0, nullptr);
        rmdir(empty);
        std::exit(hr == INET_E_DOWNLOAD_FAILURE && std::string(name) == "untouched" && cacheFiles() == 0 ? 0 : 1);
      },
      testing::ExitedWithCode(0), "module libquendeldownload.so: .*libquendeldownload.so");
}

TEST(UrlDownloadNames, CacheFileNames) {
  using quendel::platform::cacheFileNameFor;
  struct Row {
    std::string url, suffix;
  } rows[] = {
      {"http://h/programs/Version.A.DAT", "-Version.A.DAT"},
      {"http://h/a/b?x=1", "-b"},
      {"http://h/", ""},
      {"http://h", ""},
      {"http://h/..%2F..%2Fetc", "-.._2F.._2Fetc"},
      {"http://h/" + std::string(200, 'a'), "-" + std::string(80, 'a')},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.url);
    std::string name = cacheFileNameFor(row.url);
    EXPECT_EQ(name.substr(64), row.suffix);
    EXPECT_EQ(name.find('/'), std::string::npos);
  }
  EXPECT_NE(cacheFileNameFor("http://h/a"), cacheFileNameFor("http://h/A"));
}

}  // namespace
