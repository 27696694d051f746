// ShellExecuteA: a program started itself, anything else through xdg-open, always
// detached (double fork), with exec failures reported back through a pipe.
#include "platform/shell/shell_execute.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr std::intptr_t kStarted = 33;
constexpr std::intptr_t kOutOfResources = 0;
constexpr DWORD ERROR_BAD_FORMAT = 11;
constexpr DWORD ERROR_NO_ASSOCIATION = 1155;
constexpr DWORD ERROR_PATH_NOT_FOUND_CODE = 3;

HINSTANCE result(std::intptr_t value, DWORD lastError) {
  SetLastError(lastError);
  return reinterpret_cast<HINSTANCE>(value);
}

bool equalsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) return false;
  return true;
}

// "mailto:x", "https://x": a scheme of two or more characters before the first ':'
// (one letter would be a drive).
bool isAddress(std::string_view file) {
  size_t colon = file.find(':');
  if (colon == std::string_view::npos || colon < 2 || file.find('/') < colon) return false;
  if (!std::isalpha(static_cast<unsigned char>(file[0]))) return false;
  for (size_t i = 0; i < colon; ++i) {
    unsigned char c = file[i];
    if (!std::isalnum(c) && c != '+' && c != '-' && c != '.') return false;
  }
  return true;
}

// The first executable regular file named name in the folders of PATH; "" when none.
std::string findOnPath(std::string_view name) {
  const char* path = std::getenv("PATH");
  std::string_view folders = path ? path : "";
  while (!folders.empty()) {
    size_t end = folders.find(':');
    std::string_view folder = folders.substr(0, end);
    folders = end == std::string_view::npos ? std::string_view{} : folders.substr(end + 1);
    std::string candidate = std::string(folder.empty() ? "." : folder) + "/" + std::string(name);
    struct stat st {};
    if (stat(candidate.c_str(), &st) == 0 && S_ISREG(st.st_mode) && access(candidate.c_str(), X_OK) == 0)
      return candidate;
  }
  return {};
}

// Parameters split at blanks; a double quote groups up to the next one.
std::vector<std::string> splitParameters(std::string_view text) {
  std::vector<std::string> out;
  size_t i = 0;
  while (i < text.size()) {
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    if (i == text.size()) break;
    std::string arg;
    while (i < text.size() && text[i] != ' ' && text[i] != '\t') {
      if (text[i] == '"') {
        size_t close = text.find('"', i + 1);
        if (close == std::string_view::npos) close = text.size();
        arg.append(text.substr(i + 1, close - i - 1));
        i = close == text.size() ? close : close + 1;
      } else {
        arg += text[i++];
      }
    }
    out.push_back(std::move(arg));
  }
  return out;
}

HINSTANCE fromErrno(int e) {
  switch (e) {
    case ENOENT: return result(SE_ERR_FNF, ERROR_FILE_NOT_FOUND);
    case ENOTDIR: return result(SE_ERR_PNF, ERROR_PATH_NOT_FOUND_CODE);
    case EACCES:
    case EPERM: return result(SE_ERR_ACCESSDENIED, ERROR_ACCESS_DENIED);
    case ENOEXEC:
    case ELIBBAD: return result(ERROR_BAD_FORMAT_RESULT, ERROR_BAD_FORMAT);
    default: return result(kOutOfResources, ERROR_NOT_ENOUGH_MEMORY);
  }
}

// Runs argv detached in directory (empty: the current one). 0 when it was executed, else
// the errno of the failed step.
int launchDetached(const std::vector<std::string>& args, const std::string& directory) {
  std::vector<char*> argv;
  argv.reserve(args.size() + 1);
  for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0) return errno;
  pid_t child = fork();
  if (child < 0) {
    int e = errno;
    close(fds[0]);
    close(fds[1]);
    return e;
  }
  if (child == 0) {
    // Only async-signal-safe calls from here: the caller may have other threads.
    close(fds[0]);
    setsid();
    pid_t grandchild = fork();
    if (grandchild != 0) _exit(grandchild < 0 ? 1 : 0);
    int e = 0;
    if (!directory.empty() && chdir(directory.c_str()) != 0) {
      e = errno == ENOENT ? ENOTDIR : errno;
    } else {
      int nul = open("/dev/null", O_RDONLY);
      if (nul >= 0) {
        dup2(nul, 0);
        if (nul != 0) close(nul);
      }
      execv(argv[0], argv.data());
      e = errno;
    }
    (void)!write(fds[1], &e, sizeof e);
    _exit(127);
  }
  close(fds[1]);
  int status = 0;
  while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  int e = 0;
  ssize_t n = 0;
  do {
    n = read(fds[0], &e, sizeof e);
  } while (n < 0 && errno == EINTR);
  close(fds[0]);
  if (n == static_cast<ssize_t>(sizeof e)) return e;
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return EAGAIN;  // the second fork failed
  return 0;
}

}  // namespace

HINSTANCE ShellExecuteA(HWND /*hwnd*/, const char* lpOperation, const char* lpFile, const char* lpParameters,
                        const char* lpDirectory, int /*nShowCmd*/) {
  std::string_view verb = lpOperation ? lpOperation : "";
  if (!verb.empty() && !equalsNoCase(verb, "open")) return result(SE_ERR_NOASSOC, ERROR_NO_ASSOCIATION);
  if (!lpFile || !*lpFile) return result(SE_ERR_FNF, ERROR_FILE_NOT_FOUND);
  std::string directory = lpDirectory ? lpDirectory : "";
  if (!directory.empty()) {
    struct stat st {};
    if (stat(directory.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return result(SE_ERR_PNF, ERROR_PATH_NOT_FOUND_CODE);
  }
  std::string file = lpFile;
  std::vector<std::string> args;
  if (!isAddress(file)) {
    std::string path = file;
    if (file.find('/') == std::string::npos) {
      std::string found = findOnPath(file);
      if (!found.empty()) path = found;
    }
    // A relative path names a file of the working directory the program gets.
    if (path[0] != '/' && !directory.empty()) path = directory + "/" + path;
    struct stat st {};
    if (stat(path.c_str(), &st) != 0) return fromErrno(errno);
    if (S_ISREG(st.st_mode) && access(path.c_str(), X_OK) == 0) {
      args.push_back(path);
      for (auto& p : splitParameters(lpParameters ? lpParameters : "")) args.push_back(std::move(p));
    } else {
      if (access(path.c_str(), R_OK) != 0) return result(SE_ERR_ACCESSDENIED, ERROR_ACCESS_DENIED);
      file = path;
    }
  }
  if (args.empty()) {
    std::string opener = findOnPath("xdg-open");
    if (opener.empty()) return result(SE_ERR_NOASSOC, ERROR_NO_ASSOCIATION);
    args = {opener, file};
  }
  int e = launchDetached(args, directory);
  if (e != 0) return fromErrno(e);
  return result(kStarted, ERROR_SUCCESS);
}
