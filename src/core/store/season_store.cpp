#include "store/season_store.h"

#include <algorithm>
#include <map>

#include "gpsdata/decoded_file.h"
#include "gpsdata/fix_time.h"
#include "gpsdata/gps_file_check.h"
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
      // 1: collars, their offloads and imports, and the fixes kept once.
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
      // 2: whether two reads confirmed an import, and every fix each import
      // holds (so that an import can be taken away). A fix stored before
      // is held by the import that brought it.
      "ALTER TABLE offloads ADD COLUMN confirmed INTEGER NOT NULL DEFAULT 0;"
      "CREATE TABLE held_fixes (offload_id BIGINT NOT NULL REFERENCES offloads (offload_id),"
      " collar_id BIGINT NOT NULL, fix_time TEXT NOT NULL, latitude DOUBLE PRECISION NOT NULL,"
      " longitude DOUBLE PRECISION NOT NULL, block_index INTEGER NOT NULL,"
      " PRIMARY KEY (offload_id, collar_id, fix_time, latitude, longitude));"
      "CREATE INDEX held_by_fix ON held_fixes (collar_id, fix_time, latitude, longitude);"
      "INSERT INTO held_fixes (offload_id, collar_id, fix_time, latitude, longitude, block_index)"
      " SELECT offload_id, collar_id, fix_time, latitude, longitude, block_index FROM fixes;",
  };
}

constexpr int kFixColumns = 13;
constexpr int kHeldColumns = 6;
constexpr size_t kBatch = 200;

std::string InsertFixes(size_t rows) {
  std::string sql =
      "INSERT INTO fixes (collar_id, fix_time, utc, latitude, longitude, altitude, status, satellites, "
      "check_computed, check_stored, block_index, block, offload_id) VALUES ";
  for (size_t r = 0; r < rows; ++r) sql += r ? ",(?,?,?,?,?,?,?,?,?,?,?,?,?)" : "(?,?,?,?,?,?,?,?,?,?,?,?,?)";
  return sql + " ON CONFLICT DO NOTHING";
}

std::string InsertHeld(size_t rows) {
  std::string sql = "INSERT INTO held_fixes (offload_id, collar_id, fix_time, latitude, longitude, block_index) VALUES ";
  for (size_t r = 0; r < rows; ++r) sql += r ? ",(?,?,?,?,?,?)" : "(?,?,?,?,?,?)";
  return sql + " ON CONFLICT DO NOTHING";
}

std::string FixTimeText(const GpsFix& f) {
  return Format("%02d-%02d-%02d %02d:%02d:%02d", f.year, f.month, f.day, f.hour, f.minute, f.second);
}

// A fix's identity: collar, stored time, position.
struct FixKey {
  std::string time;
  double latitude = 0, longitude = 0;
};

// The fixes no import holds any more go; those whose first import went
// pass to another that holds them.
const char kDropOrphans[] =
    "DELETE FROM fixes WHERE collar_id = ? AND NOT EXISTS (SELECT 1 FROM held_fixes h WHERE h.collar_id = "
    "fixes.collar_id AND h.fix_time = fixes.fix_time AND h.latitude = fixes.latitude AND h.longitude = "
    "fixes.longitude)";
const char kPassOn[] =
    "UPDATE fixes SET offload_id = (SELECT MIN(h.offload_id) FROM held_fixes h WHERE h.collar_id = fixes.collar_id "
    "AND h.fix_time = fixes.fix_time AND h.latitude = fixes.latitude AND h.longitude = fixes.longitude) WHERE "
    "collar_id = ? AND offload_id = ?";

}  // namespace

std::string DefaultStorePath(const std::string& programDirectory) { return programDirectory + "zelkor.sqlite"; }

