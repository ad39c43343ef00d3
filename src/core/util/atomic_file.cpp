#include "util/atomic_file.h"

#include <cstdio>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

#include "util/text.h"

namespace zelkor {

AtomicWrite WriteFileAtomically(const std::string& path, const std::string& bytes) {
  struct stat st {};
  if (stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) return AtomicWrite::OpenFailed;
  std::random_device rd;
  const std::string temp = path + Format(".part-%u-%u", static_cast<unsigned>(getpid()), rd());
  std::FILE* f = std::fopen(temp.c_str(), "wb");
  if (!f) return AtomicWrite::OpenFailed;
  bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  ok &= std::fflush(f) == 0;
  ok &= fsync(fileno(f)) == 0;
  ok &= std::fclose(f) == 0;
  if (ok) ok = std::rename(temp.c_str(), path.c_str()) == 0;
  if (!ok) std::remove(temp.c_str());
  return ok ? AtomicWrite::Ok : AtomicWrite::WriteFailed;
}

}  // namespace zelkor
