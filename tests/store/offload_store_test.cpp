// Many collars at once through zelkor-cli, and what offloads put into the
// season store: four simulated collars on four pseudo-terminals, names
// that never collide, one failing collar that fails the run, a collar
// offloaded again after it gained fixes, and a store that cannot be
// reached.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "gpsdata/translate.h"
#include "store/season_store.h"
#include "store/store_keeper.h"
#include "support/cli_run.h"
#include "support/collar_sim.h"
#include "support/gps_image.h"
#include "support/temp_dir.h"
#include "util/endian.h"

namespace zelkor {
namespace {

using testing::TempDir;

struct CliOutcome {
  int exit = -1;
  std::string out, err;
};

// zelkor-cli with COM1.. mapped to the given devices.
CliOutcome Cli(const std::string& workDir, std::vector<std::string> args, const std::vector<std::string>& devices) {
  std::map<std::string, std::string> env = {{"ZELKOR_XMODEM_TIMEOUT_MS", "2000"}};
  for (size_t i = 0; i < devices.size(); ++i) env["ZELKOR_COM" + std::to_string(i + 1)] = devices[i];
  args.insert(args.begin(), "zelkor-cli");
  testing::Process p(std::string(ZELKOR_BIN_DIR) + "/zelkor-cli", args, env, workDir + "/cli.out",
                     workDir + "/cli.err");
  CliOutcome r;
  r.exit = p.wait(180000);
  r.out = TempDir::ReadFile(workDir + "/cli.out");
  r.err = TempDir::ReadFile(workDir + "/cli.err");
  return r;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// The CSV a collar's memory translates to (the state as it was before any
// erase: the pointer put back to cover the blocks).
std::string ExpectedCsv(testing::Sim& sim, uint32_t fixes) {
  std::string state = sim.state();
  WriteBe24(reinterpret_cast<uint8_t*>(state.data()) + 1, fixes * 32 + 64);
  sim.dir.write("before.bin", state);
  EXPECT_EQ(TranslateGpsData(sim.dir.file("before.bin"), sim.dir.file("expected.csv"), OutputForm::LatLon, UtcShift{},
                             "(GMT) Universal Time Coordinated (UTC)"),
            TranslateResult::Ok);
  return sim.dir.read("expected.csv");
}

TEST(ParallelOffload, FourCollarsAtOnceEachWholeBackedUpStoredAndErased) {
  std::vector<std::unique_ptr<testing::Sim>> sims;
  std::vector<std::string> devices;
  for (int i = 0; i < 4; ++i) {
    sims.push_back(std::make_unique<testing::Sim>(std::vector<std::string>{
        "--fixes", std::to_string(150 + i * 10), "--id", std::to_string(2001 + i), "--seed", std::to_string(i + 3)}));
    ASSERT_TRUE(sims.back()->ready());
    devices.push_back(sims.back()->link());
  }
  TempDir work;
  const CliOutcome r = Cli(work.dir(),
                    {"offload", "--port", "1", "--port", "2", "--port", "3", "--port", "4", "--reset", "--out",
                     "elk-{id}", "--data-dir", work.file("data")},
                    devices);
  ASSERT_EQ(r.exit, 0) << r.out << r.err;
  const auto lines = Lines(r.out);
  ASSERT_EQ(lines.size(), 4u) << r.out;
  for (int i = 0; i < 4; ++i) {
    SCOPED_TRACE("collar " + std::to_string(2001 + i));
    const uint32_t fixes = 150 + i * 10;
    const std::string csv = work.file("data/GPS Data/elk-" + std::to_string(2001 + i) + ".csv");
    EXPECT_EQ(TempDir::ReadFile(csv), ExpectedCsv(*sims[static_cast<size_t>(i)], fixes));
    EXPECT_EQ(sims[static_cast<size_t>(i)]->pointer(), 64u) << "erased after two reads agreed";
    bool reported = false;
    for (const std::string& line : lines)
      reported |= line.find("COM" + std::to_string(i + 1) + ": collar " + std::to_string(2001 + i) + ", " +
                            std::to_string(fixes) + " fixes to " + csv) == 0 &&
                  line.find("; erased") != std::string::npos;
    EXPECT_TRUE(reported) << r.out;
  }
  std::vector<std::string> backups;
  for (const std::string& name : TempDir::List(work.file("data/Backup/GPS Data")))
    if (name.size() > 4 && name.substr(name.size() - 4) == ".gps") backups.push_back(name);
  EXPECT_EQ(backups.size(), 4u);
  std::string error;
  auto store = SeasonStore::Open(work.file("data/zelkor.sqlite"), &error);
  ASSERT_TRUE(store) << error;
  std::vector<StoredCollar> collars;
  ASSERT_TRUE(store->collars(&collars, &error));
  ASSERT_EQ(collars.size(), 4u);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(collars[static_cast<size_t>(i)].fixes, 150 + i * 10);
}

TEST(ParallelOffload, NamesNeverCollideAndOneFailingCollarFailsTheRun) {
  testing::Sim a({"--fixes", "40", "--id", "77", "--seed", "1"});
  testing::Sim b({"--fixes", "50", "--id", "77", "--seed", "2"});
  testing::Sim silent({"--silent"});
  ASSERT_TRUE(a.ready() && b.ready() && silent.ready());
  TempDir work;
  std::filesystem::create_directories(work.file("data/GPS Data"));
  work.write("data/GPS Data/herd.csv", "an older file\n");
  const CliOutcome r = Cli(work.dir(),
                    {"offload", "--port", "1", "--port", "2", "--port", "3", "--out", "herd", "--data-dir",
                     work.file("data")},
                    {a.link(), b.link(), silent.link()});
  EXPECT_EQ(r.exit, 1) << "one collar failed\n" << r.out << r.err;
  EXPECT_EQ(work.read("data/GPS Data/herd.csv"), "an older file\n") << "an existing file is never replaced";
  const std::string two = work.read("data/GPS Data/herd-2.csv"), three = work.read("data/GPS Data/herd-3.csv");
  EXPECT_TRUE((two.find("40 blocks translated") != std::string::npos &&
               three.find("50 blocks translated") != std::string::npos) ||
              (two.find("50 blocks translated") != std::string::npos &&
               three.find("40 blocks translated") != std::string::npos))
      << "each collar its own file";
  EXPECT_NE(r.out.find("COM3: failed: the configuration could not be read"), std::string::npos) << r.out;
  EXPECT_EQ(a.pointer(), 40u * 32 + 64) << "nothing erased without --reset";
}

// An empty collar beside a full one: not a failure, and nothing is written
// for it.
TEST(ParallelOffload, AnEmptyCollarIsReportedEmptyAndWritesNoFiles) {
  testing::Sim full({"--fixes", "30", "--id", "81", "--seed", "5"});
  testing::Sim empty({"--fixes", "0", "--id", "82"});
  ASSERT_TRUE(full.ready() && empty.ready());
  TempDir work;
  const CliOutcome r = Cli(work.dir(),
                           {"offload", "--port", "1", "--port", "2", "--reset", "--out", "elk-{id}", "--data-dir",
                            work.file("data")},
                           {full.link(), empty.link()});
  EXPECT_EQ(r.exit, 0) << r.out << r.err;
  EXPECT_NE(r.out.find("COM2: collar 82 is empty: nothing to offload"), std::string::npos) << r.out;
  EXPECT_EQ(TempDir::List(work.file("data/GPS Data")), std::vector<std::string>{"elk-81.csv"});
  for (const std::string& name : TempDir::List(work.file("data/Backup/GPS Data")))
    EXPECT_EQ(name.rfind("82_", 0), std::string::npos) << "a backup for the empty collar: " << name;
}

// A state file of `count` fixes of collar 55, the first ones always the same.
void WriteState(const std::string& path, int count) {
  std::vector<GpsBlockFields> fixes;
  for (int i = 0; i < count; ++i)
    fixes.push_back(testing::FixAt(26, 8, 1 + i / 12, (i % 12) * 2, 0, 20, 44.0 + i * 0.0003, true, 108.0, false));
  std::vector<uint8_t> memory = testing::GpsImage(fixes, 55);
  memory[4] = 2;  // a two-hour primary rate
  memory.resize(262144, 0);
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(memory.data()),
                                               static_cast<std::streamsize>(memory.size()));
}

TEST(OffloadStore, AnUnreachableStoreWaitsAndACollarThatGainedFixesAddsOnlyThose) {
  TempDir work;
  const std::string data = work.file("data");
  WriteState(work.file("state.bin"), 200);
  auto sim = [&] {
    return std::make_unique<testing::Process>(
        std::string(ZELKOR_BIN_DIR) + "/collar-sim",
        std::vector<std::string>{"collar-sim", "--link", work.file("collar"), "--state", work.file("state.bin")},
        std::map<std::string, std::string>{}, work.file("sim.out"), work.file("sim.err"));
  };
  {
    auto collar = sim();
    testing::WaitForPath(work.file("collar"), 10000);
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    // The store cannot be reached: the offload stands, the backup waits.
    const CliOutcome r = Cli(work.dir(),
                      {"offload", "--port", "1", "--out", "first", "--data-dir", data, "--db",
                       "postgresql:///zelkor?host=/nonexistent/socket&connect_timeout=2"},
                      {work.file("collar")});
    ASSERT_EQ(r.exit, 0) << r.err;
    EXPECT_NE(r.err.find("warning: The fixes were not added to the season store"), std::string::npos) << r.err;
    EXPECT_NE(work.read("data/GPS Data/first.csv").find("200 blocks translated"), std::string::npos);
    ASSERT_EQ(ReadPendingImports(data + "/").size(), 1u);
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(1100));  // backups are named to the second
  WriteState(work.file("state.bin"), 300);  // not erased, and 100 fixes more
  std::filesystem::remove(work.file("collar"));
  {
    auto collar = sim();
    testing::WaitForPath(work.file("collar"), 10000);
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    const CliOutcome r = Cli(work.dir(), {"offload", "--port", "1", "--out", "second", "--data-dir", data},
                      {work.file("collar")});
    ASSERT_EQ(r.exit, 0) << r.err;
    EXPECT_NE(r.err.find("100 new fixes in the season store"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("1 earlier offloads that were waiting went in too"), std::string::npos) << r.err;
  }
  EXPECT_TRUE(ReadPendingImports(data + "/").empty());
  std::string error;
  auto store = SeasonStore::Open(data + "/zelkor.sqlite", &error);
  ASSERT_TRUE(store) << error;
  StoreCheck check;
  ASSERT_TRUE(store->check(&check, &error));
  EXPECT_TRUE(check.ok);
  EXPECT_EQ(check.fixes, 300);
  EXPECT_EQ(check.offloads, 2);

  // db fixes gives the season back in every format.
  const CliOutcome csv = Cli(work.dir(), {"db", "fixes", "--collar", "55", "--from", "2026-08-02", "--to", "2026-08-03",
                                   work.file("two-days.csv"), "--data-dir", data}, {});
  ASSERT_EQ(csv.exit, 0) << csv.err;
  EXPECT_NE(work.read("two-days.csv").find("24 blocks translated"), std::string::npos) << "1 and 2 August, UTC";
  const CliOutcome gpx = Cli(work.dir(), {"db", "fixes", "--collar", "55", "--format", "gpx", work.file("all.gpx"),
                                   "--data-dir", data}, {});
  ASSERT_EQ(gpx.exit, 0) << gpx.err;
  EXPECT_NE(work.read("all.gpx").find("<trkpt"), std::string::npos);
  const CliOutcome collars = Cli(work.dir(), {"db", "collars", "--data-dir", data}, {});
  EXPECT_EQ(collars.out, "55\t300\t2026-08-01T00:00:20Z\t2026-08-25T22:00:20Z\n");
  const CliOutcome checked = Cli(work.dir(), {"db", "check", "--data-dir", data}, {});
  EXPECT_EQ(checked.exit, 0);
  EXPECT_NE(checked.out.find("1 collars, 2 offloads and imports, 300 fixes\nok\n"), std::string::npos)
      << checked.out;
  // Importing the same backups again changes nothing.
  std::vector<std::string> args = {"db", "import"};
  for (const std::string& name : TempDir::List(data + "/Backup/GPS Data"))
    if (name.find(".gps") != std::string::npos) args.push_back(data + "/Backup/GPS Data/" + name);
  args.insert(args.end(), {"--data-dir", data});
  const CliOutcome again = Cli(work.dir(), args, {});
  EXPECT_EQ(again.exit, 0) << again.err;
  EXPECT_NE(again.out.find("0 new fixes (imported before)"), std::string::npos) << again.out;
  ASSERT_TRUE(store->check(&check, &error));
  EXPECT_EQ(check.fixes, 300);
  EXPECT_EQ(Cli(work.dir(), {"db", "fixes", "--collar", "55", "--from", "May 1", "x.csv", "--data-dir", data}, {}).exit,
            64);
}

}  // namespace
}  // namespace zelkor
