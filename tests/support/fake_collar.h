// A LinkRunner that behaves like a collar behind a perfect or a damaging
// line: reads deliver its memory (optionally damaged per read), a reset
// empties it (its reply may be lost), a configuration download delivers
// its record. Every request and every port hold is logged in order.
#pragma once

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "app/paths.h"
#include "link/link_runner.h"
#include "support/temp_dir.h"
#include "util/endian.h"

namespace zelkor::testing {

class FakeCollar : public LinkRunner {
 public:
  explicit FakeCollar(std::string programDirectory) : dir_(std::move(programDirectory)) {}

  // The collar's memory: the 64-byte record, then the blocks.
  std::vector<uint8_t> memory;
  // Applied to the image of the next reads, one per read; empty: intact.
  std::deque<std::function<void(std::vector<uint8_t>&)>> damage;
  // Reads (1-based) that the user cancels.
  std::vector<int> cancelReads;
  // Reads that fail in transfer.
  std::vector<int> failReads;
  // Bytes a failing read did bring before it broke (left at the request's
  // partial path, as the transfer helper does), with `damage` applied.
  size_t partialBytes = 0;
  // Packets each read asked for again (the line's damage), one per read;
  // empty: none.
  std::deque<int> retransmissions;
  bool resetReplyLost = false;
  bool resetIgnored = false;  // the collar never erases
  bool configDownloadFails = false;

  std::vector<LinkParams> requests;
  std::vector<std::string> log;  // "hold 2", "Offload", "Reset", "DownloadConfig", "release 2"
  int reads = 0;

  uint32_t pointer() const { return memory.size() < 4 ? 0 : ReadBe24(memory.data() + 1); }

  LinkResult run(const LinkParams& p) override {
    requests.push_back(p);
    switch (p.request) {
      case LinkRequest::Offload: {
        log.push_back("Offload");
        ++reads;
        if (Contains(cancelReads, reads)) {
          LinkResult r(true, false);
          r.cancelled = true;
          return r;
        }
        const uint32_t bytes = p.selectFlag ? static_cast<uint32_t>(p.datablocks) * 32 + 64 : pointer();
        std::vector<uint8_t> image(memory.begin(), memory.begin() + std::min<size_t>(bytes, memory.size()));
        while (image.size() % 128) image.push_back(0x1A);  // XMODEM padding
        if (p.selectFlag) WriteBe24(&image[1], bytes);
        if (!damage.empty()) {
          if (damage.front()) damage.front()(image);
          damage.pop_front();
        }
        int repeated = 0;
        if (!retransmissions.empty()) {
          repeated = retransmissions.front();
          retransmissions.pop_front();
        }
        if (Contains(failReads, reads)) {
          LinkResult r(true, false);
          r.transferError = "too many errors on one packet";
          r.retransmissions = repeated;
          if (partialBytes && !p.partialPath.empty())
            TempDir::WriteFile(p.partialPath, std::string(image.begin(), image.begin() + std::min(partialBytes, image.size())));
          return r;
        }
        TempDir::WriteFile(GpsDataDir(dir_) + p.fileName, std::string(image.begin(), image.end()));
        LinkResult r(true, true);
        r.retransmissions = repeated;
        return r;
      }
      case LinkRequest::ResetDataPointer:
        log.push_back("Reset");
        if (!resetIgnored) WriteBe24(&memory[1], 64);
        return {!resetReplyLost, false};
      case LinkRequest::DownloadConfig:
        log.push_back("DownloadConfig");
        if (configDownloadFails) return {false, false};
        TempDir::WriteFile(ConfigBackupDir(dir_) + p.fileName, std::string(memory.begin(), memory.begin() + 64));
        return {true, true};
      default:
        log.push_back("other");
        return {true, false};
    }
  }
  bool holdPort(int port) override {
    log.push_back("hold " + std::to_string(port));
    return true;
  }
  void releasePort(int port) override { log.push_back("release " + std::to_string(port)); }

 private:
  static bool Contains(const std::vector<int>& v, int n) {
    for (int x : v)
      if (x == n) return true;
    return false;
  }
  std::string dir_;
};

}  // namespace zelkor::testing
