// The season store on both back ends: each fix kept once, imports whole or
// not at all, histories merged in time order, the schema versioned, user
// text always bound, and a store that cannot be reached said so.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>

#include "gpsdata/fix_time.h"
#include "store/season_store.h"
#include "store_backend.h"
#include "support/gps_image.h"
#include "util/endian.h"

namespace zelkor {
namespace {

using testing::StoreTarget;

// `count` fixes of a collar every two hours from a start, walking north.
std::vector<GpsBlockFields> Fixes(int64_t start, int count, double lat = 45.0) {
  std::vector<GpsBlockFields> fixes;
  for (int i = 0; i < count; ++i) {
    const int64_t t = start + i * 7200 + 30;
    int y, mo, d;
    CivilFromDays(t / 86400, &y, &mo, &d);
    const int rest = static_cast<int>(t % 86400);
    fixes.push_back(testing::FixAt(y - 2000, mo, d, rest / 3600, rest % 3600 / 60, rest % 60, lat + i * 0.0001, true,
                                   110.0 + i * 0.0001, false));
  }
  return fixes;
}

int64_t Day(int y, int m, int d) { return DaysFromCivil(y, m, d) * 86400; }

class Store : public ::testing::TestWithParam<std::string> {
 protected:
  StoreTarget where{GetParam()};
  std::unique_ptr<SeasonStore> open() {
    std::string error;
    auto store = SeasonStore::Open(where.target(), &error);
    EXPECT_TRUE(store) << error;
    return store;
  }
  ImportResult import(SeasonStore& store, const std::vector<uint8_t>& image, const std::string& backup = "b.gps") {
    ImportResult r;
    std::string error;
    EXPECT_TRUE(store.import(image, {"2026-12-07 10:00:00", 0, backup}, &r, &error)) << error;
    return r;
  }
  int64_t fixes(SeasonStore& store) {
    StoreCheck c;
    std::string error;
    EXPECT_TRUE(store.check(&c, &error)) << error;
    EXPECT_TRUE(c.ok) << (c.problems.empty() ? "" : c.problems[0]);
    return c.fixes;
  }
};

TEST_P(Store, AFixIsKeptOnceWhateverIsImportedAgain) {
  auto store = open();
  ASSERT_TRUE(store);
  EXPECT_EQ(store->schemaVersion(), kStoreSchemaVersion);
  const auto first = Fixes(Day(2026, 5, 1), 300);
  const std::vector<uint8_t> season = testing::GpsImage(first, 4711);
  ImportResult r = import(*store, season);
  EXPECT_EQ(r.collarId, 4711u);
  EXPECT_EQ(r.added, 300);
  EXPECT_EQ(fixes(*store), 300);

  r = import(*store, season);
  EXPECT_TRUE(r.alreadyImported);
  EXPECT_EQ(r.added, 0);
  EXPECT_EQ(fixes(*store), 300) << "the same file twice";

  // The collar was not erased and gained 100 fixes: only those are new.
  const std::vector<uint8_t> later = testing::GpsImage(Fixes(Day(2026, 5, 1), 400), 4711);
  r = import(*store, later, "later.gps");
  EXPECT_FALSE(r.alreadyImported);
  EXPECT_EQ(r.added, 100);
  EXPECT_EQ(fixes(*store), 400);

  std::vector<StoredCollar> collars;
  std::string error;
  ASSERT_TRUE(store->collars(&collars, &error)) << error;
  ASSERT_EQ(collars.size(), 1u);
  EXPECT_EQ(collars[0].fixes, 400);
  EXPECT_EQ(collars[0].offloads, 2);
  EXPECT_EQ(collars[0].firstFix, "2026-05-01T00:00:30Z");
}

TEST_P(Store, AHistoryMergesTheOffloadsInTimeOrder) {
  auto store = open();
  ASSERT_TRUE(store);
  // Two offloads of one collar with interleaved times, and another collar.
  import(*store, testing::GpsImage(Fixes(Day(2026, 6, 1), 10), 7));
  import(*store, testing::GpsImage(Fixes(Day(2026, 6, 1) + 3600, 10, 46.0), 7), "second.gps");
  import(*store, testing::GpsImage(Fixes(Day(2026, 6, 1), 5), 8), "other.gps");
  std::vector<uint8_t> image;
  std::string error;
  ASSERT_TRUE(store->history(7, std::nullopt, std::nullopt, &image, &error)) << error;
  ASSERT_EQ(image.size(), kGpsHeaderSize + 20 * kGpsBlockSize);
  EXPECT_EQ(HeaderBlockCount(image.data()), 20u);
  EXPECT_EQ(ReadBe16(image.data() + 12), 7u);
  int64_t previous = 0;
  for (size_t i = 0; i < 20; ++i) {
    int64_t t = 0;
    ASSERT_TRUE(FixUtcSeconds(DecodeGpsBlock(image.data() + kGpsHeaderSize + i * kGpsBlockSize), &t));
    EXPECT_GT(t, previous) << "block " << i;
    previous = t;
  }
  ASSERT_TRUE(store->history(7, Day(2026, 6, 1) + 7200, Day(2026, 6, 1) + 4 * 7200, &image, &error)) << error;
  EXPECT_EQ(HeaderBlockCount(image.data()), 6u) << "02:00 to before 08:00: three of each offload";
  EXPECT_FALSE(store->history(9, std::nullopt, std::nullopt, &image, &error));
  EXPECT_NE(error.find("collar 9 is not in the store"), std::string::npos) << error;
}

TEST_P(Store, AnImportKilledHalfwayLeavesNothingHalfDone) {
  // A large import in a child that is killed while it runs.
  std::vector<uint8_t> big = testing::GpsImage(Fixes(Day(2025, 1, 1), 8190), 99);
  { auto store = open(); }  // the schema first
  for (int delayMs : {5, 40, 150}) {
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      std::string error;
      auto store = SeasonStore::Open(where.target(), &error);
      ImportResult r;
      if (store) store->import(big, {"now", -1, "big.gps"}, &r, &error);
      _exit(0);
    }
    usleep(static_cast<useconds_t>(delayMs * 1000));
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    auto store = open();
    ASSERT_TRUE(store);
    const int64_t stored = fixes(*store);
    EXPECT_TRUE(stored == 0 || stored == 8190) << "killed after " << delayMs << " ms: " << stored << " fixes stored";
  }
}

TEST_P(Store, UserTextIsBoundNeverSplicedIn) {
  auto store = open();
  ASSERT_TRUE(store);
  const std::string nasty = "x'); DROP TABLE fixes; -- \"\\ ?";
  ImportResult r;
  std::string error;
  ASSERT_TRUE(store->import(testing::GpsImage(Fixes(Day(2026, 1, 1), 3), 5), {nasty, -1, nasty}, &r, &error))
      << error;
  EXPECT_EQ(fixes(*store), 3);
  std::vector<StoredCollar> collars;
  ASSERT_TRUE(store->collars(&collars, &error));
  EXPECT_EQ(collars[0].firstSeen, nasty);
}

TEST_P(Store, TheSchemaIsVersionedAndANewerOneIsRefused) {
  {
    auto store = open();
    ASSERT_TRUE(store);
  }
  std::string error;
  auto db = GetParam() == "SQLite" ? OpenSqlite(where.target(), &error) : OpenPostgres(where.target(), &error);
  ASSERT_TRUE(db) << error;
  std::vector<SqlRow> rows;
  ASSERT_TRUE(db->run("SELECT COUNT(*) FROM schema_version", {}, &rows, nullptr, &error)) << error;
  EXPECT_EQ(rows[0].integer(0), kStoreSchemaVersion) << "each migration once, however often the store is opened";
  ASSERT_TRUE(db->run("INSERT INTO schema_version (version) VALUES (?)", {int64_t{99}}, nullptr, nullptr, &error));
  db.reset();
  EXPECT_FALSE(SeasonStore::Open(where.target(), &error));
  EXPECT_NE(error.find("newer Zelkor"), std::string::npos) << error;
}

TEST_P(Store, TheCheckFindsFixesThatNoOffloadAccountsFor) {
  auto store = open();
  ASSERT_TRUE(store);
  import(*store, testing::GpsImage(Fixes(Day(2026, 2, 1), 20), 3));
  std::string error;
  auto db = GetParam() == "SQLite" ? OpenSqlite(where.target(), &error) : OpenPostgres(where.target(), &error);
  ASSERT_TRUE(db) << error;
  ASSERT_TRUE(db->run("DELETE FROM fixes WHERE block_index = ?", {int64_t{4}}, nullptr, nullptr, &error)) << error;
  StoreCheck c;
  ASSERT_TRUE(store->check(&c, &error)) << error;
  EXPECT_FALSE(c.ok);
  ASSERT_FALSE(c.problems.empty());
  EXPECT_EQ(c.problems[0], "imports hold 1 fixes that are not stored");
}

INSTANTIATE_TEST_SUITE_P(Backends, Store, ::testing::Values("SQLite", "PostgreSQL"),
                         [](const ::testing::TestParamInfo<std::string>& info) { return info.param; });

TEST(StoreOpen, AStoreThatCannotBeReachedIsAClearError) {
  std::string error;
  EXPECT_FALSE(SeasonStore::Open("postgresql:///zelkor?host=/nonexistent/socket&connect_timeout=2", &error));
  EXPECT_NE(error.find("the season store PostgreSQL postgresql:///zelkor?host=/nonexistent/socket"), std::string::npos)
      << error;
  EXPECT_NE(error.find("cannot be opened"), std::string::npos) << error;
  EXPECT_FALSE(SeasonStore::Open("/nonexistent/folder/zelkor.sqlite", &error));
  EXPECT_NE(error.find("SQLite /nonexistent/folder/zelkor.sqlite cannot be opened"), std::string::npos) << error;
}

}  // namespace
}  // namespace zelkor
