// Erasing the collar's memory only when its data is safely on disk.
//
// The link's checksum is one byte: a damaged packet can pass it. So the
// memory is erased only when two independent reads of it agree byte for
// byte (a third read decides a disagreement), or, for "Reset Datapointer"
// on its own, when a fresh read equals the newest backup of that collar.
// An erase whose reply was lost on the line is checked by reading the
// configuration back.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "app/prompter.h"
#include "link/link_runner.h"

namespace zelkor {

struct MemoryRead {
  bool commandReceived = false;
  bool received = false;
  bool cancelled = false;
  std::string error;  // why not, for people
  std::vector<uint8_t> image;
};

// One read of the data memory: all of it (selectFlag 0), or `blocks` blocks
// (selectFlag 1). The file goes to tempName in "GPS Data" and is removed
// once its bytes are in memory.
MemoryRead ReadCollarMemory(LinkRunner& link, int port, const std::string& programDirectory,
                            const std::string& tempName, int32_t blocks, int32_t selectFlag);

// After a first read, reads again until two reads agree (three at most).
struct ReadAgreement {
  enum Outcome { Agreed, Disagreed, Cancelled, Failed } outcome = Failed;
  std::vector<uint8_t> image;  // the image two reads agree on
  bool firstWasWrong = false;  // the agreed image is not the first read's
  int reads = 1;               // reads made, the first included
  std::string error;
};
ReadAgreement ConfirmByRereading(LinkRunner& link, int port, const std::string& programDirectory,
                                 const std::string& tempName, const std::vector<uint8_t>& first, int32_t blocks,
                                 int32_t selectFlag);

enum class EraseResult {
  Erased,           // the collar acknowledged
  ErasedReplyLost,  // no acknowledgment, but the configuration read back shows an empty memory
  NotErased,        // no acknowledgment, and the memory still holds data
  Unknown,          // no acknowledgment, and the configuration could not be read back
};

// Sends the reset; when its reply is lost, reads the configuration back.
EraseResult EraseCollarMemory(LinkRunner& link, int port, const std::string& programDirectory);

// Tells the user what the erase did. erasedText is the message of the
// calling sequence for a done erase.
void ReportErase(EraseResult result, const std::string& erasedText, Prompter& prompter);

}  // namespace zelkor
