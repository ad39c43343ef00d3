// Several programs and several collars at once, sharing one data folder,
// and cables that come and go: no job takes another's scratch file, no
// collar is erased without its own true backup, no file carries another
// collar's ID, and a Retry after a reconnect finishes the offload.
// ZELKOR_SIDE_RUNS sets the rounds (default 3); bench/side_by_side.sh runs 20.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <thread>

#include "integrity/collar_invariants.h"
#include "support/cli_run.h"
#include "support/collar_sim.h"

namespace zelkor {
namespace {

using testing::CollarTruth;
using testing::Process;
using testing::Sim;
using testing::TempDir;

int Rounds() {
  const char* n = std::getenv("ZELKOR_SIDE_RUNS");
  return n && std::atoi(n) > 0 ? std::atoi(n) : 3;
}

bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// Both collars on one data folder: A on COM1, B on COM2.
std::map<std::string, std::string> TwoCollars(const Sim& a, const Sim& b) {
  auto env = testing::SimEnvironment(a.link());
  env["ZELKOR_COM2"] = b.link();
  return env;
}

struct Job {
  std::unique_ptr<Process> process;
  std::string err;
  int exit = -2;
};

Job Start(const std::string& dir, const std::string& name, std::vector<std::string> args,
          const std::map<std::string, std::string>& env) {
  Job j;
  j.err = dir + "/" + name + ".err";
  j.process = std::make_unique<Process>(std::string(ZELKOR_BIN_DIR) + "/zelkor-cli", args, env, "", j.err);
  return j;
}

void Finish(Job& j) {
  j.exit = j.process->wait(180000);
  j.err = TempDir::ReadFile(j.err);
}

// The backups of one collar in the shared folder, and whether each is its
// own collar's (by the ID in its header and its name).
void ExpectBackupsCarryTheirOwnId(const std::string& data, const std::string& context) {
  const std::string dir = data + "/Backup/GPS Data/";
  for (const std::string& name : TempDir::List(dir)) {
    if (!testing::EndsWith(name, ".gps")) continue;
    const std::string bytes = TempDir::ReadFile(dir + name);
    ASSERT_GE(bytes.size(), 64u) << context << ": " << name;
    const uint32_t id = ReadBe16(reinterpret_cast<const uint8_t*>(bytes.data()) + 12);
    EXPECT_EQ(name.rfind(std::to_string(id) + "_", 0), 0u)
        << context << ": " << name << " holds collar " << id << "'s data";
  }
}

// Two resets at once: collar A (7001) holds 300 fixes and has no backup,
// collar B (7002) has one. A is never erased; B is, and says so.
TEST(SideBySide, TwoResetsEraseOnlyTheCollarWhoseOwnDataIsSaved) {
  for (int round = 0; round < Rounds(); ++round) {
    const std::string context = "round " + std::to_string(round);
    Sim a({"--fixes", "300", "--seed", std::to_string(11 + round), "--id", "7001"});
    Sim b({"--fixes", "300", "--seed", std::to_string(51 + round), "--id", "7002"});
    ASSERT_TRUE(a.ready() && b.ready());
    const CollarTruth truthA(a), truthB(b);
    TempDir shared;
    const std::string data = shared.file("data");
    const auto env = TwoCollars(a, b);
    // B's data is saved first.
    const testing::CliResult saved = testing::RunProgram(
        shared.dir(), {"zelkor-cli", "offload", "--port", "2", "--out", "b", "--data-dir", data}, env);
    ASSERT_EQ(saved.exit, 0) << saved.err;
    Job resetA = Start(shared.dir(), "resetA",
                       {"zelkor-cli", "send", "reset", "--port", "1", "--yes", "--data-dir", data}, env);
    Job resetB = Start(shared.dir(), "resetB",
                       {"zelkor-cli", "send", "reset", "--port", "2", "--yes", "--data-dir", data}, env);
    Finish(resetA);
    Finish(resetB);
    EXPECT_EQ(a.pointer(), truthA.pointer) << context << ": collar A was erased without a backup\n" << resetA.err;
    EXPECT_NE(resetA.exit, 0) << context << resetA.err;
    EXPECT_TRUE(Has(resetA.err, "No backup of collar 7001 exists; offload it first")) << context << resetA.err;
    EXPECT_FALSE(Has(resetA.err, "has been erased")) << context << resetA.err;
    EXPECT_EQ(b.pointer(), 64u) << context << ": collar B, saved, was not erased\n" << resetB.err;
    EXPECT_EQ(resetB.exit, 0) << context << resetB.err;
    ExpectBackupsCarryTheirOwnId(data, context);
    EXPECT_TRUE(TempDir::List(data + "/GPS Data").size() == 1u) << context << ": no scratch file stays";
  }
}

// Two single-collar offloads at once on two ports, into one data folder:
// each CSV, backup and store row is its own collar's.
TEST(SideBySide, TwoOffloadsKeepEachCollarsDataUnderItsOwnId) {
  for (int round = 0; round < Rounds(); ++round) {
    const std::string context = "round " + std::to_string(round);
    Sim a({"--fixes", "300", "--seed", std::to_string(21 + round), "--id", "7001"});
    Sim b({"--fixes", "200", "--seed", std::to_string(61 + round), "--id", "7002"});
    ASSERT_TRUE(a.ready() && b.ready());
    const CollarTruth truthA(a), truthB(b);
    TempDir shared;
    const std::string data = shared.file("data");
    const auto env = TwoCollars(a, b);
    Job one = Start(shared.dir(), "one",
                    {"zelkor-cli", "offload", "--port", "1", "--out", "a", "--reset", "--zone", "15", "--data-dir", data},
                    env);
    Job two = Start(shared.dir(), "two",
                    {"zelkor-cli", "offload", "--port", "2", "--out", "b", "--reset", "--zone", "15", "--data-dir", data},
                    env);
    Finish(one);
    Finish(two);
    EXPECT_EQ(one.exit, 0) << context << one.err;
    EXPECT_EQ(two.exit, 0) << context << two.err;
    EXPECT_TRUE(Has(one.err, "Collar 7001 holds 300 data blocks")) << context << one.err;
    EXPECT_TRUE(Has(two.err, "Collar 7002 holds 200 data blocks")) << context << two.err;
    EXPECT_TRUE(TempDir::ReadFile(data + "/GPS Data/a.csv") == truthA.csv) << context << ": a.csv is not collar A's";
    EXPECT_TRUE(TempDir::ReadFile(data + "/GPS Data/b.csv") == truthB.csv) << context << ": b.csv is not collar B's";
    ExpectBackupsCarryTheirOwnId(data, context);
    EXPECT_EQ(a.pointer(), 64u) << context;
    EXPECT_EQ(b.pointer(), 64u) << context;
    EXPECT_EQ(TempDir::List(data + "/GPS Data"), (std::vector<std::string>{"a.csv", "b.csv"}))
        << context << ": no scratch file stays";
  }
}

// The cable is pulled in the middle of the first read and put back: the
// held port is opened anew and the Retry finishes the offload.
TEST(Reconnect, ACollarThatDisappearsAndComesBackIsOffloadedOnRetry) {
  Sim sim({"--fixes", "100", "--seed", "9", "--pace"});
  ASSERT_TRUE(sim.ready());
  const CollarTruth truth(sim);
  const auto env = testing::SimEnvironment(sim.link());
  Job cli = Start(sim.dir.dir(), "cli",
                  {"zelkor-cli", "offload", "--port", "1", "--out", "elk", "--retries", "5", "--data-dir", sim.data()},
                  env);
  // Pulled a little into the first read of the memory.
  for (int i = 0; i < 3000 && !Has(TempDir::ReadFile(cli.err), "packet 1 of"); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  ASSERT_TRUE(Has(TempDir::ReadFile(cli.err), "packet 1 of")) << TempDir::ReadFile(cli.err);
  sim.pull();
  std::this_thread::sleep_for(std::chrono::milliseconds(1500));
  sim.start();  // a new line to the same collar, at the same place
  ASSERT_TRUE(sim.ready());
  Finish(cli);
  EXPECT_EQ(cli.exit, 0) << cli.err;
  EXPECT_TRUE(Has(cli.err, "GPS data was not received from the collar.")) << "the pull was noticed\n" << cli.err;
  EXPECT_TRUE(Has(cli.err, "-> Retry")) << cli.err;
  EXPECT_TRUE(TempDir::ReadFile(sim.data() + "/GPS Data/elk.csv") == truth.csv) << cli.err;
}

// A named pipe where a file should be: refused at once, never waited on.
TEST(BadInput, ANamedPipeIsRefusedAtOnce) {
  TempDir dir;
  ASSERT_EQ(mkfifo(dir.file("pipe").c_str(), 0600), 0);
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"zelkor-cli", "config", "show", dir.file("pipe")},
        std::vector<std::string>{"zelkor-cli", "summary", dir.file("pipe")},
        std::vector<std::string>{"zelkor-cli", "translate", dir.file("pipe"), dir.file("out.csv")}}) {
    const auto start = std::chrono::steady_clock::now();
    const testing::CliResult r = testing::RunProgram(dir.dir(), args, {}, -1, 5000);
    const auto seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_GT(r.exit, 0) << args[1] << ": " << r.err;
    EXPECT_LT(seconds, 2.0) << args[1] << " waited on the pipe";
    EXPECT_TRUE(Has(r.err, "not a regular file")) << args[1] << ": " << r.err;
  }
}

}  // namespace
}  // namespace zelkor
