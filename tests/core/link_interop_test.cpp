// The transfer helper against an independent XMODEM sender, lrzsz's sx.
#include <gtest/gtest.h>

#include <atomic>
#include <poll.h>
#include <random>
#include <thread>

#include "support/process.h"
#include "support/pty.h"
#include "support/temp_dir.h"

namespace zelkor {
namespace {

using testing::Process;
using testing::TempDir;

const std::string kHelper = std::string(ZELKOR_BIN_DIR) + "/nvk_xmodem";

std::string RandomBytes(size_t n, unsigned seed) {
  std::mt19937 rng(seed);
  std::string s(n, '\0');
  for (auto& c : s) c = static_cast<char>(rng());
  return s;
}

// Starts the helper on COM1 = device, the way the program does: the port
// number in the place of the program name.
std::unique_ptr<Process> StartHelper(const std::string& device, const std::string& out, int packets,
                                     const std::string& dir) {
  return std::make_unique<Process>(
      kHelper, std::vector<std::string>{"1", "4800", "8", "2", std::to_string(packets), "N", dir, out},
      std::map<std::string, std::string>{{"ZELKOR_COM1", device}}, dir + "helper.out", dir + "helper.err");
}

std::unique_ptr<Process> StartSx(const std::string& file, const std::string& device, const std::string& dir) {
  const std::string cmd = "exec timeout 120 sx -q '" + file + "' < '" + device + "' > '" + device + "'";
  return std::make_unique<Process>("/bin/sh", std::vector<std::string>{"sh", "-c", cmd},
                                   std::map<std::string, std::string>{}, "", dir + "sx.err");
}

TEST(XmodemInterop, HelperReceivesFilesOfEverySizeFromSx) {
  ASSERT_FALSE(testing::Which("sx").empty()) << "lrzsz is not installed";
  ASSERT_FALSE(testing::Which("socat").empty()) << "socat is not installed";
  for (size_t size : {0u, 1u, 127u, 128u, 129u, 262208u}) {
    TempDir dir;
    Process socat("/usr/bin/socat", {"socat", "pty,raw,echo=0,link=" + dir.file("a"),
                                     "pty,raw,echo=0,link=" + dir.file("b")});
    ASSERT_TRUE(testing::WaitForPath(dir.file("a"), 5000) && testing::WaitForPath(dir.file("b"), 5000));
    const std::string data = RandomBytes(size, static_cast<unsigned>(size) + 1);
    dir.write("in.bin", data);
    auto helper = StartHelper(dir.file("a"), dir.file("out.bin"), static_cast<int>((size + 127) / 128), dir.dir());
    auto sx = StartSx(dir.file("in.bin"), dir.file("b"), dir.dir());
    const int status = helper->wait(120000);
    EXPECT_EQ(status, 0) << "size " << size << ": " << dir.read("helper.err");
    const std::string got = dir.read("out.bin");
    ASSERT_GE(got.size(), size) << "size " << size;
    EXPECT_EQ(got.substr(0, size), data) << "size " << size;
    EXPECT_LE(got.size(), std::max<size_t>(128, (size + 127) / 128 * 128)) << "size " << size;
    for (size_t i = size; i < got.size(); ++i) ASSERT_EQ(got[i], '\x1A') << "padding at " << i;
    sx->wait(10000);
    if (size > 128) {
      EXPECT_NE(dir.read("helper.out").find("packet 2 of"), std::string::npos);
    }
  }
}

// Copies bytes between two pseudo-terminal masters, flipping a bit in some
// of those that travel from the sender to the helper.
class CorruptingRelay {
 public:
  CorruptingRelay(int helperSide, int senderSide, unsigned oneIn, unsigned seed)
      : helper_(helperSide), sender_(senderSide), oneIn_(oneIn), rng_(seed) {
    thread_ = std::thread([this] { run(); });
  }
  ~CorruptingRelay() {
    stop_ = true;
    thread_.join();
  }
  int flipped() const { return flipped_; }

 private:
  void run() {
    while (!stop_) {
      pollfd p[2] = {{helper_, POLLIN, 0}, {sender_, POLLIN, 0}};
      if (poll(p, 2, 50) <= 0) continue;
      uint8_t buf[256];
      if (p[0].revents & POLLIN) {
        const ssize_t n = read(helper_, buf, sizeof buf);
        if (n > 0) (void)!write(sender_, buf, static_cast<size_t>(n));
      }
      if (p[1].revents & POLLIN) {
        const ssize_t n = read(sender_, buf, sizeof buf);
        for (ssize_t i = 0; i < n; ++i)
          if (rng_() % oneIn_ == 0) {
            buf[i] ^= static_cast<uint8_t>(1u << (rng_() % 8));
            ++flipped_;
          }
        if (n > 0) (void)!write(helper_, buf, static_cast<size_t>(n));
      }
      if ((p[0].revents | p[1].revents) & (POLLHUP | POLLERR))
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
  }
  int helper_, sender_;
  unsigned oneIn_;
  std::mt19937 rng_;
  std::atomic<bool> stop_{false};
  std::atomic<int> flipped_{0};
  std::thread thread_;
};

TEST(XmodemInterop, CorruptedBytesArriveRepairedOrTheHelperFailsWithoutAFile) {
  ASSERT_FALSE(testing::Which("sx").empty()) << "lrzsz is not installed";
  for (unsigned seed : {1u, 2u}) {
    TempDir dir;
    testing::Pty helperSide, senderSide;
    CorruptingRelay relay(helperSide.master(), senderSide.master(), 1500, seed);
    const std::string data = RandomBytes(8192, seed);
    dir.write("in.bin", data);
    auto helper = StartHelper(helperSide.slavePath(), dir.file("out.bin"), 64, dir.dir());
    auto sx = StartSx(dir.file("in.bin"), senderSide.slavePath(), dir.dir());
    const int status = helper->wait(120000);
    if (status == 0) {
      const std::string got = dir.read("out.bin");
      ASSERT_GE(got.size(), data.size());
      EXPECT_EQ(got.substr(0, data.size()), data) << "a corrupt file was reported as received (seed " << seed << ")";
    } else {
      EXPECT_EQ(status, 255);
      EXPECT_FALSE(std::filesystem::exists(dir.file("out.bin"))) << "a failed transfer left a file";
    }
    EXPECT_GT(relay.flipped(), 0);
    sx->wait(20000);
  }
}

TEST(XmodemInterop, HelperFailsWithMinusOneAndNoFileWhenNobodySends) {
  TempDir dir;
  testing::Pty line;
  auto helper = StartHelper(line.slavePath(), dir.file("out.bin"), 1, dir.dir());
  EXPECT_EQ(helper->wait(60000), 255);
  EXPECT_FALSE(std::filesystem::exists(dir.file("out.bin")));
}

TEST(XmodemInterop, HelperRefusesAPortThatDoesNotExist) {
  TempDir dir;
  auto helper = StartHelper(dir.file("no-such-device"), dir.file("out.bin"), 1, dir.dir());
  EXPECT_EQ(helper->wait(10000), 255);
  EXPECT_NE(dir.read("helper.err").find("does not exist"), std::string::npos);
}

}  // namespace
}  // namespace zelkor
