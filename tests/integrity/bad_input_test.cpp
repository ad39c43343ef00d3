// Bad input to every command: folders, empty, cut and random files, odd
// options. Each gives a message naming the file and the reason and an exit
// status from 1 to 125; none crashes or writes a file it should not.
#include <gtest/gtest.h>

#include <random>

#include "support/cli_run.h"
#include "support/gps_image.h"

namespace zelkor {
namespace {

using testing::CliResult;
using testing::TempDir;

CliResult Cli(const TempDir& dir, std::vector<std::string> args) {
  args.insert(args.begin(), "zelkor-cli");
  return testing::RunProgram(dir.dir(), args, {}, -1, 30000);
}

std::string RandomBytes(size_t n) {
  std::mt19937 rng(42);
  std::string s(n, '\0');
  for (auto& c : s) c = static_cast<char>(rng());
  return s;
}

struct Inputs {
  TempDir dir;
  Inputs() {
    std::filesystem::create_directory(dir.file("folder"));
    dir.write("empty", "");
    dir.write("ten", std::string(10, '\x05'));
    dir.write("random", RandomBytes(37));
    dir.writeBytes("good.gps", testing::GpsImage({testing::FixAt(6, 7, 5, 9, 3, 7, 40, true, 105, false)}));
  }
};

void ExpectCleanFailure(const CliResult& r, const std::string& what, const std::string& mention) {
  EXPECT_GE(r.exit, 1) << what << ": " << r.err;
  EXPECT_LE(r.exit, 125) << what << ": " << r.err;
  EXPECT_NE(r.err.find(mention), std::string::npos) << what << ": the message should name " << mention << "\n"
                                                     << r.err;
}

TEST(BadInput, GpsDataCommandsRefuseFoldersAndFilesThatAreNotGpsData) {
  Inputs in;
  const std::string out = in.dir.file("out.csv");
  for (const char* name : {"folder", "empty", "ten", "/dev/zero"}) {
    const std::string path = name[0] == '/' ? name : in.dir.file(name);
    ExpectCleanFailure(Cli(in.dir, {"translate", path, out}), std::string("translate ") + name, path);
    ExpectCleanFailure(Cli(in.dir, {"export", path, in.dir.file("x.gpx")}), std::string("export ") + name, path);
  }
  ExpectCleanFailure(Cli(in.dir, {"translate", in.dir.file("folder"), out}), "translate a folder", "folder");
  EXPECT_FALSE(TempDir::Exists(out));
  EXPECT_FALSE(TempDir::Exists(in.dir.file("x.gpx")));
}

TEST(BadInput, ConfigCommandsRefuseAnythingButAWholeRecord) {
  Inputs in;
  for (const char* name : {"folder", "empty", "ten", "random", "missing"}) {
    const std::string path = in.dir.file(name);
    ExpectCleanFailure(Cli(in.dir, {"config", "show", path}), std::string("config show ") + name,
                       "Could not open " + path);
    ExpectCleanFailure(Cli(in.dir, {"config", "rewrite", path, in.dir.file("out.cfg")}),
                       std::string("config rewrite ") + name, path);
    EXPECT_FALSE(TempDir::Exists(in.dir.file("out.cfg"))) << name;
  }
}

TEST(BadInput, OptionsOutOfRangeAndAnOutputOverItsInputAreRefused) {
  Inputs in;
  const std::string good = in.dir.file("good.gps");
  const std::string before = in.dir.read("good.gps");
  for (const char* offset : {"100", "-13", "15"})
    ExpectCleanFailure(Cli(in.dir, {"translate", good, in.dir.file("o.csv"), "--offset", offset}),
                       std::string("--offset ") + offset, "--offset");
  EXPECT_EQ(Cli(in.dir, {"translate", good, in.dir.file("o.csv"), "--offset", "14"}).exit, 0);
  ExpectCleanFailure(Cli(in.dir, {"translate", good, good}), "translate onto itself", "input");
  ExpectCleanFailure(Cli(in.dir, {"export", good, good, "--format", "gpx"}), "export onto itself", "input");
  EXPECT_EQ(in.dir.read("good.gps"), before) << "the input was overwritten";
  ExpectCleanFailure(Cli(in.dir, {"offload", "--port", "1", "--out", "x", "--blocks", "-1"}), "--blocks -1",
                     "--blocks");
  ExpectCleanFailure(Cli(in.dir, {"offload", "--port", "99", "--out", "x"}), "--port 99", "--port");
}

}  // namespace
}  // namespace zelkor
