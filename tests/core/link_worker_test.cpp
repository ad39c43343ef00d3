// One collar request at a time against a scripted peer on a pseudo-terminal.
#include <gtest/gtest.h>

#include <poll.h>
#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <csignal>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <fstream>
#include <mutex>
#include <thread>

#include "app/paths.h"
#include "link/default_commands.h"
#include "link/link_session.h"
#include "link/posix_serial_port.h"
#include "support/pty.h"
#include "support/scripted_prompter.h"
#include "support/temp_dir.h"

namespace zelkor {
namespace {

using testing::Pty;
using testing::ScriptedPrompter;
using testing::TempDir;

// Collects what the program sends and answers once the expected number of
// bytes has arrived (or never, for a silent peer). An answering peer answers
// every command: each burst of at least that many bytes.
class Peer {
 public:
  Peer(int master, size_t expectBytes, int reply) : master_(master), expect_(expectBytes), reply_(reply) {
    thread_ = std::thread([this] { run(); });
  }
  ~Peer() {
    stop_ = true;
    thread_.join();
  }
  std::vector<uint8_t> received() {
    std::lock_guard<std::mutex> l(m_);
    return got_;
  }

 private:
  void run() {
    size_t answered = 0;  // bytes up to the last answer
    while (!stop_) {
      pollfd p{master_, POLLIN, 0};
      if (poll(&p, 1, 20) > 0 && (p.revents & POLLIN)) {
        uint8_t buf[256];
        const ssize_t n = read(master_, buf, sizeof buf);
        if (n > 0) {
          std::lock_guard<std::mutex> l(m_);
          got_.insert(got_.end(), buf, buf + n);
        }
      }
      std::lock_guard<std::mutex> l(m_);
      if (reply_ >= 0 && got_.size() >= answered + expect_) {
        const uint8_t b = static_cast<uint8_t>(reply_);
        (void)!write(master_, &b, 1);
        answered = got_.size();
      }
    }
  }
  int master_;
  size_t expect_;
  int reply_;
  std::atomic<bool> stop_{false};
  std::mutex m_;
  std::vector<uint8_t> got_;
  std::thread thread_;
};

class FakeLauncher : public XmodemLauncher {
 public:
  int run(const HelperRun& run) override {
    calls.push_back(run.args);
    dir = run.workingDir;
    descriptor = run.portDescriptor;
    run.onLine("packet 1 of 2");
    if (!errorLine.empty()) run.onLine("error: " + errorLine);
    if (!fileContent.empty()) std::ofstream(run.args.back(), std::ios::binary) << fileContent;
    return status;
  }
  int descriptor = -1;
  std::string errorLine;
  std::vector<std::vector<std::string>> calls;
  std::string dir;
  std::string fileContent;
  int status = 0;
};

struct Fixture {
  TempDir dir;
  Pty line;
  std::string programDir;
  PosixSerialPort serial{[this](int port) { return port == 0 ? line.slavePath() : std::string("/nonexistent"); }};
  ScriptedPrompter prompter;
  FakeLauncher launcher;
  Fixture() {
    programDir = dir.dir();
    std::string error;
    PrepareDataFolders(programDir, &error);
  }
  LinkResult run(const LinkParams& p) { return RunLinkHeadless(serial, launcher, prompter, p, programDir); }
  std::vector<uint8_t> command(const char* name) {
    for (const auto& f : DefaultCommandFiles())
      if (f.name == name) return f.bytes;
    return {};
  }
};

std::vector<uint8_t> Tail(const std::vector<uint8_t>& v, size_t n) {
  return v.size() < n ? v : std::vector<uint8_t>(v.end() - static_cast<long>(n), v.end());
}

// A port in memory: what the program writes, with when it wrote it, and
// bytes that wait to be read.
class ScriptedPort : public SerialPort {
 public:
  using Clock = std::chrono::steady_clock;
  int closePort(int) override { return 0; }
  int openPort(int) override { return 0; }
  int checkPort(int) override { return 0; }
  int configurePort(int, int, int, int, char, int) override { return 0; }
  int writeByte(int, uint8_t b) override {
    std::lock_guard<std::mutex> l(m);
    written.push_back({Clock::now(), b});
    if (written.size() == answerAfter) waiting.push_back(0x06);
    return 0;
  }
  int readByte(int, uint8_t* b) override {
    std::lock_guard<std::mutex> l(m);
    if (waiting.empty()) return 1;
    *b = waiting.front();
    waiting.erase(waiting.begin());
    return 0;
  }
  int bytesWaiting(int, int) override {
    std::lock_guard<std::mutex> l(m);
    return static_cast<int>(waiting.size());
  }
  int outputDrained(int, int) override { return 1; }
  int setPortOption(int, int, int) override { return 0; }
  int probePort(int) override { return 1; }
  std::mutex m;
  std::vector<std::pair<Clock::time_point, uint8_t>> written;
  std::vector<uint8_t> waiting;
  size_t answerAfter = 0;  // acknowledge once this many bytes came; 0: never
};

// The collar needs a moment between a command and its trailer: five ticks
// of the window's 50 ms clock.
TEST(LinkWorker, TheTrailerFollowsTheCommandOnlyAfterFiveTicks) {
  Fixture f;
  ScriptedPort port;
  const auto cmd = f.command(kSelectCmd);
  port.answerAfter = cmd.size() + 4;
  LinkParams p;
  p.request = LinkRequest::DownloadConfig;
  p.fileName = "CollarConfig.cfg";
  EXPECT_TRUE(RunLinkHeadless(port, f.launcher, f.prompter, p, f.programDir).commandReceived);
  std::lock_guard<std::mutex> l(port.m);
  ASSERT_EQ(port.written.size(), cmd.size() + 4);
  const auto gap = port.written[cmd.size()].first - port.written[cmd.size() - 1].first;
  // Five ticks of 50 ms, the first of which may come at once.
  EXPECT_GE(std::chrono::duration_cast<std::chrono::milliseconds>(gap).count(), 195);
}

// A byte the collar (or line noise) left on the line before a command is
// not its answer to the command.
TEST(LinkWorker, AByteLeftOnTheLineBeforeACommandIsNotItsAnswer) {
  Fixture f;
  ScriptedPort port;
  port.waiting = {0x06, 0x15, 0x06};
  LinkParams p;
  p.request = LinkRequest::LoadAlmanac;
  const LinkResult r = RunLinkHeadless(port, f.launcher, f.prompter, p, f.programDir);
  EXPECT_FALSE(r.commandReceived) << "a stale acknowledgement was taken for the collar's answer";
}

TEST(LinkWorker, PartialOffloadSendsTheByteCountTrailerAndPatchesTheReceivedHeader) {
  Fixture f;
  const auto cmd = f.command(kSelectCmd);
  Peer peer(f.line.master(), cmd.size() + 4, 0x06);
  f.launcher.fileContent = std::string(64 + 100 * 32, '\x7F');
  LinkParams p;
  p.request = LinkRequest::Offload;
  p.fileName = "deer.gps";
  p.datablocks = 100;
  p.selectFlag = 1;
  const LinkResult r = f.run(p);
  EXPECT_TRUE(r.commandReceived);
  EXPECT_TRUE(r.fileReceived);
  const auto sent = peer.received();
  ASSERT_EQ(sent.size(), cmd.size() + 4);
  EXPECT_TRUE(std::equal(cmd.begin(), cmd.end(), sent.begin()));
  EXPECT_EQ(Tail(sent, 4), (std::vector<uint8_t>{0x00, 0x0C, 0xC0, 0xCC}));
  ASSERT_EQ(f.launcher.calls.size(), 1u);
  const std::vector<std::string> expectedArgs = {
      "1", "4800", "8", "2", "26", "N", f.programDir, f.programDir + "GPS Data/deer.gps"};
  EXPECT_EQ(f.launcher.calls[0], expectedArgs);
  EXPECT_EQ(f.launcher.dir, f.programDir);
  const std::string file = f.dir.read("GPS Data/deer.gps");
  EXPECT_EQ(file.substr(0, 4), std::string("\x7F\x00\x0C\xC0", 4));
  EXPECT_TRUE(f.prompter.messages.empty());
}

TEST(LinkWorker, FullOffloadSendsNoTrailerAndZeroBlocksIsOnePacket) {
  Fixture f;
  const auto cmd = f.command(kOffloadCmd);
  Peer peer(f.line.master(), cmd.size(), 0x06);
  LinkParams p;
  p.request = LinkRequest::Offload;
  p.fileName = "x.gps";
  p.datablocks = 0;
  p.selectFlag = 0;
  f.run(p);
  EXPECT_EQ(peer.received(), cmd);
  ASSERT_EQ(f.launcher.calls.size(), 1u);
  EXPECT_EQ(f.launcher.calls[0][4], "1");
}

TEST(LinkWorker, ConfigurationDownloadDeletesTheOldFileFirstAndSendsItsTrailer) {
  Fixture f;
  f.dir.write("Backup/Collar Config/CollarConfig.cfg", "old");
  const auto cmd = f.command(kSelectCmd);
  Peer peer(f.line.master(), cmd.size() + 4, 0x15);  // NAK: not received
  LinkParams p;
  p.request = LinkRequest::DownloadConfig;
  p.fileName = "CollarConfig.cfg";
  const LinkResult r = f.run(p);
  EXPECT_FALSE(r.commandReceived);
  EXPECT_FALSE(r.fileReceived);
  EXPECT_EQ(Tail(peer.received(), 4), (std::vector<uint8_t>{0x00, 0x00, 0x0E, 0x0E}));
  EXPECT_FALSE(std::filesystem::exists(f.dir.file("Backup/Collar Config/CollarConfig.cfg")));
  EXPECT_TRUE(f.prompter.messages.empty()) << "a NAK gets no message box";
  EXPECT_TRUE(f.launcher.calls.empty());
}

TEST(LinkWorker, UploadSendsTheIdTheRecordAndTheirSum) {
  Fixture f;
  const auto cmd = f.command(kConfigCmd);
  Peer peer(f.line.master(), cmd.size() + 67, 0x06);
  LinkParams p;
  p.request = LinkRequest::UploadConfig;
  p.uploadRecord[0] = 0x04;
  p.uploadRecord[1] = 0xD2;
  unsigned sum = 0x04 + 0xD2;
  for (int i = 0; i < 64; ++i) {
    p.uploadRecord[static_cast<size_t>(2 + i)] = static_cast<uint8_t>(i * 7);
    sum += static_cast<unsigned>(i * 7 % 256);
  }
  LinkDriver driver(f.serial, f.launcher, f.prompter, p, f.programDir);
  driver.start();
  while (!driver.tick()) std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_TRUE(driver.result().commandReceived);
  EXPECT_FALSE(driver.result().fileReceived);
  EXPECT_EQ(driver.display().bytesSent, "64");
  EXPECT_EQ(driver.display().status, "Command received!");
  const auto sent = peer.received();
  ASSERT_EQ(sent.size(), cmd.size() + 67);
  EXPECT_EQ(sent[cmd.size()], 0x04);
  EXPECT_EQ(sent[cmd.size() + 1], 0xD2);
  EXPECT_EQ(sent.back(), static_cast<uint8_t>(sum));
}

TEST(LinkWorker, SilentCollarGivesTheReadErrorMessageAndNoFlags) {
  Fixture f;
  Peer peer(f.line.master(), 1000, -1);
  LinkParams p;
  p.request = LinkRequest::LoadAlmanac;
  LinkDriver driver(f.serial, f.launcher, f.prompter, p, f.programDir);
  driver.start();
  while (!driver.tick()) std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_FALSE(driver.result().commandReceived);
  EXPECT_EQ(driver.display().status, "***Err: Command was not received!***");
  ASSERT_EQ(f.prompter.messages.size(), 1u);
  EXPECT_EQ(f.prompter.messages[0].text, "Comm Buffer Read Error 5 secs.");
  EXPECT_EQ(f.prompter.messages[0].caption, "Comm Buffer Error");
  EXPECT_EQ(f.prompter.messages[0].more.details,
            "The collar did not answer within 5 seconds. Check the cable and the port (COM1 = " + f.line.slavePath() +
                "), and wake the collar with its magnet.");
}

TEST(LinkWorker, MissingCommandFileIsReportedAndThePortIsClosed) {
  Fixture f;
  std::filesystem::remove(f.dir.file("Commands/Reset.cmd"));
  LinkParams p;
  p.request = LinkRequest::ResetDataPointer;
  const LinkResult r = f.run(p);
  EXPECT_FALSE(r.commandReceived);
  ASSERT_EQ(f.prompter.messages.size(), 1u);
  EXPECT_EQ(f.prompter.messages[0].text, "Command File was not found or could not be opened.");
  EXPECT_EQ(f.prompter.messages[0].caption, "File Open Error");
  EXPECT_NE(f.prompter.messages[0].more.details.find(f.dir.file("Commands/Reset.cmd")), std::string::npos)
      << f.prompter.all();
  EXPECT_EQ(f.serial.probePort(0), 1) << "the port was left open";
}

TEST(LinkWorker, EmptyCommandFileSendsNothingButStillWaitsForTheAcknowledgment) {
  Fixture f;
  f.dir.write("Commands/2waygps.cmd", "");
  Peer peer(f.line.master(), 0, 0x06);
  LinkParams p;
  p.request = LinkRequest::TwoWayGps;
  const LinkResult r = f.run(p);
  EXPECT_TRUE(r.commandReceived);
  EXPECT_TRUE(peer.received().empty());
}

TEST(LinkWorker, BusyPortFailsAtOnceWithItsMessage) {
  Fixture f;
  PortProblem problem;
  const int holder = PosixSerialPort::OpenExclusive(f.line.slavePath(), &problem);
  ASSERT_GE(holder, 0);
  LinkParams p;
  p.request = LinkRequest::ResetDataPointer;
  const LinkResult r = f.run(p);
  PosixSerialPort::CloseExclusive(holder);
  EXPECT_FALSE(r.commandReceived);
  EXPECT_FALSE(r.fileReceived);
  ASSERT_EQ(f.prompter.messages.size(), 1u);
  EXPECT_EQ(f.prompter.messages[0].text, "Error: Port in use or doesn't exist !");
  EXPECT_EQ(f.prompter.messages[0].caption, "NVK XMODEM File Transfer");
  // The holder is this test itself: the message names it.
  EXPECT_EQ(f.prompter.messages[0].more.details, "COM1: " + f.line.slavePath() +
                                                     " is in use by this program. Choose the port under "
                                                     "Settings > Com Port.");
}

// Another process holding the port is named with its process ID and name.
TEST(PortProblemText, ABusyPortNamesTheProcessThatHoldsIt) {
  Fixture f;
  int ready[2];
  ASSERT_EQ(pipe(ready), 0);
  const pid_t child = fork();
  if (child == 0) {
    PortProblem problem;
    const int fd = PosixSerialPort::OpenExclusive(f.line.slavePath(), &problem);
    char c = fd >= 0 ? 'y' : 'n';
    (void)!write(ready[1], &c, 1);
    pause();
    _exit(0);
  }
  char c = 0;
  ASSERT_EQ(read(ready[0], &c, 1), 1);
  ASSERT_EQ(c, 'y');
  const std::string text = DescribePortProblem(PortProblem::Busy, f.line.slavePath());
  kill(child, SIGKILL);
  waitpid(child, nullptr, 0);
  close(ready[0]);
  close(ready[1]);
  EXPECT_NE(text.find("is in use by PID " + std::to_string(child) + " ("), std::string::npos) << text;
}

TEST(PortProblemText, NamesTheDeviceAndForAPermissionTheGroupThatOwnsIt) {
  TempDir dir;
  dir.write("ttyLocked", "");
  const std::string device = dir.file("ttyLocked");
  struct stat st {};
  ASSERT_EQ(stat(device.c_str(), &st), 0);
  const struct group* g = getgrgid(st.st_gid);
  ASSERT_NE(g, nullptr);
  const std::string text = DescribePortProblem(PortProblem::PermissionDenied, device);
  EXPECT_EQ(text, device + " exists but you may not open it. Add yourself to the group \"" + g->gr_name +
                      "\" (sudo usermod -aG " + g->gr_name + " $USER), then log out and in again.");
  EXPECT_EQ(DescribePortProblem(PortProblem::Busy, "/dev/ttyUSB0"), "/dev/ttyUSB0 is in use by another program.");
  EXPECT_EQ(DescribePortProblem(PortProblem::Missing, "/dev/ttyUSB7"), "/dev/ttyUSB7 does not exist.");
}

TEST(LinkWorker, HelperStatusOneCountsAsReceivedAndMinusOneAsNot) {
  for (int status : {1, -1}) {
    Fixture f;
    const auto cmd = f.command(kSelectCmd);
    Peer peer(f.line.master(), cmd.size() + 4, 0x06);
    f.launcher.status = status;
    LinkParams p;
    p.request = LinkRequest::DownloadConfig;
    p.fileName = "CollarConfig.cfg";
    const LinkResult r = f.run(p);
    EXPECT_TRUE(r.commandReceived);
    EXPECT_EQ(r.fileReceived, status == 1) << "exit status " << status;
  }
}

TEST(LinkRequestTable, PacketCountsAndTrailers) {
  LinkParams p;
  p.request = LinkRequest::Offload;
  p.datablocks = 100;
  p.selectFlag = 1;
  RequestSetup s = SetUpRequest(p, "/d/");
  EXPECT_EQ(s.packetCount, 26);
  EXPECT_EQ(s.selectedByteCount, 3264u);
  EXPECT_EQ(s.commandFile, "Select.cmd");
  EXPECT_EQ(s.receivePath, "/d/GPS Data/");
  p.datablocks = 8190;
  EXPECT_EQ(SetUpRequest(p, "/d/").packetCount, 2049);
  EXPECT_EQ(SelectTrailer(3264), (std::array<uint8_t, 4>{0x00, 0x0C, 0xC0, 0xCC}));
  p.request = LinkRequest::DownloadConfigNoTrailer;
  p.fileName = "CollarConfig.cfg";
  s = SetUpRequest(p, "/d/");
  EXPECT_EQ(s.receivePath, "/d/Backup/Collar Config/CollarConfig.cfg");
  EXPECT_TRUE(s.deleteOldReceiveFile);
  EXPECT_EQ(s.packetCount, 1);
  int done = 0, total = 0;
  EXPECT_TRUE(ParseProgressLine("packet 12 of 26", &done, &total));
  EXPECT_EQ(done, 12);
  EXPECT_EQ(total, 26);
}

}  // namespace
}  // namespace zelkor

