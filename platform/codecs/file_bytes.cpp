#include "platform/codecs/file_bytes.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>

#include "support/codepage.h"

namespace quendel::codecs {

std::string utf8Path(const char16_t* name) { return name ? cp::toUtf8(std::u16string_view(name)) : std::string(); }

std::FILE* openPictureFile(const char16_t* name, int* error) {
  const std::string path = utf8Path(name);
  if (path.empty()) {
    *error = ENOENT;
    return nullptr;
  }
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) {
    *error = errno;
    return nullptr;
  }
  struct stat st;
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    *error = S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
    ::close(fd);
    return nullptr;
  }
  std::FILE* f = ::fdopen(fd, "rb");
  if (!f) {
    *error = errno;
    ::close(fd);
  }
  return f;
}

FileResult readPictureFile(const char16_t* name, std::vector<std::uint8_t>* out) {
  FileResult r;
  std::FILE* f = openPictureFile(name, &r.error);
  if (!f) return r;
  struct stat st;
  if (::fstat(::fileno(f), &st) != 0) {
    r.error = errno;
  } else if (static_cast<std::uint64_t>(st.st_size) > kMaxFileBytes) {
    r.error = EFBIG;
  } else {
    std::vector<std::uint8_t> data(static_cast<std::size_t>(st.st_size));
    const std::size_t got = data.empty() ? 0 : std::fread(data.data(), 1, data.size(), f);
    if (got != data.size()) {
      r.error = std::ferror(f) ? EIO : 0;
      data.resize(got);  // a file that shrank while being read is read as it now is
    }
    if (r.error == 0) *out = std::move(data);
  }
  (void)std::fclose(f);  // read only: closing cannot lose anything
  return r;
}

std::size_t peekBytes(std::FILE* file, std::uint8_t* buffer, std::size_t count) {
  const std::size_t got = std::fread(buffer, 1, count, file);
  std::rewind(file);
  return got;
}

}  // namespace quendel::codecs
