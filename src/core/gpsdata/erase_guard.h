// Erasing the collar's memory only when its data is safely on disk.
//
// The link's checksum is one byte: a damaged packet can pass it. So the
// memory is erased only when two independent reads of it agree byte for
// byte (further reads decide a disagreement), or, for "Reset Datapointer"
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
  bool cancelled = false;        // the user cancelled (during or at the end of the transfer)
  bool writeFailed = false;      // the file could not be written (a full disk): the line was fine
  int retransmissions = 0;       // packets asked for again: damage on the line
  std::string error;  // why not, for people
  std::vector<uint8_t> image;
  std::vector<uint8_t> partial;  // what a failed transfer did bring
};

// One read of the data memory: all of it (selectFlag 0), or `blocks` blocks
// (selectFlag 1). The file goes to a scratch name of this job in "GPS Data"
// (made from baseName) and is removed once its bytes are in memory; no other
// job, in this program or another, uses that name. stage names the step for
// the transfer window.
MemoryRead ReadCollarMemory(LinkRunner& link, int port, const std::string& programDirectory,
                            const std::string& baseName, int32_t blocks, int32_t selectFlag,
                            const std::string& stage = {});

// After a first read, reads again until two reads agree (any two: on a line
// that damages data, a read is often wrong), kMaxReads reads at most.
constexpr int kMaxReads = 5;
struct ReadAgreement {
  enum Outcome { Agreed, Disagreed, Cancelled, Failed } outcome = Failed;
  std::vector<uint8_t> image;  // the image two reads agree on
  bool firstWasWrong = false;  // the agreed image is not the first read's
  int reads = 1;               // reads made, the first included
  std::string error;
  // When a later read failed part way: the first block (1-based) in which
  // the part it did bring differs from the first read; 0 when they agree as
  // far as it went.
  uint32_t differsFromBlock = 0;
};
// beforeErase: the reads confirm the data before the collar is erased
// (which the stage line says).
ReadAgreement ConfirmByRereading(LinkRunner& link, int port, const std::string& programDirectory,
                                 const std::string& baseName, const std::vector<uint8_t>& first, int32_t blocks,
                                 int32_t selectFlag, bool beforeErase = false);

// The first block (1-based) in which two images differ, comparing the
// header and then as many whole blocks as both hold; 0 when they agree that
// far. A header that differs is block 0's business: it gives 1.
uint32_t FirstDifferingBlock(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b);

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
