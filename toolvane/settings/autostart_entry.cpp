#include "toolvane/settings/autostart_entry.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

#include "support/codepage.h"

namespace quendel::toolvane::autostart {

namespace {

std::string env(const char* name) {
  const char* v = std::getenv(name);
  return v ? std::string(v) : std::string();
}

std::string homeFolder() {
  std::string home = env("HOME");
  if (!home.empty()) return home;
  if (const passwd* pw = getpwuid(getuid()); pw && pw->pw_dir) return pw->pw_dir;
  return "/";
}

constexpr std::size_t kMaxIdLength = 180;  // keeps the file name well below NAME_MAX

std::uint64_t fnv1a(const std::string& s) {
  std::uint64_t h = 14695981039346656037ull;
  for (unsigned char c : s) {
    h ^= c;
    h *= 1099511628211ull;
  }
  return h;
}

// Characters that make the desktop-entry rules quote an argument.
bool isReserved(char c) { return std::strchr(" \t\n\"'\\><~|&;$*?#()`", c) != nullptr && c != '\0'; }

std::string quoteArgument(const std::string& arg) {
  bool quote = arg.empty();
  for (char c : arg) quote = quote || isReserved(c);
  std::string out;
  if (quote) out += '"';
  for (char c : arg) {
    if (c == '%') {
      out += "%%";
      continue;
    }
    if (quote && (c == '"' || c == '`' || c == '$' || c == '\\')) out += '\\';
    out += c;
  }
  if (quote) out += '"';
  return out;
}

// A string value of a desktop entry.
std::string escapeValue(const std::string& s) {
  std::string out;
  for (char c : s) {
    switch (c) {
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\t': out += "\\t"; break;
      case '\r': out += "\\r"; break;
      default: out += c;
    }
  }
  if (!out.empty() && out.front() == ' ') out.replace(0, 1, "\\s");
  return out;
}

bool makeFolders(const std::string& folder, mode_t mode, std::string* error) {
  std::string path;
  std::size_t pos = 0;
  while (pos != std::string::npos) {
    pos = folder.find('/', pos + 1);
    path = folder.substr(0, pos);
    if (path.empty()) continue;
    if (::mkdir(path.c_str(), mode) != 0 && errno != EEXIST) {
      *error = path + ": " + std::strerror(errno);
      return false;
    }
  }
  return true;
}

}  // namespace

std::string folderFor(Scope scope) {
  if (scope == Scope::Machine) {
    std::string dir = env("QUENDEL_XDG_AUTOSTART_SYSTEM_DIR");
    return dir.empty() ? std::string("/etc/xdg/autostart") : dir;
  }
  std::string config = env("XDG_CONFIG_HOME");
  if (config.empty() || config.front() != '/') config = homeFolder() + "/.config";
  return config + "/autostart";
}

std::string fileNameFor(const automation::String& appGuid) {
  std::string utf8 = cp::toUtf8(automation::lowerCase(appGuid));
  std::string id;
  static const char* kHex = "0123456789ABCDEF";
  for (unsigned char c : utf8) {
    if ((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '.' || c == '-') {
      id += static_cast<char>(c);
    } else {
      id += '_';
      id += kHex[c >> 4];
      id += kHex[c & 15];
    }
  }
  if (id.size() > kMaxIdLength) {
    char hash[17];
    // Sixteen hex digits and the NUL always fit.
    (void)std::snprintf(hash, sizeof hash, "%016llx", static_cast<unsigned long long>(fnv1a(utf8)));
    id = id.substr(0, kMaxIdLength - 17) + "-" + hash;
  }
  return "quendel-autorun-" + id + ".desktop";
}

std::string execValue(const std::vector<automation::String>& arguments) {
  std::string line;
  for (const auto& a : arguments) {
    if (!line.empty()) line += ' ';
    line += quoteArgument(cp::toUtf8(a));
  }
  return escapeValue(line);
}

std::string entryText(const automation::String& appGuid, const std::vector<automation::String>& arguments) {
  std::string id = escapeValue(cp::toUtf8(appGuid));
  std::ostringstream text;
  text << "[Desktop Entry]\n"
       << "Type=Application\n"
       << "Name=" << id << "\n"
       << "Exec=" << execValue(arguments) << "\n"
       << "Terminal=false\n"
       << "NoDisplay=true\n"
       << "X-GNOME-Autostart-enabled=true\n"
       << "X-Quendel-AppGUID=" << id << "\n";
  return text.str();
}

std::optional<std::string> readEntry(Scope scope, const automation::String& appGuid) {
  std::ifstream in(folderFor(scope) + "/" + fileNameFor(appGuid), std::ios::binary);
  if (!in) return std::nullopt;
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

bool writeEntryText(Scope scope, const automation::String& appGuid, const std::string& text, std::string* error) {
  const std::string folder = folderFor(scope);
  if (!makeFolders(folder, scope == Scope::User ? 0700 : 0755, error)) return false;
  const std::string file = folder + "/" + fileNameFor(appGuid);
  std::string temp = file + ".XXXXXX";
  int fd = ::mkstemp(temp.data());
  if (fd < 0) {
    *error = folder + ": " + std::strerror(errno);
    return false;
  }
  bool ok = ::fchmod(fd, 0644) == 0;
  for (std::size_t done = 0; ok && done < text.size();) {
    ssize_t n = ::write(fd, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    ok = n > 0;
    if (ok) done += static_cast<std::size_t>(n);
  }
  ok = ok && ::fsync(fd) == 0;
  int savedErrno = errno;
  ok = ::close(fd) == 0 && ok;
  if (ok && ::rename(temp.c_str(), file.c_str()) == 0) return true;
  if (ok) savedErrno = errno;
  ::unlink(temp.c_str());
  *error = file + ": " + std::strerror(savedErrno);
  return false;
}

bool removeEntry(Scope scope, const automation::String& appGuid, std::string* error) {
  const std::string file = folderFor(scope) + "/" + fileNameFor(appGuid);
  if (::unlink(file.c_str()) == 0 || errno == ENOENT || errno == ENOTDIR) return true;
  *error = file + ": " + std::strerror(errno);
  return false;
}

}  // namespace quendel::toolvane::autostart
