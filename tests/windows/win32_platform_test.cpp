// What differs on Windows: file replacement, binary reads, the helper's
// start and its command line, the comm port's names and failures.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <windows.h>

#include "link/helper_location.h"
#include "link/win32_serial_port.h"
#include "link/xmodem_launcher.h"
#include "support/temp_dir.h"
#include "util/atomic_file.h"
#include "util/read_file.h"

namespace zelkor {
namespace {

TEST(WindowsFiles, AnAtomicWriteReplacesTheOldFileAndLeavesNoTemporary) {
  testing::TempDir dir;
  dir.write("out.csv", "earlier work");
  std::string reason;
  ASSERT_EQ(WriteFileAtomically(dir.file("out.csv"), "new rows\r\n", &reason), AtomicWrite::Ok) << reason;
  EXPECT_EQ(dir.read("out.csv"), "new rows\r\n");
  EXPECT_EQ(testing::TempDir::List(dir.dir()), std::vector<std::string>{"out.csv"});
  std::filesystem::create_directories(dir.file("a-folder"));
  EXPECT_EQ(WriteFileAtomically(dir.file("a-folder"), "x", &reason), AtomicWrite::OpenFailed);
  EXPECT_EQ(WriteFileAtomically(dir.file("no-such-folder/x.csv"), "x", &reason), AtomicWrite::OpenFailed);
  EXPECT_FALSE(reason.empty());
}

TEST(WindowsFiles, ANewFileNeverReplacesAnotherButTakesTheNextNumber) {
  testing::TempDir dir;
  const std::string path = dir.file("GPS 1234.gps");
  EXPECT_EQ(WriteNewFileAtomically(path, "first"), path);
  EXPECT_EQ(WriteNewFileAtomically(path, "second"), dir.file("GPS 1234-2.gps"));
  EXPECT_EQ(WriteNewFileAtomically(path, "third"), dir.file("GPS 1234-3.gps"));
  EXPECT_EQ(dir.read("GPS 1234.gps"), "first");
  EXPECT_EQ(dir.read("GPS 1234-2.gps"), "second");
  EXPECT_EQ(testing::TempDir::List(dir.dir()).size(), 3u);
}

TEST(WindowsFiles, BinaryBytesComeBackExactlyAndAFolderIsNoFile) {
  testing::TempDir dir;
  // CR LF, a lone LF and Ctrl+Z would change or end a text-mode read.
  const std::string bytes("\r\n\n\x1a\0\xff end", 9);
  ASSERT_EQ(WriteFileAtomically(dir.file("image.gps"), bytes), AtomicWrite::Ok);
  std::string read, reason;
  ASSERT_TRUE(ReadWholeFile(dir.file("image.gps"), &read, &reason)) << reason;
  EXPECT_EQ(read, bytes);
  EXPECT_FALSE(ReadWholeFile(dir.dir(), &read, &reason));
  EXPECT_EQ(reason, "it is a folder, not a file");
  EXPECT_FALSE(ReadWholeFile(dir.file("missing.gps"), &read, &reason));
  EXPECT_EQ(reason, "no such file");
  EXPECT_TRUE(SameFile(dir.file("image.gps"), dir.dir() + "image.gps"));
}

TEST(WindowsHelper, StartsBesideTheProgramAndItsArgumentsArriveWhole) {
  const std::string helper = XmodemHelperPath(ExecutableDirectory());
  ASSERT_TRUE(std::filesystem::exists(std::filesystem::u8path(helper))) << helper;
  SpawnXmodemLauncher launcher(helper);
  std::vector<std::string> lines;
  HelperRun run;
  // Spaces, quotes and backslashes must reach the helper as they are.
  run.args = {"7 \"a b\" c:\\x\\", "4800", "8", "2", "10", "N", "C:\\Program Files\\", "out.gps"};
  run.onLine = [&](const std::string& line) { lines.push_back(line); };
  EXPECT_EQ(launcher.run(run), -1);
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0], "error: bad port number '7 \"a b\" c:\\x\\'");

