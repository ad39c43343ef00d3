#include "gpsdata/parallel_offload.h"

#include <filesystem>

#include "app/command_ids.h"
#include "app/paths.h"
#include "config/config_file.h"
#include "link/collar_sequences.h"
#include "util/text.h"

namespace zelkor {

namespace {

// The one collar's answers: no file is ever replaced; the collar is erased
// when asked for. What went wrong is kept for the result line.
class CollarPrompter : public Prompter {
 public:
  explicit CollarPrompter(bool erase) : erase_(erase) {}
  void notify(const std::string& text, const std::string&, PromptIcon icon, const PromptOptions& more) override {
    if (icon == PromptIcon::Error || icon == PromptIcon::Warning)
      lastProblem = text + (more.details.empty() ? "" : " " + more.details);
  }
  PromptAnswer ask(const std::string& text, const std::string&, PromptIcon, PromptButtons buttons,
                   const PromptOptions& more) override {
    if (text.find("datapointer") != std::string::npos || text.find("erase all data") != std::string::npos)
      return erase_ ? PromptAnswer::Yes : PromptAnswer::No;
    if (buttons == PromptButtons::RetryCancel) {
      lastProblem = text + (more.details.empty() ? "" : " " + more.details);
      return PromptAnswer::Cancel;
    }
    return PromptAnswer::No;
  }
  std::string lastProblem;

 private:
  bool erase_;
};

class NextCommand : public CommandSink {
 public:
  void postCommand(int id) override { last = id; }
  int last = 0;
};

class NoSettings : public SettingsStore {
 public:
  bool keyExists(const std::string&) const override { return true; }
  bool createKey(const std::string&) override { return true; }
  SettingsValue read(const std::string&, const std::string&) const override { return {}; }
  bool write(const std::string&, const std::string&, const std::string&) override { return true; }
};

// Names the stage of each request as it starts.
class StagedLink : public LinkRunner {
 public:
  StagedLink(LinkRunner& inner, std::function<void(const std::string&)> stage) : inner_(inner), stage_(stage) {}
  LinkResult run(const LinkParams& p) override {
    switch (p.request) {
      case LinkRequest::DownloadConfig:
      case LinkRequest::DownloadConfigNoTrailer: stage_("Reading the configuration"); break;
      case LinkRequest::Offload: stage_(reads_++ ? "Reading again to check" : "Offloading"); break;
      case LinkRequest::ResetDataPointer: stage_("Erasing"); break;
      default: break;
    }
    return inner_.run(p);
  }
  bool holdPort(int port) override { return inner_.holdPort(port); }
  void releasePort(int port) override { inner_.releasePort(port); }

