// kill -9 of the command line or of the transfer helper at fixed points of
// a paced offload: nothing but a whole CSV stands under a .csv name, every
// backup is true, the collar keeps its data, and the next offload works.
#include <gtest/gtest.h>

#include <csignal>
#include <thread>
#include <tuple>

#include "integrity/collar_invariants.h"
#include "support/cli_run.h"
#include "support/collar_sim.h"

namespace zelkor {
namespace {

using testing::CollarTruth;
using testing::Process;
using testing::Sim;
using testing::TempDir;

// Waits until `text` has appeared `count` times in the file.
bool WaitForText(const std::string& path, const std::string& text, int count, int timeoutMs) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (std::chrono::steady_clock::now() < end) {
    const std::string s = TempDir::ReadFile(path);
    int seen = 0;
    for (size_t at = s.find(text); at != std::string::npos; at = s.find(text, at + 1)) ++seen;
    if (seen >= count) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return false;
}

bool Alive(pid_t pid) {
  const std::string stat = TempDir::ReadFile("/proc/" + std::to_string(pid) + "/stat");
  return !stat.empty() && stat.find(") Z ") == std::string::npos;
}

struct KillPoint {
  const char* name;
  const char* marker;  // a line of the command line's progress
  int occurrence;      // which appearance of it
  int delayMs;         // then wait this long
  bool killHelper;     // kill the helper instead of the command line
};

const KillPoint kPoints[] = {
    {"CommandLineDuringTheConfigurationDownload", "Requesting collar configuration", 1, 300, false},
    {"CommandLineDuringTheFirstRead", "Requesting GPS data", 1, 1200, false},
    {"HelperDuringTheFirstRead", "Requesting GPS data", 1, 1200, true},
    {"CommandLineDuringTheConfirmingRead", "Requesting GPS data", 2, 1200, false},
    {"HelperDuringTheConfirmingRead", "Requesting GPS data", 2, 1200, true},
};

class KillPoints : public ::testing::TestWithParam<KillPoint> {};

TEST_P(KillPoints, NothingButAWholeCsvStandsAndTheCollarKeepsItsData) {
  {
    const KillPoint& k = GetParam();
    Sim sim({"--fixes", "40", "--seed", "7", "--pace"});
    ASSERT_TRUE(sim.ready());
    const CollarTruth truth(sim);
    const std::string err = sim.dir.file("cli.err");
    auto env = testing::SimEnvironment(sim.link());
    Process cli(std::string(ZELKOR_BIN_DIR) + "/zelkor-cli",
                {"zelkor-cli", "offload", "--port", "1", "--out", "elk", "--reset", "--data-dir", sim.data()}, env,
                "", err);
    ASSERT_TRUE(WaitForText(err, k.marker, k.occurrence, 30000)) << k.name << "\n" << TempDir::ReadFile(err);
    std::this_thread::sleep_for(std::chrono::milliseconds(k.delayMs));
    const std::vector<pid_t> helpers = testing::ChildrenNamed(cli.pid(), "nvk_xmodem");
    int status;
    if (k.killHelper) {
      ASSERT_EQ(helpers.size(), 1u) << k.name;
      kill(helpers[0], SIGKILL);
      status = cli.wait(60000);
      EXPECT_GT(status, 0) << k.name << ": the command line did not report the failed transfer";
    } else {
      cli.signal(SIGKILL);
      status = cli.wait(10000);
      // A helper left behind ends itself when its parent dies.
      for (pid_t h : helpers)
        for (int i = 0; i < 300 && Alive(h); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
      for (pid_t h : helpers) EXPECT_FALSE(Alive(h)) << k.name << ": the helper outlived the command line";
    }
    testing::ExpectNothingWrongStands(sim, truth, status, k.name);
    EXPECT_EQ(sim.pointer(), truth.pointer) << k.name << ": erased although the offload was stopped";
    // Before the first read is whole there is nothing to translate.
    if (k.occurrence == 1) {
      for (const std::string& name : testing::FilesIn(sim.data() + "/GPS Data/")) {
        EXPECT_FALSE(testing::EndsWith(name, ".csv")) << k.name << ": " << name;
      }
    }

    // The collar and the port recover: the next offload succeeds.
    const testing::CliResult again = testing::RunProgram(
        sim.dir.dir(), {"zelkor-cli", "offload", "--port", "1", "--out", "elk2", "--data-dir", sim.data()}, env);
    EXPECT_EQ(again.exit, 0) << k.name << ": the next offload failed\n"
                             << again.err << "\ncollar:\n"
                             << sim.dir.read("sim.err");
    EXPECT_TRUE(TempDir::ReadFile(sim.data() + "/GPS Data/elk2.csv") == truth.csv) << k.name;
  }
}

INSTANTIATE_TEST_SUITE_P(Kill, KillPoints, ::testing::ValuesIn(kPoints),
                         [](const ::testing::TestParamInfo<KillPoint>& info) { return std::string(info.param.name); });

// Ctrl+C (SIGINT) and SIGTERM at fixed points of an offload with --reset:
// the program stops cleanly with 130, the collar keeps its data, and the
// next offload works. "Just before the erase" is the moment the command line
// announces it.
struct StopPoint {
  const char* name;
  const char* marker;
  int occurrence;
  int delayMs;
};

const StopPoint kStops[] = {
    {"DuringTheConfigurationDownload", "Requesting collar configuration", 1, 150},
    {"DuringTheFirstRead", "Requesting GPS data", 1, 800},
    {"DuringTheConfirmingRead", "Requesting GPS data", 2, 800},
    {"JustBeforeTheErase", "press Ctrl+C to keep its data", 1, 0},
};

class StopPoints : public ::testing::TestWithParam<std::tuple<StopPoint, int>> {};

TEST_P(StopPoints, TheOffloadStopsWith130AndTheCollarKeepsItsData) {
  const StopPoint& k = std::get<0>(GetParam());
  const int signal = std::get<1>(GetParam());
  const std::string context = std::string(k.name) + (signal == SIGINT ? " SIGINT" : " SIGTERM");
  Sim sim({"--fixes", "40", "--seed", "8", "--pace"});
  ASSERT_TRUE(sim.ready());
  const CollarTruth truth(sim);
  const std::string err = sim.dir.file("cli.err");
  auto env = testing::SimEnvironment(sim.link());
  Process cli(std::string(ZELKOR_BIN_DIR) + "/zelkor-cli",
              {"zelkor-cli", "offload", "--port", "1", "--out", "elk", "--reset", "--data-dir", sim.data()}, env, "",
              err);
  ASSERT_TRUE(WaitForText(err, k.marker, k.occurrence, 60000)) << context << "\n" << TempDir::ReadFile(err);
  std::this_thread::sleep_for(std::chrono::milliseconds(k.delayMs));
  cli.signal(signal);
  const int status = cli.wait(60000);
  EXPECT_EQ(status, 130) << context << "\n" << TempDir::ReadFile(err);
  EXPECT_EQ(sim.pointer(), truth.pointer) << context << ": erased although the user stopped it";
  EXPECT_FALSE(TempDir::ReadFile(err).find("has been erased") != std::string::npos) << context;
  testing::ExpectNothingWrongStands(sim, truth, status, context);
  const testing::CliResult again = testing::RunProgram(
      sim.dir.dir(), {"zelkor-cli", "offload", "--port", "1", "--out", "elk2", "--data-dir", sim.data()}, env);
  EXPECT_EQ(again.exit, 0) << context << ": the next offload failed\n" << again.err;
}

INSTANTIATE_TEST_SUITE_P(Stop, StopPoints,
                         ::testing::Combine(::testing::ValuesIn(kStops), ::testing::Values(SIGINT, SIGTERM)),
                         [](const ::testing::TestParamInfo<std::tuple<StopPoint, int>>& info) {
                           return std::string(std::get<0>(info.param).name) +
                                  (std::get<1>(info.param) == SIGINT ? "Sigint" : "Sigterm");
                         });

}  // namespace
}  // namespace zelkor
