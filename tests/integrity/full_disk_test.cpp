// A full disk, simulated with a file-size limit (RLIMIT_FSIZE) on the
// programs: every failed write is reported with its path and the system's
// reason, nothing cut short stands under a final name, and the collar is
// never erased before its data is on disk.
#include <gtest/gtest.h>

#include "app/paths.h"
#include "integrity/collar_invariants.h"
#include "support/cli_run.h"
#include "support/collar_sim.h"

namespace zelkor {
namespace {

using testing::CliResult;
using testing::CollarTruth;
using testing::RunProgram;
using testing::Sim;
using testing::TempDir;

bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// No file cut to zero bytes or left as a temporary anywhere in the folder.
void ExpectNoPartialFiles(const std::string& dir, const std::string& context) {
  std::error_code ec;
  for (auto it = std::filesystem::recursive_directory_iterator(dir, ec);
       !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
    if (!it->is_regular_file()) continue;
    const std::string name = it->path().filename().string();
    EXPECT_EQ(name.find(".part-"), std::string::npos) << context << ": temporary file left: " << it->path();
    EXPECT_GT(it->file_size(), 0u) << context << ": empty file: " << it->path();
  }
}

TEST(FullDisk, AReceivedFileThatCannotBeWrittenIsReportedWithItsReason) {
  Sim sim({"--fixes", "20", "--seed", "3"});
  const CollarTruth truth(sim);
  std::string error;
  // The data folder exists; then the disk fills: 100 bytes is less than one packet.
  ASSERT_TRUE(PrepareDataFolders(sim.data() + "/", &error)) << error;
  const CliResult r = RunProgram(sim.dir.dir(),
                                 {"zelkor-cli", "offload", "--port", "1", "--out", "elk", "--reset", "--data-dir",
                                  sim.data()},
                                 testing::SimEnvironment(sim.link()), 100);
  EXPECT_EQ(r.exit, 1) << r.err;
  EXPECT_TRUE(Has(r.err, "Did not receive the GPS data file. Offload GPS data canceled!")) << r.err;
  EXPECT_TRUE(Has(r.err, "CollarConfig.cfg.scratch-")) << "names the file\n" << r.err;
  EXPECT_TRUE(Has(r.err, "File too large")) << "and the reason\n" << r.err;
  EXPECT_TRUE(Has(r.err, "Make room on the disk")) << "a full disk is not a cable fault\n" << r.err;
  EXPECT_FALSE(Has(r.err, "Check the cable")) << r.err;
  EXPECT_EQ(sim.pointer(), truth.pointer);
  ExpectNoPartialFiles(sim.data(), "config download");
}

TEST(FullDisk, ACsvThatCannotBeWrittenIsReportedAndNothingCutStands) {
  Sim sim({"--fixes", "20", "--seed", "4"});
  const CollarTruth truth(sim);
  std::string error;
  ASSERT_TRUE(PrepareDataFolders(sim.data() + "/", &error)) << error;
  // Enough for the received image and its backup (768 bytes), not for the CSV.
  const CliResult r = RunProgram(sim.dir.dir(),
                                 {"zelkor-cli", "offload", "--port", "1", "--out", "elk", "--reset", "--data-dir",
                                  sim.data()},
                                 testing::SimEnvironment(sim.link()), 1500);
  EXPECT_NE(r.exit, 0) << r.err;
  EXPECT_TRUE(Has(r.err, "Error writing the GPS data out file! Can not view the data!")) << r.err;
  EXPECT_TRUE(Has(r.err, "elk.csv: File too large")) << r.err;
  EXPECT_FALSE(Has(r.err, "GPS data was not received")) << "a write failure is not a transfer failure";
  EXPECT_FALSE(TempDir::Exists(sim.data() + "/GPS Data/elk.csv"));
  testing::ExpectNothingWrongStands(sim, truth, r.exit, "csv write");
  ExpectNoPartialFiles(sim.data(), "csv write");
}

TEST(FullDisk, ConfigRewriteLeavesNoEmptyFile) {
  TempDir dir;
  dir.write("in.cfg", std::string(64, '\x07'));
  const CliResult r =
      RunProgram(dir.dir(), {"zelkor-cli", "config", "rewrite", dir.file("in.cfg"), dir.file("out.cfg")}, {}, 10);
  EXPECT_EQ(r.exit, 2) << r.err;
  EXPECT_TRUE(Has(r.err, "File too large")) << r.err;
  EXPECT_FALSE(TempDir::Exists(dir.file("out.cfg")));
  ExpectNoPartialFiles(dir.dir(), "config rewrite");
}

// Any command that needs the data folder prepares it; "send" with a port that
// does not exist stops right after.
CliResult Prepare(const TempDir& dir, const std::string& data, long long limit = -1) {
  return RunProgram(dir.dir(), {"zelkor-cli", "send", "almanac", "--port", "1", "--data-dir", data},
                    {{"ZELKOR_COM1", dir.file("no-such-port")}}, limit);
}

TEST(FullDisk, ADataFolderCreatedOnAFullDiskIsRepairedOnTheNextStart) {
  TempDir dir;
  const std::string data = dir.file("data");
  CliResult r = Prepare(dir, data, 0);
  EXPECT_EQ(r.exit, 1);
  EXPECT_TRUE(Has(r.err, "Could not install the command file")) << r.err;
  EXPECT_TRUE(Has(r.err, "File too large")) << r.err;
  ExpectNoPartialFiles(data, "fresh folder");
  r = Prepare(dir, data);
  EXPECT_TRUE(Has(r.err, "Port in use")) << "the folder was ready\n" << r.err;
  EXPECT_EQ(TempDir::List(data + "/Commands").size(), 6u);
  EXPECT_GT(TempDir::ReadFile(data + "/AccessLevel.txt").size(), 1000u);
  ExpectNoPartialFiles(data, "repaired folder");

}

// The vendor's command files are the user's: an empty one stays empty (and
// sends nothing) through any number of starts, and a set missing one file
// is not completed with the shipped bytes.
TEST(CommandFiles, AVendorsEmptyFileIsLeftAloneAtEveryStart) {
  TempDir dir;
  const std::string data = dir.file("vendor");
  std::filesystem::create_directories(data + "/Commands");
  TempDir::WriteFile(data + "/Commands/2waygps.cmd", "");
  for (const char* name : {"Offload.cmd", "Select.cmd", "Reset.cmd", "ldalmnc.cmd"})
    TempDir::WriteFile(data + "/Commands/" + name, std::string("VENDOR-") + name);
  for (int start = 0; start < 5; ++start) Prepare(dir, data);
  EXPECT_EQ(TempDir::ReadFile(data + "/Commands/2waygps.cmd"), "");
  EXPECT_FALSE(TempDir::Exists(data + "/Commands/Config.cmd")) << "a vendor's set is not completed with ours";
  EXPECT_EQ(TempDir::ReadFile(data + "/Commands/Reset.cmd"), "VENDOR-Reset.cmd");
}

}  // namespace
}  // namespace zelkor