 private:
  LinkRunner& inner_;
  std::function<void(const std::string&)> stage_;
  int reads_ = 0;
};

}  // namespace

struct ParallelOffload::Slot {
  CollarRun run;
  std::atomic<bool> cancel{false};
  std::thread thread;
};

ParallelOffload::ParallelOffload(std::string programDirectory, const Clock& clock, LinkSessionFactory factory,
                                 ParallelOffloadOptions options, ImageKeeper keep)
    : programDirectory_(std::move(programDirectory)),
      clock_(clock),
      factory_(std::move(factory)),
      options_(std::move(options)),
      keep_(std::move(keep)) {
  for (int port : options_.ports) {
    auto slot = std::make_unique<Slot>();
    slot->run.port = port;
    slots_.push_back(std::move(slot));
  }
}

ParallelOffload::~ParallelOffload() {
  cancelAll();
  wait();
}

std::string ParallelOffload::NameFor(const std::string& pattern, uint32_t collarId) {
  std::string name = pattern.empty() ? "{id}" : pattern;
  for (size_t at; (at = name.find("{id}")) != std::string::npos;) name.replace(at, 4, std::to_string(collarId));
  return name;
}

void ParallelOffload::start() {
  for (auto& slot : slots_) slot->thread = std::thread([this, s = slot.get()] { runCollar(*s); });
}

void ParallelOffload::cancel(int port) {
  for (auto& slot : slots_)
    if (slot->run.port == port) slot->cancel = true;
}

void ParallelOffload::cancelAll() {
  for (auto& slot : slots_) slot->cancel = true;
}

void ParallelOffload::wait() {
  for (auto& slot : slots_)
    if (slot->thread.joinable()) slot->thread.join();
}

bool ParallelOffload::finished() const {
  std::lock_guard<std::mutex> lock(mutex_);
  for (const auto& slot : slots_)
    if (!slot->run.finished) return false;
  return true;
}

std::vector<CollarRun> ParallelOffload::snapshot() const {
  std::lock_guard<std::mutex> lock(mutex_);
  std::vector<CollarRun> runs;
  for (const auto& slot : slots_) runs.push_back(slot->run);
  return runs;
}

std::string ParallelOffload::reserveName(const std::string& base) {
  std::lock_guard<std::mutex> lock(mutex_);
  const std::string dir = GpsDataDir(programDirectory_);
  std::string name = base + ".csv";
  for (int n = 2;; ++n) {
    std::error_code ec;
    const bool taken = std::filesystem::exists(dir + name, ec) ||
                       std::find(reserved_.begin(), reserved_.end(), name) != reserved_.end();
    if (!taken) break;
    name = base + "-" + std::to_string(n) + ".csv";
  }
  reserved_.push_back(name);
  return name;
}

void ParallelOffload::runCollar(Slot& slot) {
  const int port = slot.run.port;
  auto update = [&](const std::function<void(CollarRun&)>& change) {
    std::lock_guard<std::mutex> lock(mutex_);
    change(slot.run);
  };
  auto finish = [&](bool ok, const std::string& result) {
    update([&](CollarRun& r) {
      r.finished = true;
      r.ok = ok;
      r.cancelled = slot.cancel && !ok;
      r.stage = ok ? "Done" : r.cancelled ? "Cancelled" : "Failed";
      r.result = result;
      r.secondsLeft = -1;
    });
  };

  CollarPrompter prompter(options_.erase);
  auto inner = factory_(
      port,
      [&](const LinkDisplay& d) {
        update([&](CollarRun& r) {
          r.packetsDone = d.packetsDone;
          r.packetTotal = d.packetTotal;
          r.bytesPerSecond = d.bytesPerSecond;
          r.secondsLeft = d.secondsLeft;
          if (r.stage == "Offloading" && d.packetsDone > 0 && d.packetsDone == d.packetTotal)
            r.readRate = d.bytesPerSecond;
        });
      },
      [&slot] { return slot.cancel.load(); });
  StagedLink link(*inner, [&](const std::string& stage) {
    update([&](CollarRun& r) {
      r.stage = stage;
      r.packetsDone = 0;
      r.packetTotal = 0;
    });
  });
  SequenceHold hold(link, port);

  ConfigDownloadState download;
  NextCommand next;
  RunConfigDownloadChoice(CollarChoice::OffloadGpsData, port, programDirectory_, download, link, prompter, next,
                          Format("CollarConfig-COM%d.cfg", port + 1));
  if (slot.cancel) return finish(false, "cancelled before the offload; nothing was erased");
  if (next.last != kCmdOffloadGpsData)
    return finish(false, "the configuration could not be read: " + prompter.lastProblem);
  CollarConfig config;
  if (download.record.size() < kConfigRecordSize) return finish(false, "the configuration could not be read");
  CollarConfigRecord raw{};
  std::copy(download.record.begin(), download.record.begin() + kConfigRecordSize, raw.begin());
  DecodeConfig(raw, config);
  update([&](CollarRun& r) { r.collarId = config.collarId; });
  if (config.dataBlockCount == 0) {
    // Nothing to offload is no failure, and no file is written for it.
    finish(true, Format("collar %u is empty: nothing to offload", config.collarId));
    return update([&](CollarRun& r) {
      r.empty = true;
      r.stage = "Empty";
    });
  }

  OffloadChoice choice;
  choice.blocks = config.dataBlockCount;
  choice.initialCount = config.dataBlockCount;
  choice.fileName = reserveName(NameFor(options_.namePattern, config.collarId));
  choice.form = options_.form;
  choice.zoneText = options_.zoneText;
  choice.namedZone = options_.namedZone;
  choice.collarId = config.collarId;
  AppState state;
  state.programDirectory = programDirectory_;
  state.comPort = port;
  NoSettings settings;
  std::string kept;
  OffloadContext context{state, settings, prompter, link, clock_, {}, {}};
  if (keep_)
    context.keep = [&](const std::vector<uint8_t>& image, const std::string& backup, bool confirmed) {
      std::lock_guard<std::mutex> lock(keepMutex_);
      const KeepResult result = keep_(image, backup, confirmed, port);
      kept = result.message;
      return result;
    };
  context.cancelled = [&slot] { return slot.cancel.load(); };
  const OffloadReport report = RunOffload(choice, context);
  update([&](CollarRun& r) {
    r.csvPath = report.receivedPath;
    r.backupPath = report.backupPath;
    r.fixes = report.translation.rows;
    r.erased = report.resetDone;
  });
  if (report.outcome == OffloadOutcome::Viewed) {
    std::string line = Format("collar %u, %u fixes to %s, backup %s", config.collarId, report.translation.rows,
                              report.receivedPath.c_str(), report.backupPath.c_str());
    double rate = 0;
    update([&](CollarRun& r) { rate = r.readRate; });
    if (rate > 0) line += Format(", read at %.0f B/s", rate);
    if (options_.erase)
      line += report.resetDone ? "; erased"
                               : "; NOT erased: " + (report.failure.empty() ? prompter.lastProblem : report.failure);
    if (!kept.empty()) line += ". " + kept;
    const bool ok = !options_.erase || report.resetDone;
    return finish(ok, line);
  }
  if (slot.cancel) return finish(false, "cancelled; nothing was erased");
  return finish(false, report.failure.empty() ? prompter.lastProblem : report.failure);
}

}  // namespace zelkor