std::unique_ptr<SeasonStore> SeasonStore::Open(const std::string& target, std::string* error,
                                               const ConnectOptions& options) {
  std::string why;
  std::unique_ptr<Database> db;
  std::string description;
  if (IsPostgresTarget(target)) {
    db = OpenPostgres(target, &why, options);
    description = "PostgreSQL " + MaskPassword(target);
  } else {
    db = OpenSqlite(target, &why);
    description = "SQLite " + target;
  }
  if (!db) {
    if (error) *error = "the season store " + description + " cannot be opened: " + MaskPassword(why);
    return nullptr;
  }
  if (!db->writable()) description += " (read-only)";
  std::unique_ptr<SeasonStore> store(new SeasonStore(std::move(db), description));
  if (!store->recognise(&why)) {
    if (error) *error = "the season store " + description + " cannot be used: " + why;
    return nullptr;
  }
  if (!store->migrate(&why)) {
    if (error) *error = "the season store " + description + " cannot be brought up to date: " + MaskPassword(why);
    return nullptr;
  }
  return store;
}

bool SeasonStore::recognise(std::string* error) {
  if (db_->kind() != "SQLite") return true;
  // A file of ours carries our application_id, or (made before it did) our
  // tables; an empty file is a new store. Anything else is another
  // program's, and nothing in it is changed.
  std::vector<SqlRow> rows;
  if (!db_->run("PRAGMA application_id", {}, &rows, nullptr, error)) return false;
  const int64_t id = rows.empty() ? 0 : rows[0].integer(0);
  if (id != kStoreApplicationId) {
    rows.clear();
    if (!db_->run("SELECT COUNT(*) FROM sqlite_master", {}, &rows, nullptr, error)) return false;
    const bool empty = rows.empty() || rows[0].integer(0) == 0;
    bool ours = false;
    if (id == 0 && !empty) {
      ours = db_->tableExists("schema_version", error) && db_->tableExists("fixes", error) &&
             db_->tableExists("offloads", error);
    }
    if (!(id == 0 && (empty || ours))) {
      *error = "it is another program's database, not a season store; nothing was changed in it";
      return false;
    }
  }
  return UseStoreJournal(*db_, error);
}

int SeasonStore::currentVersion(std::string* error, bool* ok) {
  *ok = false;
  std::string why;
  const bool exists = db_->tableExists("schema_version", &why);
  if (!why.empty()) {
    *error = why;
    return 0;
  }
  *ok = true;
  if (!exists) return 0;
  std::vector<SqlRow> rows;
  if (!db_->run("SELECT MAX(version) FROM schema_version", {}, &rows, nullptr, error)) {
    *ok = false;
    return 0;
  }
  return rows.empty() || rows[0].isNull(0) ? 0 : static_cast<int>(rows[0].integer(0));
}

std::string SeasonStore::changeRefused(const std::string& why) const {
  if (!db_->writable()) return "this store is read-only (it is on media that may not be written)";
  if (db_->lastFailureWasPermission())
    return "this store is read-only for user " + db_->user() + " (the server refused: " + why + ")";
  return why;
}

std::string SeasonStore::readOnlyReason() {
  if (!db_->writable()) return changeRefused("");
  if (db_->kind() == "SQLite") return std::string();
  std::vector<SqlRow> rows;
  std::string why;
  if (!db_->run("SELECT CASE WHEN has_table_privilege('fixes', 'INSERT') AND has_table_privilege('offloads', "
                "'INSERT') AND has_table_privilege('held_fixes', 'DELETE') AND has_table_privilege('collars', "
                "'UPDATE') THEN 1 ELSE 0 END",
                {}, &rows, nullptr, &why))
    return std::string();  // unknown: the first change will tell
  if (!rows.empty() && rows[0].integer(0) == 0) return "this store is read-only for user " + db_->user();
  return std::string();
}

