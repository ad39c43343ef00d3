#include "gpsdata/erase_guard.h"

#include <algorithm>
#include <cstdio>

#include "util/atomic_file.h"
#include "util/text.h"

#include "app/paths.h"
#include "config/config_file.h"
#include "gpsdata/gps_fix.h"
#include "link/collar_sequences.h"
#include "util/read_file.h"

namespace zelkor {

MemoryRead ReadCollarMemory(LinkRunner& link, int port, const std::string& programDirectory,
                            const std::string& baseName, int32_t blocks, int32_t selectFlag,
                            const std::string& stage) {
  MemoryRead read;
  const std::string name = ScratchName(baseName);
  const std::string path = GpsDataDir(programDirectory) + name;
  LinkParams p;
  p.request = LinkRequest::Offload;
  p.port = port;
  p.fileName = name;
  p.datablocks = blocks;
  p.selectFlag = selectFlag;
  p.stage = stage;
  p.quietFailures = true;
  p.partialPath = GpsDataDir(programDirectory) + ScratchName(baseName + ".partial");
  const LinkResult r = link.run(p);
  read.commandReceived = r.commandReceived;
  read.cancelled = r.cancelled || r.cancelRequested;
  read.retransmissions = r.retransmissions;
  read.writeFailed = r.transferWriteFailed;
  if (read.cancelled) {
    read.error = "the transfer was cancelled";
  } else if (!r.commandReceived) {
    const std::string said = ProblemsText(r);
    read.error = "the collar did not receive the command" + (said.empty() ? std::string() : " (" + said + ")");
  } else if (!r.fileReceived) {
    read.error = r.transferError.empty() ? "the transfer failed" : r.transferError;
    ReadWholeFile(p.partialPath, &read.partial);
  } else {
    std::string reason;
    read.received = ReadWholeFile(path, &read.image, &reason);
    if (!read.received) read.error = "the received file " + path + " could not be read: " + reason;
  }
  DiscardFile(path);
  DiscardFile(p.partialPath);
  return read;
}

uint32_t FirstDifferingBlock(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
  const size_t both = std::min(a.size(), b.size());
  if (both < kGpsHeaderSize) return both == 0 ? 0 : (std::equal(a.begin(), a.begin() + both, b.begin()) ? 0 : 1);
  if (!std::equal(a.begin(), a.begin() + kGpsHeaderSize, b.begin())) return 1;
  const size_t blocks = (both - kGpsHeaderSize) / kGpsBlockSize;
  for (size_t i = 0; i < blocks; ++i) {
    const size_t at = kGpsHeaderSize + i * kGpsBlockSize;
    if (!std::equal(a.begin() + at, a.begin() + at + kGpsBlockSize, b.begin() + at)) return static_cast<uint32_t>(i + 1);
  }
  return 0;
}

ReadAgreement ConfirmByRereading(LinkRunner& link, int port, const std::string& programDirectory,
                                 const std::string& baseName, const std::vector<uint8_t>& first, int32_t blocks,
                                 int32_t selectFlag, bool beforeErase) {
  ReadAgreement a;
  std::vector<std::vector<uint8_t>> seen = {first};
  for (int read = 2; read <= kMaxReads; ++read) {
    const MemoryRead next = ReadCollarMemory(
        link, port, programDirectory, baseName, blocks, selectFlag,
        read == 2 ? (beforeErase ? "Reading it again to confirm before erasing (second read)"
                                 : "Reading it again to confirm (second read)")
                  : Format("The reads differ: reading again to find two that agree (read %d of at most %d)", read,
                           kMaxReads));
    a.reads = read;
    if (!next.received || next.cancelled) {
      a.outcome = next.cancelled ? ReadAgreement::Cancelled : ReadAgreement::Failed;
      a.error = next.error;
      if (!next.cancelled) a.differsFromBlock = FirstDifferingBlock(first, next.partial);
      return a;
    }
    for (const std::vector<uint8_t>& earlier : seen) {
      if (earlier != next.image) continue;
      a.outcome = ReadAgreement::Agreed;
      a.image = next.image;
      a.firstWasWrong = next.image != first;
      return a;
    }
    seen.push_back(next.image);
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
  const ConfigFetch check = FetchCollarConfig(link, port, programDirectory, "Checking whether the collar erased");
  if (!check.received) return EraseResult::Unknown;
  return check.config.dataBlockCount == 0 ? EraseResult::ErasedReplyLost : EraseResult::NotErased;
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
