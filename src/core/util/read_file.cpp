#include "util/read_file.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <system_error>

#ifdef _WIN32
#include <io.h>

#include "util/win32_text.h"
#else
#include <unistd.h>
#endif

namespace zelkor {

namespace {
#ifdef _WIN32
using FileStat = struct _stat64;
int OpenForReading(const std::string& path) { return _wopen(Wide(path).c_str(), _O_RDONLY | _O_BINARY | _O_NOINHERIT); }
int StatOf(int fd, FileStat* st) { return _fstat64(fd, st); }
int ReadSome(int fd, char* buffer, unsigned size) { return _read(fd, buffer, size); }
void CloseFile(int fd) { _close(fd); }
bool IsFolderMode(const FileStat& st) { return (st.st_mode & _S_IFMT) == _S_IFDIR; }
bool IsRegularMode(const FileStat& st) { return (st.st_mode & _S_IFMT) == _S_IFREG; }
#else
using FileStat = struct stat;
// Without O_NONBLOCK, opening a named pipe waits for a writer, for ever;
// the descriptor goes back to blocking once it is known to be a file.
int OpenForReading(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd >= 0) {
    struct stat st {};
    if (fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  }
  return fd;
}
int StatOf(int fd, FileStat* st) { return fstat(fd, st); }
int ReadSome(int fd, char* buffer, unsigned size) { return static_cast<int>(::read(fd, buffer, size)); }
void CloseFile(int fd) { ::close(fd); }
bool IsFolderMode(const FileStat& st) { return S_ISDIR(st.st_mode); }
bool IsRegularMode(const FileStat& st) { return S_ISREG(st.st_mode); }
#endif
}  // namespace

bool ReadWholeFile(const std::string& path, std::string* bytes, std::string* reason, size_t maxBytes) {
  auto fail = [&](const std::string& why) {
    if (reason) *reason = why;
    bytes->clear();
    return false;
  };
  if (path.empty()) return fail("no file name was given");
#ifdef _WIN32
  // Windows refuses to open a folder as a file with "Permission denied".
  std::error_code ec;
  if (std::filesystem::is_directory(std::filesystem::u8path(path), ec)) return fail("it is a folder, not a file");
#endif
  const int fd = OpenForReading(path);
  if (fd < 0) return fail(errno == ENOENT ? "no such file" : std::strerror(errno));
  FileStat st {};
  if (StatOf(fd, &st) != 0) {
    const int e = errno;
    CloseFile(fd);
    return fail(std::strerror(e));
  }
  if (IsFolderMode(st)) {
    CloseFile(fd);
    return fail("it is a folder, not a file");
  }
  if (!IsRegularMode(st)) {
    CloseFile(fd);
    return fail("it is not a regular file");
  }
  if (static_cast<unsigned long long>(st.st_size) > maxBytes) {
    CloseFile(fd);
    return fail("it is too large (" + std::to_string(st.st_size) + " bytes)");
  }
  bytes->clear();
  bytes->reserve(static_cast<size_t>(st.st_size));
  char buffer[65536];
  for (;;) {
    const int n = ReadSome(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      const int e = errno;
      CloseFile(fd);
      return fail(std::strerror(e));
    }
    if (n == 0) break;
    if (bytes->size() + static_cast<size_t>(n) > maxBytes) {
      CloseFile(fd);
      return fail("it is too large");
    }
    bytes->append(buffer, static_cast<size_t>(n));
  }
  CloseFile(fd);
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
  std::error_code ec;
  return std::filesystem::equivalent(std::filesystem::u8path(a), std::filesystem::u8path(b), ec) && !ec;
}

}  // namespace zelkor
