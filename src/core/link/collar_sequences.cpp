#include "link/collar_sequences.h"

#include "app/paths.h"
#include "gpsdata/erase_guard.h"
#include "gpsdata/gps_backups.h"
#include "gpsdata/gps_fix.h"
#include "util/read_file.h"
#include "util/text.h"

namespace zelkor {

bool RunResetSequence(Prompter& prompter, LinkRunner& link, int port, const std::string& programDirectory) {
  if (prompter.ask(kResetQuestion, kResetCaption, PromptIcon::Question, PromptButtons::YesNo,
                   {"The collar's memory is read first and erased only when it equals the newest backup of that "
                    "collar, so that no fix is lost.",
                    PromptAnswer::No}) != PromptAnswer::Yes)
    return false;
  SequenceHold hold(link, port);
  // What the collar holds must already be on disk before it is erased.
  const MemoryRead read = ReadCollarMemory(link, port, programDirectory, "erase-check.incoming", 0, 0);
  if (read.cancelled) {
    prompter.notify("The reset was cancelled. Nothing was erased.", kResetCaption, PromptIcon::Information);
    return false;
  }
  if (!read.received || read.image.size() < kGpsHeaderSize) {
    prompter.notify(kResetFailed, "Error", PromptIcon::Error,
                    {"Before erasing, the collar's memory is read to check that its data has been saved, and that "
                     "read failed: " +
                         (read.error.empty() ? std::string("the data is incomplete") : read.error) +
                         ". Nothing was erased.",
                     {}});
    return false;
  }
  if (HeaderBlockCount(read.image.data()) > 0) {
    const uint32_t collarId = ImageCollarId(read.image);
    const std::string newest = NewestGpsBackup(GpsBackupDir(programDirectory), collarId);
    std::vector<uint8_t> saved;
    if (newest.empty() || !ReadWholeFile(newest, &saved) || saved != read.image) {
      prompter.notify(kUnsavedData, kResetCaption, PromptIcon::Warning,
                      {Format("Collar %u holds %u data blocks ", collarId, HeaderBlockCount(read.image.data())) +
                           (newest.empty() ? std::string("and no backup of it exists.")
                                           : "that differ from its newest backup, " + newest + ".") +
                           " Use Offload GPS Data first; nothing was erased.",
                       {}});
      return false;
    }
  }
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

void RunTwoWaySend(LinkRunner& link, int port) {
  LinkParams p;
  p.request = LinkRequest::TwoWayGps;
  p.port = port;
  link.run(p);
}

bool RunConfigDownloadChoice(CollarChoice choice, int port, const std::string& programDirectory,
                             ConfigDownloadState& state, LinkRunner& link, Prompter& prompter,
                             CommandSink& commands, const std::string& configFileName) {
  state.downloadedConfigPath = ConfigBackupDir(programDirectory) + configFileName;
  if (choice == CollarChoice::ViewConfig) state.viewOnly = true;
  if (choice == CollarChoice::EditConfig) state.viewOnly = false;
  LinkParams p;
  p.request = LinkRequest::DownloadConfig;
  p.port = port;
  p.fileName = configFileName;
  const bool offload = choice == CollarChoice::OffloadGpsData;
  for (;;) {
    const LinkResult r = link.run(p);
    if (r.commandReceived && r.fileReceived) {
      commands.postCommand(offload ? kCmdOffloadGpsData : kCmdCollarConfiguration);
      return true;
    }
    const char* text;
    if (!r.commandReceived)
      text = offload ? "The collar did not receive the command. Offload GPS data canceled!"
                     : "The collar did not receive the command. View collar config is canceled!";
    else
      text = offload ? "Did not receive the GPS data file. Offload GPS data canceled!"
                     : "Did not receive the collar config data file. View collar config is canceled!";
    PromptOptions more;
    if (r.portFailed)
      more.details = "Nothing was sent to the collar: the port could not be opened.";
    else if (r.cancelled)
      more.details = "The transfer was cancelled.";
    else if (!r.transferError.empty())
      more.details = "The reason: " + r.transferError + ".";
    else if (!r.commandReceived)
      more.details = "Check the cable and the port, and wake the collar with its magnet.";
    if (!r.cancelled) more.details += (more.details.empty() ? "" : " ") + std::string("Retry asks the collar again.");
    const bool retry = !r.cancelled && prompter.ask(text, "GPS data", PromptIcon::Error, PromptButtons::RetryCancel,
                                                    more) == PromptAnswer::Retry;
    if (r.cancelled) prompter.notify(text, "GPS data", PromptIcon::Error, more);
    if (!retry) break;
  }
  commands.postCommand(kCmdCollarCommands);
  return false;
}

}  // namespace zelkor
