#include "util/read_file.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zelkor {

bool ReadWholeFile(const std::string& path, std::string* bytes, std::string* reason, size_t maxBytes) {
  auto fail = [&](const std::string& why) {
    if (reason) *reason = why;
    bytes->clear();
    return false;
  };
  if (path.empty()) return fail("no file name was given");
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return fail(errno == ENOENT ? "no such file" : std::strerror(errno));
  struct stat st {};
  if (fstat(fd, &st) != 0) {
    const int e = errno;
    ::close(fd);
    return fail(std::strerror(e));
  }
  if (S_ISDIR(st.st_mode)) {
    ::close(fd);
    return fail("it is a folder, not a file");
  }
  if (!S_ISREG(st.st_mode)) {
    ::close(fd);
    return fail("it is not a regular file");
  }
  if (static_cast<unsigned long long>(st.st_size) > maxBytes) {
    ::close(fd);
    return fail("it is too large (" + std::to_string(st.st_size) + " bytes)");
  }
  bytes->clear();
  bytes->reserve(static_cast<size_t>(st.st_size));
  char buffer[65536];
  for (;;) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      const int e = errno;
      ::close(fd);
      return fail(std::strerror(e));
    }
    if (n == 0) break;
    if (bytes->size() + static_cast<size_t>(n) > maxBytes) {
      ::close(fd);
      return fail("it is too large");
    }
    bytes->append(buffer, static_cast<size_t>(n));
  }
  ::close(fd);
  return true;
}

bool ReadWholeFile(const std::string& path, std::vector<uint8_t>* bytes, std::string* reason, size_t maxBytes) {
  std::string text;
  const bool ok = ReadWholeFile(path, &text, reason, maxBytes);
  bytes->assign(text.begin(), text.end());
  return ok;
}

bool SameFile(const std::string& a, const std::string& b) {
  if (a == b) return true;
  struct stat sa {}, sb {};
  if (stat(a.c_str(), &sa) != 0 || stat(b.c_str(), &sb) != 0) return false;
  return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

}  // namespace zelkor
