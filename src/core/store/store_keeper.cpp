#include "store/store_keeper.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sstream>

#include "app/paths.h"
#include "store/store_address.h"
#include "util/atomic_file.h"
#include "util/read_file.h"
#include "util/text.h"

#ifdef _WIN32
#include <io.h>
#include <sys/locking.h>

#include "util/win32_text.h"
#else
#include <sys/file.h>
#include <unistd.h>
#endif

namespace zelkor {

namespace {

// The list's lock: a file beside it, held while the list is read and
// changed, so that programs offloading at once never lose an entry.
class ListLock {
 public:
  explicit ListLock(const std::string& listPath) {
#ifdef _WIN32
    fd_ = _wopen(Wide(listPath + ".lock").c_str(), _O_RDWR | _O_CREAT | _O_BINARY | _O_NOINHERIT, 0600);
    if (fd_ >= 0) held_ = _locking(fd_, _LK_LOCK, 1) == 0;
#else
    fd_ = ::open((listPath + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd_ >= 0) held_ = flock(fd_, LOCK_EX) == 0;
#endif
  }
  ~ListLock() {
    if (fd_ < 0) return;
#ifdef _WIN32
    if (held_) _locking(fd_, _LK_UNLCK, 1);
    _close(fd_);
#else
    if (held_) flock(fd_, LOCK_UN);
    ::close(fd_);
#endif
  }
  // Held, or false with the reason.
  bool held(const std::string& listPath, std::string* error) const {
    if (!held_ && error) *error = "the list " + listPath + " could not be locked";
    return held_;
  }

 private:
  int fd_ = -1;
  bool held_ = false;
};

std::vector<PendingImport> ParseList(const std::string& text) {
  std::vector<PendingImport> pending;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    // path TAB port TAB when [TAB confirmed]; a line cut short by a full
    // disk has no tab at all and is skipped.
    const size_t a = line.find('\t'), b = a == std::string::npos ? a : line.find('\t', a + 1);
    if (a == std::string::npos || b == std::string::npos) continue;
    PendingImport p;
    p.path = line.substr(0, a);
    p.port = std::atoi(line.substr(a + 1, b - a - 1).c_str());
    const size_t c = line.find('\t', b + 1);
    p.at = line.substr(b + 1, c == std::string::npos ? std::string::npos : c - b - 1);
    p.confirmed = c != std::string::npos && line.substr(c + 1) == "confirmed";
    if (std::find_if(pending.begin(), pending.end(), [&](const PendingImport& q) { return q.path == p.path; }) ==
        pending.end())
      pending.push_back(p);
  }
  return pending;
}

std::string Line(const PendingImport& p) {
  return p.path + "\t" + std::to_string(p.port) + "\t" + p.at + (p.confirmed ? "\tconfirmed" : "") + "\n";
}

// Appends whole lines with one write on a descriptor opened to append.
bool AppendLine(const std::string& path, const std::string& line, std::string* error) {
#ifdef _WIN32
  const int fd = _wopen(Wide(path).c_str(), _O_WRONLY | _O_CREAT | _O_APPEND | _O_BINARY | _O_NOINHERIT, 0644);
#else
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
#endif
  if (fd < 0) {
    if (error) *error = std::strerror(errno);
    return false;
  }
#ifdef _WIN32
  const bool whole = _write(fd, line.data(), static_cast<unsigned>(line.size())) == static_cast<int>(line.size());
  const bool synced = _commit(fd) == 0;
  const int closed = _close(fd);
#else
  const bool whole = ::write(fd, line.data(), line.size()) == static_cast<ssize_t>(line.size());
  const bool synced = fsync(fd) == 0;
  const int closed = ::close(fd);
#endif
  if (!whole || !synced || closed != 0) {
    if (error) *error = errno ? std::strerror(errno) : "the line could not be written whole";
    return false;
  }
  return true;
}

}  // namespace

std::string StoreTarget(const std::string& programDirectory, const std::string& option,
                        const SettingsStore* settings) {
  std::string setting;
  if (settings) {
    const SettingsValue v = settings->read(kStoreKey, "Database");
    if (v.present()) setting = v.text;
  }
  return StoreTarget(programDirectory, option, setting);
}

std::string StoreTarget(const std::string& programDirectory, const std::string& option, const std::string& setting) {
  if (!option.empty()) return option;
  if (!setting.empty()) return setting;
  return DefaultStorePath(programDirectory);
}

std::string PendingImportsPath(const std::string& programDirectory) {
  return GpsBackupDir(programDirectory) + "pending-imports.txt";
}

std::vector<PendingImport> ReadPendingImports(const std::string& programDirectory) {
  std::string text;
  ReadWholeFile(PendingImportsPath(programDirectory), &text);
  return ParseList(text);
}

bool AppendPendingImport(const std::string& programDirectory, const PendingImport& entry, std::string* error) {
  const std::string path = PendingImportsPath(programDirectory);
  ListLock lock(path);
  if (!lock.held(path, error)) return false;
  std::string text;
  ReadWholeFile(path, &text);
  for (const PendingImport& p : ParseList(text))
    if (p.path == entry.path) return true;
  // A line left cut short by a full disk would swallow this one: start on a
  // line of its own.
  const std::string line = (!text.empty() && text.back() != '\n' ? "\n" : "") + Line(entry);
  if (!AppendLine(path, line, error)) return false;
  // It is there only if it reads back.
  text.clear();
  ReadWholeFile(path, &text);
  for (const PendingImport& p : ParseList(text))
    if (p.path == entry.path) return true;
  if (error) *error = "the entry did not read back";
  return false;
}

bool RemovePendingImports(const std::string& programDirectory, const std::vector<std::string>& paths,
                          std::string* error) {
  if (paths.empty()) return true;
  const std::string path = PendingImportsPath(programDirectory);
  ListLock lock(path);
  if (!lock.held(path, error)) return false;
  std::string text;
  if (!ReadWholeFile(path, &text)) return true;
  std::string kept;
  for (const PendingImport& p : ParseList(text))
    if (std::find(paths.begin(), paths.end(), p.path) == paths.end()) kept += Line(p);
  return WriteFileAtomically(path, kept, error) == AtomicWrite::Ok;
}

std::string KeepOutcome::message() const {
  if (stored) {
    std::string s = Format("%d new fixes in the season store (%s).", added, store.c_str());
    if (replaced) s += Format(" %d fixes an earlier, unconfirmed read had stored damaged were replaced.", replaced);
    if (waitingImported) s += Format(" %d earlier offloads that were waiting went in too.", waitingImported);
    return s;
  }
  if (!listed)
    return "The fixes were not added to the season store (" + store + "): " + error +
           ". The store could not be reached and the backup could not be listed for later: import " + backupPath +
           " by hand (zelkor-cli db import).";
  return "The fixes were not added to the season store (" + store + "): " + error +
         ". The files are written; the backup is " +
         Format("remembered and goes into the store the next time it can be reached (%d waiting).", stillWaiting);
}

PendingOutcome ImportPending(const std::string& programDirectory, SeasonStore& store,
                             const std::function<void(const std::string&, const ImportResult&)>& each) {
  PendingOutcome out;
  std::vector<std::string> done;
  for (const PendingImport& p : ReadPendingImports(programDirectory)) {
    std::vector<uint8_t> image;
    std::string error;
    ImportResult r;
    if (!ReadWholeFile(p.path, &image, &error)) {
      // A backup that is gone cannot come in; it leaves the list, said.
      out.failures.push_back(p.path + ": " + error + "; taken off the list");
      done.push_back(p.path);
      continue;
    }
    ImportInfo info{p.at, p.port, p.path};
    info.confirmed = p.confirmed;
    if (!store.import(image, info, &r, &error)) {
      out.failures.push_back(p.path + ": " + error);
      ++out.left;
      continue;
    }
    ++out.imported;
    done.push_back(p.path);
    if (each) each(p.path, r);
  }
  std::string error;
  if (!RemovePendingImports(programDirectory, done, &error)) out.failures.push_back(error);
  return out;
}

KeepOutcome KeepInStore(const std::string& programDirectory, const std::string& target,
                        const std::vector<uint8_t>& image, const ImportInfo& info, const ConnectOptions& options) {
  KeepOutcome out;
  out.backupPath = info.backupPath;
  out.store = MaskPassword(target);
  std::string error;
  auto remember = [&](const std::string& why) {
    out.error = MaskPassword(why);
    std::string listError;
    out.listed = !info.backupPath.empty() &&
                 AppendPendingImport(programDirectory, {info.backupPath, info.port, info.at, info.confirmed}, &listError);
    if (!out.listed && !listError.empty()) out.error += " (and the list of imports to come: " + listError + ")";
    out.stillWaiting = static_cast<int>(ReadPendingImports(programDirectory).size());
    return out;
  };
  auto store = SeasonStore::Open(target, &error, options);
  if (!store) return remember(error);
  out.store = store->description();
  // What was waiting first.
  const PendingOutcome waiting = ImportPending(programDirectory, *store);
  out.waitingImported = waiting.imported;
  ImportResult r;
  if (!store->import(image, info, &r, &error)) return remember("the import failed: " + error);
  out.stored = true;
  out.added = r.added;
  out.replaced = r.replaced;
  out.stillWaiting = static_cast<int>(ReadPendingImports(programDirectory).size());
  return out;
}

}  // namespace zelkor
