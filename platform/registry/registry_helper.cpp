// A helper program for the tests of loading SQLite at first use: a process of its own, so
// that what it maps is only what the platform library loaded for it. Its standard error
// goes to standard output, so the tests read the debug lines too.
//
//   platform_registry_helper read    reads HKCU\Software\LoadingTest "Answer"
//   platform_registry_helper write   writes 42 there, then reads it back
//
// Each mode prints "result: CODE" (the first call's error code that is not
// ERROR_SUCCESS, else 0), "value: N", "sqlite mapped: yes|no" and "end".
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "platform/registry/registry.h"
#include "platform/registry/sqlite_library.h"

namespace {

constexpr const char* kKey = "Software\\LoadingTest";
constexpr const char* kValue = "Answer";
constexpr DWORD kAnswer = 42;

bool mapped(const std::string& fileName) {
  std::ifstream maps("/proc/self/maps");
  for (std::string line; std::getline(maps, line);)
    if (line.find("/" + fileName) != std::string::npos) return true;
  return false;
}

LONG write() {
  HKEY key = nullptr;
  LONG rc = RegCreateKeyExA(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
  if (rc != ERROR_SUCCESS) return rc;
  rc = RegSetValueExA(key, kValue, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&kAnswer), sizeof kAnswer);
  (void)RegCloseKey(key);
  return rc;
}

LONG read(DWORD* value) {
  HKEY key = nullptr;
  LONG rc = RegOpenKeyExA(HKEY_CURRENT_USER, kKey, 0, KEY_READ, &key);
  if (rc != ERROR_SUCCESS) return rc;
  DWORD size = sizeof *value;
  rc = RegQueryValueExA(key, kValue, nullptr, nullptr, reinterpret_cast<BYTE*>(value), &size);
  (void)RegCloseKey(key);
  return rc;
}

}  // namespace

int main(int argc, char** argv) {
  (void)::dup2(1, 2);
  (void)std::setvbuf(stdout, nullptr, _IONBF, 0);
  const std::string mode = argc > 1 ? argv[1] : "";
  if (mode != "read" && mode != "write") return 2;
  LONG rc = mode == "write" ? write() : ERROR_SUCCESS;
  DWORD value = 0;
  if (rc == ERROR_SUCCESS) rc = read(&value);
  (void)std::printf("result: %ld\nvalue: %lu\n", static_cast<long>(rc), static_cast<unsigned long>(value));
  (void)std::printf("sqlite mapped: %s\nend\n", mapped(quendel::registry::kSqliteLibraryFile) ? "yes" : "no");
  return 0;
}
