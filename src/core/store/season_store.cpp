#include "store/season_store.h"

#include <algorithm>

#include "gpsdata/decoded_file.h"
#include "gpsdata/gps_file_check.h"
#include "gpsdata/fix_time.h"
#include "util/endian.h"
#include "util/sha256.h"
#include "util/text.h"

namespace zelkor {

namespace {

std::string Hex(const uint8_t* data, size_t size) {
  static const char* kHex = "0123456789abcdef";
  std::string out;
  out.reserve(size * 2);
  for (size_t i = 0; i < size; ++i) {
    out.push_back(kHex[data[i] >> 4]);
    out.push_back(kHex[data[i] & 0xF]);
  }
  return out;
}

bool FromHex(const std::string& hex, std::vector<uint8_t>* out) {
  auto nibble = [](char c) { return c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1; };
  if (hex.size() % 2) return false;
  for (size_t i = 0; i < hex.size(); i += 2) {
    const int hi = nibble(hex[i]), lo = nibble(hex[i + 1]);
    if (hi < 0 || lo < 0) return false;
    out->push_back(static_cast<uint8_t>(hi << 4 | lo));
  }
  return true;
}

// The schema, one script per version. Portable SQL; the generated key is
// the only word that differs between the back ends.
std::vector<std::string> Migrations(const Database& db) {
  return {
      "CREATE TABLE collars (collar_id BIGINT PRIMARY KEY, first_seen TEXT NOT NULL, last_seen TEXT NOT NULL);"
      "CREATE TABLE offloads (offload_id " +
          db.autoIdColumn() +
          ", imported_at TEXT NOT NULL, port INTEGER, collar_id BIGINT NOT NULL REFERENCES collars (collar_id),"
          " backup_path TEXT, sha256 TEXT NOT NULL, block_count INTEGER NOT NULL, config_header TEXT NOT NULL,"
          " fixes_added INTEGER NOT NULL DEFAULT 0);"
          "CREATE INDEX offloads_by_collar ON offloads (collar_id, sha256);"
          "CREATE TABLE fixes (collar_id BIGINT NOT NULL REFERENCES collars (collar_id), fix_time TEXT NOT NULL,"
          " utc BIGINT, latitude DOUBLE PRECISION NOT NULL, longitude DOUBLE PRECISION NOT NULL, altitude INTEGER,"
          " status INTEGER NOT NULL, satellites INTEGER NOT NULL, check_computed INTEGER NOT NULL,"
          " check_stored INTEGER NOT NULL, block_index INTEGER NOT NULL, block TEXT NOT NULL,"
          " offload_id BIGINT NOT NULL REFERENCES offloads (offload_id),"
          " PRIMARY KEY (collar_id, fix_time, latitude, longitude));"
          "CREATE INDEX fixes_by_time ON fixes (collar_id, utc);",
  };
}

constexpr int kFixColumns = 13;
constexpr size_t kBatch = 200;

std::string InsertFixes(size_t rows) {
  std::string sql =
      "INSERT INTO fixes (collar_id, fix_time, utc, latitude, longitude, altitude, status, satellites, "
      "check_computed, check_stored, block_index, block, offload_id) VALUES ";
  for (size_t r = 0; r < rows; ++r) sql += r ? ",(?,?,?,?,?,?,?,?,?,?,?,?,?)" : "(?,?,?,?,?,?,?,?,?,?,?,?,?)";
  return sql + " ON CONFLICT DO NOTHING";
}

}  // namespace

bool IsPostgresUrl(const std::string& target) {
  return target.rfind("postgresql://", 0) == 0 || target.rfind("postgres://", 0) == 0;
}

std::string DefaultStorePath(const std::string& programDirectory) { return programDirectory + "zelkor.sqlite"; }

std::string HidePassword(const std::string& url) {
  const size_t scheme = url.find("://");
  const size_t at = url.find('@');
  if (scheme == std::string::npos || at == std::string::npos) return url;
  const size_t colon = url.find(':', scheme + 3);
  if (colon == std::string::npos || colon > at) return url;
  return url.substr(0, colon + 1) + "***" + url.substr(at);
}

std::unique_ptr<SeasonStore> SeasonStore::Open(const std::string& target, std::string* error) {
  std::string why;
  std::unique_ptr<Database> db;
  std::string description;
  if (IsPostgresUrl(target)) {
    db = OpenPostgres(target, &why);
    description = "PostgreSQL " + HidePassword(target);
  } else {
    db = OpenSqlite(target, &why);
    description = "SQLite " + target;
  }
  if (!db) {
    if (error) *error = "the season store " + description + " cannot be opened: " + why;
    return nullptr;
  }
  std::unique_ptr<SeasonStore> store(new SeasonStore(std::move(db), description));
  if (!store->migrate(&why)) {
    if (error) *error = "the season store " + description + " cannot be brought up to date: " + why;
    return nullptr;
  }
  return store;
}

bool SeasonStore::migrate(std::string* error) {
  if (!db_->runScript("CREATE TABLE IF NOT EXISTS schema_version (version INTEGER NOT NULL)", error)) return false;
  std::vector<SqlRow> rows;
  if (!db_->run("SELECT MAX(version) FROM schema_version", {}, &rows, nullptr, error)) return false;
  version_ = rows.empty() || rows[0].isNull(0) ? 0 : static_cast<int>(rows[0].integer(0));
  if (version_ > kStoreSchemaVersion) {
    *error = Format("it was made by a newer Zelkor (schema version %d; this one knows up to %d)", version_,
                    kStoreSchemaVersion);
    return false;
  }
  const std::vector<std::string> steps = Migrations(*db_);
  for (int v = version_ + 1; v <= kStoreSchemaVersion; ++v) {
    if (!db_->begin(error)) return false;
    if (!db_->runScript(steps[static_cast<size_t>(v - 1)], error) ||
        !db_->run("INSERT INTO schema_version (version) VALUES (?)", {int64_t{v}}, nullptr, nullptr, error) ||
        !db_->commit(error)) {
      db_->rollback();
      return false;
    }
    version_ = v;
  }
  return true;
}

bool SeasonStore::import(const std::vector<uint8_t>& image, const ImportInfo& info, ImportResult* result,
                         std::string* error) {
  const GpsFileCheck check = CheckGpsFile(image);
  DecodedFile data;
  if (!check.recognised || !DecodeGpsFile(image, &data)) {
    *error = "it does not look like a collar's GPS data file: " + check.reason;
    return false;
  }
  ImportResult r;
  r.collarId = data.collarId;
  r.blocks = static_cast<int>(data.fixes.size());
  const std::string sha = Sha256Hex(image.data(), image.size());
  const int64_t collar = data.collarId;
  if (!db_->begin(error)) return false;
  auto fail = [this]() {
    db_->rollback();
    return false;
  };
  std::vector<SqlRow> rows;
  if (!db_->run("INSERT INTO collars (collar_id, first_seen, last_seen) VALUES (?, ?, ?) "
                "ON CONFLICT (collar_id) DO UPDATE SET last_seen = excluded.last_seen",
                {collar, info.at, info.at}, nullptr, nullptr, error) ||
      !db_->run("SELECT offload_id FROM offloads WHERE collar_id = ? AND sha256 = ?", {collar, sha}, &rows, nullptr,
                error))
    return fail();
  if (!rows.empty()) {
    r.alreadyImported = true;
    if (!db_->commit(error)) return fail();
    *result = r;
    return true;
  }
  rows.clear();
  if (!db_->run("INSERT INTO offloads (imported_at, port, collar_id, backup_path, sha256, block_count, config_header) "
                "VALUES (?, ?, ?, ?, ?, ?, ?) RETURNING offload_id",
                {info.at, info.port >= 0 ? SqlValue{int64_t{info.port + 1}} : SqlValue{}, collar, info.backupPath, sha,
                 int64_t{r.blocks}, Hex(image.data(), kGpsHeaderSize)},
                &rows, nullptr, error) ||
      rows.empty())
    return fail();
  const int64_t offload = rows[0].integer(0);

  std::vector<SqlValue> batch;
  batch.reserve(kBatch * kFixColumns);
  size_t inBatch = 0;
  auto flush = [&]() {
    if (!inBatch) return true;
    int64_t changed = 0;
    if (!db_->run(InsertFixes(inBatch), batch, nullptr, &changed, error)) return false;
    r.added += static_cast<int>(changed);
    batch.clear();
    inBatch = 0;
    return true;
  };
  for (const DecodedFix& e : data.fixes) {
    const GpsFix& f = e.fix;
    int64_t utc = 0;
    const bool timed = FixUtcSeconds(f, &utc);
    const size_t at = kGpsHeaderSize + static_cast<size_t>(e.index - 1) * kGpsBlockSize;
    batch.push_back(collar);
    batch.push_back(Format("%02d-%02d-%02d %02d:%02d:%02d", f.year, f.month, f.day, f.hour, f.minute, f.second));
    batch.push_back(timed ? SqlValue{utc} : SqlValue{});
    batch.push_back(e.latitude);
    batch.push_back(e.longitude);
    batch.push_back(f.hasAltitude ? SqlValue{int64_t{f.altitude}} : SqlValue{});
    batch.push_back(int64_t{f.statusCode});
    batch.push_back(int64_t{e.satellites});
    batch.push_back(int64_t{f.computedCheck});
    batch.push_back(int64_t{f.storedCheck});
    batch.push_back(int64_t{e.index});
    batch.push_back(Hex(image.data() + at, kGpsBlockSize));
    batch.push_back(offload);
    if (++inBatch == kBatch && !flush()) return fail();
  }
  if (!flush() ||
      !db_->run("UPDATE offloads SET fixes_added = ? WHERE offload_id = ?", {int64_t{r.added}, offload}, nullptr,
                nullptr, error) ||
      !db_->commit(error))
    return fail();
  *result = r;
  return true;
}

bool SeasonStore::collars(std::vector<StoredCollar>* out, std::string* error) {
  std::vector<SqlRow> rows;
  if (!db_->run("SELECT c.collar_id, c.first_seen, c.last_seen, "
                "(SELECT COUNT(*) FROM fixes f WHERE f.collar_id = c.collar_id), "
                "(SELECT MIN(utc) FROM fixes f WHERE f.collar_id = c.collar_id), "
                "(SELECT MAX(utc) FROM fixes f WHERE f.collar_id = c.collar_id), "
                "(SELECT COUNT(*) FROM offloads o WHERE o.collar_id = c.collar_id) "
                "FROM collars c ORDER BY c.collar_id",
                {}, &rows, nullptr, error))
    return false;
  out->clear();
  for (const SqlRow& row : rows) {
    StoredCollar c;
    c.collarId = static_cast<uint32_t>(row.integer(0));
    c.firstSeen = row.text(1);
    c.lastSeen = row.text(2);
    c.fixes = row.integer(3);
    if (!row.isNull(4)) c.firstFix = IsoUtcSeconds(row.integer(4));
    if (!row.isNull(5)) c.lastFix = IsoUtcSeconds(row.integer(5));
    c.offloads = static_cast<int>(row.integer(6));
    out->push_back(c);
  }
  return true;
}

bool SeasonStore::history(uint32_t collarId, std::optional<int64_t> from, std::optional<int64_t> to,
                          std::vector<uint8_t>* image, std::string* error) {
  std::vector<SqlRow> header;
  if (!db_->run("SELECT config_header FROM offloads WHERE collar_id = ? ORDER BY offload_id DESC LIMIT 1",
                {int64_t{collarId}}, &header, nullptr, error))
    return false;
  if (header.empty()) {
    *error = Format("collar %u is not in the store", collarId);
    return false;
  }
  // Fixed texts for each combination of bounds; only the values vary.
  std::string sql = "SELECT block FROM fixes WHERE collar_id = ?";
  std::vector<SqlValue> params = {int64_t{collarId}};
  if (from) {
    sql += " AND utc >= ?";
    params.push_back(*from);
  }
  if (to) {
    sql += " AND utc < ?";
    params.push_back(*to);
  }
  sql += " ORDER BY utc, fix_time, block_index";
  std::vector<SqlRow> rows;
  if (!db_->run(sql, params, &rows, nullptr, error)) return false;
  image->clear();
  if (!FromHex(header[0].text(0), image) || image->size() != kGpsHeaderSize) {
    *error = "a stored configuration header is damaged";
    return false;
  }
  image->reserve(kGpsHeaderSize + rows.size() * kGpsBlockSize);
  for (const SqlRow& row : rows) {
    const size_t before = image->size();
    if (!FromHex(row.text(0), image) || image->size() - before != kGpsBlockSize) {
      *error = "a stored fix is damaged";
      return false;
    }
  }
  WriteBe24(image->data() + 1, static_cast<uint32_t>(kGpsHeaderSize + rows.size() * kGpsBlockSize));
  return true;
}

bool SeasonStore::check(StoreCheck* out, std::string* error) {
  StoreCheck c;
  c.schemaVersion = version_;
  std::vector<SqlRow> rows;
  if (db_->kind() == "SQLite") {
    if (!db_->run("PRAGMA integrity_check", {}, &rows, nullptr, error)) return false;
    for (const SqlRow& row : rows)
      if (row.text(0) != "ok") c.problems.push_back("integrity: " + row.text(0));
    rows.clear();
    if (!db_->run("PRAGMA foreign_key_check", {}, &rows, nullptr, error)) return false;
    for (const SqlRow& row : rows) c.problems.push_back("a row of " + row.text(0) + " refers to nothing");
    rows.clear();
  }
  if (!db_->run("SELECT (SELECT COUNT(*) FROM collars), (SELECT COUNT(*) FROM offloads), (SELECT COUNT(*) FROM fixes)",
                {}, &rows, nullptr, error))
    return false;
  c.collars = rows[0].integer(0);
  c.offloads = rows[0].integer(1);
  c.fixes = rows[0].integer(2);
  rows.clear();
  // Every offload's count of new fixes adds up to the fixes stored.
  if (!db_->run("SELECT COALESCE(SUM(fixes_added), 0) FROM offloads", {}, &rows, nullptr, error)) return false;
  if (rows[0].integer(0) != c.fixes)
    c.problems.push_back(Format("the offloads brought %lld fixes but %lld are stored",
                                static_cast<long long>(rows[0].integer(0)), static_cast<long long>(c.fixes)));
  c.ok = c.problems.empty();
  *out = c;
  return true;
}

}  // namespace zelkor
