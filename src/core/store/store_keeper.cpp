#include "store/store_keeper.h"

#include <filesystem>
#include <sstream>

#include "app/paths.h"
#include "util/atomic_file.h"
#include "util/read_file.h"
#include "util/text.h"

namespace zelkor {

std::string StoreTarget(const std::string& programDirectory, const std::string& option,
                        const SettingsStore* settings) {
  if (!option.empty()) return option;
  if (settings) {
    const SettingsValue v = settings->read(kStoreKey, "Database");
    if (v.present() && !v.text.empty()) return v.text;
  }
  return DefaultStorePath(programDirectory);
}

std::string PendingImportsPath(const std::string& programDirectory) {
  return GpsBackupDir(programDirectory) + "pending-imports.txt";
}

std::vector<PendingImport> ReadPendingImports(const std::string& programDirectory) {
  std::vector<PendingImport> pending;
  std::string text;
  if (!ReadWholeFile(PendingImportsPath(programDirectory), &text)) return pending;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    // path TAB port TAB when
    const size_t a = line.find('\t'), b = a == std::string::npos ? a : line.find('\t', a + 1);
    if (a == std::string::npos || b == std::string::npos) continue;
    PendingImport p;
    p.path = line.substr(0, a);
    p.port = std::atoi(line.substr(a + 1, b - a - 1).c_str());
    p.at = line.substr(b + 1);
    pending.push_back(p);
  }
  return pending;
}

bool WritePendingImports(const std::string& programDirectory, const std::vector<PendingImport>& pending,
                         std::string* error) {
  std::string text;
  for (const PendingImport& p : pending) text += p.path + "\t" + std::to_string(p.port) + "\t" + p.at + "\n";
  return WriteFileAtomically(PendingImportsPath(programDirectory), text, error) == AtomicWrite::Ok;
}

std::string KeepOutcome::message() const {
  if (stored) {
    std::string s = Format("%d new fixes in the season store (%s).", added, store.c_str());
    if (waitingImported) s += Format(" %d earlier offloads that were waiting went in too.", waitingImported);
    return s;
  }
  if (!listed)
    return "The fixes were not added to the season store: " + error + ". The store could not be reached and the " +
           "backup could not be listed for later: import " + backupPath + " by hand (zelkor-cli db import).";
  return "The fixes were not added to the season store: " + error + ". The files are written; the backup is " +
         Format("remembered and goes into the store the next time it can be reached (%d waiting).", stillWaiting);
}

KeepOutcome KeepInStore(const std::string& programDirectory, const std::string& target,
                        const std::vector<uint8_t>& image, const ImportInfo& info) {
  KeepOutcome out;
  out.backupPath = info.backupPath;
  std::vector<PendingImport> pending = ReadPendingImports(programDirectory);
  std::string error;
  auto store = SeasonStore::Open(target, &error);
  auto remember = [&](const std::string& why) {
    out.error = why;
    bool known = false;
    for (const PendingImport& p : pending) known |= p.path == info.backupPath;
    if (!known && !info.backupPath.empty()) pending.push_back({info.backupPath, info.port, info.at});
    std::string ignored;
    out.listed = !info.backupPath.empty() && WritePendingImports(programDirectory, pending, &ignored);
    out.stillWaiting = static_cast<int>(pending.size());
    return out;
  };
  if (!store) return remember(error);
  out.store = store->description();
  // What was waiting first; a file that no longer exists is dropped.
  std::vector<PendingImport> left;
  for (const PendingImport& p : pending) {
    if (p.path == info.backupPath) continue;
    std::vector<uint8_t> earlier;
    if (!ReadWholeFile(p.path, &earlier)) continue;
    ImportResult r;
    if (store->import(earlier, {p.at, p.port, p.path}, &r, &error))
      ++out.waitingImported;
    else
      left.push_back(p);
  }
  pending = left;
  ImportResult r;
  if (!store->import(image, info, &r, &error)) return remember("the import failed: " + error);
  out.stored = true;
  out.added = r.added;
  std::error_code ec;
  const bool hadList = std::filesystem::exists(PendingImportsPath(programDirectory), ec);
  if ((hadList || !pending.empty()) && !WritePendingImports(programDirectory, pending, &error)) out.error = error;
  out.stillWaiting = static_cast<int>(pending.size());
  return out;
}

}  // namespace zelkor
