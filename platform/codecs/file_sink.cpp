#include "platform/codecs/file_sink.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace quendel::codecs {

FileSink::~FileSink() {
  if (fd_ >= 0) ::close(fd_);
  if (!temp_.empty()) ::unlink(temp_.c_str());
}

int FileSink::open(const std::string& target) {
  if (target.empty()) return ENOENT;
  target_ = target;
  const std::size_t slash = target.rfind('/');
  const std::string folder = slash == std::string::npos ? std::string(".") : target.substr(0, slash + 1);
  const std::string base = slash == std::string::npos ? target : target.substr(slash + 1);
  if (base.empty()) return EISDIR;
  struct stat st;
  if (::stat(target.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) return EISDIR;
  std::string pattern = (slash == std::string::npos ? std::string() : folder) + "." + base + ".XXXXXX";
  std::unique_ptr<char[]> name(new char[pattern.size() + 1]);
  std::memcpy(name.get(), pattern.c_str(), pattern.size() + 1);
  fd_ = ::mkostemp(name.get(), O_CLOEXEC);
  if (fd_ < 0) return errno;
  temp_ = name.get();
  // The new file gets the old one's permissions, or the usual ones for a new file.
  mode_t mode;
  if (::stat(target.c_str(), &st) == 0) {
    mode = st.st_mode & 07777;
  } else {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    mode = 0666 & ~mask;
  }
  ::fchmod(fd_, mode);
  buffer_.reset(new std::uint8_t[kBufferSize]);
  return 0;
}

void FileSink::flush() {
  std::size_t done = 0;
  while (done < used_ && !error_) {
    const ssize_t n = ::write(fd_, buffer_.get() + done, used_ - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      error_ = errno;
    } else {
      done += static_cast<std::size_t>(n);
    }
  }
  used_ = 0;
}

void FileSink::write(const void* data, std::size_t size) {
  if (error_ || fd_ < 0) {
    if (!error_) error_ = EBADF;
    return;
  }
  const auto* p = static_cast<const std::uint8_t*>(data);
  if (size >= kBufferSize) {
    flush();
    // Large blocks go straight out without a copy.
    std::size_t done = 0;
    while (done < size && !error_) {
      const ssize_t n = ::write(fd_, p + done, size - done);
      if (n < 0) {
        if (errno != EINTR) error_ = errno;
      } else {
        done += static_cast<std::size_t>(n);
      }
    }
    return;
  }
  if (used_ + size > kBufferSize) flush();
  std::memcpy(buffer_.get() + used_, p, size);
  used_ += size;
}

int FileSink::commit() {
  if (fd_ < 0) return error_ ? error_ : EBADF;
  flush();
  if (!error_ && ::close(fd_) != 0) error_ = errno;
  fd_ = -1;
  if (error_) return error_;
  if (::rename(temp_.c_str(), target_.c_str()) != 0) return errno;
  temp_.clear();
  return 0;
}

}  // namespace quendel::codecs