  // A port that does not exist fails with the device's name.
  lines.clear();
  run.args = {"36", "4800", "8", "2", "10", "N", ".", "out.gps"};
  EXPECT_EQ(launcher.run(run), -1);
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_NE(lines[0].find("COM36"), std::string::npos) << lines[0];
}

// Needs a quiet collar on COM1 (build-windows.sh maps the simulator there and
// sets ZELKOR_TEST_COM1): the receiver waits for data that never comes until
// the launcher's cancel line reaches it.
TEST(WindowsHelper, ACancelLineStopsAWaitingReceiverAtOnce) {
  if (!std::getenv("ZELKOR_TEST_COM1")) GTEST_SKIP() << "no collar on COM1 (set ZELKOR_TEST_COM1)";
  testing::TempDir dir;
  SpawnXmodemLauncher launcher(XmodemHelperPath(ExecutableDirectory()));
  std::vector<std::string> lines;
  HelperRun run;
  run.args = {"1", "4800", "8", "2", "10", "N", dir.dir(), dir.file("never.gps")};
  run.onLine = [&](const std::string& line) { lines.push_back(line); };
  const auto start = std::chrono::steady_clock::now();
  run.cancelled = [&] { return std::chrono::steady_clock::now() - start > std::chrono::milliseconds(500); };
  EXPECT_EQ(launcher.run(run), -1);
  const auto took = std::chrono::steady_clock::now() - start;
  EXPECT_LT(took, std::chrono::seconds(4)) << "the receiver was killed, not stopped by its cancel line";
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.back().rfind("error: ", 0), 0u) << lines.back();
  EXPECT_FALSE(testing::TempDir::Exists(dir.file("never.gps")));
}

// Also needs COM1 (ZELKOR_TEST_COM1): a held port stays open through
// closePort and is set to 4800 8N2; while it is held every other opener is
// refused (the COM driver's doing on Windows; Wine does not refuse a second
// CreateFile of a COM port, so that part is checked on Windows only).
TEST(WindowsSerial, AHeldPortStaysOpenAndIsRefusedToOtherOpeners) {
  if (!std::getenv("ZELKOR_TEST_COM1")) GTEST_SKIP() << "no collar on COM1 (set ZELKOR_TEST_COM1)";
  const bool wine = GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
  auto com = [](int i) { return "COM" + std::to_string(i + 1); };
  Win32SerialPort holder(com), other(com);
  ASSERT_TRUE(holder.holdPort(0)) << holder.openProblem(0);
  EXPECT_NE(holder.heldDescriptor(0), -1);
  EXPECT_EQ(holder.configurePort(0, 4800, 8, 2, 'N', 0), 0);
  EXPECT_EQ(holder.checkPort(0), 0);
  if (!wine) {
    EXPECT_EQ(other.probePort(0), 0);
    EXPECT_EQ(other.lastProblem(0), PortProblem::Busy);
    EXPECT_EQ(other.openProblem(0), "COM1 is in use by another program.");
  }
  holder.closePort(0);  // held: stays open
  EXPECT_EQ(holder.checkPort(0), 0);
  holder.releasePort(0);
  EXPECT_EQ(holder.heldDescriptor(0), -1);
  EXPECT_EQ(holder.checkPort(0), 1);
  EXPECT_EQ(other.probePort(0), 1);
}

TEST(WindowsSerial, PortNamesAndAMissingPort) {
  EXPECT_EQ(Win32SerialPort::DevicePath("COM12"), "\\\\.\\COM12");
  EXPECT_EQ(Win32SerialPort::DevicePath("\\\\.\\COM3"), "\\\\.\\COM3");
  Win32SerialPort serial([](int i) { return "COM" + std::to_string(i + 1); });
  EXPECT_EQ(serial.probePort(35), 0);
  EXPECT_EQ(serial.lastProblem(35), PortProblem::Missing);
  EXPECT_NE(serial.openProblem(35).find("COM36 does not exist"), std::string::npos) << serial.openProblem(35);
  EXPECT_EQ(serial.openPort(35), -1);
  EXPECT_EQ(serial.checkPort(35), 1);
  EXPECT_EQ(serial.portName(35), "COM36");
}

}  // namespace
}  // namespace zelkor