#include "link/collar_sequences.h"
#include "link/link_runner.h"
#include "support/recording_sink.h"

namespace zelkor {
namespace {

TEST(CollarCommandsChoice, ViewWithMissingSelectCmdGivesTheLinkMessageThenTheSequenceMessage) {
  Fixture f;
  std::filesystem::remove(f.dir.file("Commands/Select.cmd"));
  HeadlessLinkRunner link(f.serial, f.launcher, f.prompter, f.programDir);
  testing::RecordingSink sink;
  ConfigDownloadState state;
  RunConfigDownloadChoice(CollarChoice::ViewConfig, 0, f.programDir, state, link, f.prompter, sink);
  // One message for one failure: the sequence's sentence, the link's reason under it.
  ASSERT_EQ(f.prompter.messages.size(), 1u) << f.prompter.all();
  EXPECT_EQ(f.prompter.messages[0].text, "The collar did not receive the command. View collar config is canceled!");
  EXPECT_EQ(f.prompter.messages[0].caption, "GPS data");
  EXPECT_EQ(f.prompter.messages[0].more.details.find("Command File was not found or could not be opened. " +
                                                     f.dir.file("Commands/Select.cmd") + " cannot be read"),
            0u)
      << f.prompter.all();
  EXPECT_TRUE(state.viewOnly);
  EXPECT_EQ(sink.posted, std::vector<int>{kCmdCollarCommands});
}

}  // namespace
}  // namespace zelkor

