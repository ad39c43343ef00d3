// What must hold after any offload, whatever the line did and wherever the
// programs were stopped: nothing wrong stands under a final name, and the
// collar is never erased unless a backup holds its true data.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/paths.h"
#include "gpsdata/gps_fix.h"
#include "gpsdata/translate.h"
#include "store/season_store.h"
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

template <typename Bytes>
std::string Hex(const Bytes& b, size_t at) {
  std::string s;
  for (size_t i = at; i < at + 32 && i < b.size(); ++i) {
    static const char* d = "0123456789abcdef";
    s.push_back(d[static_cast<uint8_t>(b[i]) >> 4]);
    s.push_back(d[static_cast<uint8_t>(b[i]) & 15]);
  }
  return s;
}

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
    const bool isTrue = TempDir::ReadFile(backups + name) == truth.image;
    trueBackup |= isTrue;
    // A read kept aside unconfirmed may be anything; a backup must be true.
    if (!EndsWith(name, ".unconfirmed.gps")) {
      EXPECT_TRUE(isTrue) << context << ": the backup " << name << " differs from the collar's data";
    }
  }
  // The store's rows of this collar are the collar's blocks, whatever came
  // of the run.
  const std::string storePath = DefaultStorePath(sim.data() + "/");
  if (TempDir::Exists(storePath) && truth.pointer > 64) {
    std::string error;
    auto store = SeasonStore::Open(storePath, &error);
    ASSERT_TRUE(store) << context << ": " << error;
    std::vector<uint8_t> history;
    const uint32_t collar = ReadBe16(reinterpret_cast<const uint8_t*>(truth.image.data()) + 12);
    if (store->history(collar, std::nullopt, std::nullopt, &history, &error)) {
      const size_t blocks = (truth.pointer - 64) / 32;
      ASSERT_EQ(history.size(), 64 + blocks * 32) << context << ": the store holds other fixes than the collar";
      const std::vector<uint8_t> want(truth.image.begin(), truth.image.end());
      size_t differ = 0;
      while (64 + differ * 32 < history.size() &&
             std::equal(history.begin() + 64 + differ * 32, history.begin() + 96 + differ * 32,
                        want.begin() + 64 + differ * 32))
        ++differ;
      EXPECT_EQ(64 + differ * 32, history.size())
          << context << ": the store's fixes differ from the collar's from block " << differ + 1 << " (exit "
          << exitStatus << ")\nstore: " << Hex(history, 64 + differ * 32) << "\ntrue:  " << Hex(truth.image, 64 + differ * 32);
    }
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
