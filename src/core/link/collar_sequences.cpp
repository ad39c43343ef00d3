#include "link/collar_sequences.h"

#include "app/paths.h"
#include "config/config_file.h"
#include "gpsdata/erase_guard.h"
#include "gpsdata/gps_backups.h"
#include "gpsdata/gps_fix.h"
#include "util/atomic_file.h"
#include "util/read_file.h"
#include "util/text.h"

namespace zelkor {

ConfigFetch FetchCollarConfig(LinkRunner& link, int port, const std::string& programDirectory,
                              const std::string& stage) {
  ConfigFetch f;
  const std::string name = ScratchName("CollarConfig.cfg");
  const std::string path = ConfigBackupDir(programDirectory) + name;
  LinkParams p;
  p.request = LinkRequest::DownloadConfig;
  p.port = port;
  p.fileName = name;
  p.stage = stage;
  p.quietFailures = true;
  f.link = link.run(p);
  f.commandReceived = f.link.commandReceived;
  f.cancelled = f.link.cancelled || f.link.cancelRequested;
  if (f.cancelled) {
    f.error = "the transfer was cancelled";
  } else if (!f.link.commandReceived) {
    const std::string said = ProblemsText(f.link);
    f.error = "the collar did not receive the command" + (said.empty() ? std::string() : " (" + said + ")");
  } else if (!f.link.fileReceived) {
    f.error = f.link.transferError.empty() ? "the transfer failed" : f.link.transferError;
  } else {
    std::string reason;
    if (ReadWholeFile(path, &f.record, &reason) && f.record.size() >= kConfigRecordSize) {
      CollarConfigRecord raw{};
      std::copy(f.record.begin(), f.record.begin() + kConfigRecordSize, raw.begin());
      DecodeConfig(raw, f.config);
      f.received = true;
    } else {
      f.error = "the configuration received could not be read: " +
                (reason.empty() ? std::string("it holds fewer than 64 bytes") : reason);
    }
  }
  DiscardFile(path);
  return f;
}

bool RunResetSequence(Prompter& prompter, LinkRunner& link, int port, const std::string& programDirectory,
                      const std::function<bool()>& cancelled) {
  if (prompter.ask(kResetQuestion, kResetCaption, PromptIcon::Question, PromptButtons::YesNo,
                   {"The collar's memory is read first and erased only when it equals the newest backup of that "
                    "collar, so that no fix is lost.",
                    PromptAnswer::No}) != PromptAnswer::Yes)
    return false;
  SequenceHold hold(link, port);
  auto wasCancelled = [&] { return cancelled && cancelled(); };
  auto stop = [&] {
    prompter.notify("The reset was cancelled. Nothing was erased.", kResetCaption, PromptIcon::Information);
    return false;
  };
  // Which collar this is, and whether it holds anything.
  const ConfigFetch fetched = FetchCollarConfig(link, port, programDirectory, "Reading the collar's configuration");
  if (fetched.cancelled || wasCancelled()) return stop();
  if (!fetched.received) {
    prompter.notify(kResetFailed, "Error", PromptIcon::Error,
                    {"Before erasing, the collar's configuration is read to learn which collar it is and what it "
                     "holds, and that read failed: " +
                         fetched.error + ". Nothing was erased.",
                     {}});
    return false;
  }
  const uint32_t collarId = fetched.config.collarId;
  const uint32_t blocks = fetched.config.dataBlockCount;
  if (blocks > 0) {
    // What the collar holds must already be on disk before it is erased.
    const std::string newest = NewestGpsBackup(GpsBackupDir(programDirectory), collarId);
    if (newest.empty()) {
      prompter.notify(kUnsavedData, kResetCaption, PromptIcon::Warning,
                      {Format("No backup of collar %u exists; offload it first. It holds %u data blocks. "
                              "Nothing was read and nothing was erased.",
                              collarId, blocks),
                       {}});
      return false;
    }
    const MemoryRead read =
        ReadCollarMemory(link, port, programDirectory, Format("erase-check-%u", collarId),
                         static_cast<int32_t>(blocks), 0, "Reading the collar's memory to compare it with its backup");
    if (read.cancelled || wasCancelled()) return stop();
    if (!read.received || read.image.size() < kGpsHeaderSize) {
      prompter.notify(kResetFailed, "Error", PromptIcon::Error,
                      {"Before erasing, the collar's memory is read to check that its data has been saved, and "
                       "that read failed: " +
                           (read.error.empty() ? std::string("the data is incomplete") : read.error) +
                           ". Nothing was erased.",
                       {}});
      return false;
    }
    std::vector<uint8_t> saved;
    if (ImageCollarId(read.image) != collarId || !ReadWholeFile(newest, &saved) || saved != read.image) {
      prompter.notify(kUnsavedData, kResetCaption, PromptIcon::Warning,
                      {Format("Collar %u holds %u data blocks that differ from its newest backup, %s. Use "
                              "Offload GPS Data first; nothing was erased.",
                              collarId, HeaderBlockCount(read.image.data()), newest.c_str()),
                       {}});
      return false;
    }
  }
  if (wasCancelled()) return stop();
  const EraseResult erased = EraseCollarMemory(link, port, programDirectory);
  ReportErase(erased, "All data in the collar has been erased.", prompter);
  return erased == EraseResult::Erased || erased == EraseResult::ErasedReplyLost;
}

void RunAlmanacSend(Prompter& prompter, LinkRunner& link, int port) {
  LinkParams p;
  p.request = LinkRequest::LoadAlmanac;
  p.port = port;
  for (;;) {
    if (link.run(p).commandReceived) {
      prompter.notify("Load almanac command has been sent", "Almanac Command", PromptIcon::Information);
      return;
    }
    if (prompter.ask("Error: Load almanac command was not received", "Almanac Command", PromptIcon::Error,
                     PromptButtons::RetryCancel) != PromptAnswer::Retry)
      return;
  }
}

bool RunTwoWaySend(LinkRunner& link, int port) {
  LinkParams p;
  p.request = LinkRequest::TwoWayGps;
  p.port = port;
  return link.run(p).commandReceived;
}

bool RunConfigDownloadChoice(CollarChoice choice, int port, const std::string& programDirectory,
                             ConfigDownloadState& state, LinkRunner& link, Prompter& prompter,
                             CommandSink& commands, const std::string& configFileName) {
  state.downloadedConfigPath = ConfigBackupDir(programDirectory) + configFileName;
  state.record.clear();
  if (choice == CollarChoice::ViewConfig) state.viewOnly = true;
  if (choice == CollarChoice::EditConfig) state.viewOnly = false;
  const bool offload = choice == CollarChoice::OffloadGpsData;
  for (;;) {
    const ConfigFetch f = FetchCollarConfig(link, port, programDirectory, "Reading the collar's configuration");
    if (f.received) {
      state.record = f.record;
      // The file the user knows as the configuration last downloaded.
      std::string reason;
      if (WriteFileAtomically(state.downloadedConfigPath, std::string(f.record.begin(), f.record.end()), &reason) !=
          AtomicWrite::Ok)
        prompter.notify("The collar's configuration was read, but it could not be saved.", "GPS data",
                        PromptIcon::Warning, {WriteFailureText(state.downloadedConfigPath, reason), {}});
      commands.postCommand(offload ? kCmdOffloadGpsData : kCmdCollarConfiguration);
      return true;
    }
    const char* text;
    if (!f.commandReceived)
      text = offload ? "The collar did not receive the command. Offload GPS data canceled!"
                     : "The collar did not receive the command. View collar config is canceled!";
    else
      text = offload ? "Did not receive the GPS data file. Offload GPS data canceled!"
                     : "Did not receive the collar config data file. View collar config is canceled!";
    // One message: the collar program's own sentence, and under it what the link
    // found (the port, the collar's silence, the transfer's end).
    PromptOptions more;
    for (const LinkMessage& m : f.link.problems)
      more.details += (more.details.empty() ? "" : " ") + m.text + (m.details.empty() ? "" : " " + m.details);
    if (f.cancelled) {
      more.details += (more.details.empty() ? "" : " ") + std::string("The transfer was cancelled.");
    } else if (f.link.transferWriteFailed) {
      more.details += (more.details.empty() ? "" : " ") + std::string("The collar's configuration arrived but could "
                                                                      "not be saved: ") +
                      f.error + ". Make room on the disk.";
    } else if (f.commandReceived) {
      more.details += (more.details.empty() ? "" : " ") + std::string("The collar's configuration did not arrive: ") +
                      f.error + ".";
    } else if (more.details.empty()) {
      more.details = f.link.portFailed ? "Nothing was sent to the collar: the port could not be opened."
                                       : "Check the cable and the port, and wake the collar with its magnet.";
    }
    if (!f.cancelled) more.details += " Retry asks the collar again.";
    const bool retry = !f.cancelled && prompter.ask(text, "GPS data", PromptIcon::Error, PromptButtons::RetryCancel,
                                                    more) == PromptAnswer::Retry;
    if (f.cancelled) prompter.notify(text, "GPS data", PromptIcon::Error, more);
    if (!retry) break;
  }
  commands.postCommand(kCmdCollarCommands);
  return false;
}

}  // namespace zelkor