namespace zelkor {
namespace {

// What the user reads under a failed download, and what Retry does.
TEST(CollarCommandsChoice, AFailedDownloadExplainsItselfAndRetryAsksTheCollarAgain) {
  {
    SCOPED_TRACE("the port could not be opened");
    Fixture f;
    PortProblem problem;
    const int holder = PosixSerialPort::OpenExclusive(f.line.slavePath(), &problem);
    ASSERT_GE(holder, 0);
    HeadlessLinkRunner link(f.serial, f.launcher, f.prompter, f.programDir);
    testing::RecordingSink sink;
    ConfigDownloadState state;
    EXPECT_FALSE(
        RunConfigDownloadChoice(CollarChoice::OffloadGpsData, 0, f.programDir, state, link, f.prompter, sink));
    PosixSerialPort::CloseExclusive(holder);
    ASSERT_EQ(f.prompter.messages.size(), 1u) << f.prompter.all();
    const auto& m = f.prompter.messages[0];
    EXPECT_EQ(m.text, "The collar did not receive the command. Offload GPS data canceled!");
    EXPECT_EQ(m.buttons, PromptButtons::RetryCancel);
    EXPECT_EQ(m.more.details, "Error: Port in use or doesn't exist ! COM1: " + f.line.slavePath() +
                                  " is in use by this program. Choose the port under Settings > Com Port. Retry asks "
                                  "the collar again.");
  }
  {
    SCOPED_TRACE("the transfer failed");
    Fixture f;
    const auto cmd = f.command(kSelectCmd);
    Peer peer(f.line.master(), cmd.size() + 4, 0x06);
    f.launcher.status = -1;
    f.launcher.errorLine = "too many errors on packet 4";
    f.prompter.answers = {PromptAnswer::Retry, PromptAnswer::Cancel};
    HeadlessLinkRunner link(f.serial, f.launcher, f.prompter, f.programDir);
    testing::RecordingSink sink;
    ConfigDownloadState state;
    EXPECT_FALSE(RunConfigDownloadChoice(CollarChoice::ViewConfig, 0, f.programDir, state, link, f.prompter, sink));
    EXPECT_EQ(f.launcher.calls.size(), 2u) << "Retry runs the transfer again";
    ASSERT_EQ(f.prompter.messages.size(), 2u) << f.prompter.all();
    for (const auto& m : f.prompter.messages) {
      EXPECT_EQ(m.text, "Did not receive the collar config data file. View collar config is canceled!");
      EXPECT_EQ(m.more.details,
                "The collar's configuration did not arrive: too many errors on packet 4. Retry asks the collar again.");
    }
    EXPECT_EQ(sink.posted, std::vector<int>{kCmdCollarCommands});
  }
}

}  // namespace
}  // namespace zelkor
