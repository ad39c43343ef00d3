#include "util/atomic_file.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <random>

#include "util/text.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <process.h>
#include <sys/stat.h>
#include <windows.h>

#include "util/win32_text.h"
#else
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace zelkor {

namespace {
// The handful of calls that differ between the platforms. Each returns 0 on
// success, else an errno value or a negated Win32 error code.
#ifdef _WIN32
bool IsFolder(const std::string& path) {
  const DWORD a = GetFileAttributesW(Wide(path).c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}
unsigned ProcessId() { return static_cast<unsigned>(_getpid()); }
bool Exists(const std::string& path) { return GetFileAttributesW(Wide(path).c_str()) != INVALID_FILE_ATTRIBUTES; }
int CreateNew(const std::string& path, bool /*ownerOnly: the profile folder is the user's own*/ = false) {
  return _wopen(Wide(path).c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY | _O_NOINHERIT, _S_IREAD | _S_IWRITE);
}
int WriteSome(int fd, const char* data, size_t size) {
  return _write(fd, data, static_cast<unsigned>(size > 1u << 30 ? 1u << 30 : size));
}
int SyncAndClose(int fd) {
  int error = _commit(fd) != 0 ? errno : 0;
  if (_close(fd) != 0 && !error) error = errno;
  return error;
}
void RemoveFile(const std::string& path) { DeleteFileW(Wide(path).c_str()); }
bool ProcessRuns(unsigned pid) {
  if (pid == ProcessId()) return true;
  HANDLE h = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
  if (!h) return GetLastError() == ERROR_ACCESS_DENIED;
  DWORD code = 0;
  const bool running = GetExitCodeProcess(h, &code) && code == STILL_ACTIVE;
  CloseHandle(h);
  return running;
}
// rename() on Windows refuses an existing target; MoveFileEx replaces it in one step.
int ReplaceName(const std::string& from, const std::string& to) {
  return MoveFileExW(Wide(from).c_str(), Wide(to).c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)
             ? 0
             : -static_cast<int>(GetLastError());
}
// Without MOVEFILE_REPLACE_EXISTING the move takes the name only when it is free.
int TakeFreeName(const std::string& from, const std::string& to, bool* taken) {
  if (MoveFileExW(Wide(from).c_str(), Wide(to).c_str(), MOVEFILE_WRITE_THROUGH)) return 0;
  const DWORD e = GetLastError();
  *taken = e == ERROR_ALREADY_EXISTS || e == ERROR_FILE_EXISTS;
  return -static_cast<int>(e);
}
std::string SystemReason(int error) { return error < 0 ? Win32ErrorText(static_cast<unsigned long>(-error)) : std::strerror(error); }
#else
bool IsFolder(const std::string& path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}
bool Exists(const std::string& path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0;
}
unsigned ProcessId() { return static_cast<unsigned>(getpid()); }
int CreateNew(const std::string& path, bool ownerOnly = false) {
  return ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, ownerOnly ? 0600 : 0644);
}
int WriteSome(int fd, const char* data, size_t size) { return static_cast<int>(::write(fd, data, size > 1u << 30 ? 1u << 30 : size)); }
int SyncAndClose(int fd) {
  int error = fsync(fd) != 0 ? errno : 0;
  if (::close(fd) != 0 && !error) error = errno;
  return error;
}
void RemoveFile(const std::string& path) { std::remove(path.c_str()); }
bool ProcessRuns(unsigned pid) { return kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM; }
int ReplaceName(const std::string& from, const std::string& to) {
  return std::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
}
int TakeFreeName(const std::string& from, const std::string& to, bool* taken) {
  // link() takes the name only when it is free, in one step.
  if (::link(from.c_str(), to.c_str()) == 0) {
    std::remove(from.c_str());
    return 0;
  }
  if (errno == EEXIST) {
    *taken = true;
    return EEXIST;
  }
  // A file system without hard links (FAT on a memory stick): check, then
  // rename. Another writer could slip in between; none of ours does.
  if (Exists(to)) {
    *taken = true;
    return EEXIST;
  }
  return std::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
}
std::string SystemReason(int error) { return std::strerror(error); }
#endif

// Writes bytes to a fresh temporary file next to path and flushes it to the
// disk. Returns the temporary's name, or an empty text with *reason set.
std::string WriteTemporary(const std::string& path, const std::string& bytes, std::string* reason,
                           AtomicWrite* status, bool ownerOnly = false) {
  if (IsFolder(path)) {
    *status = AtomicWrite::OpenFailed;
    *reason = "it is a folder";
    return std::string();
  }
  std::random_device rd;
  const std::string temp = path + Format(".part-%u-%u", ProcessId(), rd());
  const int fd = CreateNew(temp, ownerOnly);
  if (fd < 0) {
    *status = AtomicWrite::OpenFailed;
    *reason = SystemReason(errno);
    return std::string();
  }
  size_t done = 0;
  int error = 0;
  while (done < bytes.size()) {
    const int n = WriteSome(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      error = n < 0 ? errno : ENOSPC;
      break;
    }
    done += static_cast<size_t>(n);
  }
  const int closeError = SyncAndClose(fd);
  if (!error) error = closeError;
  if (error) {
    RemoveFile(temp);
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
  if (!temp.empty() && !MoveIntoPlace(temp, path, &why)) status = AtomicWrite::WriteFailed;
  if (reason) *reason = why;
  return status;
}

AtomicWrite WritePrivateFileAtomically(const std::string& path, const std::string& bytes, std::string* reason) {
  std::string why;
  AtomicWrite status = AtomicWrite::Ok;
  const std::string temp = WriteTemporary(path, bytes, &why, &status, true);
  if (!temp.empty() && !MoveIntoPlace(temp, path, &why)) status = AtomicWrite::WriteFailed;
  if (reason) *reason = why;
  return status;
}

bool MoveIntoPlace(const std::string& temp, const std::string& path, std::string* reason) {
  if (const int error = ReplaceName(temp, path)) {
    if (reason) *reason = SystemReason(error);
    RemoveFile(temp);
    return false;
  }
  return true;
}

void DiscardFile(const std::string& path) { RemoveFile(path); }

CreateResult CreateFileAtomically(const std::string& path, const std::string& bytes, std::string* reason) {
  std::string why;
  AtomicWrite status = AtomicWrite::Ok;
  if (Exists(path)) return CreateResult::Exists;
  const std::string temp = WriteTemporary(path, bytes, &why, &status);
  if (temp.empty()) {
    if (reason) *reason = why;
    return CreateResult::Failed;
  }
  bool taken = false;
  const int error = TakeFreeName(temp, path, &taken);
  if (!error) return CreateResult::Created;
  RemoveFile(temp);
  if (taken) return CreateResult::Exists;
  if (reason) *reason = SystemReason(error);
  return CreateResult::Failed;
}

std::string ScratchName(const std::string& base) {
  static std::atomic<unsigned> counter{0};
  return base + Format(".scratch-%u-%u", ProcessId(), ++counter);
}

int RemoveStaleTemporaries(const std::string& folder) {
  int removed = 0;
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator(std::filesystem::u8path(folder), ec)) {
    const std::string name = entry.path().filename().u8string();
    for (const char* mark : {".part-", ".scratch-"}) {
      const size_t at = name.rfind(mark);
      if (at == std::string::npos) continue;
      const unsigned long pid = std::strtoul(name.c_str() + at + std::strlen(mark), nullptr, 10);
      if (pid == 0 || ProcessRuns(static_cast<unsigned>(pid))) continue;
      std::error_code removeError;
      if (std::filesystem::remove(entry.path(), removeError)) ++removed;
      break;
    }
  }
  return removed;
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
    bool taken = false;
    const int error = TakeFreeName(temp, candidate, &taken);
    if (!error) return candidate;
    if (taken) continue;
    why = SystemReason(error);
    break;
  }
  RemoveFile(temp);
  if (reason) *reason = why.empty() ? "no free file name" : why;
  return std::string();
}

std::string WriteFailureText(const std::string& path, const std::string& reason) {
  return "Could not write " + path + (reason.empty() ? std::string(".") : ": " + reason + ".");
}

}  // namespace zelkor