bool SeasonStore::migrate(std::string* error) {
  bool ok = false;
  version_ = currentVersion(error, &ok);
  if (!ok) return false;
  // A current store is only read: nothing is written at opening.
  if (version_ == kStoreSchemaVersion) return true;
  if (version_ > kStoreSchemaVersion) {
    *error = Format("it was made by a newer Zelkor (schema version %d; this one knows up to %d)", version_,
                    kStoreSchemaVersion);
    return false;
  }
  if (!db_->writable()) {
    *error = Format("it needs the update to schema version %d, and this copy is read-only", kStoreSchemaVersion);
    return false;
  }
  // One program brings it up to date; the others wait for the lock and
  // then find it done.
  if (!db_->beginLocked(kStoreApplicationId, error)) {
    *error = changeRefused(*error);
    return false;
  }
  auto fail = [&](const std::string& why) {
    *error = changeRefused(why);
    db_->rollback();
    return false;
  };
  version_ = currentVersion(error, &ok);
  if (!ok) return fail(*error);
  if (version_ > kStoreSchemaVersion) return fail("another program brought it to a newer schema meanwhile");
  if (version_ < kStoreSchemaVersion) {
    std::string why;
    if (!db_->runScript("CREATE TABLE IF NOT EXISTS schema_version (version INTEGER NOT NULL)", &why)) return fail(why);
    const std::vector<std::string> steps = Migrations(*db_);
    for (int v = version_ + 1; v <= kStoreSchemaVersion; ++v) {
      if (!db_->runScript(steps[static_cast<size_t>(v - 1)], &why) ||
          !db_->run("INSERT INTO schema_version (version) VALUES (?)", {int64_t{v}}, nullptr, nullptr, &why))
        return fail(why);
    }
    if (db_->kind() == "SQLite" &&
        !db_->runScript(Format("PRAGMA application_id = %lld; PRAGMA user_version = %d",
                               static_cast<long long>(kStoreApplicationId), kStoreSchemaVersion),
                        &why))
      return fail(why);
  }
  if (!db_->commit(error)) return fail(*error);
  version_ = kStoreSchemaVersion;
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
  if (!beginCollarChange(collar, error)) return false;
  auto fail = [this, error]() { return abandonChange(error); };
  std::vector<SqlRow> rows;
  if (!db_->run("INSERT INTO collars (collar_id, first_seen, last_seen) VALUES (?, ?, ?) "
                "ON CONFLICT (collar_id) DO UPDATE SET last_seen = excluded.last_seen",
                {collar, info.at, info.at}, nullptr, nullptr, error) ||
      !db_->run("SELECT offload_id FROM offloads WHERE collar_id = ? AND sha256 = ?", {collar, sha}, &rows, nullptr,
                error))
    return fail();
  if (!rows.empty()) {
    r.alreadyImported = true;
    r.offloadId = rows[0].integer(0);
    // The same bytes confirmed now: the import is confirmed.
    if (info.confirmed && !db_->run("UPDATE offloads SET confirmed = 1 WHERE offload_id = ?", {r.offloadId}, nullptr,
                                    nullptr, error))
      return fail();
    if (!db_->commit(error)) return fail();
    *result = r;
    return true;
  }
  rows.clear();
  if (!db_->run("INSERT INTO offloads (imported_at, port, collar_id, backup_path, sha256, block_count, config_header, "
                "confirmed) VALUES (?, ?, ?, ?, ?, ?, ?, ?) RETURNING offload_id",
                {info.at, info.port >= 0 ? SqlValue{int64_t{info.port + 1}} : SqlValue{}, collar, info.backupPath, sha,
                 int64_t{r.blocks}, Hex(image.data(), kGpsHeaderSize), int64_t{info.confirmed ? 1 : 0}},
                &rows, nullptr, error) ||
      rows.empty())
    return fail();
  const int64_t offload = rows[0].integer(0);
  r.offloadId = offload;

  // Reads of the same memory that disagree on a few blocks: the line
  // damaged one of them. Where one of the two was confirmed by a second
  // read, it wins: a confirmed import takes away the unconfirmed one's
  // damaged fixes; an unconfirmed import leaves out what a confirmed one
  // contradicts.
  std::vector<bool> skip(data.fixes.size(), false);
  rows.clear();
  if (!db_->run("SELECT offload_id FROM offloads WHERE collar_id = ? AND offload_id <> ? AND confirmed = ?",
                {collar, offload, int64_t{info.confirmed ? 0 : 1}}, &rows, nullptr, error))
    return fail();
  for (const SqlRow& other : rows) {
    const int64_t id = other.integer(0);
    std::vector<SqlRow> held;
    if (!db_->run("SELECT h.block_index, f.block, h.fix_time, h.latitude, h.longitude FROM held_fixes h JOIN fixes f "
                  "ON f.collar_id = h.collar_id AND f.fix_time = h.fix_time AND f.latitude = h.latitude AND "
                  "f.longitude = h.longitude WHERE h.offload_id = ?",
                  {id}, &held, nullptr, error))
      return fail();
    int agree = 0;
    std::vector<const SqlRow*> differ;
    for (const SqlRow& h : held) {
      const int64_t index = h.integer(0);
      if (index < 1 || index > static_cast<int64_t>(data.fixes.size())) continue;
      const size_t at = kGpsHeaderSize + static_cast<size_t>(index - 1) * kGpsBlockSize;
      if (h.text(1) == Hex(image.data() + at, kGpsBlockSize))
        ++agree;
      else
        differ.push_back(&h);
    }
    const int compared = agree + static_cast<int>(differ.size());
    if (differ.empty() || compared < 5 || agree * 10 < compared * 9) continue;  // another memory, not damage
    for (const SqlRow* h : differ) {
      if (info.confirmed) {
        int64_t gone = 0;
        if (!db_->run("DELETE FROM held_fixes WHERE offload_id = ? AND collar_id = ? AND fix_time = ? AND latitude = ? "
                      "AND longitude = ?",
                      {id, collar, h->text(2), h->real(3), h->real(4)}, nullptr, &gone, error))
          return fail();
        r.replaced += static_cast<int>(gone);
      } else {
        skip[static_cast<size_t>(h->integer(0) - 1)] = true;
        ++r.ignored;
      }
    }
    if (info.confirmed && (!db_->run(kDropOrphans, {collar}, nullptr, nullptr, error) ||
                           !db_->run(kPassOn, {collar, id}, nullptr, nullptr, error)))
      return fail();
  }

  std::vector<SqlValue> fixBatch, heldBatch;
  size_t inBatch = 0;
  auto flush = [&]() {
    if (!inBatch) return true;
    int64_t changed = 0;
    if (!db_->run(InsertFixes(inBatch), fixBatch, nullptr, &changed, error)) return false;
    r.added += static_cast<int>(changed);
    if (!db_->run(InsertHeld(inBatch), heldBatch, nullptr, nullptr, error)) return false;
    fixBatch.clear();
    heldBatch.clear();
    inBatch = 0;
    return true;
  };
  for (const DecodedFix& e : data.fixes) {
    if (skip[static_cast<size_t>(e.index - 1)]) continue;
    const GpsFix& f = e.fix;
    int64_t utc = 0;
    const bool timed = FixUtcSeconds(f, &utc);
    const size_t at = kGpsHeaderSize + static_cast<size_t>(e.index - 1) * kGpsBlockSize;
    const std::string when = FixTimeText(f);
    fixBatch.insert(fixBatch.end(),
                    {collar, when, timed ? SqlValue{utc} : SqlValue{}, e.latitude, e.longitude,
                     f.hasAltitude ? SqlValue{int64_t{f.altitude}} : SqlValue{}, int64_t{f.statusCode},
                     int64_t{e.satellites}, int64_t{f.computedCheck}, int64_t{f.storedCheck}, int64_t{e.index},
                     Hex(image.data() + at, kGpsBlockSize), offload});
    heldBatch.insert(heldBatch.end(), {offload, collar, when, e.latitude, e.longitude, int64_t{e.index}});
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

bool SeasonStore::imports(uint32_t collarId, std::vector<StoredImport>* out, std::string* error) {
  std::vector<SqlRow> rows;
  const std::string held =
      "(SELECT COUNT(*) FROM held_fixes h WHERE h.offload_id = o.offload_id), "
      "(SELECT COUNT(*) FROM held_fixes h WHERE h.offload_id = o.offload_id AND NOT EXISTS (SELECT 1 FROM held_fixes "
      "g WHERE g.collar_id = h.collar_id AND g.fix_time = h.fix_time AND g.latitude = h.latitude AND g.longitude = "
      "h.longitude AND g.offload_id <> h.offload_id))";
  const std::string sql = "SELECT o.offload_id, o.collar_id, o.imported_at, o.port, o.backup_path, o.block_count, " +
                          held + ", o.confirmed FROM offloads o" +
                          (collarId ? " WHERE o.collar_id = ?" : "") + " ORDER BY o.offload_id";
  if (!db_->run(sql, collarId ? std::vector<SqlValue>{int64_t{collarId}} : std::vector<SqlValue>{}, &rows, nullptr,
                error))
    return false;
  out->clear();
  for (const SqlRow& row : rows) {
    StoredImport i;
    i.offloadId = row.integer(0);
    i.collarId = static_cast<uint32_t>(row.integer(1));
    i.at = row.text(2);
    i.port = row.isNull(3) ? -1 : static_cast<int>(row.integer(3)) - 1;
    i.backupPath = row.text(4);
    i.blocks = static_cast<int>(row.integer(5));
    i.held = row.integer(6);
    i.only = row.integer(7);
    i.confirmed = row.integer(8) != 0;
    out->push_back(i);
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
  // Fixes without a real time last, on both back ends.
  sql += " ORDER BY CASE WHEN utc IS NULL THEN 1 ELSE 0 END, utc, fix_time, block_index";
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

bool SeasonStore::beginCollarChange(int64_t collar, std::string* error) {
  if (!db_->writable()) {
    *error = changeRefused("");
    return false;
  }
  // One change of a collar at a time, whatever program it comes from.
  if (!db_->beginLocked(kStoreApplicationId + collar + 1, error)) {
    *error = changeRefused(*error);
    return false;
  }
  return true;
}

bool SeasonStore::abandonChange(std::string* error) {
  *error = changeRefused(*error);
  db_->rollback();
  return false;
}

bool SeasonStore::removeImport(int64_t offloadId, Removal* removal, std::string* error) {
  if (!db_->writable()) {
    *error = changeRefused("");
    return false;
  }
  std::vector<SqlRow> rows;
  if (!db_->run("SELECT collar_id FROM offloads WHERE offload_id = ?", {offloadId}, &rows, nullptr, error))
    return false;
  if (rows.empty()) {
    *error = Format("there is no import %lld in the store", static_cast<long long>(offloadId));
    return false;
  }
  const int64_t collar = rows[0].integer(0);
  if (!beginCollarChange(collar, error)) return false;
  auto fail = [this, error]() { return abandonChange(error); };
  Removal r;
  int64_t fixesBefore = 0, fixesAfter = 0;
  auto count = [&](int64_t* n) {
    rows.clear();
    if (!db_->run("SELECT COUNT(*) FROM fixes WHERE collar_id = ?", {collar}, &rows, nullptr, error)) return false;
    *n = rows[0].integer(0);
    return true;
  };
  if (!count(&fixesBefore) ||
      !db_->run("DELETE FROM held_fixes WHERE offload_id = ?", {offloadId}, nullptr, nullptr, error) ||
      !db_->run(kDropOrphans, {collar}, nullptr, nullptr, error) ||
      !db_->run(kPassOn, {collar, offloadId}, nullptr, nullptr, error) ||
      !db_->run("DELETE FROM offloads WHERE offload_id = ?", {offloadId}, nullptr, &r.imports, error) ||
      !count(&fixesAfter))
    return fail();
  r.fixes = fixesBefore - fixesAfter;
  rows.clear();
  if (!db_->run("SELECT COUNT(*) FROM offloads WHERE collar_id = ?", {collar}, &rows, nullptr, error)) return fail();
  if (rows[0].integer(0) == 0) {
    if (!db_->run("DELETE FROM collars WHERE collar_id = ?", {collar}, nullptr, nullptr, error)) return fail();
    r.collarGone = true;
  }
  if (!db_->commit(error)) return fail();
  *removal = r;
  return true;
}

bool SeasonStore::removeCollar(uint32_t collarId, Removal* removal, std::string* error) {
  const int64_t collar = collarId;
  if (!beginCollarChange(collar, error)) return false;
  auto fail = [this, error]() { return abandonChange(error); };
  Removal r;
  int64_t collars = 0;
  if (!db_->run("DELETE FROM held_fixes WHERE collar_id = ?", {collar}, nullptr, nullptr, error) ||
      !db_->run("DELETE FROM fixes WHERE collar_id = ?", {collar}, nullptr, &r.fixes, error) ||
      !db_->run("DELETE FROM offloads WHERE collar_id = ?", {collar}, nullptr, &r.imports, error) ||
      !db_->run("DELETE FROM collars WHERE collar_id = ?", {collar}, nullptr, &collars, error))
    return fail();
  if (collars == 0) {
    db_->rollback();
    *error = Format("collar %u is not in the store", collarId);
    return false;
  }
  r.collarGone = true;
  if (!db_->commit(error)) return fail();
  *removal = r;
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
  // What the tables say of each other, on either back end.
  struct Rule {
    const char* sql;
    const char* problem;
  };
  const Rule rules[] = {
      {"SELECT COUNT(*) FROM fixes f WHERE NOT EXISTS (SELECT 1 FROM held_fixes h WHERE h.collar_id = f.collar_id AND "
       "h.fix_time = f.fix_time AND h.latitude = f.latitude AND h.longitude = f.longitude)",
       "%lld fixes are held by no import"},
      {"SELECT COUNT(*) FROM held_fixes h WHERE NOT EXISTS (SELECT 1 FROM fixes f WHERE f.collar_id = h.collar_id AND "
       "f.fix_time = h.fix_time AND f.latitude = h.latitude AND f.longitude = h.longitude)",
       "imports hold %lld fixes that are not stored"},
      {"SELECT COUNT(*) FROM fixes f WHERE NOT EXISTS (SELECT 1 FROM held_fixes h WHERE h.offload_id = f.offload_id AND "
       "h.collar_id = f.collar_id AND h.fix_time = f.fix_time AND h.latitude = f.latitude AND h.longitude = "
       "f.longitude)",
       "%lld fixes name an import that does not hold them"},
      {"SELECT COUNT(*) FROM offloads o WHERE NOT EXISTS (SELECT 1 FROM collars c WHERE c.collar_id = o.collar_id)",
       "%lld imports belong to no collar"},
      {"SELECT COUNT(*) FROM fixes f WHERE NOT EXISTS (SELECT 1 FROM offloads o WHERE o.offload_id = f.offload_id)",
       "%lld fixes name an import that does not exist"},
  };
  for (const Rule& rule : rules) {
    rows.clear();
    if (!db_->run(rule.sql, {}, &rows, nullptr, error)) return false;
    const long long n = rows.empty() ? 0 : rows[0].integer(0);
    if (n) c.problems.push_back(Format(rule.problem, n));
  }
  c.ok = c.problems.empty();
  *out = c;
  return true;
}

}  // namespace zelkor
