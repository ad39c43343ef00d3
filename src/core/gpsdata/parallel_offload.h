// Several collars offloaded at once, one per serial port: each runs its own
// link session (its own port, its own receiver process) in its own thread,
// and none waits for another. Each collar gets the whole of the single
// offload: the configuration first, then the memory, a verified backup, and
// an erase (when asked for) only after two reads agree. Output names come
// from a pattern in which "{id}" stands for the collar ID; a name already
// taken gets "-2", "-3" and so on.
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "app/clock.h"
#include "gpsdata/offload_workflow.h"
#include "link/link_runner.h"
#include "link/link_session.h"

namespace zelkor {

struct CollarRun {
  int port = 0;  // 0-based
  uint32_t collarId = 0;  // 0 until its configuration is read
  std::string stage = "Waiting";
  int packetsDone = 0;
  int packetTotal = 0;
  double bytesPerSecond = 0;
  int secondsLeft = -1;
  double readRate = 0;  // payload bytes per second of the first full read
  bool finished = false;
  bool ok = false;
  bool cancelled = false;
  bool erased = false;
  bool empty = false;  // the collar held no fixes: nothing was done
  uint32_t fixes = 0;
  std::string csvPath;
  std::string backupPath;
  std::string result;  // one line: what came of it, or why it failed
};

struct ParallelOffloadOptions {
  std::vector<int> ports;  // 0-based, each once
  std::string namePattern = "{id}";
  OutputForm form = OutputForm::LatLon;
  std::string zoneText;  // an entry of the fixed list
  std::optional<NamedZone> namedZone;
  bool erase = false;
};

// A link session for one port, reporting progress and asking whether to stop.
using LinkSessionFactory = std::function<std::unique_ptr<LinkRunner>(
    int port, std::function<void(const LinkDisplay&)> onTick, std::function<bool()> cancelled)>;
// Keeps a finished collar's image (see OffloadContext::keep); called one
// collar at a time.
using ImageKeeper = std::function<KeepResult(const std::vector<uint8_t>& image, const std::string& backupPath,
                                             bool confirmed, int port)>;

class ParallelOffload {
 public:
  ParallelOffload(std::string programDirectory, const Clock& clock, LinkSessionFactory factory,
                  ParallelOffloadOptions options, ImageKeeper keep = {});
  ~ParallelOffload();

  // One thread per port; returns at once.
  void start();
  void cancel(int port);
  void cancelAll();
  // Waits for every collar to finish.
  void wait();
  bool finished() const;
  std::vector<CollarRun> snapshot() const;

  // "{id}" replaced: "deer-{id}" and 1234 give "deer-1234".
  static std::string NameFor(const std::string& pattern, uint32_t collarId);

 private:
  struct Slot;
  void runCollar(Slot& slot);
  std::string reserveName(const std::string& base);

  std::string programDirectory_;
  const Clock& clock_;
  LinkSessionFactory factory_;
  ParallelOffloadOptions options_;
  ImageKeeper keep_;
  std::vector<std::unique_ptr<Slot>> slots_;
  mutable std::mutex mutex_;  // the slots' runs and the reserved names
  std::mutex keepMutex_;
  std::vector<std::string> reserved_;
};

}  // namespace zelkor
