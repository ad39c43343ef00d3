// What must hold after any offload, whatever the line did and wherever the
// programs were stopped: nothing wrong stands under a final name, and the
// collar is never erased unless a backup holds its true data.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "gpsdata/gps_fix.h"
#include "gpsdata/translate.h"
#include "support/collar_sim.h"
#include "support/temp_dir.h"
#include "util/endian.h"

namespace zelkor::testing {

// The collar as it was before the run: what a clean offload receives and
// the CSV it gives.
struct CollarTruth {
  std::string image;  // header and blocks, padded to whole packets as XMODEM delivers them
  std::string csv;    // the clean offload's CSV (latitude/longitude, UTC)
  uint32_t pointer = 0;

  explicit CollarTruth(const Sim& sim) {
    const std::string state = sim.state();
    pointer = ReadBe24(reinterpret_cast<const uint8_t*>(state.data()) + 1);
    image = state.substr(0, pointer);
    while (image.size() % 128) image.push_back('\x1A');
    const Translation t = TranslateGpsImage(std::vector<uint8_t>(image.begin(), image.end()), OutputForm::LatLon, UtcShift{},
                                            "(GMT) Universal Time Coordinated (UTC)");
    csv = t.csv;
  }
};

inline std::vector<std::string> FilesIn(const std::string& dir) { return TempDir::List(dir); }

inline bool EndsWith(const std::string& s, const std::string& tail) {
  return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

// Checks the data folder of one run. `context` names the run in failures.
inline void ExpectNothingWrongStands(const Sim& sim, const CollarTruth& truth, int exitStatus,
                                     const std::string& context) {
  const std::string gpsData = sim.data() + "/GPS Data/";
  const std::string backups = sim.data() + "/Backup/GPS Data/";
  for (const std::string& name : FilesIn(gpsData)) {
    EXPECT_FALSE(name.find(".part-") != std::string::npos) << context << ": a temporary file stayed: " << name;
    if (!EndsWith(name, ".csv")) continue;
    const std::string csv = TempDir::ReadFile(gpsData + name);
    if (exitStatus == 0) {
      EXPECT_TRUE(csv == truth.csv) << context << ": exit 0 with a CSV that differs from the clean offload's";
    } else {
      // A failed run may leave a CSV (the data of a read it could not
      // confirm), but only a whole one.
      const std::string tail = truth.csv.substr(truth.csv.find("\r\n\r\n"));
      EXPECT_TRUE(EndsWith(csv, tail)) << context << ": " << name << " is not whole";
      EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), std::count(truth.csv.begin(), truth.csv.end(), '\n'))
          << context << ": " << name << " is not whole";
    }
  }
  bool trueBackup = false;
  for (const std::string& name : FilesIn(backups)) {
    if (!EndsWith(name, ".gps")) continue;
    trueBackup |= TempDir::ReadFile(backups + name) == truth.image;
  }
  if (sim.pointer() == 64 && truth.pointer != 64) {
    EXPECT_TRUE(trueBackup) << context << ": the collar was erased but no backup holds its true data";
  }
  if (exitStatus == 0) {
    bool csvFound = false;
    for (const std::string& name : FilesIn(gpsData)) csvFound |= EndsWith(name, ".csv");
    EXPECT_TRUE(csvFound) << context << ": exit 0 without a CSV";
  }
}

}  // namespace zelkor::testing
