#include "gpsdata/erase_guard.h"

#include "util/text.h"

#include <cstdio>

#include "app/paths.h"
#include "config/config_file.h"
#include "link/collar_sequences.h"
#include "util/read_file.h"

namespace zelkor {

MemoryRead ReadCollarMemory(LinkRunner& link, int port, const std::string& programDirectory,
                            const std::string& tempName, int32_t blocks, int32_t selectFlag) {
  MemoryRead read;
  LinkParams p;
  p.request = LinkRequest::Offload;
  p.port = port;
  p.fileName = tempName;
  p.datablocks = blocks;
  p.selectFlag = selectFlag;
  const std::string path = GpsDataDir(programDirectory) + tempName;
  std::remove(path.c_str());
  const LinkResult r = link.run(p);
  read.commandReceived = r.commandReceived;
  read.cancelled = r.cancelled;
  if (r.cancelled) {
    read.error = "the transfer was cancelled";
  } else if (!r.commandReceived) {
    read.error = "the collar did not receive the command";
  } else if (!r.fileReceived) {
    read.error = r.transferError.empty() ? "the transfer failed" : r.transferError;
  } else {
    std::string reason;
    read.received = ReadWholeFile(path, &read.image, &reason);
    if (!read.received) read.error = "the received file " + path + " could not be read: " + reason;
  }
  std::remove(path.c_str());
  return read;
}

ReadAgreement ConfirmByRereading(LinkRunner& link, int port, const std::string& programDirectory,
                                 const std::string& tempName, const std::vector<uint8_t>& first, int32_t blocks,
                                 int32_t selectFlag) {
  ReadAgreement a;
  const MemoryRead second = ReadCollarMemory(link, port, programDirectory, tempName, blocks, selectFlag);
  a.reads = 2;
  if (!second.received) {
    a.outcome = second.cancelled ? ReadAgreement::Cancelled : ReadAgreement::Failed;
    a.error = second.error;
    return a;
  }
  if (second.image == first) {
    a.outcome = ReadAgreement::Agreed;
    a.image = first;
    return a;
  }
  const MemoryRead third = ReadCollarMemory(link, port, programDirectory, tempName, blocks, selectFlag);
  a.reads = 3;
  if (!third.received) {
    a.outcome = third.cancelled ? ReadAgreement::Cancelled : ReadAgreement::Failed;
    a.error = third.error;
    return a;
  }
  if (third.image == first || third.image == second.image) {
    a.outcome = ReadAgreement::Agreed;
    a.image = third.image;
    a.firstWasWrong = third.image != first;
    return a;
  }
  a.outcome = ReadAgreement::Disagreed;
  return a;
}

EraseResult EraseCollarMemory(LinkRunner& link, int port, const std::string& programDirectory) {
  LinkParams reset;
  reset.request = LinkRequest::ResetDataPointer;
  reset.port = port;
  if (link.run(reset).commandReceived) return EraseResult::Erased;
  // The reply may have been lost after the collar erased: ask the collar.
  // One name per port, so that collars offloaded side by side never share it.
  const std::string kCheckName = Format("erase-check-COM%d.cfg", port + 1);
  LinkParams check;
  check.request = LinkRequest::DownloadConfig;
  check.port = port;
  check.fileName = kCheckName;
  const std::string path = ConfigBackupDir(programDirectory) + kCheckName;
  const LinkResult r = link.run(check);
  EraseResult result = EraseResult::Unknown;
  CollarConfig config;
  if (r.commandReceived && r.fileReceived && ReadConfigFile(path, config) == ConfigFileStatus::Ok)
    result = config.dataBlockCount == 0 ? EraseResult::ErasedReplyLost : EraseResult::NotErased;
  std::remove(path.c_str());
  return result;
}

void ReportErase(EraseResult result, const std::string& erasedText, Prompter& prompter) {
  switch (result) {
    case EraseResult::Erased:
      prompter.notify(erasedText, kErasedCaption, PromptIcon::Information);
      break;
    case EraseResult::ErasedReplyLost:
      prompter.notify(erasedText, kErasedCaption, PromptIcon::Information,
                      {"The collar's reply was lost on the line, but its configuration, read back afterwards, "
                       "shows an empty memory.",
                       {}});
      break;
    case EraseResult::NotErased:
      prompter.notify(kResetFailed, "Error", PromptIcon::Error,
                      {"The collar's configuration, read back afterwards, shows that its memory still holds "
                       "its data.",
                       {}});
      break;
    case EraseResult::Unknown:
      prompter.notify(kResetFailed, "Error", PromptIcon::Error,
                      {"The collar did not answer the reset, and its configuration could not be read back, so it "
                       "is not known whether its memory was erased. Check the cable, wake the collar with its "
                       "magnet and offload it again to find out.",
                       {}});
      break;
  }
}

}  // namespace zelkor
