// Offloads over a damaged line: bytes flipped or lost at 1 %, over fixed
// seeds. Each run may fail, but none may erase the collar without a true
// backup or exit 0 with a wrong CSV. ZELKOR_FAULT_RUNS sets the number of
// seeds (default 6); bench/fault_campaign.sh runs 40 of each.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

#include "integrity/collar_invariants.h"
#include "support/cli_run.h"
#include "support/collar_sim.h"

namespace zelkor {
namespace {

using testing::CliResult;
using testing::CollarTruth;
using testing::RunProgram;
using testing::Sim;

int Runs() {
  const char* n = std::getenv("ZELKOR_FAULT_RUNS");
  return n && std::atoi(n) > 0 ? std::atoi(n) : 6;
}

struct Tally {
  int ok = 0, erased = 0, failed = 0;
};

Tally RunMatrix(const std::string& fault, bool reset, int firstSeed) {
  Tally tally;
  for (int seed = firstSeed; seed < firstSeed + Runs(); ++seed) {
    Sim sim({"--fixes", "20", "--seed", std::to_string(seed), fault, "0.01"});
    EXPECT_TRUE(sim.ready());
    const CollarTruth truth(sim);
    std::vector<std::string> args = {"zelkor-cli", "offload", "--port", "1", "--out", "deer", "--data-dir",
                                     sim.data()};
    if (reset) args.push_back("--reset");
    const CliResult r = RunProgram(sim.dir.dir(), args, testing::SimEnvironment(sim.link()));
    const std::string context = fault + " seed " + std::to_string(seed);
    EXPECT_GE(r.exit, 0) << context << ": crashed or hung\n" << r.err;
    EXPECT_LE(r.exit, 125) << context;
    testing::ExpectNothingWrongStands(sim, truth, r.exit, context);
    if (reset && r.exit == 0) {
      EXPECT_EQ(sim.pointer(), 64u) << context << ": exit 0 but not erased";
    }
    if (r.exit != 0) {
      EXPECT_FALSE(r.err.empty()) << context << ": a failure without a message";
    }
    if (!reset) {
      EXPECT_EQ(sim.pointer(), truth.pointer) << context << ": erased without --reset";
    }
    tally.ok += r.exit == 0;
    tally.erased += sim.pointer() == 64;
    tally.failed += r.exit != 0;
  }
  std::printf("%s 0.01%s: %d runs, %d succeeded, %d erased the collar, %d failed safely\n", fault.c_str(),
              reset ? " with --reset" : "", Runs(), tally.ok, tally.erased, tally.failed);
  return tally;
}

TEST(FaultMatrix, CorruptedLineNeverErasesWithoutATrueBackup) {
  RunMatrix("--corrupt", true, 101);
}

// Without --reset a single read used to be trusted; on a line that damages
// bytes the one-byte sum can pass two flips that cancel out. Now a read that
// needed retransmissions is confirmed by another, or nothing is kept.
TEST(FaultMatrix, CorruptedLineWithoutResetKeepsOnlyConfirmedData) {
  const Tally t = RunMatrix("--corrupt", false, 301);
  EXPECT_GT(t.ok, 0) << "a 1 % corruption should not defeat every offload";
}

TEST(FaultMatrix, LossyLineNeverPassesOffAWrongCsv) {
  const Tally t = RunMatrix("--drop", false, 201);
  EXPECT_GT(t.ok, 0) << "a 1 % loss should not defeat every offload";
}

}  // namespace
}  // namespace zelkor
