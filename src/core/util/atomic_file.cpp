#include "util/atomic_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

#include "util/text.h"

namespace zelkor {

namespace {

std::string SystemReason(int error) { return std::strerror(error); }

// Writes bytes to a fresh temporary file next to path and flushes it to the
// disk. Returns the temporary's name, or an empty text with *reason set.
std::string WriteTemporary(const std::string& path, const std::string& bytes, std::string* reason,
                           AtomicWrite* status) {
  struct stat st {};
  if (stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
    *status = AtomicWrite::OpenFailed;
    *reason = "it is a folder";
    return std::string();
  }
  std::random_device rd;
  const std::string temp = path + Format(".part-%u-%u", static_cast<unsigned>(getpid()), rd());
  const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
  if (fd < 0) {
    *status = AtomicWrite::OpenFailed;
    *reason = SystemReason(errno);
    return std::string();
  }
  size_t done = 0;
  int error = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      error = n < 0 ? errno : ENOSPC;
      break;
    }
    done += static_cast<size_t>(n);
  }
  if (!error && fsync(fd) != 0) error = errno;
  if (::close(fd) != 0 && !error) error = errno;
  if (error) {
    std::remove(temp.c_str());
    *status = AtomicWrite::WriteFailed;
    *reason = SystemReason(error);
    return std::string();
  }
  *status = AtomicWrite::Ok;
  return temp;
}

}  // namespace

AtomicWrite WriteFileAtomically(const std::string& path, const std::string& bytes, std::string* reason) {
  std::string why;
  AtomicWrite status = AtomicWrite::Ok;
  const std::string temp = WriteTemporary(path, bytes, &why, &status);
  if (!temp.empty() && std::rename(temp.c_str(), path.c_str()) != 0) {
    why = SystemReason(errno);
    std::remove(temp.c_str());
    status = AtomicWrite::WriteFailed;
  }
  if (reason) *reason = why;
  return status;
}

std::string NumberedName(const std::string& path, int n) {
  const size_t slash = path.find_last_of("/\\");
  const size_t dot = path.rfind('.');
  const bool hasExtension = dot != std::string::npos && (slash == std::string::npos || dot > slash + 1);
  const size_t cut = hasExtension ? dot : path.size();
  return path.substr(0, cut) + Format("-%d", n) + path.substr(cut);
}

std::string WriteNewFileAtomically(const std::string& path, const std::string& bytes, std::string* reason) {
  std::string why;
  AtomicWrite status = AtomicWrite::Ok;
  const std::string temp = WriteTemporary(path, bytes, &why, &status);
  if (temp.empty()) {
    if (reason) *reason = why;
    return std::string();
  }
  for (int n = 1; n < 10000; ++n) {
    const std::string candidate = n == 1 ? path : NumberedName(path, n);
    // link() takes the name only when it is free, in one step.
    if (::link(temp.c_str(), candidate.c_str()) == 0) {
      std::remove(temp.c_str());
      return candidate;
    }
    if (errno == EEXIST) continue;
    // A file system without hard links (FAT on a memory stick): check, then
    // rename. Another writer could slip in between; none of ours does.
    struct stat st {};
    if (stat(candidate.c_str(), &st) == 0) continue;
    if (std::rename(temp.c_str(), candidate.c_str()) == 0) return candidate;
    why = SystemReason(errno);
    break;
  }
  std::remove(temp.c_str());
  if (reason) *reason = why.empty() ? "no free file name" : why;
  return std::string();
}

std::string WriteFailureText(const std::string& path, const std::string& reason) {
  return "Could not write " + path + (reason.empty() ? std::string(".") : ": " + reason + ".");
}

}  // namespace zelkor
