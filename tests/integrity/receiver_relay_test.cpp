// The transfer helper against lrzsz's sx through a relay that loses the
// header byte (SOH) of packet 4. Without its SOH, packet 4 starts with the
// byte 0x04, which reads like an end of transmission.
#include <gtest/gtest.h>

#include <atomic>
#include <poll.h>
#include <thread>
#include <unistd.h>

#include "support/process.h"
#include "support/pty.h"
#include "support/temp_dir.h"

namespace zelkor {
namespace {

using testing::Process;
using testing::Pty;
using testing::TempDir;

// Copies bytes both ways between two pseudo-terminals; drops the SOH in
// front of packet 4 (the bytes 01 04 FB) the first `drops` times it passes.
class Relay {
 public:
  Relay(int sender, int receiver, int drops) : sender_(sender), receiver_(receiver), drops_(drops) {
    thread_ = std::thread([this] { run(); });
  }
  ~Relay() {
    stop_ = true;
    thread_.join();
  }
  int dropped() const { return dropped_; }

 private:
  void run() {
    std::string pending;  // sender bytes held back while a SOH may start packet 4
    while (!stop_) {
      pollfd p[2] = {{sender_, POLLIN, 0}, {receiver_, POLLIN, 0}};
      if (poll(p, 2, 20) <= 0) continue;
      uint8_t buf[512];
      if (p[1].revents & POLLIN) {
        const ssize_t n = read(receiver_, buf, sizeof buf);
        if (n > 0) (void)!write(sender_, buf, static_cast<size_t>(n));
      }
      if (p[0].revents & POLLIN) {
        const ssize_t n = read(sender_, buf, sizeof buf);
        if (n <= 0) continue;
        pending.append(reinterpret_cast<char*>(buf), static_cast<size_t>(n));
        std::string out;
        size_t i = 0;
        for (; i < pending.size(); ++i) {
          if (pending[i] == '\x01' && i + 2 >= pending.size()) break;  // wait for the next two bytes
          if (pending[i] == '\x01' && pending[i + 1] == '\x04' && pending[i + 2] == '\xFB' && dropped_ < drops_) {
            ++dropped_;
            continue;
          }
          out.push_back(pending[i]);
        }
        pending.erase(0, i);
        (void)!write(receiver_, out.data(), out.size());
      }
    }
  }
  int sender_, receiver_, drops_;
  std::atomic<int> dropped_{0};
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

struct RelayRun {
  int exit;
  std::string file;
  bool fileExists;
  std::string helperOut;
  int dropped;
};

RelayRun Transfer(int drops) {
  TempDir dir;
  Pty senderSide, receiverSide;
  // Eight packets of data without a 0x01, so that only headers carry one.
  std::string data(8 * 128, '\0');
  for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<char>(0x20 + (i * 7) % 90);
  dir.write("in.bin", data);
  Relay relay(senderSide.master(), receiverSide.master(), drops);
  Process helper(std::string(ZELKOR_BIN_DIR) + "/nvk_xmodem",
                 {"1", "4800", "8", "2", "8", "N", dir.dir(), dir.file("out.bin")},
                 {{"ZELKOR_COM1", receiverSide.slavePath()},
                  {"ZELKOR_XMODEM_TIMEOUT_MS", "1000"},
                  {"ZELKOR_XMODEM_CHAR_TIMEOUT_MS", "200"}},
                 dir.file("helper.out"), dir.file("helper.err"));
  const std::string cmd = "exec timeout 60 sx -q '" + dir.file("in.bin") + "' < '" + senderSide.slavePath() +
                          "' > '" + senderSide.slavePath() + "'";
  Process sx("/bin/sh", {"sh", "-c", cmd}, {}, "", dir.file("sx.err"));
  RelayRun r;
  r.exit = helper.wait(90000);
  sx.wait(10000);
  r.fileExists = TempDir::Exists(dir.file("out.bin"));
  r.file = dir.read("out.bin");
  r.helperOut = dir.read("helper.out");
  r.dropped = relay.dropped();
  if (r.file.empty() && r.fileExists) r.file = "(empty)";
  r.file = r.file == data ? "same" : r.file;
  return r;
}

TEST(ReceiverRelay, PacketFoursHeaderLostEveryTimeFailsWithMinusOneAndNoFile) {
  ASSERT_FALSE(testing::Which("sx").empty()) << "lrzsz is not installed";
  const RelayRun r = Transfer(1000);
  EXPECT_GT(r.dropped, 1);
  EXPECT_EQ(r.exit, 255) << r.helperOut;
  EXPECT_FALSE(r.fileExists) << "a truncated transfer left a file";
  EXPECT_NE(r.helperOut.find("error: "), std::string::npos) << "the helper says why";
}

TEST(ReceiverRelay, PacketFoursHeaderLostOnceIsAskedForAgainAndTheFileArrivesWhole) {
  ASSERT_FALSE(testing::Which("sx").empty()) << "lrzsz is not installed";
  const RelayRun r = Transfer(1);
  EXPECT_EQ(r.dropped, 1);
  EXPECT_EQ(r.exit, 0) << r.helperOut;
  EXPECT_EQ(r.file, "same");
}

}  // namespace
}  // namespace zelkor
